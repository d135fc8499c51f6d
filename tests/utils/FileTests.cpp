#include <gtest/gtest.h>
#include "tests/support/TestFolder.h"
#include "tests/support/WineHost.h"
#include "utils/InstUtils.h"

namespace {

std::string SystemCurrentDir()
{
    char buffer[4096] = {};
    GetCurrentDirectoryA(sizeof buffer, buffer);
    return buffer;
}

class FileOps : public testing::Test {
protected:
    void SetUp() override { saved_ = SystemCurrentDir(); }
    void TearDown() override { SetCurrentDirectoryA(saved_.c_str()); }

    TTestFolder dir_;
    std::string saved_;
};

std::string WithSlashes(std::string s)
{
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

TEST_F(FileOps, CurrentDirHasTrailingBackslash)
{
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
    EXPECT_TRUE(TextEquals(CurrentDir(), dir_.Path())) << CurrentDir();
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(CurrentDir(), "C:\\");
}

TEST_F(FileOps, PopCurrentDirRestoresPushedFolderAndIgnoresEmptyStack)
{
    ASSERT_TRUE(MakeFolder(dir_ / "b"));
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
    PushCurrentDir();
    ASSERT_TRUE(SetCurrentDirectoryA((dir_ / "b").c_str()));
    PopCurrentDir();
    EXPECT_TRUE(TextEquals(CurrentDir(), dir_.Path()));
    PopCurrentDir();  // nothing saved: nothing changes
    EXPECT_TRUE(TextEquals(CurrentDir(), dir_.Path()));
}

TEST_F(FileOps, DirExistsTableLeavesCurrentDirUnchanged)
{
    ASSERT_TRUE(MakeFolder(dir_ / "sub"));
    ASSERT_TRUE(WriteFileBytes(dir_ / "file.txt", "x"));
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
    const std::string cwd = SystemCurrentDir();
    std::string noSlash = dir_ / "sub";
    const struct {
        std::string path;
        bool exists;
    } cases[] = {
        {dir_ / "sub", true},
        {dir_ / "sub\\", true},
        {dir_.Path(), true},
        {"C:", true},
        {"C:\\", true},
        {"sub", false},                         // relative
        {"", false},
        {WithSlashes(dir_ / "sub"), false},     // slashes before the end
        {dir_ / "sub\\..\\sub", false},         // not written as the system reports it
        {dir_ / "missing", false},
        {dir_ / "file.txt", false},
        {dir_.Path() + std::string(300, 'x'), false},  // longer than MAX_PATH
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DirExists(c.path), c.exists) << c.path;
        EXPECT_EQ(SystemCurrentDir(), cwd) << "after " << c.path;
    }
}

TEST_F(FileOps, ForceDirsCreatesEveryLevel)
{
    const std::string deepest = dir_ / "a\\b\\c\\";
    ForceDirs(deepest);
    EXPECT_TRUE(IsFolder(dir_ / "a"));
    EXPECT_TRUE(IsFolder(dir_ / "a\\b"));
    EXPECT_TRUE(IsFolder(dir_ / "a\\b\\c"));
    // Without trailing backslash, and on an existing folder.
    ForceDirs(dir_ / "a\\b\\d");
    EXPECT_TRUE(IsFolder(dir_ / "a\\b\\d"));
    ASSERT_TRUE(WriteFileBytes(dir_ / "a\\keep.txt", "k"));
    ForceDirs(dir_ / "a");
    EXPECT_TRUE(PathExists(dir_ / "a\\keep.txt"));
}

TEST_F(FileOps, ForceDirsEndsWhenTheChainOfParentsRunsOut)
{
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
    ForceDirs("rel\\sub\\");
    ForceDirs("rel");
    EXPECT_FALSE(PathExists(dir_ / "rel"));
    const char missing = FreeDriveLetter();
    ASSERT_NE(missing, 0);
    ForceDirs(std::string(1, missing) + ":\\a\\b\\");
    ForceDirs("\\\\nosuchserver\\share\\a\\");
    ForceDirs("");
    ForceDirs(dir_.Path() + std::string(400, 'y') + "\\z\\");
    EXPECT_FALSE(PathExists(dir_.Path() + std::string(400, 'y')));
}

TEST_F(FileOps, DeleteTreeRemovesNestedFoldersAndFiles)
{
    ForceDirs(dir_ / "t\\a\\b\\");
    ForceDirs(dir_ / "t\\c\\");
    ASSERT_TRUE(WriteFileBytes(dir_ / "t\\top.txt", "1"));
    ASSERT_TRUE(WriteFileBytes(dir_ / "t\\a\\b\\deep.txt", "2"));
    ASSERT_TRUE(WriteFileBytes(dir_ / "t\\c\\.hidden", "3"));
    SetFileAttributesA((dir_ / "t\\c\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    DeleteTree(dir_ / "t");
    EXPECT_FALSE(PathExists(dir_ / "t"));
    EXPECT_TRUE(IsFolder(dir_.Path()));
}

TEST_F(FileOps, DeleteTreeKeepsReadOnlyFileAndItsParents)
{
    ForceDirs(dir_ / "t\\keep\\inner\\");
    ForceDirs(dir_ / "t\\gone\\");
    ASSERT_TRUE(WriteFileBytes(dir_ / "t\\keep\\inner\\ro.txt", "r"));
    ASSERT_TRUE(WriteFileBytes(dir_ / "t\\keep\\other.txt", "o"));
    ASSERT_TRUE(WriteFileBytes(dir_ / "t\\gone\\g.txt", "g"));
    ASSERT_TRUE(SetFileAttributesA((dir_ / "t\\keep\\inner\\ro.txt").c_str(),
                                   FILE_ATTRIBUTE_READONLY));
    DeleteTree(dir_ / "t\\");
    EXPECT_TRUE(PathExists(dir_ / "t\\keep\\inner\\ro.txt"));
    EXPECT_FALSE(PathExists(dir_ / "t\\keep\\other.txt"));
    EXPECT_FALSE(PathExists(dir_ / "t\\gone"));
}

TEST_F(FileOps, DeleteTreeNeverReachesThroughAFolderLink)
{
    ForceDirs(dir_ / "outside\\nested\\");
    ASSERT_TRUE(WriteFileBytes(dir_ / "outside\\precious.txt", "p"));
    ASSERT_TRUE(WriteFileBytes(dir_ / "outside\\nested\\deep.txt", "d"));
    ForceDirs(dir_ / "t\\sub\\");
    ASSERT_TRUE(WriteFileBytes(dir_ / "t\\sub\\f.txt", "f"));
    ASSERT_TRUE(MakeFolderLink(dir_ / "t\\link", dir_ / "outside"));
    ASSERT_TRUE(MakeFolderLink(dir_ / "toplink", dir_ / "outside"));
    ASSERT_TRUE(PathExists(dir_ / "t\\link\\precious.txt"));

    DeleteTree(dir_ / "t");
    DeleteTree(dir_ / "toplink\\");

    EXPECT_TRUE(PathExists(dir_ / "outside\\precious.txt"));
    EXPECT_TRUE(PathExists(dir_ / "outside\\nested\\deep.txt"));
    EXPECT_FALSE(PathExists(dir_ / "t\\sub"));
}

TEST_F(FileOps, SaveStringToFileWritesExactBytes)
{
    const std::string data("\x01\x00\x02\x00\x00\xFF", 6);
    EXPECT_TRUE(SaveStringToFile(dir_ / "z.bin", data));
    EXPECT_EQ(ReadFileBytes(dir_ / "z.bin"), data);

    ASSERT_TRUE(WriteFileBytes(dir_ / "e.bin", "previous content"));
    EXPECT_TRUE(SaveStringToFile(dir_ / "e.bin", ""));
    bool ok = false;
    EXPECT_EQ(ReadFileBytes(dir_ / "e.bin", &ok), "");
    EXPECT_TRUE(ok);

    EXPECT_FALSE(SaveStringToFile(dir_ / "nofolder\\f.bin", "x"));
    EXPECT_FALSE(PathExists(dir_ / "nofolder"));
}

TEST_F(FileOps, SaveStringToFileNamesTheFileInCodePage1252)
{
    EXPECT_TRUE(SaveStringToFile(dir_ / "euro\x80.txt", "e"));
    EXPECT_NE(GetFileAttributesW((ToWide(dir_.Path()) + L"euro\u20AC.txt").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

void SetLocalWriteTime(const std::string& path, const SYSTEMTIME& local)
{
    FILETIME localTime, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &utc));
    CloseHandle(h);
}

TEST_F(FileOps, FileDateOfRoundsDownToEvenSeconds)
{
    const struct {
        SYSTEMTIME written;
        TDateTime expected;
    } cases[] = {
        {{2021, 3, 4, 4, 5, 6, 7, 500}, EncodeDateTime(2021, 3, 4, 5, 6, 6, 0)},
        {{2019, 12, 2, 31, 23, 59, 59, 999}, EncodeDateTime(2019, 12, 31, 23, 59, 58, 0)},
        {{2022, 6, 3, 1, 0, 0, 2, 0}, EncodeDateTime(2022, 6, 1, 0, 0, 2, 0)},
        // Outside the DOS range: still whole even seconds.
        {{1975, 6, 0, 1, 12, 0, 3, 0}, EncodeDateTime(1975, 6, 1, 12, 0, 2, 0)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileBytes(dir_ / "dated.txt", "d"));
        SetLocalWriteTime(dir_ / "dated.txt", c.written);
        const TDateTime got = FileDateOf(dir_ / "dated.txt");
        EXPECT_EQ(got, c.expected) << c.written.wYear;
    }
}

TEST_F(FileOps, FileDateOfMissingFileIsNow)
{
    const TDateTime before = Now();
    const TDateTime got = FileDateOf(dir_ / "missing.txt");
    const TDateTime after = Now();
    EXPECT_GE(got, before);
    EXPECT_LE(got, after);
}

TEST_F(FileOps, FilePresentOnlyForFiles)
{
    ASSERT_TRUE(WriteFileBytes(dir_ / "f.txt", "f"));
    ASSERT_TRUE(MakeFolder(dir_ / "folder"));
    EXPECT_TRUE(FilePresent(dir_ / "f.txt"));
    EXPECT_FALSE(FilePresent(dir_ / "folder"));
    EXPECT_FALSE(FilePresent(dir_ / "missing.txt"));
    EXPECT_FALSE(FilePresent(""));
    EXPECT_FALSE(FilePresent(dir_.Path() + std::string(400, 'f')));
}

}  // namespace
