// The stand-in for the host word processor, built as cwp.exe for the end-to-end tests; never shipped.
//
//   cwp.exe [--quit-after <ms>] [--hidden]
//       Shows a top-level window "Corvella Word Processor" that carries the property
//       "1.x Brinmoor" = 1, as every window of a running host does, until it is closed (WM_CLOSE)
//       or the time has passed. Exit code 0.
//   cwp.exe --spell <output file> [--language-folder <folder>] <word>...
//       Uses the installed add-on as the word processor does: finds the language folder (see
//       HostFolders.h; --language-folder names it instead), loads hunspell.dll from there, makes a
//       speller of nn_NO.aff and nn_NO.dic, and writes to the output file (UTF-8, CR LF):
//           language folder: <folder>
//           <word>: correct
//           <word>: wrong; suggestions: <first>, <second>, ...   (at most five)
//       Exit code 0; 2 no language folder, 3 no usable hunspell.dll, 4 no dictionary,
//       5 the output file cannot be written.
//
// Every start appends one line to the marker file: the current folder, a tab, the command line.
// The marker file is named by the environment variable CWP_MARKER_FILE, else it is
// "cwp-started.txt" beside cwp.exe.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/e2e/HostFolders.h"

namespace {

constexpr char HostProperty[] = "1.x Brinmoor";
constexpr char HostCaption[] = "Corvella Word Processor";
constexpr UINT_PTR QuitTimer = 1;

std::string ModuleFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool AppendToFile(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

void RecordStart()
{
    char marker[MAX_PATH] = {};
    std::string path = GetEnvironmentVariableA("CWP_MARKER_FILE", marker, MAX_PATH) ? marker : ModuleFolder() + "cwp-started.txt";
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    AppendToFile(path, std::string(folder) + "\t" + GetCommandLineA() + "\r\n");
}

std::string Narrow(const std::wstring& text, UINT codePage)
{
    if (text.empty()) return {};
    int size = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text, UINT codePage)
{
    if (text.empty()) return {};
    int size = MultiByteToWideChar(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? path : "";
}

// hunspell's C interface is cdecl on every architecture.
struct Hunhandle;
using THunspellCreate = Hunhandle*(__cdecl*)(const char* affix, const char* dictionary);
using THunspellDestroy = void(__cdecl*)(Hunhandle*);
using THunspellSpell = int(__cdecl*)(Hunhandle*, const char* word);
using THunspellSuggest = int(__cdecl*)(Hunhandle*, char*** list, const char* word);
using THunspellFreeList = void(__cdecl*)(Hunhandle*, char*** list, int count);
using THunspellEncoding = char*(__cdecl*)(Hunhandle*);

UINT CodePageOf(const std::string& encoding)
{
    if (encoding == "UTF-8") return CP_UTF8;
    if (encoding == "ISO8859-1") return 28591;
    if (encoding == "ISO8859-15") return 28605;
    return CP_ACP;
}

int Spell(const std::wstring& output, const std::wstring& languageFolder, const std::vector<std::wstring>& words)
{
    std::string folder;
    if (!languageFolder.empty()) {
        folder = Narrow(languageFolder, CP_ACP);
        if (folder.back() != '\\') folder += '\\';
    } else {
        THostPlace place;
        place.HomeDir = ModuleFolder();
        place.Portable = GetDriveTypeA(place.HomeDir.substr(0, 3).c_str()) == DRIVE_REMOVABLE;
        place.CommonAppData = SpecialFolder(CSIDL_COMMON_APPDATA);
        place.Documents = SpecialFolder(CSIDL_PERSONAL);
        folder = LanguageFolderOf(place, FolderExists);
    }

    std::string report;
    auto finish = [&](int code) {
        HANDLE file = CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 5;
        DWORD written = 0;
        const bool ok = WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &written, nullptr) && written == report.size();
        CloseHandle(file);
        return ok ? code : 5;
    };
    if (folder.empty()) {
        report = "no language folder\r\n";
        return finish(2);
    }
    report = "language folder: " + Narrow(Widen(folder, CP_ACP), CP_UTF8) + "\r\n";

    HMODULE engine = LoadLibraryA((folder + "hunspell.dll").c_str());
    if (!engine) {
        report += "cannot load hunspell.dll\r\n";
        return finish(3);
    }
    auto create = reinterpret_cast<THunspellCreate>(GetProcAddress(engine, "Hunspell_create"));
    auto destroy = reinterpret_cast<THunspellDestroy>(GetProcAddress(engine, "Hunspell_destroy"));
    auto spell = reinterpret_cast<THunspellSpell>(GetProcAddress(engine, "Hunspell_spell"));
    auto suggest = reinterpret_cast<THunspellSuggest>(GetProcAddress(engine, "Hunspell_suggest"));
    auto freeList = reinterpret_cast<THunspellFreeList>(GetProcAddress(engine, "Hunspell_free_list"));
    auto encoding = reinterpret_cast<THunspellEncoding>(GetProcAddress(engine, "Hunspell_get_dic_encoding"));
    if (!create || !destroy || !spell || !suggest || !freeList) {
        report += "hunspell.dll lacks its C interface\r\n";
        FreeLibrary(engine);
        return finish(3);
    }
    const std::string affix = folder + "nn_NO.aff", dictionary = folder + "nn_NO.dic";
    if (!FileExists(affix) || !FileExists(dictionary)) {
        report += "no nn_NO.aff and nn_NO.dic\r\n";
        FreeLibrary(engine);
        return finish(4);
    }
    Hunhandle* speller = create(affix.c_str(), dictionary.c_str());
    if (!speller) {
        report += "hunspell refused the dictionary\r\n";
        FreeLibrary(engine);
        return finish(4);
    }
    const UINT codePage = encoding ? CodePageOf(encoding(speller)) : CP_ACP;
    for (const std::wstring& word : words) {
        const std::string coded = Narrow(word, codePage);
        report += Narrow(word, CP_UTF8) + ": ";
        if (spell(speller, coded.c_str())) {
            report += "correct\r\n";
            continue;
        }
        char** list = nullptr;
        const int count = suggest(speller, &list, coded.c_str());
        report += "wrong; suggestions:";
        for (int i = 0; i < count && i < 5; ++i) report += std::string(i ? ", " : " ") + Narrow(Widen(list[i], codePage), CP_UTF8);
        report += "\r\n";
        if (list) freeList(speller, &list, count);
    }
    destroy(speller);
    FreeLibrary(engine);
    return finish(0);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == QuitTimer) DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawTextA(dc, "Corvella Word Processor (test stand-in)", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        RemovePropA(window, HostProperty);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int ShowHost(HINSTANCE instance, UINT quitAfter, bool hidden)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "CorvellaStandInHost";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, HostCaption, WS_OVERLAPPEDWINDOW, 40, 40, 420, 200, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    SetPropA(window, HostProperty, reinterpret_cast<HANDLE>(1));
    if (quitAfter) SetTimer(window, QuitTimer, quitAfter, nullptr);
    if (!hidden) ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RecordStart();
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(argv + 1, argv + count);
    LocalFree(argv);

    if (!args.empty() && args[0] == L"--spell") {
        if (args.size() < 2) return 5;
        std::wstring folder;
        size_t first = 2;
        if (args.size() > 3 && args[2] == L"--language-folder") {
            folder = args[3];
            first = 4;
        }
        return Spell(args[1], folder, std::vector<std::wstring>(args.begin() + static_cast<std::ptrdiff_t>(first), args.end()));
    }
    UINT quitAfter = 0;
    bool hidden = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--quit-after" && i + 1 < args.size()) quitAfter = static_cast<UINT>(_wtoi(args[++i].c_str()));
        else if (args[i] == L"--hidden") hidden = true;
    }
    return ShowHost(instance, quitAfter, hidden);
}
