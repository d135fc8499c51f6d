#pragma once
// The application object: a hidden top-level window that owns the taskbar button and every
// message box.
#include <windows.h>

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    HWND Handle() const { return handle_; }

private:
    HWND handle_ = nullptr;
};

// The one application object of the process; null while none exists.
extern TApplication* Application;
