#include "gui/SystemMessageBox.h"
#include "utils/Handle.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <climits>
#include <string>

namespace {

class TWindow {
public:
    TWindow(const wchar_t* className, DWORD style, HWND parent, int id)
        : handle_(CreateWindowExW(0, className, L"", style, 0, 0, 10, 10, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr))
    {
    }
    ~TWindow()
    {
        if (handle_) DestroyWindow(handle_);
    }
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

struct TEnumProbe {
    HWND Target = nullptr;
    int StopAfter = 0;
    int Calls = 0;
    bool SawTarget = false;
};

BOOL CALLBACK ProbeWindow(HWND window, LPARAM param)
{
    auto& probe = *reinterpret_cast<TEnumProbe*>(param);
    ++probe.Calls;
    if (window == probe.Target) probe.SawTarget = true;
    return probe.Calls < probe.StopAfter;
}

TEST(PlatformCallbacks, EnumerationCallbackGetsItsParameterAndCanStop)
{
    TWindow parent(L"STATIC", WS_POPUP, nullptr, 0);
    ASSERT_NE(parent.Handle(), nullptr);
    TWindow first(L"STATIC", WS_CHILD, parent.Handle(), 1);
    TWindow second(L"STATIC", WS_CHILD, parent.Handle(), 2);
    TWindow third(L"STATIC", WS_CHILD, parent.Handle(), 3);

    TEnumProbe topLevel{parent.Handle(), INT_MAX};
    EnumWindows(ProbeWindow, reinterpret_cast<LPARAM>(&topLevel));
    EXPECT_TRUE(topLevel.SawTarget);

    struct {
        int StopAfter, Calls;
    } const cases[] = {{100, 3}, {2, 2}, {1, 1}};
    for (const auto& c : cases) {
        TEnumProbe children{third.Handle(), c.StopAfter};
        EnumChildWindows(parent.Handle(), ProbeWindow, reinterpret_cast<LPARAM>(&children));
        EXPECT_EQ(children.Calls, c.Calls) << "stop after " << c.StopAfter;
        EXPECT_EQ(children.SawTarget, c.Calls == 3) << "stop after " << c.StopAfter;
    }
}

// Calls through looked-up pointers many times over: a pointer type whose calling convention
// differs from the function's moves the stack on every call, which an i686 build does not survive.
TEST(PlatformCallbacks, LookedUpFunctionsKeepTheirCallingConvention)
{
    using TMulDiv = int(WINAPI*)(int, int, int);
    using TFormat = int(__cdecl*)(LPWSTR, LPCWSTR, ...);
    const auto mulDiv = reinterpret_cast<TMulDiv>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "MulDiv"));
    const auto format = reinterpret_cast<TFormat>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "wsprintfW"));
    ASSERT_NE(mulDiv, nullptr);
    ASSERT_NE(format, nullptr);

    struct {
        int Number, Numerator, Denominator, Expected;
    } const cases[] = {{10, 3, 4, 8}, {-10, 3, 4, -8}, {7, 1, 0, -1}, {0x40000000, 4, 2, -1}};
    for (const auto& c : cases) {
        int result = 0;
        for (int i = 0; i < 2000; ++i)
            result = mulDiv(c.Number, c.Numerator, c.Denominator);
        EXPECT_EQ(result, c.Expected) << c.Number << " * " << c.Numerator << " / " << c.Denominator;
    }

    wchar_t text[64] = {};
    int length = 0;
    for (int i = 0; i < 2000; ++i)
        length = format(text, L"%s %d %c", L"nynorsk", i, L'\x00E6');
    EXPECT_EQ(length, 14);
    EXPECT_STREQ(text, L"nynorsk 1999 \x00E6");
}

struct TBoxAnswer {
    const wchar_t* Caption = nullptr;
    int Button = 0;
    std::wstring SeenText;
    std::atomic<bool> Clicked{false};
};

// Answers a message box as the end-to-end driver does: from outside its thread, through messages.
DWORD WINAPI AnswerBox(LPVOID param)
{
    auto& answer = *static_cast<TBoxAnswer*>(param);
    for (int i = 0; i < 1500; ++i) {
        const HWND box = FindWindowW(L"#32770", answer.Caption);
        const HWND button = box ? GetDlgItem(box, answer.Button) : nullptr;
        // Until the box is shown its text may not be set yet.
        if (button && IsWindowVisible(box)) {
            wchar_t text[256] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 256);
            answer.SeenText = text;
            SendMessageW(button, BM_CLICK, 0, 0);
            answer.Clicked = true;
            return 0;
        }
        Sleep(20);
    }
    return 1;
}

TEST(PlatformMessageBox, AnsweredFromAnotherThreadReturnsTheClickedButton)
{
    const std::wstring text = L"Fortsetje installasjonen?\n\x00C6\x00D8\x00C5 \x00E6\x00F8\x00E5";
    struct {
        const wchar_t* Caption;
        UINT Style;
        int Button;
    } const cases[] = {{L"Platform box A", MB_YESNO | MB_ICONQUESTION, IDNO},
                       {L"Platform box B", MB_OKCANCEL | MB_ICONWARNING, IDCANCEL},
                       {L"Platform box C", MB_YESNOCANCEL | MB_ICONERROR, IDYES}};
    for (const auto& c : cases) {
        TBoxAnswer answer;
        answer.Caption = c.Caption;
        answer.Button = c.Button;
        TKernelHandle thread(CreateThread(nullptr, 0, AnswerBox, &answer, 0, nullptr));
        ASSERT_TRUE(thread);
        const int result = SystemMessageBox(nullptr, text, c.Caption, c.Style, 0);
        WaitForSingleObject(thread.Get(), INFINITE);
        EXPECT_TRUE(answer.Clicked) << "no box titled " << c.Caption;
        EXPECT_EQ(result, c.Button);
        EXPECT_EQ(answer.SeenText, text);
    }
}

}  // namespace
