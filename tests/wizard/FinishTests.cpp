// Finish: the install stamp, the update log, the start of the host and the two settings values.
#include "tests/wizard/WizardFixture.h"

#include <cstdio>
#include <cstring>

#include "wizard/CompletionRecords.h"

namespace {
std::string HexOf(TDateTime stamp)
{
    unsigned char bytes[8];
    std::memcpy(bytes, &stamp, 8);
    std::string hex;
    for (unsigned char b : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    return hex;
}

class FinishTest : public TWizardTest {
protected:
    std::string Spell() const { return PublicFolder(ProgramData, "Spellcheck\\"); }
    std::string Log() const { return ProgramData + "Corvella\\Update.log"; }
    std::string Stamp() const { return ProgramData + "Corvella\\Hidden\\install_stamp"; }

    TMainDlgForm& ReachFinishPage()
    {
        TMainDlgForm& form = MakeForm();
        WalkTo(3);
        Next();
        EXPECT_EQ(Page(), 5);
        return form;
    }

    // The group that this installation adds, sorted as the host expects.
    std::string NewGroup(TDateTime stamp) const
    {
        std::string text = "*" + HexOf(stamp) + "\r\n";
        for (const char* name : {"hunspell.dll", "nn_NO.aff", "nn_NO.dic", "Norwegian (Bokmal).thes",
                                 "Norwegian (Nynorsk).asc", "Norwegian (Nynorsk).hyph", "userdicnon.tlx\t!"})
            text += Spell() + name + "\r\n";
        return text;
    }
};

class StampFileTest : public FinishTest, public testing::WithParamInterface<bool> {};

TEST_P(StampFileTest, IsWrittenOnlyWhereItsFolderExists)
{
    const bool hidden = GetParam();
    if (hidden) ForceDirs(ProgramData + "Corvella\\Hidden\\");
    TMainDlgForm& form = ReachFinishPage();

    Next();

    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_TRUE(form.CloseAllowed);
    if (!hidden) {
        EXPECT_FALSE(PathExists(ProgramData + "Corvella\\Hidden")) << "the folder is never created";
        return;
    }
    const std::string bytes = ReadFileBytes(Stamp());
    ASSERT_EQ(bytes.size(), 8u);
    TDateTime stamp = 0;
    std::memcpy(&stamp, bytes.data(), 8);
    EXPECT_EQ(stamp, form.InstallStamp);
    EXPECT_NEAR(stamp, Now(), 1.0 / (24 * 60)) << "local now, within a minute";
}

INSTANTIATE_TEST_SUITE_P(HiddenFolder, StampFileTest, testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Present" : "Missing"); });

struct TLogCase {
    const char* name;
    const char* oldLog;      // nullptr: no log yet; {SPELL} is the Spellcheck folder
    const char* keptOfOld;   // what stays of the old log before the new group
};
void PrintTo(const TLogCase& c, std::ostream* os) { *os << c.name; }

class UpdateLogTest : public FinishTest, public testing::WithParamInterface<TLogCase> {
protected:
    std::string Expand(std::string text) const
    {
        for (size_t at; (at = text.find("{SPELL}")) != std::string::npos;) text.replace(at, 7, Spell());
        return text;
    }
};

TEST_P(UpdateLogTest, GetsTheNewGroupLast)
{
    if (GetParam().oldLog) {
        ForceDirs(ProgramData + "Corvella\\");
        WriteFileBytes(Log(), Expand(GetParam().oldLog));
    }
    TMainDlgForm& form = ReachFinishPage();

    Next();

    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_EQ(ReadFileBytes(Log()), Expand(GetParam().keptOfOld) + NewGroup(form.InstallStamp));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateLogTest,
    testing::Values(
        TLogCase{"NoLogYet", nullptr, ""},
        TLogCase{"OlderGroupLosesWhatTheNewOneTakes",
                 "*0000000000000040\r\n{SPELL}NN_NO.DIC\r\n{SPELL}userdicnon.tlx\r\n\r\nC:\\Other\\file.txt",
                 "*0000000000000040\r\n{SPELL}userdicnon.tlx\r\nC:\\Other\\file.txt\r\n"},
        TLogCase{"EmptiedLastGroupLosesItsStamp", "*0000000000000040\r\nC:\\Other\\file.txt\n*00000000000000C0\r{SPELL}hunspell.dll\r\n",
                 "*0000000000000040\r\nC:\\Other\\file.txt\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FinishTest, HeldLogKeepsTheWizardOnTheFinishPage)
{
    ForceDirs(ProgramData + "Corvella\\");
    const std::string oldLog = "*0000000000000040\r\nC:\\Other\\file.txt\r\n";
    WriteFileBytes(Log(), oldLog);
    TMainDlgForm& form = ReachFinishPage();
    THeldFile held(Log());
    ASSERT_TRUE(held.Held());

    Next();

    EXPECT_EQ(Page(), 5);
    EXPECT_EQ(form.ModalResult(), mrNone);
    EXPECT_FALSE(form.CloseAllowed);
    EXPECT_TRUE(Boxes.Asked.empty()) << "the failure is silent";
    held.Release();
    EXPECT_EQ(ReadFileBytes(Log()), oldLog);
    std::string value;
    EXPECT_FALSE(ReadSetting("MAINDIR", value));
    EXPECT_FALSE(ReadSetting("LAUNCH", value));
    EXPECT_FALSE(HostStarted(Host, 1500));

    Next();

    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_EQ(ReadFileBytes(Log()), oldLog + NewGroup(form.InstallStamp));
    EXPECT_TRUE(HostStarted(Host, 5000));
}

class LaunchTest : public FinishTest, public testing::WithParamInterface<bool> {};

TEST_P(LaunchTest, BoxDecidesTheStartAndTheStoredValues)
{
    const bool ticked = GetParam();
    TMainDlgForm& form = ReachFinishPage();
    form.FinishChkBx->SetChecked(ticked);

    Next();

    EXPECT_EQ(form.ModalResult(), mrOk);
    std::string mainDir, launch;
    ASSERT_TRUE(ReadSetting("MAINDIR", mainDir));
    EXPECT_EQ(mainDir, Host.substr(0, Host.size() - 1) + '\0');
    ASSERT_TRUE(ReadSetting("LAUNCH", launch));
    EXPECT_EQ(launch, std::string(ticked ? "\1\0\0\0" : "\0\0\0\0", 4));
    ASSERT_EQ(HostStarted(Host, ticked ? 5000 : 1500), ticked);
    if (ticked) {
        EXPECT_EQ(ReadFileBytes(Host + "started.txt"), "\"" + Host + "cwp.exe\"");
    }
}

INSTANTIATE_TEST_SUITE_P(LaunchBox, LaunchTest, testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Ticked" : "Cleared"); });

TEST_F(FinishTest, StampFileIsNeverLeftShort)
{
    ForceDirs(ProgramData + "Corvella\\Hidden\\");
    WriteFileBytes(Stamp(), "12345678");
    TMainDlgForm& form = ReachFinishPage();
    THeldFile held(Stamp());

    Next();
    held.Release();

    EXPECT_EQ(form.ModalResult(), mrOk) << "the stamp is written without a check";
    EXPECT_EQ(ReadFileBytes(Stamp()), "12345678");
    EXPECT_TRUE(PathExists(Log())) << "and the finish went on";
}

TEST_F(FinishTest, ReplacingAFileLeavesTheOldOneOrTheNewOne)
{
    const std::string path = Root / "records.txt";
    WriteFileBytes(path, "old contents");
    {
        THeldFile held(path);
        EXPECT_FALSE(ReplaceFileContents(path, "new"));
    }
    EXPECT_EQ(ReadFileBytes(path), "old contents");
    EXPECT_TRUE(ReplaceFileContents(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_FALSE(ReplaceFileContents(Root / "missing\\records.txt", "new"));

    WIN32_FIND_DATAA entry;
    int files = 0;
    HANDLE find = FindFirstFileA((Root / "*").c_str(), &entry);
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}
}  // namespace
