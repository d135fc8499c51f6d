#include "tests/e2e/Driver.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace {

constexpr int PollMs = 20;
constexpr char ControlNameProperty[] = "GuiControlName";
constexpr UINT SendTimeoutMs = 5000;

struct TButtonName {
    int Id;
    const char* Name;
};
constexpr TButtonName ButtonNames[] = {{IDOK, "OK"},     {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
                                       {IDIGNORE, "Ignore"}, {IDYES, "Yes"},   {IDNO, "No"}};

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::string ControlNameOf(HWND window)
{
    auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropA(window, ControlNameProperty)));
    if (!atom) return {};
    char name[256] = {};
    UINT length = GlobalGetAtomNameA(atom, name, sizeof name);
    return std::string(name, length);
}

// Texts cross the process boundary as UTF-16: the system converts them for the program's 8-bit
// windows, while 8-bit list texts sent across processes arrive unconverted.
std::string Ansi(const std::wstring& text)
{
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text)
{
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

template <class F>
BOOL CALLBACK EnumThunk(HWND window, LPARAM data)
{
    return (*reinterpret_cast<F*>(data))(window) ? TRUE : FALSE;
}

// `f` returns false to stop the enumeration.
template <class F>
void ForEachTopWindow(F&& f)
{
    EnumWindows(EnumThunk<std::remove_reference_t<F>>, reinterpret_cast<LPARAM>(&f));
}

template <class F>
void ForEachChild(HWND parent, F&& f)
{
    EnumChildWindows(parent, EnumThunk<std::remove_reference_t<F>>, reinterpret_cast<LPARAM>(&f));
}

// PNG writing: signature, IHDR, one IDAT, IEND; 8-bit RGB rows each behind filter byte 0.
void PutBig32(std::string& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* kind, const std::string& data)
{
    PutBig32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(kind, 4) + data;
    out += body;
    PutBig32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace

int ButtonIdOf(const std::string& name)
{
    for (const auto& b : ButtonNames)
        if (Lower(name) == Lower(b.Name)) return b.Id;
    return 0;
}

std::string ButtonNameOf(int id)
{
    for (const auto& b : ButtonNames)
        if (b.Id == id) return b.Name;
    return {};
}

std::string ButtonNamesOf(const std::vector<int>& ids)
{
    std::string names;
    for (int id : ids) names += (names.empty() ? "" : ",") + ButtonNameOf(id);
    return names;
}

std::string WindowsPathOf(const std::string& path)
{
    if (path.empty() || path[0] != '/') return path;
    // Wine's own export: maps a Unix path through the prefix's drive letters.
    using TDosFileName = WCHAR*(__cdecl*)(LPCSTR);
    auto dosName = reinterpret_cast<TDosFileName>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name"));
    if (!dosName) return path;
    WCHAR* wide = dosName(path.c_str());
    if (!wide) return path;
    char buffer[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, sizeof buffer, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    return buffer;
}

bool SaveScreenArea(const RECT& area, const std::string& path)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    TGdiObject bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bool copied = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap.Get());
        copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied) return false;

    const int stride = (width * 3 + 3) & ~3;
    const auto* pixels = static_cast<const unsigned char*>(bits);
    std::string lower = Lower(path);
    std::string out;
    if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".png") == 0) {
        std::string raw;
        raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
        for (int y = 0; y < height; ++y) {
            raw += '\0';
            const unsigned char* row = pixels + static_cast<size_t>(y) * stride;
            for (int x = 0; x < width; ++x) {
                raw += static_cast<char>(row[x * 3 + 2]);
                raw += static_cast<char>(row[x * 3 + 1]);
                raw += static_cast<char>(row[x * 3]);
            }
        }
        uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
        std::string packed(packedSize, '\0');
        if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                      static_cast<uLong>(raw.size()), 6) != Z_OK)
            return false;
        packed.resize(packedSize);
        std::string header;
        PutBig32(header, static_cast<uint32_t>(width));
        PutBig32(header, static_cast<uint32_t>(height));
        header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
        out = "\x89PNG\r\n\x1a\n";
        PutChunk(out, "IHDR", header);
        PutChunk(out, "IDAT", packed);
        PutChunk(out, "IEND", "");
    } else {
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER bottomUp = info.bmiHeader;
        bottomUp.biHeight = height;
        bottomUp.biSizeImage = static_cast<DWORD>(stride) * height;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof bottomUp;
        file.bfSize = file.bfOffBits + bottomUp.biSizeImage;
        out.append(reinterpret_cast<const char*>(&file), sizeof file);
        out.append(reinterpret_cast<const char*>(&bottomUp), sizeof bottomUp);
        for (int y = height - 1; y >= 0; --y)
            out.append(reinterpret_cast<const char*>(pixels) + static_cast<size_t>(y) * stride, stride);
    }
    return WriteWholeFile(path, out);
}

