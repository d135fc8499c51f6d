#include "gui/Application.h"
#include "gui/Exceptions.h"
#include "gui/Form.h"
#include "gui/SystemMessageBox.h"

TApplication* Application = nullptr;

namespace {
constexpr char AppWindowClass[] = "TSetupApplication";
constexpr UINT ActivateModalForm = WM_APP + 1;
}

std::wstring ExceptionBoxText(const std::exception_ptr& error)
{
    const std::string text = "Exception " + ExceptionClassName(error);
    return std::wstring(text.begin(), text.end());  // class names are plain ASCII
}

TApplication::TApplication()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = AppWindowClass;
    RegisterClassA(&wc);
    // Zero-sized at the screen's centre: when shown it carries the taskbar button but draws nothing.
    handle_ = CreateWindowExA(0, AppWindowClass, "", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                              nullptr, instance, nullptr);
    Application = this;
}

TApplication::~TApplication()
{
    if (Application == this) Application = nullptr;
    if (handle_) DestroyWindow(handle_);
}

std::string TApplication::Title() const
{
    char buffer[512];
    int n = GetWindowTextA(handle_, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

void TApplication::SetTitle(const std::string& title) { SetWindowTextA(handle_, title.c_str()); }

void TApplication::SetIcon(HICON icon) { SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon)); }

void TApplication::HandleException() noexcept { ShowException(std::current_exception()); }

void TApplication::ShowException(const std::exception_ptr& error) noexcept
{
    if (!error || IsAbort(error)) return;
    try {
        const std::string title = Title();
        SystemMessageBox(handle_, ExceptionBoxText(error), std::wstring(title.begin(), title.end()),
                         MB_OK | MB_ICONERROR | MB_TASKMODAL, 0);
    } catch (...) {
        // Nothing sensible is left to report with; the loop goes on.
    }
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TApplication::ShowTaskbarButton(bool show)
{
    ShowWindow(handle_, show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        TForm* form = Application && Application->handle_ == window ? Application->modalForm_ : nullptr;
        switch (message) {
        case WM_CLOSE:
            // The taskbar button's Close: the modal form decides, the application window never
            // destroys itself (it owns the form).
            if (form && form->HandleAllocated()) PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
            return 0;
        case WM_SETFOCUS:
            if (form && form->HandleAllocated() && IsWindowEnabled(form->Handle())) SetFocus(form->Handle());
            return 0;
        case WM_ACTIVATE:
            // A closing message box hands the activation back to its owner, this window, while the
            // form is still disabled; the keyboard would stay here. Pass it on once the box is gone.
            if (LOWORD(wParam) != WA_INACTIVE && form) PostMessageA(window, ActivateModalForm, 0, 0);
            break;
        case ActivateModalForm:
            if (form && form->HandleAllocated() && IsWindowEnabled(form->Handle()) && GetActiveWindow() == window)
                SetActiveWindow(form->Handle());
            return 0;
        }
    } catch (...) {
        if (Application) Application->HandleException();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
