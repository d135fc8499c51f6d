#pragma once
// Drives a form's modal run from inside: each step runs on a window timer tick, which the
// system delivers only when no posted message is waiting, so the keys a step posts are fully
// handled before the next step looks at the result.
#include "gui/Form.h"
#include <deque>
#include <functional>

class TModalScript {
public:
    explicit TModalScript(TForm& form);
    ~TModalScript();

    TModalScript& Then(std::function<void()> step);
    // Runs the form modally through all steps. When the form is still open a second after the
    // last step, the test fails and forceClose must end the run.
    int Run(std::function<void()> forceClose);
    bool Finished() const { return steps_.empty(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Tick();

    TForm& form_;
    HWND window_ = nullptr;
    std::deque<std::function<void()>> steps_;
    std::function<void()> forceClose_;
    int idleTicks_ = 0;
};

// Keys as the system would post them to the focused window.
void PostKey(WORD key);
void PostSysChar(char letter);  // Alt+letter after TranslateMessage
void PostAltF4();
void SetShiftDown(bool down);
