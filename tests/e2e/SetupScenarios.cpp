// The real setup exe under Wine, driven through its window from outside: whole installs and their
// records, the close protocol, the page checks, file errors and a damaged payload. Each scenario
// starts from no settings key, no shared Corvella data folder and no running host, and leaves the
// same behind. Screenshots of the pages reached go to shots\ beside this program.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "tests/e2e/Driver.h"
#include "tests/e2e/DriverScript.h"
#include "tests/e2e/SetupRun.h"
#include "tests/support/TestFolder.h"
#include "tests/support/WineHost.h"
#include "utils/Types.h"

namespace {

const char CloseQuestionText[] =
    "Setup is not complete. If you quit this setup program now,\\rthe Corvella Norwegian (Nynorsk) Spellchecker will "
    "not be correctly installed.\\r\\rYou may relaunch the setup program at a later time\\rto complete the "
    "installation of the Corvella Norwegian (Nynorsk) Spellchecker.\\r\\rTo continue installing, click No.\\rTo quit "
    "this setup program, click Yes.";
const char HostRunning[] =
    "There are running instances of Corvella Word Processor on your computer.\\rPlease close any running "
    "instance(s) of Corvella Word Processor before proceeding.";
const char LicenceDeclined[] =
    "To install this program, you need to agree to all the terms\\rof the Corvella Word Processor License "
    "Agreement.\\rDo you really want to cancel the Corvella Spellchecker install?";
const char NotAHostFolder[] =
    "The specified folder does not contain a properly installed Corvella Word Processor.\\rPlease specify the "
    "proper home folder of Corvella Word Processor on your hard disk.";

// The seven files as the update log lists them: sorted ignoring case, the kept one marked.
const std::vector<std::string> LoggedNames = {
    "hunspell.dll", "nn_NO.aff", "nn_NO.dic", "Norwegian (Bokmal).thes", "Norwegian (Nynorsk).asc",
    "Norwegian (Nynorsk).hyph", "userdicnon.tlx\t!",
};

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string WithoutBackslash(std::string path)
{
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// Opens a file without sharing, as another program holding it would.
class THeldFile {
public:
    explicit THeldFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~THeldFile() { Release(); }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Held()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

class SetupScenario : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QuitHosts());
        RemoveTestTree(WithoutBackslash(data));
        DeleteSettings();
        payload = PayloadOf(SetupExe());
        ASSERT_EQ(payload.size(), 10u) << "payload of " << SetupExe();
        ASSERT_TRUE(MakeFolder(home));
        ASSERT_TRUE(CopyFileA(HostExe().c_str(), (home + "\\cwp.exe").c_str(), FALSE));
        SetEnvironmentVariableA("CWP_MARKER_FILE", marker.c_str());
        CreateDirectoryA((ScenarioFolder() + "shots").c_str(), nullptr);
        driver.SetTimeout(ScaledTimeout(15000));
    }

    void TearDown() override
    {
        driver.Terminate();
        QuitHosts();
        SetEnvironmentVariableA("CWP_MARKER_FILE", nullptr);
        RemoveTestTree(WithoutBackslash(data));
        DeleteSettings();
    }

