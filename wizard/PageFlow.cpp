// Page changes: every check and action that belongs to leaving or entering a page, the button
// states, and the installation run inside the change to the installing page.
#include <windows.h>

#include "archive/AttachFiles.h"
#include "shell/MessageBoxes.h"
#include "utils/InstUtils.h"
#include "wizard/CompletionRecords.h"
#include "wizard/Host.h"
#include "wizard/MainDlg.h"

namespace {
constexpr char HostRunningText[] =
    "There are running instances of Corvella Word Processor on your computer.\r"
    "Please close any running instance(s) of Corvella Word Processor before proceeding.";
constexpr char LicenseNotAcceptedText[] =
    "To install this program, you need to agree to all the terms\r"
    "of the Corvella Word Processor License Agreement.\r"
    "Do you really want to cancel the Corvella Spellchecker install?";
constexpr char NotHostFolderText[] =
    "The specified folder does not contain a properly installed Corvella Word Processor.\r"
    "Please specify the proper home folder of Corvella Word Processor on your hard disk.";

constexpr char HostExe[] = "cwp.exe";

struct TQueuedAddOnFile {
    const char* Name;
    InstallMode Mode;
};
// The user dictionary holds the user's own words: a portable host's copy is kept.
constexpr TQueuedAddOnFile AddOnFiles[] = {
    {"Norwegian (Nynorsk).asc", imOverwrite},
    {"hunspell.dll", imUpdateIfDifferent},
    {"nn_NO.dic", imUpdateIfDifferent},
    {"nn_NO.aff", imUpdateIfDifferent},
    {"userdicnon.tlx", imKeepExisting},
    {"Norwegian (Nynorsk).hyph", imUpdateIfDifferent},
    {"Norwegian (Bokmal).thes", imUpdateIfDifferent},
};
}  // namespace

void TMainDlgForm::BNClick(TWinControl* sender)
{
    const auto from = static_cast<uint8_t>(PgCtrl->ActivePageIndex());
    const auto to = static_cast<uint8_t>(sender == BackBtn ? from - 1 : from + 1);
    SwitchPage(from, to);
}

void TMainDlgForm::SwitchPage(uint8_t from, uint8_t to)
{
    if (to > 6) return;  // Back is hidden on page 0; nothing asks beyond the finish
    TWinControl* focus = nullptr;
    switch (to) {
    case 1:
        if (from == 0 && LicenseMemo->Text().empty()) {
            if (HostInstancesRunning()) {
                SetupMessageDlg(HostRunningText, mkInformation, btOk);
                return;
            }
            LoadLicense();
        }
        focus = LicenseMemo;
        break;
    case 2:
        if (from == 1 && !LicenseChkBx->Checked()) {
            if (SetupMessageDlg(LicenseNotAcceptedText, mkInformation, btYes | btNo) == IDYES) {
                CloseAllowed = true;
                SetModalResult(mrCancel);
            }
            return;
        }
        focus = DestDirEdt;
        break;
    case 3:
        NormalizeDestDir();
        if (!FilePresent(AppendPath(DestDirEdt->Text(), HostExe))) {
            SetupMessageDlg(NotHostFolderText, mkInformation, btOk);
            return;
        }
        Options.HomeDir = DestDirEdt->Text();
        focus = NextBtn;
        break;
    case 4:
        if (HostInstancesRunning()) {
            SetupMessageDlg(HostRunningText, mkInformation, btOk);
            return;
        }
        break;
    case 6:
        // An abort out of FinishInstall skips the close: the wizard stays on the finish page.
        FinishInstall();
        CloseAllowed = true;
        SetModalResult(mrOk);
        return;
    default:
        break;
    }

    BackBtn->SetVisible(to != 0);
    BackBtn->SetEnabled(to < 4);
    BackBtn->SetCaption("< &Back");
    NextBtn->SetEnabled(to != 4);
    NextBtn->SetCaption(to == 5 ? "&Finish" : "&Next >");
    CancelBtn->SetEnabled(to != 5);
    CancelBtn->SetCaption("Cancel");
    TopLbl->SetCaption(PageTitles[to]);
    PgCtrl->SetActivePageIndex(to);
    if (focus) focus->SetFocus();
    if (to == 4) RunInstallation();
}

void TMainDlgForm::LoadLicense()
{
    NextBtn->SetEnabled(false);
    CancelBtn->SetEnabled(false);
    // Not set back here: the next cursor update of the window (a mouse move) restores it.
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
    const std::string text = NewTempFileName();
    if (!AttachedFiles->ExtractFile(nullptr, "License.txt", text)) {
        // Abort in the file error box: close as cancelled once the page change is done.
        CloseAllowed = true;
        SetModalResult(mrCancel);
        return;
    }
    try {
        LicenseMemo->LoadFromFile(ToWide(text));
    } catch (...) {
        // The page then shows what the memo held; the next visit from page 0 tries again.
    }
    DeleteFileW(ToWide(text).c_str());
}

void TMainDlgForm::RunInstallation()
{
    const bool portable = IsPortable();
    AttachedFiles->ForceOverwrite = !portable;
    InstallingFlag = true;

    std::string folders[2];
    const std::string base = portable ? Options.HomeDir : DataFolder();
    for (int i = 0; i < 2; ++i)
        folders[i] = portable ? AppendPath(base, SpellSubFolders[i])
                              : AppendPath(base, std::string("Corvella\\Public\\") + SpellSubFolders[i]);

    // Decided before anything is written: creating the first folder must not select the second.
    const bool intoFirst = DirExists(folders[0]) || !DirExists(folders[1]);
    const bool intoSecond = DirExists(folders[1]);
    // Without any data folder the targets would be relative to whatever the current folder is.
    if (!base.empty()) {
        for (int i = 0; i < 2; ++i) {
            if (!(i == 0 ? intoFirst : intoSecond)) continue;
            for (const TQueuedAddOnFile& file : AddOnFiles) AttachedFiles->QueueFiles(file.Name, folders[i], 0, file.Mode);
        }
    }
    InstallStarted = true;

    if (base.empty() || !AttachedFiles->InstallQueued()) {
        CloseAllowed = true;
        SetModalResult(mrCancel);
        return;
    }
    SwitchPage(4, 5);
}
