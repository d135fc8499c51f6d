// The process: start-up, the one modal run of the wizard, and teardown in a fixed order. There is
// no unattended mode; the command line is read by the wizard form alone.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <exception>
#include <memory>

#include "archive/AttachFiles.h"
#include "gui/Application.h"
#include "gui/SystemMessageBox.h"
#include "utils/InstUtils.h"
#include "utils/Types.h"
#include "wizard/MainDlg.h"

namespace {
// Owns one of the two process-wide objects and clears its global when it goes, also while an
// error unwinds the main flow.
template <class T>
class TProcessObject {
public:
    TProcessObject(T*& global, std::unique_ptr<T> object) : global_(global), object_(std::move(object))
    {
        global_ = object_.get();
    }
    ~TProcessObject() { Reset(); }
    TProcessObject(const TProcessObject&) = delete;
    TProcessObject& operator=(const TProcessObject&) = delete;

    T* operator->() const { return object_.get(); }
    void Reset()
    {
        object_.reset();
        global_ = nullptr;
    }

private:
    T*& global_;
    std::unique_ptr<T> object_;
};

void RunSetup(TApplication& application, HINSTANCE instance)
{
    RegisterMainDlgClasses();
    application.SetIcon(LoadIconA(instance, MAKEINTRESOURCEA(1)));
    application.SetTitle(SetupTitle);

    TProcessObject<TAttachedFiles> files(AttachedFiles, std::make_unique<TAttachedFiles>());
    TProcessObject<TMainDlgForm> form(MainForm, std::make_unique<TMainDlgForm>());
    form->ShowModal();
    if (InstallStarted) form->SaveSettings();
    form.Reset();
    // Its destructor ends with the sweep of leftover temporary files.
    files.Reset();
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything else: the library search is restricted and the folder service resolved.
    StartupInstUtils();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    UINT exitCode = 0;
    {
        TApplication application;
        try {
            RunSetup(application, instance);
        } catch (...) {
            SystemMessageBox(nullptr, ExceptionBoxText(std::current_exception()), std::wstring(),
                             MB_OK | MB_ICONERROR | MB_TASKMODAL, 0);
            exitCode = 1;
        }
    }
    // OLE goes last, after the application window and everything else of the program.
    ShutdownInstUtils();
    ExitProcess(exitCode);
}

// The library's default terminate handler writes the error's demangled type to stderr, which a
// GUI program does not have, and brings a demangler and printf (some 70 KB) into the exe. Every
// error is caught above, so terminate only ever ends the process.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
