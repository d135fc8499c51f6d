// Page changes: button states, the licence, the acceptance question, the host-folder test, the
// running-host checks and the installation into the language folders.
#include "tests/wizard/WizardFixture.h"

#include "tests/support/WineHost.h"

namespace {
const std::string HostRunningText =
    "There are running instances of Corvella Word Processor on your computer.\r"
    "Please close any running instance(s) of Corvella Word Processor before proceeding.";
const std::string NotAcceptedText =
    "To install this program, you need to agree to all the terms\r"
    "of the Corvella Word Processor License Agreement.\r"
    "Do you really want to cancel the Corvella Spellchecker install?";
const std::string NotHostFolderText =
    "The specified folder does not contain a properly installed Corvella Word Processor.\r"
    "Please specify the proper home folder of Corvella Word Processor on your hard disk.";
constexpr UINT InfoOk = MB_OK | MB_ICONINFORMATION | MB_TASKMODAL;

std::string CannotCreateText(const std::string& path)
{
    return "Cannot create file \"" + path +
           "\".\rAnother application might already be using this file.\r\rPlease make sure that the setup of "
           "Corvella Word Processor is not blocked by your security software (firewall/antivirus) in any way.\rYou "
           "might want to temporarily disable your security software and try again.";
}

struct TButtonRow {
    int Page;
    bool BackVisible, BackEnabled, NextEnabled;
    const char* NextCaption;
    bool CancelEnabled;
    const char* Title;
};
constexpr TButtonRow ButtonTable[] = {
    {0, false, true, true, "&Next >", true, "Welcome to the Corvella Norwegian (Nynorsk) Spellchecker"},
    {1, true, true, true, "&Next >", true, "License Agreement"},
    {2, true, true, true, "&Next >", true, "Specify Home Folder"},
    {3, true, true, true, "&Next >", true, "Ready to Install"},
    {4, true, false, false, "&Next >", true, "Installing"},
    {5, true, false, true, "&Finish", false, "Installation Complete"},
};

void ExpectRow(const TMainDlgForm& form, const TButtonRow& row)
{
    SCOPED_TRACE("page " + std::to_string(row.Page));
    EXPECT_EQ(form.PgCtrl->ActivePageIndex(), row.Page);
    EXPECT_EQ(IsWindowVisible(form.BackBtn->Handle()) != FALSE, row.BackVisible);
    EXPECT_EQ(IsWindowEnabled(form.BackBtn->Handle()) != FALSE, row.BackEnabled);
    EXPECT_EQ(form.BackBtn->Caption(), "< &Back");
    EXPECT_EQ(IsWindowEnabled(form.NextBtn->Handle()) != FALSE, row.NextEnabled);
    EXPECT_EQ(form.NextBtn->Caption(), row.NextCaption);
    EXPECT_EQ(IsWindowEnabled(form.CancelBtn->Handle()) != FALSE, row.CancelEnabled);
    EXPECT_EQ(form.CancelBtn->Caption(), "Cancel");
    EXPECT_EQ(form.TopLbl->Caption(), row.Title);
}

std::string Read(const std::string& path) { return ReadFileBytes(path); }

// Gives a file the last-write time that the payload entry's extraction gives.
void StampLikeEntry(const std::string& path, const std::string& contents)
{
    const TAttachedFile* entry = nullptr;
    for (const TAttachedFile& e : AttachedFiles->Entries)
        if (e.FileName == "nn_NO.dic") entry = &e;
    ASSERT_TRUE(entry);
    TBoxScript noBoxes;
    ASSERT_TRUE(AttachedFiles->ExtractFile(entry, "", path));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME written{};
    GetFileTime(file, nullptr, nullptr, &written);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    DWORD done = 0;
    WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &done, nullptr);
    SetEndOfFile(file);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
}

void ExpectInstalled(const std::string& folder)
{
    for (const char* name : AddOnNames) {
        SCOPED_TRACE(folder + name);
        EXPECT_EQ(Read(folder + name), TestEntryBytes(name));
        EXPECT_EQ(FileDateOf(folder + name), TestEntryDate());
    }
}

