#include "tests/e2e/SetupRun.h"

#include <shlobj.h>

#include <cmath>
#include <cstring>

#include "archive/PayloadRecords.h"
#include "tests/support/WineHost.h"

namespace {
constexpr char HostProperty[] = "1.x Brinmoor";
constexpr double DaysFrom1601To1899 = 109205.0;
constexpr double TicksPerDay = 864000000000.0;

std::string ResourceBytes(HMODULE module)
{
    HRSRC found = FindResourceA(module, "FILES", "FILES");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR data)
{
    reinterpret_cast<std::vector<WORD>*>(data)->push_back(language);
    return TRUE;
}

struct TWindowSearch {
    DWORD Pid = 0;
    std::string Caption;
    HWND Found = nullptr;
    int Hosts = 0;
    bool Close = false;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (pid == search->Pid && IsWindowVisible(window) && search->Caption == caption) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountHosts(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    if (GetPropA(window, HostProperty)) {
        ++search->Hosts;
        if (search->Close) PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}
}  // namespace

const std::vector<std::string> AddOnFiles = {
    "Norwegian (Nynorsk).asc", "hunspell.dll", "nn_NO.dic", "nn_NO.aff",
    "userdicnon.tlx", "Norwegian (Nynorsk).hyph", "Norwegian (Bokmal).thes",
};

const char SettingsKey[] = "Software\\Corvella Word Processor\\Install";

std::string ScenarioFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string SetupExe() { return ScenarioFolder() + "CorvellaNynorskSpellcheckerSetup.exe"; }
std::string HostExe() { return ScenarioFolder() + "cwp.exe"; }

int ScaledTimeout(int ms) { return sizeof(void*) == 4 ? ms * 5 : ms; }

std::string PayloadResourceOf(const std::string& exe)
{
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    std::string bytes = ResourceBytes(module);
    FreeLibrary(module);
    return bytes;
}

std::map<std::string, TPayloadEntry> PayloadOf(const std::string& exe)
{
    std::map<std::string, TPayloadEntry> entries;
    const std::string resource = PayloadResourceOf(exe);
    TByteBuffer data;
    int32_t size = 0;
    std::vector<TAttachedFile> records;
    if (resource.empty() ||
        InflateBuffer(reinterpret_cast<const uint8_t*>(resource.data()), static_cast<uint32_t>(resource.size()), data,
                      size, 0) != TInflateResult::Done ||
        !ParsePayloadRecords(data.get(), size, records))
        return entries;
    for (const auto& record : records)
        entries[record.FileName] = {
            std::string(reinterpret_cast<const char*>(data.get()) + record.DataOffset, static_cast<size_t>(record.FileSize)),
            record.FileDate};
    return entries;
}

bool CopyWithPayload(const std::string& exe, const std::string& copy, const std::string& payload)
{
    std::vector<WORD> languages;
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return false;
    EnumResourceLanguagesA(module, "FILES", "FILES", CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    FreeLibrary(module);
    if (languages.empty() || !CopyFileA(exe.c_str(), copy.c_str(), FALSE)) return false;
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    if (!update) return false;
    bool ok = true;
    for (WORD language : languages)
        ok = ok && UpdateResourceA(update, "FILES", "FILES", language, const_cast<char*>(payload.data()),
                                   static_cast<DWORD>(payload.size()));
    return EndUpdateResourceA(update, !ok) && ok && PayloadResourceOf(copy) == payload;
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return {};
    return path;
}

std::string CorvellaDataFolder() { return SpecialFolder(CSIDL_COMMON_APPDATA) + "\\Corvella\\"; }

FILETIME LastWriteOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
    return data.ftLastWriteTime;
}

bool SetLastWrite(const std::string& path, const FILETIME& time)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return ok;
}

FILETIME FileTimeOfStamp(TDateTime stamp)
{
    const auto ticks = static_cast<ULONGLONG>(std::llround((stamp + DaysFrom1601To1899) * TicksPerDay));
    FILETIME local{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}, utc{};
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

TDateTime LocalNow()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME local{};
    SystemTimeToFileTime(&now, &local);
    const ULONGLONG ticks = (ULONGLONG(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    return double(ticks) / TicksPerDay - DaysFrom1601To1899;
}

bool operator==(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

std::string StampLine(TDateTime stamp)
{
    unsigned char bytes[8];
    std::memcpy(bytes, &stamp, 8);
    static const char digits[] = "0123456789ABCDEF";
    std::string line = "*";
    for (unsigned char b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    return line;
}

bool ParseStampLine(const std::string& line, TDateTime& stamp)
{
    if (line.size() != 17 || line[0] != '*') return false;
    unsigned char bytes[8];
    for (size_t i = 0; i < 8; ++i) {
        unsigned value = 0;
        for (char c : line.substr(1 + 2 * i, 2)) {
            if (c >= '0' && c <= '9') value = value * 16 + unsigned(c - '0');
            else if (c >= 'A' && c <= 'F') value = value * 16 + unsigned(c - 'A' + 10);
            else return false;
        }
        bytes[i] = static_cast<unsigned char>(value);
    }
    std::memcpy(&stamp, bytes, 8);
    return true;
}

std::vector<std::string> SplitCrLfLines(const std::string& text, bool& allEndInCrLf)
{
    std::vector<std::string> lines;
    allEndInCrLf = true;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find("\r\n", from);
        if (end == std::string::npos) {
            allEndInCrLf = false;
            lines.push_back(text.substr(from));
            break;
        }
        lines.push_back(text.substr(from, end - from));
        from = end + 2;
    }
    return lines;
}

void DeleteSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey); }

TSettings ReadSettings()
{
    TSettings settings;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return settings;
    char text[1024] = {};
    DWORD type = 0, size = sizeof text - 1;
    if (RegQueryValueExA(key, "MAINDIR", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        settings.HasMainDir = true;
        settings.MainDir = text;
    }
    DWORD launch = 0;
    size = sizeof launch;
    if (RegQueryValueExA(key, "LAUNCH", nullptr, &type, reinterpret_cast<BYTE*>(&launch), &size) == ERROR_SUCCESS &&
        type == REG_DWORD) {
        settings.HasLaunch = true;
        settings.Launch = launch;
    }
    RegCloseKey(key);
    return settings;
}

void WriteSettings(const std::string& mainDir, DWORD launch)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "MAINDIR", 0, REG_SZ, reinterpret_cast<const BYTE*>(mainDir.c_str()),
                   static_cast<DWORD>(mainDir.size() + 1));
    RegSetValueExA(key, "LAUNCH", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&launch), sizeof launch);
    RegCloseKey(key);
}