TDriver::TDriver(std::string caption) : caption_(std::move(caption)) {}

TDriver::~TDriver() { Terminate(); }

bool TDriver::Fail(std::string error)
{
    error_ = std::move(error);
    return false;
}

bool TDriver::Start(const std::string& exe, const std::string& arguments, const std::string& folder)
{
    Terminate();
    const std::string path = WindowsPathOf(exe);
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return Fail("cannot start " + path + " (error " + std::to_string(GetLastError()) + ")");
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
    window_ = nullptr;
    return true;
}

bool TDriver::Running() const
{
    DWORD code = 0;
    return process_ && GetExitCodeProcess(process_.Get(), &code) && code == STILL_ACTIVE;
}

long long TDriver::WaitForExit()
{
    if (!process_) {
        Fail("no program was started");
        return -1;
    }
    DWORD code = STILL_ACTIVE;
    if (!WaitUntil([&] { return GetExitCodeProcess(process_.Get(), &code) && code != STILL_ACTIVE; })) {
        Fail("the program did not end within " + std::to_string(timeout_) + " ms");
        return -1;
    }
    return code;
}

void TDriver::Terminate()
{
    if (Running()) {
        TerminateProcess(process_.Get(), 255);
        for (int i = 0; i < 250 && Running(); ++i) Sleep(PollMs);
    }
    window_ = nullptr;
}

bool TDriver::WaitUntil(const std::function<bool()>& done)
{
    const ULONGLONG deadline = GetTickCount64() + timeout_;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(PollMs);
    }
}

HWND TDriver::WaitForWindow()
{
    HWND found = nullptr;
    auto find = [&] {
        ForEachTopWindow([&](HWND window) {
            if (ProcessOf(window) != processId_ || !IsWindowVisible(window) || ClassOf(window) == "#32770") return true;
            // A visible zero-sized window of the same caption is an application window that only
            // carries the taskbar button.
            RECT bounds{};
            if (!GetWindowRect(window, &bounds) || bounds.right <= bounds.left || bounds.bottom <= bounds.top) return true;
            char text[512] = {};
            GetWindowTextA(window, text, sizeof text);
            if (caption_ != text) return true;
            found = window;
            return false;
        });
        return found != nullptr;
    };
    if (!processId_ || !WaitUntil([&] { return find() || !Running(); }) || !found) {
        Fail(std::string("no visible window \"") + caption_ + "\"" + (Running() ? " appeared in time" : ": the program has ended"));
        return nullptr;
    }
    window_ = found;
    return found;
}

HWND TDriver::Control(const std::string& name)
{
    if (!window_ || !IsWindow(window_)) {
        Fail("the program has no window to look for " + name + " in");
        return nullptr;
    }
    HWND found = nullptr;
    ForEachChild(window_, [&](HWND child) {
        if (ControlNameOf(child) != name) return true;
        found = child;
        return false;
    });
    if (!found) Fail("no control named " + name);
    return found;
}

bool TDriver::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, UINT timeout)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeout ? timeout : SendTimeoutMs, &answer))
        return Fail("the program did not answer message " + std::to_string(message));
    result = static_cast<LRESULT>(answer);
    return true;
}

