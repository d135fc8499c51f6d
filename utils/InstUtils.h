#pragma once
// Install utilities: paths, folders and files; special folders and drives; temporary files;
// local date-time values. Strings are 8-bit throughout; each operation reaches the system
// through the A or W call that it names, so which names work is part of its definition:
//
// | operation                  | system calls                        | path handed over as  |
// |----------------------------|-------------------------------------|----------------------|
// | CurrentDir                 | GetCurrentDirectoryA                | 8-bit, unchanged     |
// | DirExists, PopCurrentDir   | SetCurrentDirectoryA                | 8-bit, unchanged     |
// | FileDateOf, FilePresent    | FindFirstFileA                      | 8-bit, unchanged     |
// | DeleteTree, CleanTempFiles | FindFirstFileA / FindNextFileA      | 8-bit, unchanged     |
// |   ... removing             | DeleteFileW, RemoveDirectoryW       | ToWide (code p. 1252)|
// | ForceDirs                  | CreateDirectoryW                    | ToWide               |
// | SaveStringToFile           | CreateFileW, WriteFile              | ToWide               |
// | TextEquals                 | CharUpperBuffA                      | 8-bit                |
//
// None of them shows a message or throws: each returns a plain result or quietly does less.
#include <windows.h>
#include <array>
#include <cstdint>
#include <string>
#include "utils/Types.h"

// ---- Character width -----------------------------------------------------------------------
// Always code page 1252, whatever the system's ANSI code page: one UTF-16 unit per byte.
std::wstring ToWide(const std::string& s);

// ---- Path text -----------------------------------------------------------------------------
void AddBackslash(std::string& path);
std::string AppendPath(const std::string& folder, const std::string& name);
bool TextEquals(const std::string& a, const std::string& b);
// '\0' for the empty string.
char LastChar(const std::string& s);
void DeleteFirstChar(std::string& s);
void DeleteLastChar(std::string& s);
std::string FolderPartOf(const std::string& path);
std::string DrivePartOf(const std::string& path);

// ---- Folders and files ---------------------------------------------------------------------
std::string CurrentDir();
void PushCurrentDir();
void PopCurrentDir();
bool DirExists(const std::string& path);
void ForceDirs(const std::string& path);
void DeleteTree(const std::string& path);
// True when the file was created and every byte written.
bool SaveStringToFile(const std::string& fileName, const std::string& data);
TDateTime FileDateOf(const std::string& path);
bool FilePresent(const std::string& path);

// ---- Local date-time values ----------------------------------------------------------------
struct TDateTimeParts {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
};
// False (and 0 in dt) for a date or time that does not exist.
bool TryEncodeDateTime(const TDateTimeParts& p, TDateTime& dt);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int milliSecond);
// Rounds to the nearest millisecond first, so that whole seconds survive the binary fraction.
TDateTimeParts DecodeDateTime(TDateTime dt);
// The current local date and time, with milliseconds.
TDateTime Now();
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
// DOS date and time (two-second resolution) to a date-time value; 0 for an impossible date.
TDateTime DosDateTimeToDateTime(WORD dosDate, WORD dosTime);
// False for years before 1980 or after 2099 (the DOS value is then 0, which the system refuses).
// The fraction of a second is dropped and odd seconds round down.
bool DateTimeToDosDateTime(TDateTime dt, WORD& dosDate, WORD& dosTime);

// ---- Special folders and drives ------------------------------------------------------------
using TFolderService = HRESULT(WINAPI*)(HWND window, int csidl, HANDLE token, DWORD flags,
                                        LPSTR path);
// SHGetFolderPathA, resolved once by StartupInstUtils; null when no system library offers it.
extern TFolderService FolderService;

// Loads a library from the system folder only, never by the search path.
HMODULE LoadSystemLibrary(const char* name);
// Called first by the process entry: restricts the library search of the process to the system
// folder where the system allows it, then OLE, then the folder service.
void StartupInstUtils();
// Called last by the process entry.
void ShutdownInstUtils();

std::string GetSpecialFolder(int csidl);
UINT DriveTypeOf(const std::string& path);
bool IsRemovableDrive(const std::string& path);

// The answer of IOCTL_STORAGE_QUERY_PROPERTY (StorageDeviceProperty) as STORAGE_DEVICE_DESCRIPTOR:
//
// | offset | size | field            |
// |--------|------|------------------|
// |   0    |  4   | Version          |
// |   4    |  4   | Size (548 in)    |
// |   8    |  1   | DeviceType       |
// |   9    |  1   | DeviceTypeModifier |
// |  10    |  1   | RemovableMedia   |  <- read
// |  11    |  1   | CommandQueueing  |
// | 12..27 | 4x4  | id offsets       |
// |  28    |  4   | BusType          |  <- read: 4 = IEEE 1394, 7 = USB count as external
// |  32    |  4   | RawPropertiesLength, data from 36 |
inline constexpr size_t StorageAnswerSize = 548;
using TStorageAnswer = std::array<unsigned char, StorageAnswerSize>;
// The decision on a fixed drive, apart from the system.
bool IsExternalStorageAnswer(bool querySucceeded, const TStorageAnswer& answer);

// ---- Temporary files -----------------------------------------------------------------------
std::string TempFolder();
std::string TempPrefix();
std::string NewTempFileName();
void CleanTempFiles();
