#include "wizard/FolderText.h"

#include "utils/InstUtils.h"

namespace {
constexpr char HostFolderName[] = "Corvella";

bool HasDrivePart(const std::string& path)
{
    return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\");
}

bool IsSpace(char c)
{
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}
}  // namespace

std::string NormalizeDestDir(std::string text, char driveLetter, const std::string& programFiles,
                             TTextEquals textEquals)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) text.clear();
    else text = text.substr(first, text.find_last_not_of(' ') - first + 1);

    if (!HasDrivePart(text)) {
        const char letter = driveLetter >= 'A' && driveLetter <= 'Z' ? static_cast<char>(driveLetter - 'A' + 'a') : driveLetter;
        // Without a letter there is no drive to name; a NUL must never get into a path.
        if (letter >= 'a' && letter <= 'z') text = {letter, ':'};
        else text.clear();
    }
    if (!text.empty() && text.back() == '\\') text.pop_back();

    bool lastComponentEmpty = text.empty() || text.back() == ':' || text.back() == '\\';
    if (lastComponentEmpty || textEquals(text, programFiles)) text = AppendPath(text, HostFolderName);
    return text;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> args;
    size_t pos = 0;
    const size_t end = commandLine.size();
    for (;;) {
        while (pos < end && IsSpace(commandLine[pos])) ++pos;
        if (pos >= end || commandLine[pos] == '\0') break;
        std::string arg;
        bool quoted = false;
        for (; pos < end && commandLine[pos] != '\0'; ++pos) {
            char c = commandLine[pos];
            if (c == '"') quoted = !quoted;
            else if (!quoted && IsSpace(c)) break;
            else arg += c;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

bool HomeDirSwitch(std::string_view commandLine, std::string& dir)
{
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.size() < 2 || !args[1].starts_with("-d")) return false;
    dir = args[1].substr(2);
    return true;
}