    std::string ShotPrefix() const
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/' || c == '\\') c = '_';
        return ScenarioFolder() + "shots\\" + name + "-";
    }

    // Runs driver script lines; $SHOT, $HOME, $PF and $DATA stand for the screenshot prefix, the
    // host's folder, the program files folder and the shared Corvella data folder.
    testing::AssertionResult Script(const std::string& script)
    {
        std::string text = Replace(script, "$SHOT", ShotPrefix());
        text = Replace(text, "$HOME", home);
        text = Replace(text, "$PF", SpecialFolder(CSIDL_PROGRAM_FILES));
        text = Replace(text, "$DATA", data);
        TDriverScript runner(driver);
        if (runner.Run(text)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << runner.Error();
    }

    bool Start(const std::string& arguments = "") { return driver.Start(SetupExe(), arguments); }

    // From the welcome page to the ready page with the host's folder typed in.
    static constexpr char ToReadyPage[] =
        "window\n"
        "shot '$SHOT0.png'\n"
        "click NextBtn\n"
        "text TopLbl \"License Agreement\"\n"
        "contains LicenseMemo \"LICENCE AGREEMENT\"\n"
        "shot '$SHOT1.png'\n"
        "click NextBtn\n"
        "text TopLbl \"Specify Home Folder\"\n"
        "settext DestDirEdt '$HOME'\n"
        "shot '$SHOT2.png'\n"
        "click NextBtn\n"
        "text TopLbl \"Ready to Install\"\n"
        "shot '$SHOT3.png'\n";
    static constexpr char InstallToFinishPage[] =
        "click NextBtn\n"
        "text TopLbl \"Installation Complete\"\n"
        "text NextBtn \"&Finish\"\n"
        "enabled CancelBtn 0\n"
        "visible BackBtn 1\n"
        "enabled BackBtn 0\n"
        "shot '$SHOT5.png'\n";

    void ExpectInstalledIn(const std::string& folder)
    {
        for (const auto& name : AddOnFiles) {
            const auto& entry = payload.at(name);
            bool read = false;
            EXPECT_TRUE(ReadFileBytes(folder + name, &read) == entry.Bytes && read) << folder << name;
            EXPECT_TRUE(LastWriteOf(folder + name) == FileTimeOfStamp(entry.Stamp)) << folder << name;
        }
    }

    // The log's text: `before` lines, then one new group of the files in `folders`. Returns the
    // new group's stamp.
    TDateTime ExpectLog(const std::vector<std::string>& before, const std::vector<std::string>& folders)
    {
        bool ok = false, crlf = false;
        const std::vector<std::string> lines = SplitCrLfLines(ReadFileBytes(data + "Update.log", &ok), crlf);
        EXPECT_TRUE(ok && crlf);
        std::vector<std::string> expected = before;
        expected.push_back("<stamp>");
        for (const auto& folder : folders)
            for (const auto& name : LoggedNames) expected.push_back(folder + name);
        TDateTime stamp = 0;
        std::vector<std::string> seen = lines;
        if (seen.size() > before.size() && ParseStampLine(seen[before.size()], stamp)) seen[before.size()] = "<stamp>";
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(StampLine(stamp), lines.size() > before.size() ? lines[before.size()] : "");
        return stamp;
    }

    std::string HostStarts()
    {
        std::string starts;
        WaitUntil([&] { return !(starts = ReadFileBytes(marker)).empty(); }, DWORD(ScaledTimeout(5000)));
        return starts;
    }
    // The start record of the host started by Finish, without the current-folder part.
    std::string HostCommandLine()
    {
        const std::string starts = HostStarts();
        const size_t tab = starts.find('\t');
        return tab == std::string::npos ? starts : starts.substr(tab + 1);
    }

    TTestFolder folder;
    std::string home = folder.Path() + "Corvella Home";
    std::string marker = folder / "cwp-started.txt";
    std::string data = CorvellaDataFolder();
    std::map<std::string, TPayloadEntry> payload;
    TDriver driver{SetupTitle};
};

// --- whole installs on a fixed drive -------------------------------------------------------------

struct TFixedCase {
    const char* Name;
    bool Hidden;       // "Corvella\Hidden" exists
    bool Spellcheck;   // the language folders that exist before
    bool Orthographe;
    std::vector<const char*> Receivers;
};

class FixedDriveInstall : public SetupScenario, public testing::WithParamInterface<TFixedCase> {};

