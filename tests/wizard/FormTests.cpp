// The wizard form's construction (start folder, launch box, texts, pictures, drive timer) and its
// close protocol.
#include "tests/wizard/WizardFixture.h"

#include <cstring>

#include "utils/Types.h"

namespace {
const std::string CloseText =
    "Setup is not complete. If you quit this setup program now,\r"
    "the Corvella Norwegian (Nynorsk) Spellchecker will not be correctly installed.\r\r"
    "You may relaunch the setup program at a later time\r"
    "to complete the installation of the Corvella Norwegian (Nynorsk) Spellchecker.\r\r"
    "To continue installing, click No.\r"
    "To quit this setup program, click Yes.";

// {PF}: the Program Files folder; {HOST}: the host folder (trailing backslash); {ROOT}: the test folder.
struct TStartCase {
    const char* name;
    const char* mainDir;  // nullptr: no value
    int launch;           // -1: no value
    const char* commandLine;
    const char* homeDir;
    bool launchTicked;
};
void PrintTo(const TStartCase& c, std::ostream* os) { *os << c.name; }

class StartFolderTest : public TWizardTest, public testing::WithParamInterface<TStartCase> {
protected:
    std::string Expand(std::string text) const
    {
        const std::pair<const char*, std::string> tokens[] = {
            {"{PF}", ProgramFiles.substr(0, ProgramFiles.size() - 1)}, {"{HOST}", Host}, {"{ROOT}", Root.Path()}};
        for (const auto& [token, value] : tokens)
            for (size_t at; (at = text.find(token)) != std::string::npos;) text.replace(at, std::strlen(token), value);
        return text;
    }
};

TEST_P(StartFolderTest, ComesFromSettingsAndSwitch)
{
    const TStartCase& c = GetParam();
    if (c.mainDir) WriteSetting("MAINDIR", REG_SZ, Expand(c.mainDir) + '\0');
    if (c.launch >= 0) WriteSetting("LAUNCH", REG_DWORD, std::string(reinterpret_cast<const char*>(&c.launch), 4));

    TMainDlgForm& form = MakeForm(Expand(c.commandLine));

    EXPECT_EQ(form.Options.HomeDir, Expand(c.homeDir));
    EXPECT_EQ(form.DestDirEdt->Text(), Expand(c.homeDir));
    EXPECT_EQ(form.FinishChkBx->Checked(), c.launchTicked);
    std::string bytes;
    EXPECT_EQ(ReadSetting("MAINDIR", bytes), c.mainDir != nullptr) << "reading must not write";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartFolderTest,
    testing::Values(
        TStartCase{"NoSettings", nullptr, -1, "setup.exe", "{PF}\\Corvella", true},
        TStartCase{"StoredFolderGone", "{ROOT}Gone", -1, "setup.exe", "{PF}\\Corvella", true},
        TStartCase{"StoredFolderKeptExactly", "{HOST}", 0, "setup.exe", "{HOST}", false},
        TStartCase{"LaunchAnyNonZero", "{HOST}", 7, "setup.exe", "{HOST}", true},
        TStartCase{"SwitchWinsAndIsNotTested", "{HOST}", 1, "setup.exe -dE:\\Host", "E:\\Host", true},
        TStartCase{"UpperCaseSwitchIgnored", nullptr, -1, "setup.exe -DE:\\Host", "{PF}\\Corvella", true},
        TStartCase{"SlashSwitchIgnored", "{HOST}", -1, "setup.exe /dE:\\Host", "{HOST}", true},
        TStartCase{"SwitchAloneGivesEmpty", "{HOST}", -1, "setup.exe -d", "", true},
        TStartCase{"OnlyFirstArgument", nullptr, -1, "setup.exe x -dE:\\Host", "{PF}\\Corvella", true},
        TStartCase{"QuotedWithSpaces", nullptr, -1, "\"C:\\a b\\setup.exe\" \"-dC:\\My Host\" y", "C:\\My Host", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TWizardTest, StartsOnTheWelcomePage)
{
    TMainDlgForm& form = MakeForm();

    EXPECT_EQ(form.Caption(), SetupTitle);
    EXPECT_EQ(form.TopLbl->Caption(), "Welcome to the Corvella Norwegian (Nynorsk) Spellchecker");
    EXPECT_EQ(form.WelcomeLbl->Caption(),
              "This program will install the Norwegian (Nynorsk) Spellchecker\rfor Corvella Word Processor on your "
              "computer.\r\r\r\r\rClick Next to continue. Click Cancel to quit Setup.");
    EXPECT_EQ(form.StartLbl->Caption(),
              "You are now ready to install the Corvella Norwegian (Nynorsk) Spellchecker.\r\rClick Next to begin "
              "installation. Click Back if you want to review or change installation settings.");
    EXPECT_EQ(form.FinishLbl->Caption(),
              "The Corvella Norwegian (Nynorsk) Spellchecker has been successfully installed on your computer.\r\r"
              "Click Finish to exit this Setup.");
    EXPECT_EQ(Page(), 0);
    EXPECT_FALSE(IsWindowVisible(form.BackBtn->Handle()));
    EXPECT_EQ(form.NextBtn->Caption(), "&Next >");
    EXPECT_TRUE(IsWindowEnabled(form.NextBtn->Handle()));
    EXPECT_TRUE(IsWindowEnabled(form.CancelBtn->Handle()));
    EXPECT_TRUE(form.LicenseMemo->Text().empty());
    EXPECT_TRUE(form.FormReady);
    EXPECT_NE(form.LogoImage->Bitmap(), nullptr);
    EXPECT_NE(form.LogoSmallImage->Bitmap(), nullptr);
    EXPECT_EQ(TempLeftovers(), 0) << "the picture file is deleted";
    // The settings key is opened with create, so it exists after the start.
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    if (key) RegCloseKey(key);
    // The drive timer runs: there is one to kill.
    EXPECT_TRUE(KillTimer(form.Handle(), DriveTimerId));
}

TEST_F(TWizardTest, CloseQueryAsksUntilYes)
{
    TMainDlgForm& form = MakeForm();
    Boxes.Then(IDNO).Then(IDYES);

    EXPECT_FALSE(form.CloseQuery());
    EXPECT_FALSE(form.CloseAllowed);
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(form.CloseQuery());
    EXPECT_TRUE(form.CloseQuery()) << "once allowed, it no longer asks";

    ASSERT_EQ(Boxes.Asked.size(), 2u);
    EXPECT_EQ(Boxes.Asked[0].Text, CloseText);
    EXPECT_EQ(Boxes.Asked[0].Style, UINT(MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL));
}

// Every close that the user starts goes through the question; No stays in the modal run.
struct TCloseCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    bool toCancelButton;
};
void PrintTo(const TCloseCase& c, std::ostream* os) { *os << c.name; }

class ModalCloseTest : public TWizardTest, public testing::WithParamInterface<TCloseCase> {};

TEST_P(ModalCloseTest, NoStaysYesEndsAsCancelled)
{
    const TCloseCase& c = GetParam();
    TMainDlgForm& form = MakeForm();
    form.Hide();
    HWND target = c.toCancelButton ? form.CancelBtn->Handle() : form.Handle();
    auto request = [&] { PostMessageA(target, c.message, c.wParam, 0); };
    Boxes.Then([&] {
        request();
        return IDNO;
    });
    Boxes.Then(IDYES);
    request();

    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(Boxes.Asked.size(), 2u);
    EXPECT_EQ(Page(), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, ModalCloseTest,
                         testing::Values(TCloseCase{"CancelButton", BM_CLICK, 0, true},
                                         TCloseCase{"Escape", WM_KEYDOWN, VK_ESCAPE, false},
                                         TCloseCase{"CloseBox", WM_SYSCOMMAND, SC_CLOSE, false}),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
