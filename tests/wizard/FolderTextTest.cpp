#include <gtest/gtest.h>
#include <windows.h>
#include "utils/InstUtils.h"
#include "wizard/FolderText.h"

namespace {
struct TNormalizeCase {
    const char* name;
    std::string text;
    std::string expected;
};
void PrintTo(const TNormalizeCase& c, std::ostream* os) { *os << c.name; }

class NormalizeDestDirTest : public testing::TestWithParam<TNormalizeCase> {};

TEST_P(NormalizeDestDirTest, TidiesTheFolderText)
{
    EXPECT_EQ(NormalizeDestDir(GetParam().text, 'D', "C:\\Program Files", TextEquals), GetParam().expected);
}

TEST(NormalizeDestDir, NoDriveLetterPutsNoNulIntoThePath)
{
    EXPECT_EQ(NormalizeDestDir("Games", '\0', "C:\\Program Files", TextEquals), "Corvella");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeDestDirTest,
    testing::Values(
        TNormalizeCase{"SpacesAndTrailingBackslash", "  D:\\Games\\  ", "D:\\Games"},
        TNormalizeCase{"OnlySpacesAreTrimmed", "D:\\Games\t", "D:\\Games\t"},
        TNormalizeCase{"EmptyTakesTheDriveBoxLetter", "", "d:\\Corvella"},
        TNormalizeCase{"OnlySpaces", "   ", "d:\\Corvella"},
        TNormalizeCase{"BareNameIsDiscarded", "Games", "d:\\Corvella"},
        TNormalizeCase{"RootedWithoutDriveIsDiscarded", "\\Games", "d:\\Corvella"},
        TNormalizeCase{"DriveRootWithBackslash", "E:\\", "E:\\Corvella"},
        TNormalizeCase{"DriveRootWithoutBackslash", "E:", "E:\\Corvella"},
        TNormalizeCase{"ProgramFilesOtherCase", "c:\\program files", "c:\\program files\\Corvella"},
        TNormalizeCase{"ProgramFilesTrailingBackslash", "C:\\PROGRAM FILES\\", "C:\\PROGRAM FILES\\Corvella"},
        TNormalizeCase{"NotQuiteProgramFiles", "C:\\Program Files (x86)", "C:\\Program Files (x86)"},
        TNormalizeCase{"TwoTrailingBackslashes", "D:\\Games\\\\", "D:\\Games\\Corvella"},
        TNormalizeCase{"UncKept", "\\\\server\\share\\Host", "\\\\server\\share\\Host"},
        TNormalizeCase{"UncShareKept", "\\\\server\\share\\", "\\\\server\\share"},
        TNormalizeCase{"HostFolderKept", "C:\\Program Files\\Corvella", "C:\\Program Files\\Corvella"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TSplitCase {
    const char* name;
    std::string commandLine;
    std::vector<std::string> args;
};
void PrintTo(const TSplitCase& c, std::ostream* os) { *os << c.name; }

class SplitCommandLineTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAtWhiteSpaceOutsideQuotes)
{
    EXPECT_EQ(SplitCommandLine(GetParam().commandLine), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    testing::Values(
        TSplitCase{"ProgramOnly", "setup.exe", {"setup.exe"}},
        TSplitCase{"QuotedProgramWithSpaces", "\"C:\\My Dir\\setup.exe\" -dE:\\Host", {"C:\\My Dir\\setup.exe", "-dE:\\Host"}},
        TSplitCase{"QuotedArgumentEndingInBackslash", "s.exe \"-dC:\\My Host\\\" x", {"s.exe", "-dC:\\My Host\\", "x"}},
        TSplitCase{"QuotesInsideAnArgument", "s.exe -d\"C:\\A B\"\\x", {"s.exe", "-dC:\\A B\\x"}},
        TSplitCase{"TabsAndRunsOfSpaces", "  s.exe \t a   b  ", {"s.exe", "a", "b"}},
        TSplitCase{"EmptyQuotedArgument", "s.exe \"\" b", {"s.exe", "", "b"}},
        TSplitCase{"UnclosedQuoteRunsToTheEnd", "s.exe \"a b", {"s.exe", "a b"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TSwitchCase {
    const char* name;
    std::string commandLine;
    bool found;
    std::string dir;
};
void PrintTo(const TSwitchCase& c, std::ostream* os) { *os << c.name; }

class HomeDirSwitchTest : public testing::TestWithParam<TSwitchCase> {};

TEST_P(HomeDirSwitchTest, TakesOnlyALowerCaseDashDFirstArgument)
{
    std::string dir = "unchanged";
    EXPECT_EQ(HomeDirSwitch(GetParam().commandLine, dir), GetParam().found);
    EXPECT_EQ(dir, GetParam().found ? GetParam().dir : "unchanged");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HomeDirSwitchTest,
    testing::Values(TSwitchCase{"Folder", "s.exe -dE:\\Host", true, "E:\\Host"},
                    TSwitchCase{"UpperCaseD", "s.exe -DE:\\Host", false, ""},
                    TSwitchCase{"Slash", "s.exe /dE:\\Host", false, ""},
                    TSwitchCase{"Alone", "s.exe -d", true, ""},
                    TSwitchCase{"NotFirst", "s.exe x -dE:\\Host", false, ""},
                    TSwitchCase{"QuotedWithSpaces", "s.exe \"-dC:\\My Host\" -dE:\\X", true, "C:\\My Host"},
                    TSwitchCase{"NoArguments", "s.exe", false, ""},
                    TSwitchCase{"InTheProgramPath", "\"C:\\-dX\\s.exe\"", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });
}  // namespace