TEST_P(FixedDriveInstall, InstallsRecordsAndStartsTheHost)
{
    const TFixedCase& c = GetParam();
    MakeFolder(WithoutBackslash(data));
    if (c.Hidden) {
        ASSERT_TRUE(MakeFolder(data + "Hidden"));
    }
    if (c.Spellcheck || c.Orthographe) {
        ASSERT_TRUE(MakeFolder(data + "Public"));
    }
    if (c.Spellcheck) {
        ASSERT_TRUE(MakeFolder(data + "Public\\Spellcheck"));
    }
    if (c.Orthographe) {
        ASSERT_TRUE(MakeFolder(data + "Public\\Orthographe"));
    }

    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script("window\n"
                       "caption \"Corvella Norwegian (Nynorsk) Spellchecker - Setup\"\n"
                       "text TopLbl \"Welcome to the Corvella Norwegian (Nynorsk) Spellchecker\"\n"
                       "contains WelcomeLbl \"install the Norwegian (Nynorsk) Spellchecker\\r\"\n"
                       "visible BackBtn 0\n"
                       "text NextBtn \"&Next >\"\n"
                       "enabled CancelBtn 1\n"
                       "text DestDirEdt '$PF\\Corvella'\n"
                       "checked FinishChkBx 1\n"));
    ASSERT_TRUE(Script(ToReadyPage));
    ASSERT_TRUE(Script(InstallToFinishPage));
    ASSERT_TRUE(Script("checked FinishChkBx 1\nclick NextBtn\nexit 0"));

    std::vector<std::string> receivers;
    for (const char* sub : c.Receivers) receivers.push_back(data + "Public\\" + sub + "\\");
    for (const auto& receiver : receivers) ExpectInstalledIn(receiver);
    if (c.Receivers.size() == 1) {
        EXPECT_FALSE(PathExists(data + "Public\\" + (c.Receivers[0] == std::string("Spellcheck") ? "Orthographe" : "Spellcheck")));
    }

    std::vector<std::string> logged = receivers;
    std::sort(logged.begin(), logged.end());  // "Orthographe" before "Spellcheck"
    const TDateTime stamp = ExpectLog({}, logged);
    EXPECT_NEAR(stamp, LocalNow(), 1.0 / 1440) << "within a minute of now";
    bool read = false;
    const std::string stampFile = ReadFileBytes(data + "Hidden\\install_stamp", &read);
    if (c.Hidden) {
        ASSERT_EQ(stampFile.size(), 8u);
        EXPECT_EQ(std::memcmp(stampFile.data(), &stamp, 8), 0) << "the stamp file and the log's stamp line agree";
    } else {
        EXPECT_FALSE(read || PathExists(data + "Hidden"));
    }

    const TSettings settings = ReadSettings();
    EXPECT_TRUE(settings.HasMainDir && settings.MainDir == home) << settings.MainDir;
    EXPECT_TRUE(settings.HasLaunch && settings.Launch == 1);
    EXPECT_EQ(HostCommandLine(), "\"" + home + "\\cwp.exe\"\r\n");
    ASSERT_TRUE(QuitHosts());

    // The host finds what was installed and spell-checks Nynorsk with it.
    const std::string report = folder / "spell.txt";
    ASSERT_EQ(RunAndWait(home + "\\cwp.exe", "--spell \"" + report + "\" ordbok ordbk", DWORD(ScaledTimeout(60000))), 0);
    const std::string said = ReadFileBytes(report);
    EXPECT_NE(said.find("language folder: " + receivers.front() + "\r\n"), std::string::npos) << said;
    EXPECT_NE(said.find("ordbok: correct\r\n"), std::string::npos) << said;
    const size_t wrong = said.find("ordbk: wrong; suggestions: ");
    ASSERT_NE(wrong, std::string::npos) << said;
    EXPECT_NE(said.substr(wrong, said.find("\r\n", wrong) - wrong).find(" ordbok"), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(
    LanguageFolders, FixedDriveInstall,
    testing::Values(TFixedCase{"NoneWithHidden", true, false, false, {"Spellcheck"}},
                    TFixedCase{"NoneWithoutHidden", false, false, false, {"Spellcheck"}},
                    TFixedCase{"OnlyOrthographe", true, false, true, {"Orthographe"}},
                    TFixedCase{"Both", true, true, true, {"Spellcheck", "Orthographe"}}),
    [](const testing::TestParamInfo<TFixedCase>& info) { return std::string(info.param.Name); });

TEST_F(SetupScenario, SecondInstallTakesItsLinesFromOlderGroups)
{
    const std::string spell = data + "Public\\Spellcheck\\";
    const std::string older = StampLine(45000.5);
    MakeFolder(WithoutBackslash(data));
    ASSERT_TRUE(MakeFolder(data + "Hidden"));
    // An older group with a line of another program, one of ours in other letter case (taken over)
    // and the kept file without its mark (a different line: it stays).
    std::string upper = spell + "nn_NO.dic";
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    ASSERT_TRUE(WriteFileBytes(data + "Update.log", older + "\r\nC:\\Other\\file.txt\r\n" + upper + "\r\n\r\n" + spell +
                                                        "userdicnon.tlx\r\n"));
    const std::vector<std::string> kept = {older, "C:\\Other\\file.txt", spell + "userdicnon.tlx"};

    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script(std::string(ToReadyPage) + InstallToFinishPage + "tick FinishChkBx 0\nclick NextBtn\nexit 0"));
    const TDateTime first = ExpectLog(kept, {spell});

    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script("window\ntext DestDirEdt '$HOME'\nchecked FinishChkBx 0\n" + std::string(ToReadyPage) +
                       InstallToFinishPage + "click NextBtn\nexit 0"));
    // The first install's group lost every line to the second and, left empty at the end, its stamp.
    const TDateTime second = ExpectLog(kept, {spell});
    EXPECT_GT(second, first);
    EXPECT_EQ(ReadFileBytes(data + "Hidden\\install_stamp"), std::string(reinterpret_cast<const char*>(&second), 8));
    EXPECT_EQ(ReadSettings().Launch, 0u);
    EXPECT_EQ(HostStarts(), "") << "the launch box was cleared";
}

