#include <gtest/gtest.h>
#include <shlobj.h>
#include "tests/support/TestFolder.h"
#include "utils/InstUtils.h"

namespace {

// Points the process's temporary folder (TMP, TEMP) somewhere else for one test.
class TTempVariables {
public:
    explicit TTempVariables(const std::string& value)
    {
        for (const char* name : {"TMP", "TEMP"}) {
            char buffer[32768] = {};
            const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
            saved_.push_back({name, std::string(buffer, n), n != 0});
            SetEnvironmentVariableA(name, value.c_str());
        }
    }
    ~TTempVariables()
    {
        for (const auto& v : saved_)
            SetEnvironmentVariableA(v.name, v.present ? v.value.c_str() : nullptr);
    }

private:
    struct TSaved {
        const char* name;
        std::string value;
        bool present;
    };
    std::vector<TSaved> saved_;
};

class TempFiles : public testing::Test {
protected:
    TTestFolder dir_;
    TTempVariables temp_{dir_.Path()};
    const std::string prefix_ = "~CorvellaNorwegianNynorskSpellcheckerSetup";
};

TEST(TempPrefix, IsTheLettersOfTheTitle)
{
    EXPECT_EQ(TempPrefix(), "~CorvellaNorwegianNynorskSpellcheckerSetup");
}

TEST_F(TempFiles, TempFolderIsTheSystemsWithBackslash)
{
    EXPECT_TRUE(TextEquals(TempFolder(), dir_.Path())) << TempFolder();
}

TEST_F(TempFiles, NewTempFileNameTakesTheFirstFreeNumber)
{
    EXPECT_TRUE(TextEquals(NewTempFileName(), dir_.Path() + prefix_ + "0.tmp"));
    // A folder of that name does not count as taken.
    ASSERT_TRUE(MakeFolder(dir_.Path() + prefix_ + "0.tmp"));
    EXPECT_TRUE(TextEquals(NewTempFileName(), dir_.Path() + prefix_ + "0.tmp"));
    RemoveDirectoryA((dir_.Path() + prefix_ + "0.tmp").c_str());

    ASSERT_TRUE(WriteFileBytes(dir_.Path() + prefix_ + "1.tmp", ""));
    EXPECT_TRUE(TextEquals(NewTempFileName(), dir_.Path() + prefix_ + "0.tmp"));
    ASSERT_TRUE(WriteFileBytes(dir_.Path() + prefix_ + "0.tmp", ""));
    EXPECT_TRUE(TextEquals(NewTempFileName(), dir_.Path() + prefix_ + "2.tmp"));
    EXPECT_FALSE(PathExists(dir_.Path() + prefix_ + "2.tmp"));  // nothing is created
}

TEST_F(TempFiles, CleanTempFilesRemovesOnlyPrefixEntries)
{
    const std::string lowerPrefix = "~corvellanorwegiannynorskspellcheckersetup";
    const std::string gone[] = {prefix_ + "0.tmp", prefix_ + "17.tmp", prefix_};
    const std::string kept[] = {lowerPrefix + "5.tmp", "x" + prefix_ + "0.tmp", "other.tmp",
                                "~Corvella.tmp"};
    for (const auto& name : gone) ASSERT_TRUE(WriteFileBytes(dir_ / name, "g"));
    for (const auto& name : kept) ASSERT_TRUE(WriteFileBytes(dir_ / name, "k"));
    ASSERT_TRUE(MakeFolder(dir_.Path() + prefix_ + "dir"));
    ASSERT_TRUE(MakeFolder(dir_.Path() + prefix_ + "dir\\inner"));
    ASSERT_TRUE(WriteFileBytes(dir_.Path() + prefix_ + "dir\\inner\\f.txt", "f"));
    ASSERT_TRUE(MakeFolder(dir_ / "keepdir"));

    CleanTempFiles();

    for (const auto& name : gone) EXPECT_FALSE(PathExists(dir_ / name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(PathExists(dir_ / name)) << name;
    EXPECT_FALSE(PathExists(dir_.Path() + prefix_ + "dir"));
    EXPECT_TRUE(IsFolder(dir_ / "keepdir"));
}

TEST_F(TempFiles, CleanTempFilesLeavesAnOpenFileAndGoesOn)
{
    ASSERT_TRUE(WriteFileBytes(dir_.Path() + prefix_ + "0.tmp", "busy"));
    ASSERT_TRUE(WriteFileBytes(dir_.Path() + prefix_ + "1.tmp", "free"));
    HANDLE held = CreateFileA((dir_.Path() + prefix_ + "0.tmp").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CleanTempFiles();
    CloseHandle(held);
    EXPECT_TRUE(PathExists(dir_.Path() + prefix_ + "0.tmp"));
    EXPECT_FALSE(PathExists(dir_.Path() + prefix_ + "1.tmp"));
}

TEST(TempFolder, FallsBackToDocumentsWhenTheTempPathCannotBeEntered)
{
    const std::string documents = GetSpecialFolder(CSIDL_PERSONAL);
    ASSERT_FALSE(documents.empty());
    {
        TTempVariables temp("C:\\no\\such\\temp\\folder\\");
        EXPECT_TRUE(TextEquals(TempFolder(), documents + "\\")) << TempFolder();
        EXPECT_TRUE(TextEquals(FolderPartOf(NewTempFileName()), documents + "\\"));
    }
    {
        // Longer than any fixed buffer of MAX_PATH: a plain answer, never an overrun.
        TTempVariables temp("C:\\" + std::string(400, 't') + "\\");
        const std::string folder = TempFolder();
        EXPECT_EQ(LastChar(folder), '\\');
        EXPECT_TRUE(DirExists(folder)) << folder;
    }
}

}  // namespace