std::vector<std::string> PublicLines(const std::string& folder)
{
    std::vector<std::string> lines;
    for (const char* name : AddOnNames)
        lines.push_back(folder + name + (std::string(name) == "userdicnon.tlx" ? "\t!" : ""));
    return lines;
}

TEST_F(TWizardTest, ButtonsFollowThePageTable)
{
    TMainDlgForm& form = MakeForm();
    ExpectRow(form, ButtonTable[0]);
    for (int page = 1; page <= 3; ++page) {
        WalkTo(page);
        ExpectRow(form, ButtonTable[page]);
    }
    EXPECT_TRUE(form.NextBtn->Focused());
    Back();
    ExpectRow(form, ButtonTable[2]);
    EXPECT_TRUE(form.DestDirEdt->Focused());
    Back();
    ExpectRow(form, ButtonTable[1]);
    EXPECT_TRUE(form.LicenseMemo->Focused());
    WalkTo(3);

    // Page 4 can only be seen while a file error box is open.
    const std::string spell = PublicFolder(ProgramData, "Spellcheck\\");
    ForceDirs(spell);
    WriteFileBytes(spell + "hunspell.dll", "old");
    THeldFile held(spell + "hunspell.dll");
    Boxes.Then([&] {
        ExpectRow(form, ButtonTable[4]);
        return IDIGNORE;
    });
    Next();
    ExpectRow(form, ButtonTable[5]);
    EXPECT_EQ(Boxes.Asked.size(), 1u);
}

TEST_F(TWizardTest, LicenceIsLoadedOnTheFirstVisitOnly)
{
    TMainDlgForm& form = MakeForm();
    Next();
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(form.LicenseMemo->Text(), TestEntryBytes("License.txt"));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
    EXPECT_EQ(TempLeftovers(), 0);

    form.LicenseMemo->SetText("kept");
    Back();
    TRunningHost host;  // not looked for again
    Next();
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(form.LicenseMemo->Text(), "kept");
    EXPECT_TRUE(Boxes.Asked.empty());
}

TEST_F(TWizardTest, RunningHostBlocksLicenceAndInstallation)
{
    TMainDlgForm& form = MakeForm();
    {
        TRunningHost host;
        Next();
        EXPECT_EQ(Page(), 0);
        EXPECT_TRUE(form.LicenseMemo->Text().empty());
    }
    WalkTo(3);
    {
        TRunningHost host;
        Next();
        EXPECT_EQ(Page(), 3);
        EXPECT_FALSE(InstallStarted);
    }
    ASSERT_EQ(Boxes.Asked.size(), 2u);
    for (const TAskedBox& box : Boxes.Asked) {
        EXPECT_EQ(box.Text, HostRunningText);
        EXPECT_EQ(box.Style, InfoOk);
    }
    Next();
    EXPECT_EQ(Page(), 5);
}

// The licence's temporary name taken by a folder: the extraction fails and the user decides.
struct TLicenceFailureCase {
    const char* name;
    int answer;
    int modalResult;
};
void PrintTo(const TLicenceFailureCase& c, std::ostream* os) { *os << c.name; }

class LicenceFailureTest : public TWizardTest, public testing::WithParamInterface<TLicenceFailureCase> {};

