#include "tests/support/WineHost.h"

#include <winioctl.h>
#include <atomic>
#include <cstring>
#include "tests/support/TestFolder.h"

namespace {

using TUnixNameOf = char*(CDECL*)(LPCWSTR);

TUnixNameOf UnixNameFunction()
{
    return reinterpret_cast<TUnixNameOf>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
}

std::wstring Widen(const std::string& s)
{
    if (s.empty()) return {};
    std::wstring w(s.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(),
                                      static_cast<int>(w.size()));
    w.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return w;
}

// Quoting for the command line Wine splits back into a Unix argument vector.
std::string QuoteArgument(const std::string& arg)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
        else quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// Wine 8's mount-manager request header; the mount point string follows it.
#pragma pack(push, 8)
struct TUnixDriveRequest {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
#pragma pack(pop)
static_assert(sizeof(TUnixDriveRequest) == 32, "Wine 8 layout");
constexpr DWORD IoctlDefineUnixDrive = 0x006DC080;

// <prefix>/dosdevices/ as Wine names it.
std::string DosDevicesFolder()
{
    std::string c = UnixPathOf("C:\\");
    const size_t pos = c.rfind("/dosdevices/");
    return pos == std::string::npos ? std::string() : c.substr(0, pos + 12);
}

std::string UnixToWindowsName(const std::string& unixPath)
{
    std::string name = "\\\\?\\unix" + unixPath;
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

std::atomic<unsigned> driveCounter{0};

}  // namespace

bool IsWine()
{
    return UnixNameFunction() != nullptr;
}

std::string UnixPathOf(const std::string& windowsPath)
{
    TUnixNameOf unixNameOf = UnixNameFunction();
    if (!unixNameOf) return {};
    char* name = unixNameOf(Widen(windowsPath).c_str());
    if (!name) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool StartUnixProgram(const std::vector<std::string>& args)
{
    if (args.empty()) return false;
    std::string commandLine;
    for (const auto& arg : args) commandLine += (commandLine.empty() ? "" : " ") + QuoteArgument(arg);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return true;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return done();
        Sleep(10);
    }
    return true;
}

bool MakeFolderLink(const std::string& link, const std::string& target)
{
    if (IsWine()) {
        const std::string unixTarget = UnixPathOf(target), unixLink = UnixPathOf(link);
        if (unixTarget.empty() || unixLink.empty()) return false;
        auto trim = [](std::string s) {
            while (s.size() > 1 && s.back() == '/') s.pop_back();
            return s;
        };
        if (!StartUnixProgram({"/bin/ln", "-s", trim(unixTarget), trim(unixLink)})) return false;
        WaitUntil([&] {
            const DWORD a = GetFileAttributesA(link.c_str());
            return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
        });
    } else {
        if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
        HANDLE h = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const std::wstring substitute = L"\\??\\" + Widen(target);
        const std::wstring print = Widen(target);
        std::vector<char> buffer(16 + (substitute.size() + print.size() + 2) * sizeof(WCHAR));
        const auto put16 = [&](size_t at, size_t v) {
            const WORD w = static_cast<WORD>(v);
            std::memcpy(buffer.data() + at, &w, 2);
        };
        const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
        std::memcpy(buffer.data(), &tag, 4);
        put16(4, buffer.size() - 8);
        put16(8, 0);
        put16(10, substitute.size() * 2);
        put16(12, substitute.size() * 2 + 2);
        put16(14, print.size() * 2);
        std::memcpy(buffer.data() + 16, substitute.data(), substitute.size() * 2);
        std::memcpy(buffer.data() + 16 + substitute.size() * 2 + 2, print.data(), print.size() * 2);
        DWORD returned = 0;
        const BOOL ok = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), nullptr, 0, &returned,
                                        nullptr);
        CloseHandle(h);
        if (!ok) return false;
    }
    const DWORD a = GetFileAttributesA(link.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool DefineWineDrive(char letter, UINT type, const std::string& mountPoint)
{
    std::vector<char> request(sizeof(TUnixDriveRequest) + mountPoint.size() + 1, '\0');
    TUnixDriveRequest header{};
    header.type = type;
    header.letter = static_cast<WCHAR>(letter | 0x20);
    if (!mountPoint.empty()) {
        header.mountPointOffset = sizeof(TUnixDriveRequest);
        std::memcpy(request.data() + sizeof header, mountPoint.c_str(), mountPoint.size() + 1);
    }
    header.size = static_cast<ULONG>(request.size());
    std::memcpy(request.data(), &header, sizeof header);

    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, IoctlDefineUnixDrive, request.data(),
                                    static_cast<DWORD>(request.size()), nullptr, 0, &returned,
                                    nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

bool RemoveWineDrive(char letter)
{
    const bool ok = DefineWineDrive(letter, DRIVE_NO_ROOT_DIR, "");
    // The mount manager leaves the device link "x::" behind.
    const std::string dosDevices = DosDevicesFolder();
    if (!dosDevices.empty())
        StartUnixProgram({"/bin/rm", "-f", dosDevices + static_cast<char>(letter | 0x20) + "::"});
    return ok;
}

char FreeDriveLetter()
{
    const DWORD used = GetLogicalDrives();
    for (char letter = 'M'; letter <= 'Y'; ++letter)
        if (!(used & (1u << (letter - 'A')))) return letter;
    return 0;
}

TTestDrive::TTestDrive(UINT type, const std::string& label, const std::string& share)
{
    const char letter = FreeDriveLetter();
    if (!letter || !IsWine()) return;
    std::string mountPoint;
    if (type == DRIVE_REMOTE) {
        // \\server\share is dosdevices/unc/server/share to Wine.
        std::string relative = share.substr(share.find_first_not_of('\\'));
        for (char& c : relative)
            if (c == '\\') c = '/';
        const std::string dosDevices = DosDevicesFolder();
        if (dosDevices.empty()) return;
        mountPoint = "unc/" + relative;
        const std::string unixFolder = dosDevices + mountPoint;
        backing_ = UnixToWindowsName(unixFolder);
        if (!StartUnixProgram({"/bin/mkdir", "-p", unixFolder})) return;
        if (!WaitUntil([&] { return IsFolder(backing_); })) return;
    } else {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        backing_ = std::string(temp) + "drive-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(driveCounter++);
        if (!MakeFolder(backing_)) return;
        mountPoint = UnixPathOf(backing_);
    }
    if (!label.empty()) WriteFileBytes(backing_ + "\\.windows-label", label + "\n");
    if (DefineWineDrive(letter, type, mountPoint)) letter_ = letter;
}

TTestDrive::~TTestDrive()
{
    if (letter_) RemoveWineDrive(letter_);
    if (!backing_.empty()) RemoveTestTree(backing_);
}

std::string TTestDrive::Root() const
{
    return letter_ ? std::string(1, letter_) + ":\\" : std::string();
}
