#include "utils/InstUtils.h"

#include <ole2.h>
#include <shlobj.h>
#include <winioctl.h>
#include <cmath>
#include <cstring>
#include <vector>
#include "utils/Handle.h"

TFolderService FolderService = nullptr;

// ---- Character width -----------------------------------------------------------------------

std::wstring ToWide(const std::string& s)
{
    if (s.empty()) return {};
    const int length = static_cast<int>(s.size());
    std::wstring result(s.size(), L'\0');
    const int n = MultiByteToWideChar(1252, MB_PRECOMPOSED, s.data(), length, result.data(), length);
    result.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return result;
}

// ---- Path text -----------------------------------------------------------------------------

void AddBackslash(std::string& path)
{
    if (path.empty()) return;
    if (path.back() == '/' || path.back() == '\\')
        path.back() = '\\';
    else
        path += '\\';
}

std::string AppendPath(const std::string& folder, const std::string& name)
{
    std::string result = folder;
    AddBackslash(result);
    return result + name;
}

bool TextEquals(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    std::string ua = a, ub = b;
    if (!ua.empty()) CharUpperBuffA(ua.data(), static_cast<DWORD>(ua.size()));
    if (!ub.empty()) CharUpperBuffA(ub.data(), static_cast<DWORD>(ub.size()));
    return ua == ub;
}

char LastChar(const std::string& s)
{
    return s.empty() ? '\0' : s.back();
}

void DeleteFirstChar(std::string& s)
{
    if (!s.empty()) s.erase(0, 1);
}

void DeleteLastChar(std::string& s)
{
    if (!s.empty()) s.pop_back();
}

std::string FolderPartOf(const std::string& path)
{
    const size_t pos = path.find_last_of("\\:");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string DrivePartOf(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path;
        const size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return {};
}

// ---- Folders and files ---------------------------------------------------------------------

namespace {

std::vector<std::string>& SavedDirs()
{
    static std::vector<std::string> dirs;
    return dirs;
}

// Two-step size queries: the answer can grow between the calls (another thread, a longer
// variable), so ask again rather than trust the first size.
template <typename Fetch>
std::string FetchSystemString(Fetch fetch)
{
    DWORD size = fetch(0, nullptr);
    for (int attempt = 0; attempt < 4 && size != 0; ++attempt) {
        std::string buffer(size, '\0');
        const DWORD n = fetch(size, buffer.data());
        if (n == 0) return {};
        if (n < size) {
            buffer.resize(n);
            return buffer;
        }
        size = n;
    }
    return {};
}

bool IsDots(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsFolderLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// One entry of a listing: a junction or directory symbolic link loses only the link, never the
// contents of its target (removing a tree must not reach outside it).
void RemoveListedEntry(const std::string& folder, const WIN32_FIND_DATAA& entry)
{
    const std::string path = folder + entry.cFileName;
    if (IsFolderLink(entry.dwFileAttributes))
        RemoveDirectoryW(ToWide(path).c_str());
    else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(path);
    else
        DeleteFileW(ToWide(path).c_str());
}

// False when the chain of parents ran out (empty or an unanchored bare drive) before meeting a
// folder that exists: nothing can be made then.
bool ForceDirsAnchored(const std::string& path)
{
    if (path.empty()) return false;
    if (DirExists(path)) return true;
    std::string parent = path;
    if (LastChar(parent) == '\\') DeleteLastChar(parent);
    parent = FolderPartOf(parent);
    if (parent.size() >= path.size()) return false;
    if (!ForceDirsAnchored(parent)) return false;
    CreateDirectoryW(ToWide(path).c_str(), nullptr);
    return true;
}

}  // namespace

std::string CurrentDir()
{
    std::string dir = FetchSystemString(
        [](DWORD size, char* buffer) { return GetCurrentDirectoryA(size, buffer); });
    AddBackslash(dir);
    return dir;
}

void PushCurrentDir()
{
    SavedDirs().push_back(CurrentDir());
}

void PopCurrentDir()
{
    auto& dirs = SavedDirs();
    if (dirs.empty()) return;
    SetCurrentDirectoryA(dirs.back().c_str());
    dirs.pop_back();
}

bool DirExists(const std::string& path)
{
    std::string dir = path;
    AddBackslash(dir);
    PushCurrentDir();
    SetCurrentDirectoryA(dir.c_str());
    const bool result = TextEquals(CurrentDir(), dir);
    PopCurrentDir();
    return result;
}

void ForceDirs(const std::string& path)
{
    ForceDirsAnchored(path);
}

void DeleteTree(const std::string& path)
{
    std::string folder = path;
    AddBackslash(folder);
    if (folder.empty()) return;

    if (folder.size() > 3) {
        std::string self = folder;
        DeleteLastChar(self);
        const DWORD attributes = GetFileAttributesA(self.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && IsFolderLink(attributes)) {
            RemoveDirectoryW(ToWide(self).c_str());
            return;
        }
    }

    WIN32_FIND_DATAA entry;
    TFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &entry));
    if (find) {
        do {
            if (!IsDots(entry.cFileName)) RemoveListedEntry(folder, entry);
        } while (FindNextFileA(find.Get(), &entry));
    }
    find.Reset();
    RemoveDirectoryW(ToWide(folder).c_str());
}