bool TDriver::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!PostMessageA(window, message, wParam, lParam)) return Fail("cannot post message " + std::to_string(message));
    return true;
}

bool TDriver::ReadText(HWND window, UINT lengthMessage, UINT textMessage, WPARAM index, std::string& text)
{
    LRESULT length = 0, copied = 0;
    if (!Send(window, lengthMessage, index, 0, length)) return false;
    if (length < 0) return Fail("no item " + std::to_string(index));
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const WPARAM first = textMessage == WM_GETTEXT ? buffer.size() : index;
    if (!Send(window, textMessage, first, reinterpret_cast<LPARAM>(buffer.data()), copied)) return false;
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    text = Ansi(buffer);
    return true;
}

std::string TDriver::Text(const std::string& name)
{
    HWND control = Control(name);
    std::string text;
    if (control) ReadText(control, WM_GETTEXTLENGTH, WM_GETTEXT, 0, text);
    return text;
}

std::string TDriver::WindowCaption()
{
    if (!window_) return {};
    char text[512] = {};
    GetWindowTextA(window_, text, sizeof text);
    return text;
}

bool TDriver::Visible(const std::string& name)
{
    HWND control = Control(name);
    return control && IsWindowVisible(control);
}

bool TDriver::Enabled(const std::string& name)
{
    HWND control = Control(name);
    return control && IsWindowEnabled(control);
}

bool TDriver::Checked(const std::string& name)
{
    HWND control = Control(name);
    LRESULT state = 0;
    return control && Send(control, BM_GETCHECK, 0, 0, state) && state == BST_CHECKED;
}

namespace {
enum class TListKind { None, List, Combo };

// The GUI framework superclasses the system list and combo boxes under its own class names, which
// still say what they are.
TListKind ListKindOf(HWND window)
{
    const std::string name = Lower(ClassOf(window));
    if (name.find("combo") != std::string::npos) return TListKind::Combo;
    if (name.find("list") != std::string::npos) return TListKind::List;
    return TListKind::None;
}
}  // namespace

int TDriver::Selection(const std::string& name)
{
    HWND control = Control(name);
    if (!control) return -1;
    const TListKind kind = ListKindOf(control);
    if (kind == TListKind::None) {
        Fail(name + " is no list or combo box");
        return -1;
    }
    LRESULT index = -1;
    Send(control, kind == TListKind::List ? LB_GETCURSEL : CB_GETCURSEL, 0, 0, index);
    return static_cast<int>(index);
}

std::vector<std::string> TDriver::Items(const std::string& name)
{
    std::vector<std::string> items;
    HWND control = Control(name);
    if (!control) return items;
    const TListKind kind = ListKindOf(control);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool list = kind == TListKind::List;
    // An owner-drawn box without strings keeps only item data, which means nothing to us.
    const bool ownerDrawn = list ? (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0
                                 : (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
    const bool strings = (style & (list ? LBS_HASSTRINGS : CBS_HASSTRINGS)) != 0;
    if (kind == TListKind::None || (ownerDrawn && !strings)) {
        Fail(name + " keeps no item texts");
        return items;
    }
    LRESULT count = 0;
    if (!Send(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0, count)) return items;
    for (LRESULT i = 0; i < count; ++i) {
        std::string text;
        ReadText(control, list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, list ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(i), text);
        items.push_back(text);
    }
    return items;
}

HWND TDriver::Usable(const std::string& name, bool mustBeEnabled)
{
    HWND control = Control(name);
    if (!control) return nullptr;
    if (!IsWindowVisible(control)) {
        Fail(name + " is not visible");
        return nullptr;
    }
    if (mustBeEnabled && !IsWindowEnabled(control)) {
        Fail(name + " is disabled");
        return nullptr;
    }
    return control;
}

bool TDriver::SetText(const std::string& name, const std::string& text)
{
    HWND control = Usable(name, true);
    LRESULT ignored = 0;
    const std::wstring wide = Wide(text);
    return control && Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), ignored, timeout_);
}

