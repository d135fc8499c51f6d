#include "gui/Application.h"

TApplication* Application = nullptr;

namespace {
constexpr char AppWindowClass[] = "TSetupApplication";
}

TApplication::TApplication()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = AppWindowClass;
    RegisterClassA(&wc);
    handle_ = CreateWindowExA(0, AppWindowClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    Application = this;
}

TApplication::~TApplication()
{
    if (Application == this) Application = nullptr;
    if (handle_) DestroyWindow(handle_);
}
