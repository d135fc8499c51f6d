#pragma once
// Answers a real message box from another thread: waits for a "#32770" window with the given
// caption, reads its text and buttons, and presses one with BM_CLICK.
#include <windows.h>
#include <string>
#include <thread>
#include <vector>

struct TMessageBoxSeen {
    bool Found = false;
    std::wstring Text;      // the static control 0xFFFF
    std::vector<int> Buttons;  // visible buttons among IDOK..IDNO, in id order
    HWND Owner = nullptr;
    int Pressed = 0;        // the id pressed; 0 when none
};

class TMessageBoxAnswerer {
public:
    // Starts watching at once. When `press` is not among the buttons, the first button present
    // is pressed instead, so that the box never stays open.
    TMessageBoxAnswerer(std::wstring caption, int press, DWORD timeoutMs = 10000);
    ~TMessageBoxAnswerer();
    TMessageBoxAnswerer(const TMessageBoxAnswerer&) = delete;
    TMessageBoxAnswerer& operator=(const TMessageBoxAnswerer&) = delete;

    // Waits for the watcher to end.
    const TMessageBoxSeen& Seen();

private:
    void Watch(std::wstring caption, int press, DWORD timeoutMs);

    TMessageBoxSeen seen_;
    std::thread watcher_;
};
