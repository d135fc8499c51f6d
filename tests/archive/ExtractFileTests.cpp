// Writing one entry: folders, contents, time stamp, and the Abort/Retry/Ignore question.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/archive/TestPayload.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TestFolder.h"
#include "utils/Handle.h"
#include "utils/InstUtils.h"
#include "utils/Types.h"

namespace {

SYSTEMTIME LocalWriteTime(const std::string& path)
{
    SYSTEMTIME st{};
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    FILETIME utc{}, local{};
    if (file && GetFileTime(file.Get(), nullptr, nullptr, &utc) && FileTimeToLocalFileTime(&utc, &local))
        FileTimeToSystemTime(&local, &st);
    return st;
}

// Held open without sharing by a second handle, as another program would.
TFileHandle HoldOpen(const std::string& path)
{
    return TFileHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

constexpr UINT AbortRetryIgnoreError = MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_TASKMODAL;

class ExtractFile : public ::testing::Test {
protected:
    TTestFolder folder;
    std::unique_ptr<TAttachedFiles> files = OpenPayload(MakePayload({
        {"readme.txt", "first readme"},
        {"empty.tlx", ""},
        {"README.TXT", "second readme"},
        {"data.bin", std::string("\0\x01\x02\x03", 4)},
    }));
};

}  // namespace

TEST_F(ExtractFile, WritesContentsIntoFoldersItCreates)
{
    const std::string target = folder / "a\\b\\c\\data.bin";
    TMessageBoxScript boxes({});
    EXPECT_TRUE(files->ExtractFile(&files->Entries[3], "ignored name", target));
    EXPECT_EQ(ReadFileBytes(target), std::string("\0\x01\x02\x03", 4));
    EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(ExtractFile, SizeZeroGivesAnEmptyFileAndReplacesOldContents)
{
    const std::string target = folder / "userdic.tlx";
    ASSERT_TRUE(WriteFileBytes(target, "old words"));
    bool readable = false;
    EXPECT_TRUE(files->ExtractFile(&files->Entries[1], "", target));
    EXPECT_EQ(ReadFileBytes(target, &readable), "");
    EXPECT_TRUE(readable);
}

TEST_F(ExtractFile, ByNameTakesTheLaterOfTwoEqualNamesIgnoringCase)
{
    const std::string target = folder / "out.txt";
    EXPECT_TRUE(files->ExtractFile(nullptr, "Readme.Txt", target));
    EXPECT_EQ(ReadFileBytes(target), "second readme");
}

TEST_F(ExtractFile, ByUnknownNameWritesNothingAndAsksNothing)
{
    const std::string target = folder / "sub\\nothing.txt";
    TMessageBoxScript boxes({IDIGNORE});
    EXPECT_FALSE(files->ExtractFile(nullptr, "nothing.txt", target));
    EXPECT_FALSE(PathExists(target));
    EXPECT_FALSE(PathExists(folder / "sub"));
    EXPECT_TRUE(boxes.Asked().empty());
}

struct TStampCase {
    const char* Case;
    int Year, Month, Day, Hour, Minute, Second;
    int ExpectedSecond;  // -1: the stamp is not applied
};

TEST_F(ExtractFile, StampsTheLastWriteTimeThroughDosTime)
{
    const TStampCase cases[] = {
        {"even seconds", 2024, 6, 3, 12, 34, 56, 56},
        {"odd seconds round down", 2024, 6, 3, 12, 34, 57, 56},
        {"first DOS day", 1980, 1, 1, 0, 0, 0, 0},
        {"last DOS year", 2099, 12, 31, 23, 59, 59, 58},
        {"before 1980", 1979, 12, 31, 23, 59, 58, -1},
        {"after 2099", 2100, 1, 1, 0, 0, 0, -1},
    };
    for (const TStampCase& c : cases) {
        SCOPED_TRACE(c.Case);
        const TDateTime stamp = EncodeDateTimeValue(c.Year, c.Month, c.Day, c.Hour, c.Minute, c.Second);
        auto stamped = OpenPayload(MakePayload({{"f.txt", "x", stamp}}));
        const std::string target = folder / (std::string(c.Case) + ".txt");
        ASSERT_TRUE(stamped->ExtractFile(nullptr, "f.txt", target));
        const SYSTEMTIME st = LocalWriteTime(target);
        if (c.ExpectedSecond < 0) {
            SYSTEMTIME now{};
            GetLocalTime(&now);
            FILETIME written{}, current{};
            ASSERT_TRUE(SystemTimeToFileTime(&st, &written) && SystemTimeToFileTime(&now, &current));
            const auto ticks = [](const FILETIME& f) { return (int64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
            EXPECT_LT(std::abs(ticks(current) - ticks(written)), int64_t(10) * 60 * 10000000) << "not the time of writing";
            continue;
        }
        EXPECT_EQ(st.wYear, c.Year);
        EXPECT_EQ(st.wMonth, c.Month);
        EXPECT_EQ(st.wDay, c.Day);
        EXPECT_EQ(st.wHour, c.Hour);
        EXPECT_EQ(st.wMinute, c.Minute);
        EXPECT_EQ(st.wSecond, c.ExpectedSecond);
        EXPECT_EQ(st.wMilliseconds, 0);
        if (c.ExpectedSecond == c.Second) {
            EXPECT_EQ(FileDateOf(target), stamp) << "update mode relies on this";
        }
    }
}

TEST_F(ExtractFile, HeldOpenAbortReturnsFalseAfterAskingOnce)
{
    const std::string target = folder / "held.txt";
    TFileHandle held = HoldOpen(target);
    ASSERT_TRUE(held);
    TMessageBoxScript boxes({IDABORT});
    EXPECT_FALSE(files->ExtractFile(&files->Entries[0], "", target));
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].Text, CannotCreateMessage(target));
    EXPECT_EQ(boxes.Asked()[0].Caption, L"Corvella Norwegian (Nynorsk) Spellchecker - Setup");
    EXPECT_EQ(boxes.Asked()[0].Style, AbortRetryIgnoreError);
}

TEST_F(ExtractFile, HeldOpenIgnoreReturnsTrueAndLeavesTheOldBytes)
{
    const std::string target = folder / "held.txt";
    ASSERT_TRUE(WriteFileBytes(target, "old bytes"));
    {
        TFileHandle held = HoldOpen(target);
        ASSERT_TRUE(held);
        TMessageBoxScript boxes({IDIGNORE});
        EXPECT_TRUE(files->ExtractFile(&files->Entries[0], "", target));
        EXPECT_EQ(boxes.Asked().size(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(target), "old bytes");
}

TEST_F(ExtractFile, HeldOpenRetryAfterTheHolderLetsGoWritesTheFile)
{
    const std::string target = folder / "held.txt";
    ASSERT_TRUE(WriteFileBytes(target, "old bytes"));
    TFileHandle held = HoldOpen(target);
    ASSERT_TRUE(held);
    // First Retry while still held (asks again), then the holder closes and Retry succeeds.
    TMessageBoxScript boxes({IDRETRY, IDRETRY}, [&](size_t index) {
        if (index == 1) held.Reset();
    });
    EXPECT_TRUE(files->ExtractFile(&files->Entries[0], "", target));
    EXPECT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(ReadFileBytes(target), "first readme");
    EXPECT_EQ(LocalWriteTime(target).wYear, 2024);
}

TEST_F(ExtractFile, TargetThatIsAFolderAsksAndIsLeftAlone)
{
    const std::string target = folder / "isfolder";
    ASSERT_TRUE(MakeFolder(target));
    TMessageBoxScript boxes({IDIGNORE});
    EXPECT_TRUE(files->ExtractFile(&files->Entries[0], "", target));
    EXPECT_EQ(boxes.Asked().size(), 1u);
    EXPECT_TRUE(IsFolder(target));
}

TEST_F(ExtractFile, RealBoxIsShownAndAnsweredFromAnotherThread)
{
    const std::string target = folder / "held.txt";
    TFileHandle held = HoldOpen(target);
    ASSERT_TRUE(held);
    TMessageBoxAnswerer answerer(L"Corvella Norwegian (Nynorsk) Spellchecker - Setup", IDABORT);
    EXPECT_FALSE(files->ExtractFile(&files->Entries[0], "", target));
    const TMessageBoxSeen& seen = answerer.Seen();
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ(seen.Buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
    EXPECT_EQ(seen.Pressed, IDABORT);
    std::wstring shown = seen.Text;
    std::wstring expected = CannotCreateMessage(target);
    // The static control may report the line breaks as CR LF.
    for (std::wstring* s : {&shown, &expected}) {
        std::wstring flat;
        for (wchar_t ch : *s)
            if (ch != L'\r' && ch != L'\n') flat += ch;
        *s = flat;
    }
    EXPECT_EQ(shown, expected);
}