// --- a portable host -----------------------------------------------------------------------------

TEST_F(SetupScenario, PortableHostGetsTheFilesInItsHomeFolderAndNoRecords)
{
    TTestDrive stick(DRIVE_REMOVABLE);
    ASSERT_TRUE(stick.Defined());
    const std::string portableHome = stick.Root() + "Host";
    const std::string spell = portableHome + "\\Spellcheck\\";
    ASSERT_TRUE(MakeFolder(portableHome) && MakeFolder(WithoutBackslash(spell)));
    ASSERT_TRUE(CopyFileA(HostExe().c_str(), (portableHome + "\\cwp.exe").c_str(), FALSE));
    // userdicnon.tlx holds the user's words; a file already carrying its entry's stamp is current.
    struct {
        const char* Name;
        bool EntryStamp;
        bool Rewritten;
    } before[] = {
        {"userdicnon.tlx", false, false},
        {"nn_NO.dic", true, false},
        {"nn_NO.aff", false, true},
        {"Norwegian (Nynorsk).asc", true, true},  // always overwritten
    };
    const FILETIME oldTime = FileTimeOfStamp(40000.0);
    for (const auto& b : before) {
        ASSERT_TRUE(WriteFileBytes(spell + b.Name, std::string("earlier ") + b.Name));
        ASSERT_TRUE(SetLastWrite(spell + b.Name, b.EntryStamp ? FileTimeOfStamp(payload.at(b.Name).Stamp) : oldTime));
    }
    MakeFolder(WithoutBackslash(data));
    ASSERT_TRUE(MakeFolder(data + "Hidden"));
    ASSERT_TRUE(WriteFileBytes(data + "Update.log", "*0000000010F9E540\r\nC:\\x\r\n"));

    home = portableHome;
    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script(std::string(ToReadyPage) + InstallToFinishPage + "click NextBtn\nexit 0"));

    for (const auto& name : AddOnFiles) {
        const auto b = std::find_if(std::begin(before), std::end(before), [&](const auto& x) { return name == x.Name; });
        const bool kept = b != std::end(before) && !b->Rewritten;
        if (kept) {
            EXPECT_EQ(ReadFileBytes(spell + name), "earlier " + name) << name;
            EXPECT_TRUE(LastWriteOf(spell + name) == (b->EntryStamp ? FileTimeOfStamp(payload.at(name).Stamp) : oldTime))
                << name;
        } else {
            EXPECT_EQ(ReadFileBytes(spell + name), payload.at(name).Bytes) << name;
            EXPECT_TRUE(LastWriteOf(spell + name) == FileTimeOfStamp(payload.at(name).Stamp)) << name;
        }
    }
    EXPECT_FALSE(PathExists(portableHome + "\\Orthographe"));
    EXPECT_FALSE(PathExists(data + "Public"));
    EXPECT_FALSE(PathExists(data + "Hidden\\install_stamp"));
    EXPECT_EQ(ReadFileBytes(data + "Update.log"), "*0000000010F9E540\r\nC:\\x\r\n");
    EXPECT_EQ(HostCommandLine(), "\"" + portableHome + "\\cwp.exe\"\r\n");
    EXPECT_EQ(ReadSettings().MainDir, portableHome);
    ASSERT_TRUE(QuitHosts());
}

