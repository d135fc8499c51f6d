#include "wizard/MainDlg.h"

#include <windows.h>
#include <shlobj.h>

#include "archive/AttachFiles.h"
#include "gui/Layout.h"
#include "shell/MessageBoxes.h"
#include "utils/InstUtils.h"
#include "utils/Registry.h"
#include "wizard/FileCtrl.h"
#include "wizard/FolderText.h"

std::string PageTitles[7] = {
    "Welcome to the %s", "License Agreement", "Specify Home Folder", "Ready to Install",
    "Installing",        "Installation Complete", "",
};

const char* const SpellSubFolders[2] = {"Spellcheck\\", "Orthographe\\"};

TMainDlgForm* MainForm = nullptr;

namespace {
constexpr char CloseConfirmation[] =
    "Setup is not complete. If you quit this setup program now,\r"
    "the %s will not be correctly installed.\r\r"
    "You may relaunch the setup program at a later time\r"
    "to complete the installation of the %s.\r\r"
    "To continue installing, click No.\r"
    "To quit this setup program, click Yes.";

// Every "%s" of the pattern becomes arg.
std::string FormatText(std::string_view pattern, std::string_view arg)
{
    std::string text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            text += arg;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}
}  // namespace

void RegisterMainDlgClasses()
{
    RegisterControlClass<TBevel>();
    RegisterControlClass<TButton>();
    RegisterControlClass<TCheckBox>();
    RegisterControlClass<TDirectoryListBox>();
    RegisterControlClass<TDriveComboBox>();
    RegisterControlClass<TEdit>();
    RegisterControlClass<TImage>();
    RegisterControlClass<TLabel>();
    RegisterControlClass<TMemo>();
    RegisterControlClass<TPanel>();
    RegisterControlClass<TPageControl>();
    RegisterControlClass<TTabSheet>();
}

TMainDlgForm::TMainDlgForm() : TMainDlgForm(GetCommandLineA()) {}

TMainDlgForm::TMainDlgForm(std::string_view commandLine)
{
    AddHandler("FormCloseQuery", TCloseQueryEvent([this](TWinControl* s, bool& c) { FormCloseQuery(s, c); }));
    AddHandler("BNClick", TNotifyEvent([this](TWinControl* s) { BNClick(s); }));
    AddHandler("CancelBtnClick", TNotifyEvent([this](TWinControl* s) { CancelBtnClick(s); }));
    AddHandler("DestDirLstBxChange", TNotifyEvent([this](TWinControl* s) { DestDirLstBxChange(s); }));
    ReadLayout("MainDlgForm");

    TopPanel = FindControl<TPanel>("TopPanel");
    TopLbl = FindControl<TLabel>("TopLbl");
    LogoSmallImage = FindControl<TImage>("LogoSmallImage");
    LeftPanel = FindControl<TPanel>("LeftPanel");
    LogoImage = FindControl<TImage>("LogoImage");
    LeftBevel = FindControl<TBevel>("LeftBevel");
    PgCtrl = FindControl<TPageControl>("PgCtrl");
    WelcomeTabSheet = FindControl<TTabSheet>("WelcomeTabSheet");
    WelcomeLbl = FindControl<TLabel>("WelcomeLbl");
    LicenseTabSheet = FindControl<TTabSheet>("LicenseTabSheet");
    LicenseLbl = FindControl<TLabel>("LicenseLbl");
    LicenseMemo = FindControl<TMemo>("LicenseMemo");
    LicenseChkBx = FindControl<TCheckBox>("LicenseChkBx");
    DestDirTabSheet = FindControl<TTabSheet>("DestDirTabSheet");
    DestDirLbl = FindControl<TLabel>("DestDirLbl");
    DestDirEdt = FindControl<TEdit>("DestDirEdt");
    DestDirLstBx = FindControl<TDirectoryListBox>("DestDirLstBx");
    DestDirCmbBx = FindControl<TDriveComboBox>("DestDirCmbBx");
    StartTabSheet = FindControl<TTabSheet>("StartTabSheet");
    StartLbl = FindControl<TLabel>("StartLbl");
    InstallingTabSheet = FindControl<TTabSheet>("InstallingTabSheet");
    FinishTabSheet = FindControl<TTabSheet>("FinishTabSheet");
    FinishLbl = FindControl<TLabel>("FinishLbl");
    FinishChkBx = FindControl<TCheckBox>("FinishChkBx");
    BottomBevelPanel = FindControl<TPanel>("BottomBevelPanel");
    BottomBevel = FindControl<TBevel>("BottomBevel");
    BottomPanel = FindControl<TPanel>("BottomPanel");
    BackBtn = FindControl<TButton>("BackBtn");
    NextBtn = FindControl<TButton>("NextBtn");
    CancelBtn = FindControl<TButton>("CancelBtn");

    SetCaption(SetupTitle);
    PageTitles[0] = FormatText(PageTitles[0], ProductName);
    // Under visual styles a panel would otherwise show its parent's background, not its white.
    TopPanel->SetParentBackground(false);

    // One temporary file serves both pictures: each is loaded before the next is written over it.
    const std::string picture = NewTempFileName();
    AttachedFiles->ExtractFile(nullptr, "Logo.bmp", picture);
    LogoImage->LoadFromFile(ToWide(picture));
    AttachedFiles->ExtractFile(nullptr, "LogoSmall.bmp", picture);
    LogoSmallImage->LoadFromFile(ToWide(picture));
    DeleteFileW(ToWide(picture).c_str());

    WelcomeLbl->SetCaption(FormatText(WelcomeLbl->Caption(), ProductShortName));
    StartLbl->SetCaption(FormatText(StartLbl->Caption(), ProductName));
    FinishLbl->SetCaption(FormatText(FinishLbl->Caption(), ProductName));

    {
        TRegistry settings;
        settings.OpenKey(SettingsKey);
        Options.HomeDir = settings.ValueExists("MAINDIR") ? settings.ReadString("MAINDIR") : std::string();
        if (Options.HomeDir.empty() || !DirExists(Options.HomeDir))
            Options.HomeDir = AppendPath(GetSpecialFolder(CSIDL_PROGRAM_FILES), "Corvella");
        // The switch wins over the stored folder and is taken as given, existing or not.
        std::string switchDir;
        if (HomeDirSwitch(commandLine, switchDir)) Options.HomeDir = switchDir;
        FinishChkBx->SetChecked(!settings.ValueExists("LAUNCH") || settings.ReadBool("LAUNCH"));
    }

    DestDirEdt->SetText(Options.HomeDir);
    DestDirLstBx->SetDirectory(Options.HomeDir);
    SetTimer(Handle(), DriveTimerId, 1000, nullptr);
    SwitchPage(NoPage, 0);
    FormReady = true;
}

TMainDlgForm::~TMainDlgForm()
{
    // The timer goes before the controls that its handler uses.
    if (HandleAllocated()) KillTimer(Handle(), DriveTimerId);
}

void TMainDlgForm::CancelBtnClick(TWinControl* /*sender*/) { Close(); }

void TMainDlgForm::FormCloseQuery(TWinControl* /*sender*/, bool& canClose)
{
    if (!CloseAllowed)
        CloseAllowed = SetupMessageDlg(FormatText(CloseConfirmation, ProductName), mkConfirmation, btYes | btNo) == IDYES;
    canClose = CloseAllowed;
}

bool TMainDlgForm::IsPortable() const { return IsRemovableDrive(Options.HomeDir); }
