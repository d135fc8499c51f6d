// The install queue: modes, ForceOverwrite, folder prefixes, the public-file record and the run.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "tests/archive/TestPayload.h"
#include "tests/support/TestFolder.h"
#include "utils/Handle.h"
#include "utils/InstUtils.h"

namespace {

class TInstUtilsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { StartupInstUtils(); }
    void TearDown() override { ShutdownInstUtils(); }
};
const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TInstUtilsEnvironment);

bool SetWriteTime(const std::string& path, WORD year)
{
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = 1;
    st.wDay = 2;
    FILETIME ft{};
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && SystemTimeToFileTime(&st, &ft) && SetFileTime(file.Get(), nullptr, nullptr, &ft);
}

class InstallQueue : public ::testing::Test {
protected:
    void TearDown() override { InstallingFlag = false; }

    std::vector<std::string> Targets(const TAttachedFiles& files) const
    {
        std::vector<std::string> targets;
        for (const TFileToInstall& item : files.Queues[0]) targets.push_back(item.TargetPath);
        return targets;
    }

    TTestFolder folder;
};

enum class TTarget { Missing, SameStamp, OtherStamp, Folder };

}  // namespace

TEST_F(InstallQueue, ModeMatrix)
{
    const TTarget targets[] = {TTarget::Missing, TTarget::SameStamp, TTarget::OtherStamp, TTarget::Folder};
    const char* targetNames[] = {"missing", "same stamp", "other stamp", "folder"};
    const uint8_t modes[] = {imKeepExisting, imUpdateIfDifferent, imOverwrite, 7};
    // Expected with ForceOverwrite false, by target (rows) and mode (columns); with it, always queued.
    const bool expected[4][4] = {
        {true, true, true, true},
        {false, false, true, false},
        {false, true, true, false},
        {true, true, true, true},
    };
    int caseNumber = 0;
    for (bool force : {false, true})
        for (int t = 0; t < 4; ++t)
            for (int m = 0; m < 4; ++m) {
                SCOPED_TRACE(std::string(targetNames[t]) + ", mode " + std::to_string(modes[m]) +
                             (force ? ", forced" : ""));
                auto files = OpenPayload(MakePayload({{"dict.dic", "words"}}));
                const std::string dest = folder / ("case" + std::to_string(caseNumber++));
                const std::string target = dest + "\\dict.dic";
                ASSERT_TRUE(MakeFolder(dest));
                if (targets[t] == TTarget::Folder) {
                    ASSERT_TRUE(MakeFolder(target));
                }
                if (targets[t] == TTarget::SameStamp || targets[t] == TTarget::OtherStamp) {
                    ASSERT_TRUE(files->ExtractFile(nullptr, "dict.dic", target));
                }
                if (targets[t] == TTarget::OtherStamp) {
                    ASSERT_TRUE(SetWriteTime(target, 2020));
                }

                files->ForceOverwrite = force;
                const bool queued = force || expected[t][m];
                EXPECT_EQ(files->QueueFiles("dict.dic", dest, 0, InstallMode(modes[m])), queued);
                ASSERT_EQ(files->Queues[0].size(), queued ? 1u : 0u);
                if (queued) {
                    EXPECT_EQ(files->Queues[0][0].SourceFile, &files->Entries[0]);
                    EXPECT_EQ(files->Queues[0][0].TargetPath, target);
                }
            }
}

TEST_F(InstallQueue, DestinationWithOrWithoutTrailingBackslash)
{
    auto files = OpenPayload(MakePayload({{"a.txt", "a"}}));
    EXPECT_TRUE(files->QueueFiles("a.txt", folder.Path(), 0, imOverwrite));
    std::string bare = folder.Path();
    bare.pop_back();
    EXPECT_TRUE(files->QueueFiles("A.TXT", bare, 0, imOverwrite));
    EXPECT_EQ(Targets(*files), (std::vector<std::string>{folder / "a.txt", folder / "a.txt"}));
}

TEST_F(InstallQueue, UnknownNameQueuesNothing)
{
    auto files = OpenPayload(MakePayload({{"a.txt", "a"}}));
    EXPECT_FALSE(files->QueueFiles("b.txt", folder.Path(), 0, imOverwrite));
    EXPECT_FALSE(files->QueueFiles("a.tx", folder.Path(), 0, imOverwrite));
    EXPECT_TRUE(files->Queues[0].empty());
}

TEST_F(InstallQueue, TwoEntriesOfOneNameQueueTheEarlier)
{
    auto files = OpenPayload(MakePayload({{"same.txt", "earlier"}, {"SAME.txt", "later"}}));
    EXPECT_TRUE(files->QueueFiles("Same.Txt", folder.Path(), 0, imOverwrite));
    ASSERT_EQ(files->Queues[0].size(), 1u);
    EXPECT_EQ(files->Queues[0][0].SourceFile, &files->Entries[0]);
    EXPECT_EQ(files->Queues[0][0].TargetPath, folder / "same.txt");
}

