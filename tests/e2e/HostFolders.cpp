#include "tests/e2e/HostFolders.h"

namespace {
std::string WithBackslash(const std::string& folder)
{
    return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}
}  // namespace

std::string LanguageFolderOf(const THostPlace& place, const std::function<bool(const std::string&)>& folderExists)
{
    const std::string base = place.Portable
                                 ? WithBackslash(place.HomeDir)
                                 : WithBackslash(place.CommonAppData.empty() ? place.Documents : place.CommonAppData) +
                                       "Corvella\\Public\\";
    for (const char* name : {"Spellcheck\\", "Orthographe\\"})
        if (folderExists(base + name)) return base + name;
    return {};
}