bool TDriver::Click(const std::string& name)
{
    HWND button = Usable(name, true);
    // Posted: the click may open a modal box, and a sent click would then wait for it to close.
    return button && Post(button, BM_CLICK, 0, 0) && SettleOn(button);
}

bool TDriver::SetChecked(const std::string& name, bool checked)
{
    HWND box = Usable(name, true);
    LRESULT state = 0;
    if (!box || !Send(box, BM_GETCHECK, 0, 0, state)) return false;
    if ((state == BST_CHECKED) == checked) return true;
    return Click(name);
}

bool TDriver::Select(const std::string& name, int index)
{
    HWND control = Usable(name, true);
    if (!control) return false;
    const TListKind kind = ListKindOf(control);
    if (kind == TListKind::None) return Fail(name + " is no list or combo box");
    const bool list = kind == TListKind::List;
    LRESULT result = 0;
    if (!Send(control, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0, result)) return false;
    if (result == (list ? LB_ERR : CB_ERR) || result != index) return Fail(name + " has no item " + std::to_string(index));
    // A program sets the selection without notification; the user's selection notifies the parent.
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), list ? LBN_SELCHANGE : CBN_SELCHANGE);
    return Post(GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control)) && Settle();
}

bool TDriver::Key(const std::string& key, bool alt)
{
    if (!window_ || !IsWindow(window_)) return Fail("the program has no window");
    static const struct {
        const char* Name;
        UINT Vk;
    } keys[] = {{"ESCAPE", VK_ESCAPE}, {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN}, {"TAB", VK_TAB},
                {"SPACE", VK_SPACE},   {"F4", VK_F4},         {"UP", VK_UP},         {"DOWN", VK_DOWN}};
    UINT vk = 0;
    for (const auto& k : keys)
        if (Lower(key) == Lower(k.Name)) vk = k.Vk;
    if (!vk && key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0])))
        vk = static_cast<UINT>(std::toupper(static_cast<unsigned char>(key[0])));
    if (!vk) return Fail("unknown key " + key);

    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    HWND target = window_;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &thread) && thread.hwndFocus &&
        ProcessOf(thread.hwndFocus) == processId_)
        target = thread.hwndFocus;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM altBit = alt ? (1 << 29) : 0;
    // Posted: a message loop translates them as it would typed keys (dialog keys, access keys).
    return Post(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | scan | altBit) &&
           Post(target, alt ? WM_SYSKEYUP : WM_KEYUP, vk, 1 | scan | altBit | (1 << 30) | (LPARAM(1) << 31)) && Settle();
}

bool TDriver::Close()
{
    if (!window_ || !IsWindow(window_)) return Fail("the program has no window");
    return Post(window_, WM_CLOSE, 0, 0) && Settle();
}

bool TDriver::SysClose()
{
    if (!window_ || !IsWindow(window_)) return Fail("the program has no window");
    return Post(window_, WM_SYSCOMMAND, SC_CLOSE, 0) && Settle();
}

HWND TDriver::MarkerButton()
{
    HWND found = nullptr;
    if (window_ && IsWindow(window_))
        ForEachChild(window_, [&](HWND child) {
            if (Lower(ClassOf(child)).find("button") == std::string::npos) return true;
            found = child;
            return false;
        });
    return found;
}

bool TDriver::Settle()
{
    if (!Running() || !window_ || !IsWindow(window_)) return true;
    HWND marker = MarkerButton();
    if (!marker) {
        // No button to carry a marker: let the program run a moment instead.
        Sleep(200);
        return true;
    }
    return SettleOn(marker);
}