// --- the folder page follows the drives ----------------------------------------------------------

TEST_F(SetupScenario, FolderPageFollowsADrivePluggedInAndRemovedWhileItRuns)
{
    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script("window\nclick NextBtn\ntext TopLbl \"License Agreement\"\nclick NextBtn\n"
                       "text TopLbl \"Specify Home Folder\"\nsettext DestDirEdt typed\nsleep 1500\n"
                       "text DestDirEdt typed\n"));
    {
        TTestDrive stick(DRIVE_REMOVABLE);
        ASSERT_TRUE(stick.Defined());
        const std::string root(1, static_cast<char>(tolower(static_cast<unsigned char>(stick.Letter()))));
        // The drive watch ticks once a second: the new drive is selected and its root proposed.
        ASSERT_TRUE(Script("timeout 3000\ntext DestDirEdt '" + root + ":\\Corvella'\nshot '$SHOTplugged.png'\n"));
    }
    // The selected drive is gone: back to the Program Files drive and its Corvella folder.
    ASSERT_TRUE(Script("timeout 3000\ntext DestDirEdt '$PF\\Corvella'\nclose\nbox Yes,No Yes\nexit 0"));
}

// --- the close protocol --------------------------------------------------------------------------

struct TCloseCase {
    const char* Name;
    const char* Action;  // a driver script line
};

class CloseQuestion : public SetupScenario, public testing::WithParamInterface<TCloseCase> {};

TEST_P(CloseQuestion, NoStaysWithItsStateYesQuitsAndLeavesTheSettings)
{
    WriteSettings(home, 0);
    ASSERT_TRUE(Start()) << driver.LastError();
    const std::string action = GetParam().Action;
    ASSERT_TRUE(Script("window\n"
                       "text DestDirEdt '$HOME'\n"
                       "checked FinishChkBx 0\n"
                       "click NextBtn\n"
                       "click NextBtn\n"
                       "text TopLbl \"Specify Home Folder\"\n"
                       "settext DestDirEdt 'C:\\typed here'\n" +
                       action + "\n"
                       "box Yes,No No \"" + CloseQuestionText + "\"\n"
                       "nobox\n"
                       "text TopLbl \"Specify Home Folder\"\n"
                       "text DestDirEdt 'C:\\typed here'\n"
                       "enabled NextBtn 1\n" +
                       action + "\n"
                       "box Yes,No Yes\n"
                       "exit 0"));
    const TSettings settings = ReadSettings();
    EXPECT_EQ(settings.MainDir, home);
    EXPECT_EQ(settings.Launch, 0u);
    EXPECT_FALSE(PathExists(WithoutBackslash(data)));
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseQuestion,
                         testing::Values(TCloseCase{"CancelButton", "click CancelBtn"}, TCloseCase{"Escape", "key ESCAPE"},
                                         TCloseCase{"CloseBox", "sysclose"}),
                         [](const testing::TestParamInfo<TCloseCase>& info) { return std::string(info.param.Name); });