bool SaveStringToFile(const std::string& fileName, const std::string& data)
{
    TFileHandle file(CreateFileW(ToWide(fileName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written,
                              nullptr);
    return ok && written == data.size();
}

TDateTime FileDateOf(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return Now();
    FindClose(find);

    FILETIME local;
    if (!FileTimeToLocalFileTime(&entry.ftLastWriteTime, &local)) return Now();
    WORD dosDate = 0, dosTime = 0;
    if (FileTimeToDosDateTime(&local, &dosDate, &dosTime))
        return DosDateTimeToDateTime(dosDate, dosTime);
    // Outside the DOS range (before 1980, after 2107): the exact time, whole even seconds,
    // like every other answer of this function.
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&local, &st)) return Now();
    st.wMilliseconds = 0;
    st.wSecond = static_cast<WORD>(st.wSecond & ~1u);
    return SystemTimeToDateTime(st);
}

bool FilePresent(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// ---- Local date-time values ----------------------------------------------------------------

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// Days from 1899-12-30 (day 0 of a date-time value) to 1970-01-01.
constexpr int64_t UnixEpochDay = 25569;

// Proleptic Gregorian calendar: days since 1970-01-01 and back.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

bool TryEncodeDateTime(const TDateTimeParts& p, TDateTime& dt)
{
    dt = 0;
    if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 ||
        p.Day > DaysInMonth(p.Year, p.Month) || p.Hour < 0 || p.Hour > 23 || p.Minute < 0 ||
        p.Minute > 59 || p.Second < 0 || p.Second > 59 || p.MilliSecond < 0 ||
        p.MilliSecond > 999)
        return false;
    const int64_t days = DaysFromCivil(p.Year, p.Month, p.Day) + UnixEpochDay;
    const int64_t msecs =
        ((static_cast<int64_t>(p.Hour) * 60 + p.Minute) * 60 + p.Second) * 1000 + p.MilliSecond;
    const double time = static_cast<double>(msecs) / MSecsPerDay;
    // Before day 0 the fraction still counts forward from midnight: -1.25 is 1899-12-29 06:00.
    dt = days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
    return true;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int milliSecond)
{
    TDateTime dt;
    TryEncodeDateTime({year, month, day, hour, minute, second, milliSecond}, dt);
    return dt;
}

TDateTimeParts DecodeDateTime(TDateTime dt)
{
    TDateTimeParts p;
    if (!std::isfinite(dt) || std::fabs(dt) > 3.0e6) return p;
    int64_t days = static_cast<int64_t>(std::trunc(dt));
    int64_t msecs = std::llround(std::fabs(dt - static_cast<double>(days)) * MSecsPerDay);
    if (msecs >= MSecsPerDay) {
        msecs -= MSecsPerDay;
        days += dt >= 0 ? 1 : -1;
    }
    CivilFromDays(days - UnixEpochDay, p.Year, p.Month, p.Day);
    p.MilliSecond = static_cast<int>(msecs % 1000);
    msecs /= 1000;
    p.Second = static_cast<int>(msecs % 60);
    msecs /= 60;
    p.Minute = static_cast<int>(msecs % 60);
    p.Hour = static_cast<int>(msecs / 60);
    return p;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st)
{
    return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                          st.wMilliseconds);
}

TDateTime Now()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTimeToDateTime(st);
}

TDateTime DosDateTimeToDateTime(WORD dosDate, WORD dosTime)
{
    const TDateTimeParts p{1980 + (dosDate >> 9), (dosDate >> 5) & 0x0F, dosDate & 0x1F,
                           dosTime >> 11,         (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2,
                           0};
    TDateTime dt;
    TryEncodeDateTime(p, dt);
    return dt;
}

bool DateTimeToDosDateTime(TDateTime dt, WORD& dosDate, WORD& dosTime)
{
    dosDate = 0;
    dosTime = 0;
    const TDateTimeParts p = DecodeDateTime(dt);
    if (p.Year < 1980 || p.Year > 2099) return false;
    dosTime = static_cast<WORD>(p.Second / 2 + p.Minute * 32 + p.Hour * 2048);
    dosDate = static_cast<WORD>(p.Day + p.Month * 32 + (p.Year - 1980) * 512);
    return true;
}

// ---- Special folders and drives ------------------------------------------------------------

namespace {

using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD flags);

bool HasSafeDllSearch()
{
    static const bool present = GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                               "SetDefaultDllDirectories") != nullptr;
    return present;
}

}  // namespace

