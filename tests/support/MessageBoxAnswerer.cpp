#include "tests/support/MessageBoxAnswerer.h"

namespace {

struct TFindBox {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindBoxProc(HWND window, LPARAM param)
{
    auto* find = reinterpret_cast<TFindBox*>(param);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    if (text != *find->caption) return TRUE;
    find->found = window;
    return FALSE;
}

std::wstring ControlText(HWND control)
{
    const int length = static_cast<int>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = static_cast<int>(
        SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                     reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace

TMessageBoxAnswerer::TMessageBoxAnswerer(std::wstring caption, int press, DWORD timeoutMs)
    : watcher_(&TMessageBoxAnswerer::Watch, this, std::move(caption), press, timeoutMs)
{
}

TMessageBoxAnswerer::~TMessageBoxAnswerer()
{
    if (watcher_.joinable()) watcher_.join();
}

const TMessageBoxSeen& TMessageBoxAnswerer::Seen()
{
    if (watcher_.joinable()) watcher_.join();
    return seen_;
}

void TMessageBoxAnswerer::Watch(std::wstring caption, int press, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    TFindBox find{&caption, nullptr};
    // Sleep between looks: timed waits on the server slow down the program being watched.
    while (!find.found && GetTickCount64() < deadline) {
        EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&find));
        if (!find.found) Sleep(10);
    }
    if (!find.found) return;
    HWND box = find.found;
    seen_.Found = true;
    seen_.Owner = GetWindow(box, GW_OWNER);
    if (HWND text = GetDlgItem(box, 0xFFFF)) seen_.Text = ControlText(text);
    for (int id = IDOK; id <= IDNO; ++id) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) seen_.Buttons.push_back(id);
    }
    if (seen_.Buttons.empty()) return;
    int target = seen_.Buttons.front();
    for (int id : seen_.Buttons)
        if (id == press) target = id;
    seen_.Pressed = target;
    PostMessageW(GetDlgItem(box, target), BM_CLICK, 0, 0);
}