TEST_F(InstallQueue, FolderPrefixQueuesEveryEntryBelowItInAnyCase)
{
    auto files = OpenPayload(MakePayload({
        {"Dict\\a.dic", "a"},
        {"Dict", "not below"},
        {"Dictionary.txt", "not below"},
        {"other\\c.txt", "c"},
        {"dICT\\sub\\B.aff", "b"},
    }));
    EXPECT_TRUE(files->QueueFiles("DICT\\", folder.Path(), 0, imOverwrite));
    EXPECT_EQ(Targets(*files), (std::vector<std::string>{folder / "Dict\\a.dic", folder / "dICT\\sub\\B.aff"}));
    EXPECT_FALSE(files->QueueFiles("none\\", folder.Path(), 0, imOverwrite));
    EXPECT_EQ(files->Queues[0].size(), 2u);

    EXPECT_TRUE(files->InstallQueued());
    EXPECT_EQ(ReadFileBytes(folder / "Dict\\a.dic"), "a");
    EXPECT_EQ(ReadFileBytes(folder / "dict\\sub\\b.aff"), "b");
}

TEST_F(InstallQueue, FolderPrefixSkipsExistingUnderKeepExisting)
{
    auto files = OpenPayload(MakePayload({{"d\\a.txt", "a"}, {"d\\b.txt", "b"}}));
    ASSERT_TRUE(MakeFolder(folder / "d"));
    ASSERT_TRUE(WriteFileBytes(folder / "d\\a.txt", "kept"));
    EXPECT_TRUE(files->QueueFiles("d\\", folder.Path(), 0, imKeepExisting));
    EXPECT_EQ(Targets(*files), (std::vector<std::string>{folder / "d\\b.txt"}));
    ASSERT_TRUE(WriteFileBytes(folder / "d\\b.txt", "kept"));
    EXPECT_FALSE(files->QueueFiles("d\\", folder.Path(), 0, imKeepExisting));
}

TEST_F(InstallQueue, UpdateModeQueuesAgainAfterTheWriteTimeChanged)
{
    auto files = OpenPayload(MakePayload({{"hunspell.dll", "code"}}));
    ASSERT_TRUE(files->QueueFiles("hunspell.dll", folder.Path(), 0, imUpdateIfDifferent));
    ASSERT_TRUE(files->InstallQueued());
    EXPECT_FALSE(files->QueueFiles("hunspell.dll", folder.Path(), 0, imUpdateIfDifferent));
    ASSERT_TRUE(SetWriteTime(folder / "hunspell.dll", 2021));
    EXPECT_TRUE(files->QueueFiles("hunspell.dll", folder.Path(), 0, imUpdateIfDifferent));
}

class PublicFiles : public InstallQueue {
protected:
    void SetUp() override
    {
        const std::string common = GetSpecialFolder(CSIDL_COMMON_APPDATA);
        ASSERT_FALSE(common.empty());
        // A folder of this test's own below the public prefix; only queued, never written.
        publicDir = AppendPath(common, "Corvella\\Public\\h2test-" + std::to_string(GetCurrentProcessId()));
        ASSERT_FALSE(PathExists(publicDir));
    }
    std::string publicDir;
    std::unique_ptr<TAttachedFiles> files =
        OpenPayload(MakePayload({{"a.asc", "a"}, {"userdicnon.tlx", ""}, {"b.dic", "b"}}));
};

TEST_F(PublicFiles, RecordedWhileInstallingWithTheKeepMark)
{
    InstallingFlag = true;
    EXPECT_TRUE(files->QueueFiles("a.asc", publicDir, 0, imOverwrite));
    EXPECT_TRUE(files->QueueFiles("userdicnon.tlx", publicDir, 0, imKeepExisting));
    EXPECT_TRUE(files->QueueFiles("b.dic", publicDir, 0, imUpdateIfDifferent));
    EXPECT_TRUE(files->QueueFiles("a.asc", publicDir, 0, imOverwrite));
    EXPECT_EQ(files->PublicFiles, (std::vector<std::string>{
                                      publicDir + "\\a.asc",
                                      publicDir + "\\userdicnon.tlx\t!",
                                      publicDir + "\\b.dic",
                                      publicDir + "\\a.asc",
                                  }));
    EXPECT_EQ(files->Queues[0][1].TargetPath, publicDir + "\\userdicnon.tlx");
}

