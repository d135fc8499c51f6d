#pragma once
// The one place where the program calls MessageBoxExW. Test processes may install a seam that
// answers instead of the user; the shipped program never sets it.
#include <windows.h>
#include <functional>
#include <string>

using TMessageBoxSeam =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style)>;

// Installs (or, with an empty function, removes) the seam. Returns the previous one.
TMessageBoxSeam SetMessageBoxSeam(TMessageBoxSeam seam);

// An empty caption gives the system's default one. A task-modal box with an owner also keeps
// the thread's other windows disabled while it is shown.
int SystemMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style,
                     WORD language);