// Messages posted to windows of one thread are taken from its queue in order. A button state
// posted behind them shows, once it is set, that they were all taken: handled, or being handled
// inside a modal loop, which is where the message was taken.
bool TDriver::SettleOn(HWND button)
{
    if (!PostMessageA(button, BM_SETSTATE, TRUE, 0)) return !IsWindow(button) || !Running() ? true : Fail("cannot reach the program");
    bool marked = false;
    const bool done = WaitUntil([&] {
        if (!Running() || !IsWindow(button)) return true;
        DWORD_PTR state = 0;
        marked = SendMessageTimeoutA(button, BM_GETSTATE, 0, 0, SMTO_NORMAL, 200, &state) && (state & BST_PUSHED);
        return marked;
    });
    if (marked) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(button, BM_SETSTATE, FALSE, 0, SMTO_NORMAL, SendTimeoutMs, &ignored);
    }
    return done ? true : Fail("the program did not handle the message within " + std::to_string(timeout_) + " ms");
}

HWND TDriver::FindMessageBox()
{
    HWND found = nullptr;
    if (!processId_) return nullptr;
    ForEachTopWindow([&](HWND window) {
        if (ProcessOf(window) != processId_ || !IsWindowVisible(window) || ClassOf(window) != "#32770") return true;
        found = window;
        return false;
    });
    return found;
}

bool TDriver::MessageBoxOpen() { return FindMessageBox() != nullptr; }

bool TDriver::WaitForMessageBox(TMessageBoxInfo& box)
{
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = FindMessageBox()) != nullptr || !Running(); }) || !window)
        return Fail(Running() ? "no message box appeared in time" : "the program ended without a message box");
    box = {};
    box.Window = window;
    char caption[512] = {};
    GetWindowTextA(window, caption, sizeof caption);
    box.Caption = caption;
    if (HWND text = GetDlgItem(window, 0xFFFF)) ReadText(text, WM_GETTEXTLENGTH, WM_GETTEXT, 0, box.Text);
    for (int id = IDOK; id <= IDNO; ++id)
        if (HWND button = GetDlgItem(window, id); button && IsWindowVisible(button)) box.Buttons.push_back(id);
    return true;
}

bool TDriver::Answer(const TMessageBoxInfo& box, int id)
{
    if (std::find(box.Buttons.begin(), box.Buttons.end(), id) == box.Buttons.end())
        return Fail("the message box has no button " + ButtonNameOf(id) + " (it has " + ButtonNamesOf(box.Buttons) + ")");
    // What the button sends when clicked; a click of a box that is not the active window may be lost.
    if (!Post(box.Window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box.Window, id))))
        return false;
    if (!WaitUntil([&] { return !IsWindow(box.Window) || !IsWindowVisible(box.Window) || !Running(); }))
        return Fail("the message box did not close");
    return Settle();
}

bool TDriver::WaitForPaint(HWND window)
{
    auto pending = [](HWND w) { return GetUpdateRect(w, nullptr, FALSE) != FALSE; };
    const int saved = timeout_;
    timeout_ = std::min(timeout_, 2000);
    WaitUntil([&] {
        bool any = pending(window);
        if (!any)
            ForEachChild(window, [&](HWND child) {
                any = IsWindowVisible(child) && pending(child);
                return !any;
            });
        return !any;
    });
    timeout_ = saved;
    return true;
}

bool TDriver::SaveScreenshot(const std::string& path)
{
    if (!window_ || !IsWindow(window_) || !IsWindowVisible(window_)) return Fail("the program shows no window");
    Settle();
    WaitForPaint(window_);
    RECT area{};
    GetWindowRect(window_, &area);
    // An open message box may lie beside the window: take both.
    if (HWND box = FindMessageBox()) {
        WaitForPaint(box);
        RECT boxArea{};
        GetWindowRect(box, &boxArea);
        UnionRect(&area, &area, &boxArea);
    }
    return SaveScreenArea(area, path) ? true : Fail("cannot write the screenshot " + path);
}

bool TDriver::SaveScreen(const std::string& path)
{
    if (window_ && IsWindow(window_)) {
        Settle();
        WaitForPaint(window_);
    }
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return SaveScreenArea(area, path) ? true : Fail("cannot write the screenshot " + path);
}
