#include <gtest/gtest.h>
#include "utils/InstUtils.h"

namespace {

struct TTextCase {
    std::string input, expected;
};

TEST(AddBackslash, Table)
{
    const TTextCase cases[] = {
        {"", ""},
        {"C:", "C:\\"},
        {"C:\\a", "C:\\a\\"},
        {"C:\\a\\", "C:\\a\\"},
        {"C:\\a/", "C:\\a\\"},
        {"C:/a/b", "C:/a/b\\"},  // only a final slash is recognised
        {"\\\\srv\\share", "\\\\srv\\share\\"},
        {"name", "name\\"},
    };
    for (const auto& c : cases) {
        std::string s = c.input;
        AddBackslash(s);
        EXPECT_EQ(s, c.expected) << "input: " << c.input;
    }
}

TEST(AppendPath, Table)
{
    const struct {
        std::string folder, name, expected;
    } cases[] = {
        {"", "b.txt", "b.txt"},
        {"C:\\a", "b.txt", "C:\\a\\b.txt"},
        {"C:\\a\\", "b.txt", "C:\\a\\b.txt"},
        {"C:\\a/", "b", "C:\\a\\b"},
        {"C:", "x\\", "C:\\x\\"},
        {"\\\\srv\\share", "f", "\\\\srv\\share\\f"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppendPath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
}

TEST(FolderPartOf, Table)
{
    const TTextCase cases[] = {
        {"C:\\a\\b.txt", "C:\\a\\"}, {"C:\\a", "C:\\"}, {"C:", "C:"},     {"C:x.txt", "C:"},
        {"b.txt", ""},              {"", ""},        {"\\\\srv\\share\\f", "\\\\srv\\share\\"},
        {"C:\\a\\", "C:\\a\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderPartOf(c.input), c.expected) << c.input;
}

TEST(DrivePartOf, Table)
{
    const TTextCase cases[] = {
        {"C:\\a\\b", "C:"},
        {"c:", "c:"},
        {"C:rel", "C:"},
        {"\\\\srv\\share\\a\\b", "\\\\srv\\share"},
        {"\\\\srv\\share\\", "\\\\srv\\share"},
        {"\\\\srv\\share", "\\\\srv\\share"},
        {"\\\\srv", "\\\\srv"},
        {"rel\\a", ""},
        {"\\a\\b", ""},
        {"C", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DrivePartOf(c.input), c.expected) << c.input;
}

TEST(TextEquals, Table)
{
    const struct {
        std::string a, b;
        bool equal;
    } cases[] = {
        {"c:\\program files\\corvella", "C:\\PROGRAM FILES\\Corvella", true},
        {"abc", "abc ", false},
        {"abc ", "abc", false},
        {"", "", true},
        {"", "a", false},
        {"a/b", "a\\b", false},
        {"a", "b", false},
        {std::string("a\0b", 3), std::string("A\0B", 3), true},
        {std::string("a\0b", 3), std::string("a\0c", 3), false},
    };
    for (const auto& c : cases) EXPECT_EQ(TextEquals(c.a, c.b), c.equal) << c.a << " | " << c.b;
}

TEST(CharOperations, Table)
{
    const struct {
        std::string input;
        char last;
        std::string withoutFirst, withoutLast;
    } cases[] = {
        {"abc", 'c', "bc", "ab"},
        {"x", 'x', "", ""},
        {"", '\0', "", ""},
        {"C:\\", '\\', ":\\", "C:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LastChar(c.input), c.last) << c.input;
        std::string first = c.input, last = c.input;
        DeleteFirstChar(first);
        DeleteLastChar(last);
        EXPECT_EQ(first, c.withoutFirst) << c.input;
        EXPECT_EQ(last, c.withoutLast) << c.input;
    }
}

TEST(ToWide, AlwaysCodePage1252)
{
    const struct {
        std::string input;
        std::wstring expected;
    } cases[] = {
        {"", L""},
        {"abc", L"abc"},
        {"\x80", L"\u20AC"},
        {"\x81", L"\u0081"},
        {"\x9F", L"\u0178"},
        {"\xE6\xF8\xE5", L"\u00E6\u00F8\u00E5"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(ToWide(c.input), c.expected) << c.input;
}

TEST(ToWide, LongTextKeepsEveryByte)
{
    const std::string text(100000, '\x80');
    const std::wstring wide = ToWide(text);
    ASSERT_EQ(wide.size(), text.size());
    EXPECT_EQ(wide.find_first_not_of(L'\u20AC'), std::wstring::npos);
}

}  // namespace
