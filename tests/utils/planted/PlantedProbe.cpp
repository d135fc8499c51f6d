// Started by the tests from a folder that also holds planted libraries.
//   planted_probe                 start-up as the setup does it, then one folder lookup
//   planted_probe --system        LoadSystemLibrary("shfolder.dll") alone
//   planted_probe --startup-bare  start-up, then "shfolder.dll" by bare name
//   planted_probe --bare          "shfolder.dll" by bare name, as a careless program would
// Exit code 0 when the lookup gave a folder or the library was loaded.
#include <windows.h>
#include <shlobj.h>
#include <cstring>
#include "utils/InstUtils.h"

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "--bare") == 0) return LoadLibraryA("shfolder.dll") ? 0 : 1;
    if (std::strcmp(mode, "--system") == 0) return LoadSystemLibrary("shfolder.dll") ? 0 : 1;
    StartupInstUtils();
    int result = 0;
    if (std::strcmp(mode, "--startup-bare") == 0) {
        result = LoadLibraryA("shfolder.dll") ? 0 : 1;
    } else {
        result = GetSpecialFolder(CSIDL_PROGRAM_FILES).empty() ? 1 : 0;
    }
    ShutdownInstUtils();
    return result;
}
