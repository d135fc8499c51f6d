// A small window program for the driver's own tests. Its controls carry their names the way the
// GUI framework marks them; ReportLbl reports what the program saw.
//   (no arguments)   the window, until closed (close asks "Really quit?"; Yes ends with exit code 0)
//   --exit <n>       no window: ends at once with exit code n
//   --delay <ms>     shows the window only after this time
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char Caption[] = "Driver Test Window";
enum : int { AskId = 100, QuitId, OptionId, ItemsLstId, ItemsCmbId, HiddenId, DisabledId, SlowId, NameId, InfoId };

HWND MainWindow, Info, NameEdit;
std::vector<std::pair<HWND, ATOM>> Names;

void Report(const std::string& text) { SetWindowTextA(Info, text.c_str()); }

HWND Add(const char* name, const char* windowClass, const char* text, DWORD style, int id, int x, int y, int w, int h)
{
    HWND control = CreateWindowExA(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, MainWindow,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    const ATOM atom = GlobalAddAtomA(name);
    SetPropA(control, "GuiControlName", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
    Names.emplace_back(control, atom);
    return control;
}

// Global atoms outlive the process that added them.
void ForgetNames()
{
    for (const auto& [control, atom] : Names) {
        RemovePropA(control, "GuiControlName");
        GlobalDeleteAtom(atom);
    }
    Names.clear();
}

std::string ListText(HWND list, UINT getLength, UINT getText, int index)
{
    std::string text(static_cast<size_t>(SendMessageA(list, getLength, index, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(list, getText, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void AskToQuit(HWND window)
{
    if (MessageBoxA(window, "Really quit?", Caption, MB_YESNO | MB_ICONQUESTION) == IDYES) DestroyWindow(window);
    else Report("Stayed");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (id == AskId && code == BN_CLICKED) {
            int answer = MessageBoxA(window, "Proceed?\r\rSecond line", Caption, MB_YESNOCANCEL | MB_ICONQUESTION);
            Report(answer == IDYES ? "Yes" : answer == IDNO ? "No" : answer == IDCANCEL ? "Cancel" : "?");
        } else if (id == QuitId && code == BN_CLICKED) {
            char text[32] = {};
            GetWindowTextA(NameEdit, text, sizeof text);
            ForgetNames();
            ExitProcess(static_cast<UINT>(std::atoi(text)));
        } else if (id == OptionId && code == BN_CLICKED) {
            Report(SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "Option on" : "Option off");
        } else if (id == SlowId && code == BN_CLICKED) {
            Sleep(1500);
            Report("Slow done");
        } else if (id == ItemsLstId && code == LBN_SELCHANGE) {
            Report("Picked " + ListText(control, LB_GETTEXTLEN, LB_GETTEXT, static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0))));
        } else if (id == ItemsCmbId && code == CBN_SELCHANGE) {
            Report("Chose " + ListText(control, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0))));
        }
        return 0;
    }
    case WM_CLOSE:
        AskToQuit(window);
        return 0;
    case WM_DESTROY:
        ForgetNames();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    for (int i = 1; i + 1 < __argc; ++i) {
        if (!std::strcmp(__argv[i], "--exit")) return std::atoi(__argv[i + 1]);
        if (!std::strcmp(__argv[i], "--delay")) Sleep(static_cast<DWORD>(std::atoi(__argv[i + 1])));
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "DriverTestWindow";
    RegisterClassA(&wc);

    // A hidden owner with the same caption, as the GUI framework's application window has.
    HWND owner = CreateWindowExA(0, "DriverTestWindow", Caption, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    MainWindow = CreateWindowExA(0, "DriverTestWindow", Caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100, 360, 260,
                                 owner, nullptr, instance, nullptr);
    Info = Add("ReportLbl", "STATIC", "Ready", 0, InfoId, 10, 10, 330, 20);
    NameEdit = Add("CodeEdt", "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, NameId, 10, 35, 200, 22);
    Add("AskBtn", "BUTTON", "&Ask", BS_PUSHBUTTON, AskId, 10, 65, 80, 24);
    Add("QuitBtn", "BUTTON", "&Quit", BS_PUSHBUTTON, QuitId, 100, 65, 80, 24);
    Add("SlowBtn", "BUTTON", "S&low", BS_PUSHBUTTON, SlowId, 190, 65, 80, 24);
    Add("OptionChk", "BUTTON", "&Option", BS_AUTOCHECKBOX, OptionId, 10, 95, 120, 20);
    HWND hidden = Add("HiddenBtn", "BUTTON", "Hidden", BS_PUSHBUTTON, HiddenId, 190, 95, 80, 24);
    ShowWindow(hidden, SW_HIDE);
    EnableWindow(Add("DisabledBtn", "BUTTON", "Disabled", BS_PUSHBUTTON, DisabledId, 280, 65, 60, 24), FALSE);
    HWND list = Add("ItemsLst", "LISTBOX", "", WS_BORDER | LBS_NOTIFY | LBS_HASSTRINGS, ItemsLstId, 10, 125, 150, 80);
    for (const char* item : {"alpha", "beta", "gamma"}) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    HWND combo = Add("ItemsCmb", "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL, ItemsCmbId, 180, 125, 150, 120);
    for (const char* item : {"one", "two"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    ShowWindow(MainWindow, SW_SHOW);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            AskToQuit(MainWindow);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
