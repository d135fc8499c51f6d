#include "gui/Exceptions.h"
#include "gui/StringList.h"
#include <windows.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {
int CompareIgnoreCase(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) - CSTR_EQUAL;
}

class StringListFiles : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"gui_stringlist_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const wchar_t* name : {L"a.txt", L"b.txt"}) DeleteFileW(Path(name).c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring Path(const wchar_t* name) const { return folder_ + L"\\" + name; }
    void Write(const wchar_t* name, std::string_view bytes) const
    {
        HANDLE file = CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string Read(const wchar_t* name) const
    {
        HANDLE file = CreateFileW(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buffer[256];
        DWORD read = 0;
        ReadFile(file, buffer, sizeof buffer, &read, nullptr);
        CloseHandle(file);
        return std::string(buffer, read);
    }

private:
    std::wstring folder_;
};
}  // namespace

TEST(StringList, SplitsTextAtEveryKindOfLineEnd)
{
    struct TCase {
        std::string_view Text;
        std::vector<std::string> Lines;
    } cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\r\n", {"one"}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb\n\n", {"a", "", "b", ""}},
        {"\r\n", {""}},
        {std::string_view("ab\r\ncd\0ef\r\ngh", 14), {"ab", "cd"}},
        {std::string_view("\0x", 2), {}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("stale");
        list.SetText(c.Text);
        EXPECT_EQ(list.Items(), c.Lines) << testing::PrintToString(std::string(c.Text));
    }
}

TEST(StringList, AddInsertDelete)
{
    TStringList list;
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("d"), 1);
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(4, "e");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    list.Delete(4);
    list.Delete(0);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(list.Text(), "b\r\nc\r\nd\r\n");
}

TEST(StringList, SortsAndFindsWithTheGivenComparison)
{
    TStringList list;
    for (const char* s : {"delta", "Alpha", "charlie", "BRAVO", "alpha", "Echo", "bravo"}) list.Add(s);
    list.Sort(CompareIgnoreCase);
    for (int i = 1; i < list.Count(); ++i) EXPECT_LE(CompareIgnoreCase(list[i - 1], list[i]), 0) << i;
    EXPECT_EQ(CompareIgnoreCase(list[0], "ALPHA"), 0);
    EXPECT_EQ(list[6], "Echo");

    struct TCase {
        const char* Key;
        bool Found;
        int Index;
    } cases[] = {{"CHARLIE", true, 4}, {"echo", true, 6}, {"Alpha", true, 0}, {"aardvark", false, 0},
                 {"cat", false, 4},    {"zulu", false, 7}};
    for (const auto& c : cases) {
        int index = -1;
        EXPECT_EQ(list.Find(c.Key, index, CompareIgnoreCase), c.Found) << c.Key;
        if (c.Found) {
            EXPECT_EQ(CompareIgnoreCase(list[index], c.Key), 0) << c.Key;
        } else {
            EXPECT_EQ(index, c.Index) << c.Key;
        }
    }
}

TEST(StringList, QuickSortOrdersListsOfEverySize)
{
    std::mt19937 random(7);
    for (int size : {0, 1, 2, 3, 10, 100, 1000}) {
        TStringList list;
        std::vector<std::string> expected;
        for (int i = 0; i < size; ++i) {
            std::string s(1 + random() % 3, 'a');
            for (char& ch : s) ch = static_cast<char>((random() % 2 ? 'a' : 'A') + random() % 4);
            list.Add(s);
            expected.push_back(s);
        }
        list.Sort(CompareIgnoreCase);
        std::stable_sort(expected.begin(), expected.end(),
                         [](const std::string& a, const std::string& b) { return CompareIgnoreCase(a, b) < 0; });
        ASSERT_EQ(list.Count(), size);
        for (int i = 0; i < size; ++i) EXPECT_EQ(CompareIgnoreCase(list[i], expected[i]), 0) << size << " " << i;
    }
}

TEST_F(StringListFiles, LoadsMixedLineEndsStopsAtNulKeepsALastLineWithoutBreak)
{
    Write(L"a.txt", std::string_view("one\r\ntwo\rthree\nfour", 19));
    TStringList list;
    list.LoadFromFile(Path(L"a.txt"));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"one", "two", "three", "four"}));

    Write(L"a.txt", std::string_view("before\r\nmid\0dle\r\nafter\r\n", 24));
    list.LoadFromFile(Path(L"a.txt"));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"before", "mid"}));
}

TEST_F(StringListFiles, SavesEveryLineWithCrLf)
{
    TStringList list;
    list.SetText("x\ny\rz");
    list.Add("");
    list.SaveToFile(Path(L"b.txt"));
    EXPECT_EQ(Read(L"b.txt"), "x\r\ny\r\nz\r\n\r\n");
    TStringList empty;
    empty.SaveToFile(Path(L"b.txt"));
    EXPECT_EQ(Read(L"b.txt"), "");
}

TEST_F(StringListFiles, FileLayerFailuresAreAborts)
{
    TStringList list;
    list.Add("data");
    // Missing file.
    EXPECT_THROW(list.LoadFromFile(Path(L"a.txt")), EFOpenError);
    // Held open by another handle: loading and saving ask for no sharing and must fail.
    Write(L"a.txt", "held\r\n");
    HANDLE held = CreateFileW(Path(L"a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(list.LoadFromFile(Path(L"a.txt")), EFOpenError);
    EXPECT_THROW(list.SaveToFile(Path(L"a.txt")), EFCreateError);
    CloseHandle(held);
    EXPECT_EQ(Read(L"a.txt"), "held\r\n");
    // A folder that does not exist.
    EXPECT_THROW(list.SaveToFile(Path(L"missing\\b.txt")), EFCreateError);
    try {
        list.LoadFromFile(Path(L"b.txt"));
        ADD_FAILURE() << "a missing file loaded";
    } catch (...) {
        EXPECT_TRUE(IsAbort(std::current_exception()));
    }
}
