#pragma once
// Text rules of the host-folder choice: tidying the folder text of the folder page, and the
// "-d" switch of the command line. Pure; the form passes the system-dependent parts.
#include <string>
#include <string_view>
#include <vector>

// True when the two texts are equal ignoring case (the product passes TextEquals).
using TTextEquals = bool (*)(const std::string& a, const std::string& b);

// Trims spaces; a text without a drive or network prefix becomes the drive letter (lower case)
// and a colon (nothing when driveLetter is no letter); drops one trailing backslash; appends "Corvella" when the last component is empty
// or the text names the Program Files folder.
std::string NormalizeDestDir(std::string text, char driveLetter, const std::string& programFiles,
                             TTextEquals textEquals);

// Splits an 8-bit command line the way the program reads its arguments: white space separates,
// a double-quoted stretch may hold white space and its quotes are dropped. Backslashes are
// plain characters, so a quoted folder may end in one. The program name is the first element.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// When the first argument after the program name begins with exactly "-d", dir := the rest of
// it (possibly empty) and the result is true.
bool HomeDirSwitch(std::string_view commandLine, std::string& dir);
