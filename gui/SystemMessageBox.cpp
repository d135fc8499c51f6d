#include "gui/SystemMessageBox.h"
#include <utility>
#include <vector>

namespace {
TMessageBoxSeam& Seam()
{
    static TMessageBoxSeam seam;
    return seam;
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list)
{
    try {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;  // no error crosses the system's frame; the box is still shown
    }
}
}  // namespace

TMessageBoxSeam SetMessageBoxSeam(TMessageBoxSeam seam)
{
    return std::exchange(Seam(), std::move(seam));
}

int SystemMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style,
                     WORD language)
{
    // The system disables only the owner of a task-modal box that has one; the other windows of
    // the thread (the form owned by the same hidden window) must take no input either.
    std::vector<HWND> disabled;
    if ((style & MB_TASKMODAL) && owner) {
        EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
        for (HWND window : disabled) EnableWindow(window, FALSE);
    }
    int result;
    if (Seam()) result = Seam()(owner, text, caption, style);
    else result = MessageBoxExW(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), style, language);
    for (HWND window : disabled) EnableWindow(window, TRUE);
    return result;
}
