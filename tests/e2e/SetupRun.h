#pragma once
// What the end-to-end scenarios need around one run of the real setup exe: its payload read back
// from the exe itself (the bytes and stamps the installed files must have), copies of the exe with
// a damaged payload, the shared folders and settings it writes, and the stand-in host it starts.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "utils/Types.h"

// The exe and the stand-in host, copied beside the scenario program by the build.
std::string ScenarioFolder();  // with a trailing backslash
std::string SetupExe();
std::string HostExe();

// Longer waits for a program that runs under emulation (the 32-bit set).
int ScaledTimeout(int ms);

struct TPayloadEntry {
    std::string Bytes;
    TDateTime Stamp = 0;
};
// The entries of the FILES/FILES resource of `exe`, by name; empty when it cannot be read.
std::map<std::string, TPayloadEntry> PayloadOf(const std::string& exe);
std::string PayloadResourceOf(const std::string& exe);
// Copies `exe` to `copy` with its FILES/FILES resource replaced by `payload`, in every language
// the original has it in.
bool CopyWithPayload(const std::string& exe, const std::string& copy, const std::string& payload);

// The add-on files the setup installs, by entry name.
extern const std::vector<std::string> AddOnFiles;

std::string SpecialFolder(int csidl);  // without a trailing backslash
std::string CorvellaDataFolder();      // the shared application-data folder + "\Corvella\"

// Last-write time of a file; zero when it cannot be read.
FILETIME LastWriteOf(const std::string& path);
bool SetLastWrite(const std::string& path, const FILETIME& time);
// The file time (UTC) that a local date-time stamp stands for.
FILETIME FileTimeOfStamp(TDateTime stamp);
TDateTime LocalNow();
bool operator==(const FILETIME& a, const FILETIME& b);

// "*" and 16 upper-case hex digits of the value's bytes in memory order.
std::string StampLine(TDateTime stamp);
// The value of such a line; false for anything else.
bool ParseStampLine(const std::string& line, TDateTime& stamp);
std::vector<std::string> SplitCrLfLines(const std::string& text, bool& allEndInCrLf);

// HKCU\Software\Corvella Word Processor\Install.
extern const char SettingsKey[];
void DeleteSettings();
// Missing values read as absent (`has...` false).
struct TSettings {
    bool HasMainDir = false;
    std::string MainDir;
    bool HasLaunch = false;
    DWORD Launch = 0;
};
TSettings ReadSettings();
void WriteSettings(const std::string& mainDir, DWORD launch);

// Top-level windows carrying the running-host marker.
int RunningHosts();
// Asks every running host to quit and waits until none runs.
bool QuitHosts();
// Starts a host that runs until it is asked to quit; the process id, 0 on failure.
DWORD StartHost(const std::string& exe);
// Runs `exe` with `arguments` and waits; its exit code, or -1.
long long RunAndWait(const std::string& exe, const std::string& arguments, DWORD timeoutMs);

// The visible window with this caption of that process, if any.
HWND VisibleWindowOf(DWORD pid, const std::string& caption);
