#pragma once
// What a test needs from the Wine host it runs on: Unix names, Unix programs, folder links and
// drive letters defined through Wine's mount manager.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

bool IsWine();
// The Unix name of a Windows path (it need not exist); empty outside Wine or on failure.
std::string UnixPathOf(const std::string& windowsPath);
// Starts a Unix program (first element: absolute Unix path). Wine hands back no process handle
// for it, so callers wait for its effect with WaitUntil.
bool StartUnixProgram(const std::vector<std::string>& args);
// Polls (with Sleep) until `done` holds or `timeoutMs` has passed; the last answer of `done`.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// A link named `link` to the folder `target`: a Unix symbolic link under Wine (which reports it
// as a folder with FILE_ATTRIBUTE_REPARSE_POINT), a junction on Windows.
bool MakeFolderLink(const std::string& link, const std::string& target);

// Drive letters of Wine's mount manager. Types: DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_REMOTE,
// DRIVE_CDROM; DRIVE_NO_ROOT_DIR removes. mountPoint is a Unix folder, or a name relative to the
// prefix's dosdevices folder ("unc/server/share").
bool DefineWineDrive(char letter, UINT type, const std::string& mountPoint);
bool RemoveWineDrive(char letter);
// A letter from M to Y that no drive uses; 0 when none is free.
char FreeDriveLetter();

// A drive letter of its own for one test, backed by a fresh folder, removed with its folder
// afterwards. A label is read from ".windows-label" in the folder when the drive is defined.
// DRIVE_REMOTE drives are backed by the folder that `share` (\\server\share) names, so that
// WNetGetConnectionA answers the share.
class TTestDrive {
public:
    explicit TTestDrive(UINT type, const std::string& label = "",
                        const std::string& share = "\\\\testserver\\testshare");
    ~TTestDrive();
    TTestDrive(const TTestDrive&) = delete;
    TTestDrive& operator=(const TTestDrive&) = delete;

    bool Defined() const { return letter_ != 0; }
    char Letter() const { return letter_; }
    // "X:\"
    std::string Root() const;

private:
    char letter_ = 0;
    std::string backing_;  // Windows path of the backing folder
};
