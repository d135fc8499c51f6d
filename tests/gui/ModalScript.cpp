#include "ModalScript.h"
#include <gtest/gtest.h>

namespace {
constexpr char ScriptClass[] = "TestModalScript";
constexpr UINT_PTR ScriptTimer = 77;
}

TModalScript::TModalScript(TForm& form) : form_(form)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = ScriptClass;
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, ScriptClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TModalScript::~TModalScript() { DestroyWindow(window_); }

TModalScript& TModalScript::Then(std::function<void()> step)
{
    steps_.push_back(std::move(step));
    return *this;
}

int TModalScript::Run(std::function<void()> forceClose)
{
    forceClose_ = std::move(forceClose);
    idleTicks_ = 0;
    SetTimer(window_, ScriptTimer, 10, nullptr);
    const int result = form_.ShowModal();
    KillTimer(window_, ScriptTimer);
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " steps did not run: the modal run ended early";
    steps_.clear();
    return result;
}

void TModalScript::Tick()
{
    if (!form_.InModalRun()) return;
    if (!steps_.empty()) {
        auto step = std::move(steps_.front());
        steps_.pop_front();
        step();
        return;
    }
    if (++idleTicks_ == 100) {
        ADD_FAILURE() << "the form is still open after the last step";
        if (forceClose_) forceClose_();
    }
}

LRESULT CALLBACK TModalScript::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == ScriptTimer) {
        try {
            if (auto* self = reinterpret_cast<TModalScript*>(GetWindowLongPtrA(window, GWLP_USERDATA))) self->Tick();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "a script step threw: " << e.what();
        } catch (...) {
            ADD_FAILURE() << "a script step threw";
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PostKey(WORD key)
{
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

void PostSysChar(char letter)
{
    PostMessageA(GetFocus(), WM_SYSCHAR, static_cast<unsigned char>(letter), 0x20000001);
}

void PostAltF4()
{
    PostMessageA(GetFocus(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
}

void SetShiftDown(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}
