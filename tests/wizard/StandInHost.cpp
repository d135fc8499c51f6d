// Started by the wizard's Finish as "cwp.exe": leaves started.txt beside itself, holding its
// command line, and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string marker(path, n);
    marker = marker.substr(0, marker.find_last_of('\\') + 1) + "started.txt";
    const std::string commandLine = GetCommandLineA();
    HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD done = 0;
    WriteFile(file, commandLine.data(), static_cast<DWORD>(commandLine.size()), &done, nullptr);
    CloseHandle(file);
    return 0;
}