TEST_F(SetupScenario, CloseBoxOnTheFinishPageQuitsWithoutTheFinishActions)
{
    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script(std::string(ToReadyPage) + InstallToFinishPage +
                       "key ESCAPE\nnobox\nsysclose\nbox Yes,No Yes \"" + CloseQuestionText + "\"\nexit 0"));
    ExpectInstalledIn(data + "Public\\Spellcheck\\");
    EXPECT_FALSE(PathExists(data + "Update.log"));
    EXPECT_EQ(HostStarts(), "");
    const TSettings settings = ReadSettings();
    EXPECT_EQ(settings.MainDir, home) << "the install had begun: the settings are written";
    EXPECT_EQ(settings.Launch, 1u);
}

// --- page checks ---------------------------------------------------------------------------------

TEST_F(SetupScenario, RunningHostBlocksTheLicenceAndTheInstallUntilItQuits)
{
    ASSERT_NE(StartHost(HostExe()), 0u);
    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script(std::string("window\nclick NextBtn\nbox OK OK \"") + HostRunning +
                       "\"\ntext TopLbl \"Welcome to the Corvella Norwegian (Nynorsk) Spellchecker\"\ntext LicenseMemo \"\""));
    ASSERT_TRUE(QuitHosts());
    ASSERT_TRUE(Script("click NextBtn\nnobox\ncontains LicenseMemo \"LICENCE AGREEMENT\"\nclick BackBtn\n"
                       "text TopLbl \"Welcome to the Corvella Norwegian (Nynorsk) Spellchecker\"\n"));
    ASSERT_NE(StartHost(HostExe()), 0u);
    // The licence is loaded once: coming back does not look for the host.
    ASSERT_TRUE(Script("click NextBtn\nnobox\ntext TopLbl \"License Agreement\"\nclick NextBtn\n"
                       "settext DestDirEdt '$HOME'\nclick NextBtn\ntext TopLbl \"Ready to Install\"\n"
                       "click NextBtn\nbox OK OK \"" + std::string(HostRunning) + "\"\ntext TopLbl \"Ready to Install\""));
    EXPECT_FALSE(PathExists(data + "Public"));
    ASSERT_TRUE(QuitHosts());
    ASSERT_TRUE(Script(std::string(InstallToFinishPage) + "click NextBtn\nexit 0"));
    ExpectInstalledIn(data + "Public\\Spellcheck\\");
}

TEST_F(SetupScenario, DeclinedLicenceAsksOnlyWhenLeavingForwardAndYesQuitsWithoutSettings)
{
    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script(std::string("window\nclick NextBtn\ntick LicenseChkBx 0\n"
                                   "click BackBtn\nnobox\ntext TopLbl \"Welcome to the Corvella Norwegian (Nynorsk) Spellchecker\"\n"
                                   "click NextBtn\nnobox\ntext TopLbl \"License Agreement\"\n"
                                   "click NextBtn\nbox Yes,No No \"") +
                       LicenceDeclined +
                       "\"\ntext TopLbl \"License Agreement\"\nchecked LicenseChkBx 0\n"
                       "click NextBtn\nbox Yes,No Yes\nexit 0"));
    const TSettings settings = ReadSettings();
    EXPECT_FALSE(settings.HasMainDir || settings.HasLaunch);
}

