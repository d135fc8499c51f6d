#pragma once
// The application object: a hidden top-level window that owns the taskbar button and every
// message box, and the error dispatch of the message loop.
#include <windows.h>
#include <exception>
#include <string>

class TForm;

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    HWND Handle() const { return handle_; }

    std::string Title() const;
    void SetTitle(const std::string& title);  // the taskbar text
    void SetIcon(HICON icon);                  // WM_SETICON ICON_BIG

    // Call inside a catch block: shows "Exception <name>" for every error except an abort,
    // then returns so that the message loop goes on.
    void HandleException() noexcept;
    void ShowException(const std::exception_ptr& error) noexcept;

    // Dispatches every message waiting in the thread's queue, then returns.
    void ProcessMessages();

    // The form in its modal run, if any; it receives the close command of the taskbar button.
    TForm* ModalForm() const { return modalForm_; }
    void SetModalForm(TForm* form) { modalForm_ = form; }
    // Shown (at zero size) while a form runs modally, so that the taskbar button exists.
    void ShowTaskbarButton(bool show);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    TForm* modalForm_ = nullptr;
};

// The one application object of the process; null while none exists.
extern TApplication* Application;

// "Exception <name>", the text of the error box.
std::wstring ExceptionBoxText(const std::exception_ptr& error);
