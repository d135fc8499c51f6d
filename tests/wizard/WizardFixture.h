#pragma once
// The wizard form in the test process, over a world of the test's own: a small payload, special
// folders inside a test folder (through the folder service), HKEY_CURRENT_USER redirected to a
// test key, a host folder holding a stand-in "cwp.exe", and message boxes answered by a script.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/AttachFiles.h"
#include "tests/support/TestFolder.h"
#include "tests/support/TestRegKey.h"
#include "utils/InstUtils.h"
#include "wizard/MainDlg.h"

// The add-on files of the test payload, in the order the wizard queues them.
extern const char* const AddOnNames[7];
TDateTime TestEntryDate();
// The contents of a payload entry of the test payload.
std::string TestEntryBytes(const std::string& name);

struct TAskedBox {
    std::string Text;
    UINT Style = 0;
};

// Answers every message box through the seam, in order. An answer may act first (release a file,
// look at the form); a box beyond the script is answered with No, Cancel or OK and recorded.
class TBoxScript {
public:
    using TAction = std::function<int()>;
    TBoxScript();
    ~TBoxScript();
    TBoxScript(const TBoxScript&) = delete;
    TBoxScript& operator=(const TBoxScript&) = delete;

    TBoxScript& Then(int answer);
    TBoxScript& Then(TAction action);
    std::vector<TAskedBox> Asked;

private:
    std::vector<TAction> answers_;
};

// HKEY_CURRENT_USER of this process is the given key until the object goes.
class TUserKeyRedirect {
public:
    explicit TUserKeyRedirect(const std::string& keyPath);
    ~TUserKeyRedirect();

private:
    HKEY key_ = nullptr;
};

// A hidden top-level window marked as a running host.
class TRunningHost {
public:
    TRunningHost();
    ~TRunningHost();

private:
    HWND window_ = nullptr;
};

// Holds a file open without sharing until Release or the end of the object.
class THeldFile {
public:
    explicit THeldFile(const std::string& path);
    ~THeldFile() { Release(); }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class TWizardTest : public testing::Test {
protected:
    TWizardTest();
    ~TWizardTest() override;

    TMainDlgForm& MakeForm(std::string_view commandLine = "setup.exe");
    TMainDlgForm& Form() { return *form_; }
    int Page() const;
    // As the user does it: the button's window gets BM_CLICK, so errors go to the dispatch.
    void Click(TButton* button);
    void Next() { Click(Form().NextBtn); }
    void Back() { Click(Form().BackBtn); }
    // From page 0 with the host folder typed in; stops at `page` (up to 5).
    void WalkTo(int page);

    // Neither the shared application-data folder nor the documents folder is known.
    static void ForgetDataFolders();
    // The system's own special folders instead of the test's.
    void UseSystemFolders() { FolderService = savedService_; }
    // Registry values under the settings key (as redirected); false when missing.
    bool ReadSetting(const char* name, std::string& bytes) const;
    void WriteSetting(const char* name, DWORD type, const std::string& bytes) const;
    // True once the stand-in host in `folder` has written its start marker.
    static bool HostStarted(const std::string& folder, DWORD waitMs);

    TTestFolder Root;
    std::string ProgramData, ProgramFiles, Documents, Host;  // with a trailing backslash
    TBoxScript Boxes;

private:
    TFolderService savedService_;
    TTestRegKey userKey_;
    std::unique_ptr<TUserKeyRedirect> redirect_;
    std::string payload_;
    std::unique_ptr<TAttachedFiles> files_;
    std::unique_ptr<TMainDlgForm> form_;
};

// Copies the stand-in host program to folder\cwp.exe.
bool PlaceHost(const std::string& folder);
// Files in the temporary folder whose names begin with the setup's temporary prefix.
int TempLeftovers();
// The language folder below a data folder: "<data>Corvella\Public\<sub>".
std::string PublicFolder(const std::string& dataFolder, const char* sub);