TEST_F(SetupScenario, FolderWithoutTheHostIsRefusedAndTheTidiedFolderIsKept)
{
    const std::string empty = folder / "no host";
    const std::string fake = folder / "fake host";
    ASSERT_TRUE(MakeFolder(empty) && MakeFolder(fake) && MakeFolder(fake + "\\cwp.exe"));
    ASSERT_TRUE(Start()) << driver.LastError();
    std::string script = "window\nclick NextBtn\nclick NextBtn\n";
    for (const auto& refused : {empty, fake})
        script += "settext DestDirEdt '" + refused + "'\nclick NextBtn\nbox OK OK \"" + NotAHostFolder +
                  "\"\ntext TopLbl \"Specify Home Folder\"\n";
    script += "settext DestDirEdt '  $HOME\\  '\nclick NextBtn\ntext TopLbl \"Ready to Install\"\n"
              "click BackBtn\ntext DestDirEdt '$HOME'\nclick NextBtn\n";
    ASSERT_TRUE(Script(script + InstallToFinishPage + "tick FinishChkBx 0\nclick NextBtn\nexit 0"));
    const TSettings settings = ReadSettings();
    EXPECT_EQ(settings.MainDir, home);
    EXPECT_TRUE(settings.HasLaunch && settings.Launch == 0);
    EXPECT_EQ(HostStarts(), "");
}

// --- file errors ---------------------------------------------------------------------------------

struct TLockCase {
    const char* Name;
    const char* Press;
};

class LockedTarget : public SetupScenario, public testing::WithParamInterface<TLockCase> {};

TEST_P(LockedTarget, FileErrorBoxSettlesTheInstall)
{
    const std::string spell = data + "Public\\Spellcheck\\";
    MakeFolder(WithoutBackslash(data));
    ASSERT_TRUE(MakeFolder(data + "Hidden") && MakeFolder(data + "Public") && MakeFolder(WithoutBackslash(spell)));
    ASSERT_TRUE(WriteFileBytes(spell + "nn_NO.dic", "earlier"));
    THeldFile held(spell + "nn_NO.dic");
    ASSERT_TRUE(held.Held());

    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script(std::string(ToReadyPage) + "click NextBtn"));
    TMessageBoxInfo box;
    ASSERT_TRUE(driver.WaitForMessageBox(box)) << driver.LastError();
    EXPECT_EQ(ButtonNamesOf(box.Buttons), "Abort,Retry,Ignore");
    EXPECT_EQ(box.Text.rfind("Cannot create file \"" + spell + "nn_NO.dic\".\rAnother application", 0), 0u) << box.Text;
    driver.SaveScreenshot(ShotPrefix() + "4-error.png");
    const std::string press = GetParam().Press;
    if (press == "Retry") held.Release();
    ASSERT_TRUE(driver.Answer(box, ButtonIdOf(press))) << driver.LastError();

    if (press == "Abort") {
        ASSERT_TRUE(Script("nobox\nexit 0"));
        EXPECT_EQ(ReadFileBytes(spell + "hunspell.dll"), payload.at("hunspell.dll").Bytes) << "written before the error";
        EXPECT_FALSE(PathExists(spell + "nn_NO.aff")) << "queued after the aborted file";
        EXPECT_FALSE(PathExists(data + "Update.log") || PathExists(data + "Hidden\\install_stamp"));
        const TSettings settings = ReadSettings();
        EXPECT_EQ(settings.MainDir, home);
        EXPECT_EQ(settings.Launch, 1u);
        EXPECT_EQ(HostStarts(), "");
        return;
    }
    ASSERT_TRUE(Script("text TopLbl \"Installation Complete\"\ntick FinishChkBx 0"));
    held.Release();
    ASSERT_TRUE(Script("click NextBtn\nexit 0"));
    if (press == "Retry") {
        ExpectInstalledIn(spell);
    } else {
        EXPECT_EQ(ReadFileBytes(spell + "nn_NO.dic"), "earlier");
        for (const char* after : {"nn_NO.aff", "Norwegian (Bokmal).thes"})
            EXPECT_EQ(ReadFileBytes(spell + after), payload.at(after).Bytes) << after;
    }
    EXPECT_EQ(ReadFileBytes(data + "Hidden\\install_stamp").size(), 8u);
}