// A library of the same name beside the exe or in the current folder (a Downloads folder) must
// never be picked up: only the copy in the system folder.
HMODULE LoadSystemLibrary(const char* name)
{
    if (HasSafeDllSearch()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    std::string system = FetchSystemString(
        [](UINT size, char* buffer) { return GetSystemDirectoryA(buffer, size); });
    if (system.empty()) return nullptr;
    return LoadLibraryA(AppendPath(system, name).c_str());
}

static TFolderService FolderServiceFrom(const char* library)
{
    HMODULE module = LoadSystemLibrary(library);
    if (!module) return nullptr;
    return reinterpret_cast<TFolderService>(GetProcAddress(module, "SHGetFolderPathA"));
}

void StartupInstUtils()
{
    if (auto setDefault = reinterpret_cast<TSetDefaultDllDirectories>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    OleInitialize(nullptr);
    FolderService = FolderServiceFrom("shell32.dll");
    if (!FolderService) FolderService = FolderServiceFrom("shfolder.dll");
}

void ShutdownInstUtils()
{
    OleUninitialize();
}

std::string GetSpecialFolder(int csidl)
{
    if (!FolderService) return {};
    // One byte more than the service may fill, so the text always ends in a NUL.
    std::string path(MAX_PATH + 1, '\0');
    if (FolderService(nullptr, csidl, nullptr, 0, path.data()) != S_OK) return {};
    path.resize(std::strlen(path.c_str()));
    return path;
}

UINT DriveTypeOf(const std::string& path)
{
    std::string root = DrivePartOf(path);
    AddBackslash(root);
    return GetDriveTypeA(root.c_str());
}

bool IsExternalStorageAnswer(bool querySucceeded, const TStorageAnswer& answer)
{
    if (!querySucceeded) return false;
    const unsigned char removableMedia = answer[10];
    const uint32_t busType = static_cast<uint32_t>(answer[28]) |
                             static_cast<uint32_t>(answer[29]) << 8 |
                             static_cast<uint32_t>(answer[30]) << 16 |
                             static_cast<uint32_t>(answer[31]) << 24;
    return busType == 4 || busType == 7 || removableMedia != 0;
}

bool IsRemovableDrive(const std::string& path)
{
    const UINT type = DriveTypeOf(path);
    if (type == DRIVE_REMOVABLE) return true;
    if (type != DRIVE_FIXED) return false;

    const std::wstring volume = ToWide("\\\\.\\" + DrivePartOf(path));
    TFileHandle device(CreateFileW(volume.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    // A standard user may not read a volume, but the storage query needs no access right:
    // without this retry an external disk passes for an internal one unless elevated.
    if (!device && GetLastError() == ERROR_ACCESS_DENIED)
        device.Reset(CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!device) return false;

    TStorageAnswer answer{};
    const uint32_t size = StorageAnswerSize;
    std::memcpy(answer.data() + 4, &size, sizeof size);
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query,
                                    sizeof query, answer.data(), size, &returned, nullptr);
    return IsExternalStorageAnswer(ok != FALSE, answer);
}

// ---- Temporary files -----------------------------------------------------------------------

std::string TempFolder()
{
    std::string folder = FetchSystemString(
        [](DWORD size, char* buffer) { return GetTempPathA(size, buffer); });
    folder.resize(std::strlen(folder.c_str()));
    if (!DirExists(folder)) folder = GetSpecialFolder(CSIDL_PERSONAL);
    AddBackslash(folder);
    return folder;
}

std::string TempPrefix()
{
    std::string prefix = "~";
    for (const char* p = SetupTitle; *p; ++p)
        if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) prefix += *p;
    return prefix;
}

std::string NewTempFileName()
{
    const std::string base = TempFolder() + TempPrefix();
    for (unsigned number = 0;; ++number) {
        std::string name = base + std::to_string(number) + ".tmp";
        if (!FilePresent(name)) return name;
    }
}

void CleanTempFiles()
{
    const std::string folder = TempFolder();
    const std::string prefix = TempPrefix();
    WIN32_FIND_DATAA entry;
    TFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &entry));
    if (!find) return;
    do {
        if (std::strncmp(entry.cFileName, prefix.c_str(), prefix.size()) == 0)
            RemoveListedEntry(folder, entry);
    } while (FindNextFileA(find.Get(), &entry));
}