int RunningHosts()
{
    TWindowSearch search;
    EnumWindows(CountHosts, reinterpret_cast<LPARAM>(&search));
    return search.Hosts;
}

bool QuitHosts()
{
    TWindowSearch search;
    search.Close = true;
    EnumWindows(CountHosts, reinterpret_cast<LPARAM>(&search));
    return WaitUntil([] { return RunningHosts() == 0; }, DWORD(ScaledTimeout(10000)));
}

DWORD StartHost(const std::string& exe)
{
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    const DWORD deadline = GetTickCount() + DWORD(ScaledTimeout(10000));
    while (RunningHosts() == 0 && GetTickCount() < deadline) Sleep(20);
    return RunningHosts() ? info.dwProcessId : 0;
}

long long RunAndWait(const std::string& exe, const std::string& arguments, DWORD timeoutMs)
{
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    CloseHandle(info.hThread);
    long long result = -1;
    const DWORD deadline = GetTickCount() + timeoutMs;
    DWORD code = STILL_ACTIVE;
    while (GetExitCodeProcess(info.hProcess, &code) && code == STILL_ACTIVE && GetTickCount() < deadline) Sleep(20);
    if (code != STILL_ACTIVE) result = code;
    else TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    return result;
}

HWND VisibleWindowOf(DWORD pid, const std::string& caption)
{
    TWindowSearch search;
    search.Pid = pid;
    search.Caption = caption;
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