INSTANTIATE_TEST_SUITE_P(Answers, LockedTarget,
                         testing::Values(TLockCase{"Abort", "Abort"}, TLockCase{"Retry", "Retry"},
                                         TLockCase{"Ignore", "Ignore"}),
                         [](const testing::TestParamInfo<TLockCase>& info) { return std::string(info.param.Name); });

TEST_F(SetupScenario, HeldUpdateLogKeepsTheWizardOnTheFinishPage)
{
    MakeFolder(WithoutBackslash(data));
    ASSERT_TRUE(MakeFolder(data + "Hidden"));
    const std::string earlier = "*0000000010F9E540\r\nC:\\Other\\file.txt\r\n";
    ASSERT_TRUE(WriteFileBytes(data + "Update.log", earlier));
    ASSERT_TRUE(Start()) << driver.LastError();
    ASSERT_TRUE(Script(std::string(ToReadyPage) + InstallToFinishPage));
    {
        THeldFile held(data + "Update.log");
        ASSERT_TRUE(held.Held());
        ASSERT_TRUE(Script("click NextBtn\nnobox\ntext TopLbl \"Installation Complete\"\nenabled NextBtn 1"));
        EXPECT_TRUE(driver.Running());
        EXPECT_EQ(RunningHosts(), 0);
        EXPECT_FALSE(ReadSettings().HasMainDir) << "not written by the stopped finish";
    }
    EXPECT_EQ(ReadFileBytes(data + "Update.log"), earlier);
    EXPECT_EQ(ReadFileBytes(marker), "");
    ASSERT_TRUE(Script("click NextBtn\nexit 0"));
    ExpectLog({"*0000000010F9E540", "C:\\Other\\file.txt"}, {data + "Public\\Spellcheck\\"});
    EXPECT_EQ(HostCommandLine(), "\"" + home + "\\cwp.exe\"\r\n");
    EXPECT_EQ(ReadSettings().MainDir, home);
}

// --- a damaged payload ---------------------------------------------------------------------------

std::string Deflated(const std::string& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
              static_cast<uLong>(bytes.size()), 9);
    out.resize(size);
    return out;
}

TEST_F(SetupScenario, DamagedPayloadEndsWithTheExceptionBoxAndNoWizard)
{
    const std::string original = PayloadResourceOf(SetupExe());
    ASSERT_GT(original.size(), 1000u);
    std::string flipped = original;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x5A);
    // A sound stream whose one record claims more contents than follow.
    const std::string overlong = Deflated(std::string("\x03" "abc" "\0\0\0\0\0\0\0\0" "\xE8\x03\0\0" "short", 21));
    struct {
        const char* Name;
        std::string Payload;
    } damages[] = {
        {"cut short", original.substr(0, original.size() / 2)},
        {"a byte changed", flipped},
        {"a record past the end", overlong},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.Name);
        const std::string copy = folder / "damaged.exe";
        ASSERT_TRUE(CopyWithPayload(SetupExe(), copy, damage.Payload));
        ASSERT_TRUE(driver.Start(copy)) << driver.LastError();
        TMessageBoxInfo box;
        ASSERT_TRUE(driver.WaitForMessageBox(box)) << driver.LastError();
        EXPECT_EQ(box.Text.rfind("Exception E", 0), 0u) << box.Text;
        EXPECT_EQ(box.Caption, "Error") << "the system's default caption";
        EXPECT_EQ(ButtonNamesOf(box.Buttons), "OK");
        EXPECT_EQ(VisibleWindowOf(driver.ProcessId(), SetupTitle), nullptr) << "no wizard";
        driver.SaveScreen(ShotPrefix() + std::to_string(&damage - damages) + ".png");
        ASSERT_TRUE(driver.Answer(box, IDOK)) << driver.LastError();
        EXPECT_EQ(driver.WaitForExit(), 1);
        EXPECT_FALSE(ReadSettings().HasMainDir);
    }
}

}  // namespace