TEST_F(PublicFiles, MarkFollowsTheCallersModeUnderForceOverwrite)
{
    InstallingFlag = true;
    files->ForceOverwrite = true;
    EXPECT_TRUE(files->QueueFiles("userdicnon.tlx", publicDir, 0, imKeepExisting));
    EXPECT_EQ(files->PublicFiles, (std::vector<std::string>{publicDir + "\\userdicnon.tlx\t!"}));
}

TEST_F(PublicFiles, PrefixComparedIgnoringCase)
{
    InstallingFlag = true;
    std::string mixed = publicDir;
    CharLowerBuffA(mixed.data(), DWORD(mixed.size()));
    EXPECT_TRUE(files->QueueFiles("a.asc", mixed, 0, imOverwrite));
    EXPECT_EQ(files->PublicFiles, (std::vector<std::string>{mixed + "\\a.asc"}));
}

TEST_F(PublicFiles, NothingRecordedBeforeInstallingOrOutsideThePrefix)
{
    InstallingFlag = false;
    EXPECT_TRUE(files->QueueFiles("a.asc", publicDir, 0, imOverwrite));
    InstallingFlag = true;
    EXPECT_TRUE(files->QueueFiles("a.asc", folder.Path(), 0, imKeepExisting));
    EXPECT_TRUE(files->QueueFiles("a.asc", AppendPath(GetSpecialFolder(CSIDL_COMMON_APPDATA), "Corvella\\Publi"), 0,
                                  imOverwrite));
    EXPECT_EQ(files->Queues[0].size(), 3u);
    EXPECT_TRUE(files->PublicFiles.empty());
}

TEST_F(PublicFiles, NothingRecordedWithoutTheSharedFolder)
{
    InstallingFlag = true;
    const TFolderService saved = FolderService;
    FolderService = nullptr;
    const bool queued = files->QueueFiles("a.asc", publicDir, 0, imOverwrite);
    FolderService = saved;
    EXPECT_TRUE(queued);
    EXPECT_TRUE(files->PublicFiles.empty());
}

TEST_F(InstallQueue, EmptyQueueInstallsAsSuccess)
{
    auto files = OpenPayload(MakePayload({{"a.txt", "a"}}));
    TMessageBoxScript boxes({});
    EXPECT_TRUE(files->InstallQueued());
    EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(InstallQueue, AbortAtTheThirdItemLeavesTheFirstTwoAndWritesNoMore)
{
    auto files = OpenPayload(MakePayload({{"1.txt", "one"}, {"2.txt", "two"}, {"3.txt", "three"},
                                          {"4.txt", "four"}, {"5.txt", "five"}}));
    EXPECT_TRUE(files->QueueFiles("1.txt", folder.Path(), 0, imOverwrite));
    EXPECT_TRUE(files->QueueFiles("2.txt", folder.Path(), 0, imOverwrite));
    EXPECT_TRUE(files->QueueFiles("3.txt", folder.Path(), 0, imOverwrite));
    EXPECT_TRUE(files->QueueFiles("4.txt", folder.Path(), 0, imOverwrite));
    EXPECT_TRUE(files->QueueFiles("5.txt", folder.Path(), 0, imOverwrite));
    ASSERT_TRUE(WriteFileBytes(folder / "3.txt", "held"));
    TFileHandle held(CreateFileA((folder / "3.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    TMessageBoxScript boxes({IDABORT});
    EXPECT_FALSE(files->InstallQueued());
    EXPECT_EQ(boxes.Asked().size(), 1u);
    held.Reset();
    EXPECT_EQ(ReadFileBytes(folder / "1.txt"), "one");
    EXPECT_EQ(ReadFileBytes(folder / "2.txt"), "two");
    EXPECT_EQ(ReadFileBytes(folder / "3.txt"), "held");
    EXPECT_FALSE(PathExists(folder / "4.txt"));
    EXPECT_FALSE(PathExists(folder / "5.txt"));
}

TEST_F(InstallQueue, IgnoredItemCountsAsDone)
{
    auto files = OpenPayload(MakePayload({{"1.txt", "one"}, {"2.txt", "two"}, {"3.txt", "three"}}));
    for (const char* name : {"1.txt", "2.txt", "3.txt"}) files->QueueFiles(name, folder.Path(), 0, imOverwrite);
    ASSERT_TRUE(MakeFolder(folder / "2.txt"));
    TMessageBoxScript boxes({IDIGNORE});
    EXPECT_TRUE(files->InstallQueued());
    EXPECT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(ReadFileBytes(folder / "1.txt"), "one");
    EXPECT_EQ(ReadFileBytes(folder / "3.txt"), "three");
}

TEST_F(InstallQueue, OnlyQueueZeroExists)
{
    auto files = OpenPayload(MakePayload({{"a.txt", "a"}}));
    EXPECT_FALSE(files->QueueFiles("a.txt", folder.Path(), 1, imOverwrite));
    EXPECT_TRUE(files->Queues[0].empty());
}
