#include "tests/support/TestFolder.h"

#include <windows.h>
#include <atomic>
#include <cstring>
#include "tests/support/WineHost.h"

namespace {
std::atomic<unsigned> folderCounter{0};

void RemoveTreeWin32(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!std::strcmp(entry.cFileName, ".") || !std::strcmp(entry.cFileName, "..")) continue;
            const std::string path = folder + "\\" + entry.cFileName;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            const DWORD a = entry.dwFileAttributes;
            if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTreeWin32(path);
            else if (a & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(path.c_str());
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}
}  // namespace

TTestFolder::TTestFolder()
{
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    for (;;) {
        path_ = std::string(temp) + "ut-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(folderCounter++);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
    path_ += '\\';
}

TTestFolder::~TTestFolder()
{
    RemoveTestTree(path_);
}

bool MakeFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::string& path, bool* ok)
{
    if (ok) *ok = false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got) data.append(buffer, got);
    CloseHandle(h);
    if (ok) *ok = true;
    return data;
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTestTree(const std::string& path)
{
    std::string folder = path;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (folder.empty()) return;
    RemoveTreeWin32(folder);
    // Wine cannot remove a link to a folder through Win32; its own rm can.
    if (PathExists(folder) && IsWine()) {
        const std::string unixPath = UnixPathOf(folder);
        if (unixPath.size() > 1 && StartUnixProgram({"/bin/rm", "-rf", unixPath}))
            WaitUntil([&] { return !PathExists(folder); });
    }
}
