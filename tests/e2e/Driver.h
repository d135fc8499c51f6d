#pragma once
// Drives another process's window from outside, as a user would, through window messages only:
// start the program, wait for its window by caption, find controls by their layout name, read
// and change them, press buttons, answer message boxes, take screenshots, wait for the exit code.
//
// Controls are found by the window property "GuiControlName" (a global atom holding the control's
// layout name) that the GUI framework sets on every control it creates from a layout.
//
// Every wait polls with Sleep: a driver that waits on the watched process through the wineserver
// with timed waits slows that process down.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "utils/Handle.h"

// What a message box shows: caption, text (the static control 0xFFFF) and the ids of its buttons
// (IDOK .. IDNO), in id order.
struct TMessageBoxInfo {
    HWND Window = nullptr;
    std::string Caption;
    std::string Text;
    std::vector<int> Buttons;
};

// "Yes" -> IDYES and back; 0 / empty for an unknown name or id.
int ButtonIdOf(const std::string& name);
std::string ButtonNameOf(int id);
std::string ButtonNamesOf(const std::vector<int>& ids);  // "Yes,No"

// A program path as Windows sees it: Unix paths ("/...") are mapped through Wine's drives.
std::string WindowsPathOf(const std::string& path);

// Writes a 24-bit picture of the screen area `area` (screen coordinates) as PNG (a name ending in
// ".png") or BMP.
bool SaveScreenArea(const RECT& area, const std::string& path);

class TDriver {
public:
    // `caption`: the caption of the program's main window.
    explicit TDriver(std::string caption);
    ~TDriver();  // a program still running is terminated: a failed test leaves nothing behind
    TDriver(const TDriver&) = delete;
    TDriver& operator=(const TDriver&) = delete;

    // Time allowed to every wait (ms).
    void SetTimeout(int ms) { timeout_ = ms; }
    int Timeout() const { return timeout_; }
    const std::string& Caption() const { return caption_; }
    // Why the last call failed.
    const std::string& LastError() const { return error_; }

    // The process. `arguments` is the raw rest of the command line after the quoted program path.
    bool Start(const std::string& exe, const std::string& arguments = "", const std::string& folder = "");
    DWORD ProcessId() const { return processId_; }
    bool Running() const;
    // Waits for the end of the process; its exit code, or -1 after the time-out (LastError says).
    long long WaitForExit();
    void Terminate();

    // The visible top-level window of the process with the caption (not a message box).
    HWND WaitForWindow();
    HWND Window() const { return window_; }

    // A control of the main window by layout name; nullptr (and LastError) when there is none.
    HWND Control(const std::string& name);
    std::string Text(const std::string& name);
    bool Visible(const std::string& name);
    bool Enabled(const std::string& name);
    bool Checked(const std::string& name);
    int Selection(const std::string& name);  // list or combo box: the selected index, -1 for none
    // Texts of a list or combo box's items (the control must keep strings).
    std::vector<std::string> Items(const std::string& name);
    std::string WindowCaption();

    // Actions. Each returns when the program has handled it, or has opened a modal loop (a message
    // box) while handling it, or has gone.
    bool SetText(const std::string& name, const std::string& text);
    bool Click(const std::string& name);  // a visible, enabled button or check box
    bool SetChecked(const std::string& name, bool checked);
    bool Select(const std::string& name, int index);  // list or combo box, with the change notification
    // A key pressed in the focused control (the main window when nothing has the focus): "ESCAPE",
    // "RETURN", "TAB", "F4", a letter; `alt` sends it as a system key.
    bool Key(const std::string& key, bool alt = false);
    bool Close();     // WM_CLOSE
    bool SysClose();  // WM_SYSCOMMAND SC_CLOSE (the close box, the system menu)

    // Message boxes of the process (any caption).
    bool WaitForMessageBox(TMessageBoxInfo& box);
    bool MessageBoxOpen();
    // Presses the button; returns when the box has closed.
    bool Answer(const TMessageBoxInfo& box, int id);

    // Screenshots of the main window (with an open message box) or of the whole screen.
    bool SaveScreenshot(const std::string& path);
    bool SaveScreen(const std::string& path);

    // Polls `done` until it holds or the time-out passes.
    bool WaitUntil(const std::function<bool()>& done);
    // Returns once every message posted to the program so far has been handled (or a modal loop
    // runs, or the program is gone).
    bool Settle();

private:
    bool Fail(std::string error);
    bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, UINT timeout = 0);
    bool ReadText(HWND window, UINT lengthMessage, UINT textMessage, WPARAM index, std::string& text);
    bool SettleOn(HWND button);
    HWND MarkerButton();
    HWND FindMessageBox();
    bool WaitForPaint(HWND window);
    HWND Usable(const std::string& name, bool mustBeEnabled);

    std::string caption_;
    int timeout_ = 10000;
    std::string error_;
    TKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};