TEST_P(LicenceFailureTest, AbortClosesIgnoreShowsAnEmptyPage)
{
    TMainDlgForm& form = MakeForm();
    const std::string blocked = NewTempFileName();
    ASSERT_TRUE(MakeFolder(blocked));
    Boxes.Then(GetParam().answer);

    Next();
    RemoveDirectoryA(blocked.c_str());

    ASSERT_EQ(Boxes.Asked.size(), 1u);
    EXPECT_EQ(Boxes.Asked[0].Text, CannotCreateText(blocked));
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(IsWindowEnabled(form.NextBtn->Handle()));
    EXPECT_TRUE(form.LicenseMemo->Text().empty());
    EXPECT_EQ(form.ModalResult(), GetParam().modalResult);
    EXPECT_EQ(form.CloseAllowed, GetParam().modalResult == mrCancel);
    if (GetParam().modalResult == mrNone) {
        Back();
        Next();
        EXPECT_FALSE(form.LicenseMemo->Text().empty()) << "the next visit tries again";
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, LicenceFailureTest,
                         testing::Values(TLicenceFailureCase{"Abort", IDABORT, mrCancel},
                                         TLicenceFailureCase{"Ignore", IDIGNORE, mrNone}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TWizardTest, DecliningTheLicenceAsksWhenLeavingForward)
{
    TMainDlgForm& form = MakeForm();
    WalkTo(1);
    form.LicenseChkBx->SetChecked(false);
    Back();
    Next();
    EXPECT_TRUE(Boxes.Asked.empty()) << "Back and the way into page 1 do not ask";

    Boxes.Then(IDNO).Then(IDYES);
    Next();
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(form.ModalResult(), mrNone);
    Next();
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(form.ModalResult(), mrCancel);
    EXPECT_TRUE(form.CloseAllowed);
    ASSERT_EQ(Boxes.Asked.size(), 2u);
    EXPECT_EQ(Boxes.Asked[0].Text, NotAcceptedText);
    EXPECT_EQ(Boxes.Asked[0].Style, UINT(MB_YESNO | MB_ICONINFORMATION | MB_TASKMODAL));
}

TEST_F(TWizardTest, BackFromTheReadyPageIgnoresTheLicenceBox)
{
    TMainDlgForm& form = MakeForm();
    WalkTo(3);
    form.LicenseChkBx->SetChecked(false);
    Back();
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(Boxes.Asked.empty());
}

struct THostFolderCase {
    const char* name;
    const char* typed;  // {ROOT} and {HOST} as in the fixture
    bool accepted;
    const char* tidied;
};
void PrintTo(const THostFolderCase& c, std::ostream* os) { *os << c.name; }

class HostFolderTest : public TWizardTest, public testing::WithParamInterface<THostFolderCase> {
protected:
    std::string Expand(std::string text) const
    {
        for (const auto& [token, value] : {std::pair<std::string, std::string>{"{ROOT}", Root.Path()},
                                           {"{HOST}", Host.substr(0, Host.size() - 1)}})
            for (size_t at; (at = text.find(token)) != std::string::npos;) text.replace(at, token.size(), value);
        return text;
    }
};

TEST_P(HostFolderTest, NeedsAFileNamedCwpExe)
{
    const THostFolderCase& c = GetParam();
    MakeFolder(Root / "Empty");
    MakeFolder(Root / "FolderHost");
    MakeFolder(Root / "FolderHost\\cwp.exe");
    TMainDlgForm& form = MakeForm();
    const std::string startDir = form.Options.HomeDir;
    WalkTo(2);
    form.DestDirEdt->SetText(Expand(c.typed));

    Next();

    EXPECT_EQ(form.DestDirEdt->Text(), Expand(c.tidied));
    if (c.accepted) {
        EXPECT_EQ(Page(), 3);
        EXPECT_EQ(form.Options.HomeDir, Expand(c.tidied));
        EXPECT_TRUE(Boxes.Asked.empty());
    } else {
        EXPECT_EQ(Page(), 2);
        EXPECT_EQ(form.Options.HomeDir, startDir);
        ASSERT_EQ(Boxes.Asked.size(), 1u);
        EXPECT_EQ(Boxes.Asked[0].Text, NotHostFolderText);
        EXPECT_EQ(Boxes.Asked[0].Style, InfoOk);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostFolderTest,
    testing::Values(THostFolderCase{"NoHost", "{ROOT}Empty", false, "{ROOT}Empty"},
                    THostFolderCase{"CwpExeIsAFolder", "{ROOT}FolderHost", false, "{ROOT}FolderHost"},
                    THostFolderCase{"SpacesAndBackslashTidied", "  {HOST}\\  ", true, "{HOST}"}),
    [](const auto& info) { return std::string(info.param.name); });

// Which language folders receive the files on a fixed drive, decided before anything is written.
struct TTargetCase {
    const char* name;
    bool spellExists, orthoExists;
    bool intoSpell, intoOrtho;
};
void PrintTo(const TTargetCase& c, std::ostream* os) { *os << c.name; }

class InstallTargetTest : public TWizardTest, public testing::WithParamInterface<TTargetCase> {};

TEST_P(InstallTargetTest, WritesTheSevenFilesIntoTheChosenFolders)
{
    const TTargetCase& c = GetParam();
    const std::string spell = PublicFolder(ProgramData, "Spellcheck\\");
    const std::string ortho = PublicFolder(ProgramData, "Orthographe\\");
    if (c.spellExists) ForceDirs(spell);
    if (c.orthoExists) ForceDirs(ortho);
    MakeForm();
    WalkTo(3);

    Next();

    EXPECT_EQ(Page(), 5);
    EXPECT_TRUE(Boxes.Asked.empty());
    EXPECT_TRUE(InstallStarted);
    EXPECT_TRUE(InstallingFlag);
    EXPECT_TRUE(AttachedFiles->ForceOverwrite);
    std::vector<std::string> expected;
    for (const auto& [into, folder] : {std::pair{c.intoSpell, spell}, std::pair{c.intoOrtho, ortho}}) {
        if (into) {
            ExpectInstalled(folder);
            for (const std::string& line : PublicLines(folder)) expected.push_back(line);
        } else {
            EXPECT_FALSE(PathExists(folder)) << folder;
        }
    }
    EXPECT_EQ(AttachedFiles->PublicFiles, expected) << "queued in order, first folder first";
}

INSTANTIATE_TEST_SUITE_P(Cases, InstallTargetTest,
                         testing::Values(TTargetCase{"NeitherCreatesSpellcheck", false, false, true, false},
                                         TTargetCase{"OnlyOrthographe", false, true, false, true},
                                         TTargetCase{"OnlySpellcheck", true, false, true, false},
                                         TTargetCase{"BothInOrder", true, true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TWizardTest, InstallsIntoTheSystemsSharedDataFolder)
{
    UseSystemFolders();
    const std::string spell = "C:\\ProgramData\\Corvella\\Public\\Spellcheck\\";
    const bool existed = DirExists("C:\\ProgramData\\Corvella");
    MakeForm();
    WalkTo(3);

    Next();

    EXPECT_EQ(Page(), 5);
    ExpectInstalled(spell);
    if (!existed) DeleteTree("C:\\ProgramData\\Corvella");
}

TEST_F(TWizardTest, WithoutAnyDataFolderNothingIsWrittenBesideTheCurrentFolder)
{
    TMainDlgForm& form = MakeForm();
    WalkTo(3);
    ForgetDataFolders();
    const std::string current = CurrentDir();
    SetCurrentDirectoryA(Root.Path().c_str());

    Next();
    SetCurrentDirectoryA(current.c_str());

    EXPECT_EQ(form.ModalResult(), mrCancel);
    EXPECT_TRUE(form.CloseAllowed);
    EXPECT_TRUE(InstallStarted) << "the settings are still saved after the run";
    EXPECT_TRUE(AttachedFiles->Queues[0].empty());
    EXPECT_FALSE(PathExists(Root / "Corvella"));
}

TEST_F(TWizardTest, PortableHostKeepsItsOwnFiles)
{
    TTestDrive stick(DRIVE_REMOVABLE);
    ASSERT_TRUE(stick.Defined());
    const std::string home = stick.Root() + "Host\\";
    const std::string spell = home + "Spellcheck\\";
    ASSERT_TRUE(MakeFolder(home) && MakeFolder(spell) && PlaceHost(home));
    WriteFileBytes(spell + "userdicnon.tlx", "my own words");
    WriteFileBytes(spell + "nn_NO.aff", "older affixes");
    StampLikeEntry(spell + "nn_NO.dic", "same stamp, other bytes");
    ForceDirs(ProgramData + "Corvella\\Hidden\\");
    TMainDlgForm& form = MakeForm();
    WalkTo(2);
    form.DestDirEdt->SetText(home);
    Next();
    ASSERT_EQ(Page(), 3);
    ASSERT_TRUE(form.IsPortable());

    Next();
    ASSERT_EQ(Page(), 5);
    EXPECT_FALSE(AttachedFiles->ForceOverwrite);
    EXPECT_EQ(Read(spell + "userdicnon.tlx"), "my own words");
    EXPECT_EQ(Read(spell + "nn_NO.dic"), "same stamp, other bytes");
    EXPECT_EQ(Read(spell + "nn_NO.aff"), TestEntryBytes("nn_NO.aff"));
    EXPECT_EQ(Read(spell + "hunspell.dll"), TestEntryBytes("hunspell.dll"));
    EXPECT_FALSE(PathExists(home + "Orthographe"));
    EXPECT_TRUE(AttachedFiles->PublicFiles.empty());

    Next();
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_FALSE(PathExists(ProgramData + "Corvella\\Hidden\\install_stamp"));
    EXPECT_FALSE(PathExists(ProgramData + "Corvella\\Update.log"));
    EXPECT_TRUE(HostStarted(home, 5000));
    std::string mainDir;
    EXPECT_TRUE(ReadSetting("MAINDIR", mainDir));
    EXPECT_EQ(mainDir, home.substr(0, home.size() - 1) + '\0');
}

// A target held open without sharing during the installation.
struct THeldTargetCase {
    const char* name;
    int answer;
    bool releaseFirst;
    int page;
    bool laterFilesWritten;
    bool targetWritten;
};
void PrintTo(const THeldTargetCase& c, std::ostream* os) { *os << c.name; }

class HeldTargetTest : public TWizardTest, public testing::WithParamInterface<THeldTargetCase> {};

TEST_P(HeldTargetTest, TheUserSettlesIt)
{
    const THeldTargetCase& c = GetParam();
    const std::string spell = PublicFolder(ProgramData, "Spellcheck\\");
    ForceDirs(spell);
    WriteFileBytes(spell + "hunspell.dll", "old");
    THeldFile held(spell + "hunspell.dll");
    TMainDlgForm& form = MakeForm();
    WalkTo(3);
    Boxes.Then([&] {
        if (c.releaseFirst) held.Release();
        return c.answer;
    });

    Next();
    held.Release();

    ASSERT_EQ(Boxes.Asked.size(), 1u);
    EXPECT_EQ(Boxes.Asked[0].Text, CannotCreateText(spell + "hunspell.dll"));
    EXPECT_EQ(Page(), c.page);
    EXPECT_TRUE(InstallStarted);
    EXPECT_EQ(form.ModalResult(), c.page == 4 ? mrCancel : mrNone);
    EXPECT_EQ(form.CloseAllowed, c.page == 4);
    EXPECT_EQ(Read(spell + "Norwegian (Nynorsk).asc"), TestEntryBytes("Norwegian (Nynorsk).asc"));
    EXPECT_EQ(Read(spell + "hunspell.dll"), c.targetWritten ? TestEntryBytes("hunspell.dll") : "old");
    EXPECT_EQ(PathExists(spell + "nn_NO.dic"), c.laterFilesWritten);
    EXPECT_FALSE(PathExists(ProgramData + "Corvella\\Update.log"));
}

INSTANTIATE_TEST_SUITE_P(Answers, HeldTargetTest,
                         testing::Values(THeldTargetCase{"AbortClosesAtOnce", IDABORT, false, 4, false, false},
                                         THeldTargetCase{"RetryAfterRelease", IDRETRY, true, 5, true, true},
                                         THeldTargetCase{"IgnoreKeepsTheOldFile", IDIGNORE, false, 5, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
