#pragma once
// The wizard window: six pages (welcome, licence, host folder, ready, installing, finish) in a
// page container without tabs, a white header with the page title, a picture strip and a row of
// three buttons. Built from the layout resource "MainDlgForm"; the control names below are the
// layout's, and test drivers find the controls by them.
//
// The members are defined by concern: MainDlg.cpp (construction, close protocol), PageFlow.cpp
// (page changes and the installation run), FolderPage.cpp (folder text and drive watch),
// CompletionRecords.cpp (install stamp, update log, settings).
#include <cstdint>
#include <string>
#include <string_view>

#include "gui/Form.h"
#include "gui/Panels.h"
#include "gui/StdControls.h"
#include "utils/Types.h"

class TDirectoryListBox;
class TDriveComboBox;

struct TOptions {
    std::string HomeDir;  // the host's home folder
};

// Page titles by page index; entry 0 holds "%s" until the form's constructor formats it, entry 6
// stands for the step past the last page.
extern std::string PageTitles[7];
// The host's two language folders, in the order they are looked at.
extern const char* const SpellSubFolders[2];

// The settings key shared with the host, below HKEY_CURRENT_USER.
inline constexpr char SettingsKey[] = "Software\\Corvella Word Processor\\Install";

inline constexpr uint8_t NoPage = 255;
inline constexpr UINT_PTR DriveTimerId = 1;

// The twelve control classes that the layout names, registered in their order.
void RegisterMainDlgClasses();

class TMainDlgForm : public TForm {
public:
    // Reads the "-d" switch from the process's command line.
    TMainDlgForm();
    // commandLine: the whole 8-bit command line, program name first.
    explicit TMainDlgForm(std::string_view commandLine);
    ~TMainDlgForm() override;

    TPanel* TopPanel;
    TLabel* TopLbl;
    TImage* LogoSmallImage;
    TPanel* LeftPanel;
    TImage* LogoImage;
    TBevel* LeftBevel;
    TPageControl* PgCtrl;
    TTabSheet* WelcomeTabSheet;
    TLabel* WelcomeLbl;
    TTabSheet* LicenseTabSheet;
    TLabel* LicenseLbl;
    TMemo* LicenseMemo;
    TCheckBox* LicenseChkBx;
    TTabSheet* DestDirTabSheet;
    TLabel* DestDirLbl;
    TEdit* DestDirEdt;
    TDirectoryListBox* DestDirLstBx;
    TDriveComboBox* DestDirCmbBx;
    TTabSheet* StartTabSheet;
    TLabel* StartLbl;
    TTabSheet* InstallingTabSheet;
    TTabSheet* FinishTabSheet;
    TLabel* FinishLbl;
    TCheckBox* FinishChkBx;
    TPanel* BottomBevelPanel;
    TBevel* BottomBevel;
    TPanel* BottomPanel;
    TButton* BackBtn;
    TButton* NextBtn;
    TButton* CancelBtn;
    // Once true the window closes without asking; never set back.
    bool CloseAllowed = false;
    // Set as the constructor's last step; until then folder-list changes leave the edit box alone.
    bool FormReady = false;
    TDateTime InstallStamp = 0;
    TOptions Options;

    // ---- close protocol
    void CancelBtnClick(TWinControl* sender);
    void FormCloseQuery(TWinControl* sender, bool& canClose);
    // The home folder lies on a removable drive or an external (USB, IEEE 1394) disk.
    bool IsPortable() const;

    // ---- page flow
    void BNClick(TWinControl* sender);
    void SwitchPage(uint8_t from, uint8_t to);

    // ---- folder page
    void NormalizeDestDir();
    void DestDirLstBxChange(TWinControl* sender);

    // ---- completion records
    // An abort error (nothing shown) leaves it where the update log could not be replaced.
    void FinishInstall();
    void WriteUpdateLog();
    void SaveSettings();

protected:
    // The drive watch, every second on every page.
    void Timer(UINT_PTR id) override;

private:
    void LoadLicense();
    void RunInstallation();
    void SelectDriveAfterRemoval(uint32_t drives, const std::string& oldText);
};

// The one wizard window, created and destroyed by the process entry.
extern TMainDlgForm* MainForm;
