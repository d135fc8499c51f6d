#pragma once
// Where the stand-in host looks for its language files, as the word processor does: below
// "Corvella\Public\" in the shared application-data folder (the documents folder when that is
// unknown), or, for a copy of the host on a removable drive, in its own home folder; there
// "Spellcheck\", or "Orthographe\" when only that exists.
#include <functional>
#include <string>

struct THostPlace {
    std::string HomeDir;        // the folder of cwp.exe
    bool Portable = false;      // the home folder lies on a removable drive
    std::string CommonAppData;  // CSIDL_COMMON_APPDATA, may be empty
    std::string Documents;      // CSIDL_PERSONAL
};

// The language folder with a trailing backslash, or empty when neither folder exists.
std::string LanguageFolderOf(const THostPlace& place, const std::function<bool(const std::string&)>& folderExists);
