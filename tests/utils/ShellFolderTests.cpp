#include <gtest/gtest.h>
#include <shlobj.h>
#include "tests/support/TestFolder.h"
#include "utils/InstUtils.h"

namespace {

// A 32-bit program on 64-bit Windows is shown the program folder of 32-bit programs.
const char* ExpectedProgramFiles()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 ? "C:\\Program Files (x86)" : "C:\\Program Files";
}

TEST(GetSpecialFolder, KnownFoldersWithoutTrailingBackslash)
{
    EXPECT_TRUE(TextEquals(GetSpecialFolder(CSIDL_PROGRAM_FILES), ExpectedProgramFiles()));
    EXPECT_TRUE(TextEquals(GetSpecialFolder(CSIDL_COMMON_APPDATA), "C:\\ProgramData"));
    const std::string documents = GetSpecialFolder(CSIDL_PERSONAL);
    EXPECT_TRUE(DirExists(documents)) << documents;
    EXPECT_NE(LastChar(documents), '\\');
}

TEST(GetSpecialFolder, UnknownFolderGivesEmpty)
{
    EXPECT_EQ(GetSpecialFolder(0x7F), "");
    EXPECT_EQ(GetSpecialFolder(-1), "");
}

TEST(GetSpecialFolder, WithoutFolderServiceGivesEmpty)
{
    const TFolderService saved = FolderService;
    FolderService = nullptr;
    const std::string folder = GetSpecialFolder(CSIDL_PROGRAM_FILES);
    FolderService = saved;
    EXPECT_EQ(folder, "");
}

std::string OwnFolder()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderPartOf(path);
}

// Starts `exe` with `arguments` in `currentDir`; its exit code, or -1.
int RunProgram(const std::string& exe, const std::string& arguments, const std::string& currentDir)
{
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.c_str(), &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

class PlantedLibraries : public testing::Test {
protected:
    void SetUp() override
    {
        // Wine prefers its builtin shell libraries; native-first for the probe makes its
        // loader search for them as Windows searches for a library that is not a known system
        // one, so that a planted copy can be found. Per program, so nothing else is touched.
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (OverridesKey + "\\DllOverrides").c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        for (const char* name : {"shell32", "shfolder"})
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"),
                           15);
        RegCloseKey(key);

        const std::string planted = OwnFolder() + "planted\\";
        probe_ = exeDir_ / "plantedprobe.exe";
        ASSERT_TRUE(CopyFileA((planted + "planted_probe.exe").c_str(), probe_.c_str(), FALSE));
        for (const char* dll : {"shell32.dll", "shfolder.dll"})
            for (const TTestFolder* dir : {&exeDir_, &currentDir_})
                ASSERT_TRUE(CopyFileA((planted + dll).c_str(), (*dir / dll).c_str(), FALSE))
                    << dll;
    }

    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, OverridesKey.c_str()); }

    int Markers() const
    {
        int count = 0;
        for (const char* dll : {"shell32.dll", "shfolder.dll"})
            for (const TTestFolder* dir : {&exeDir_, &currentDir_})
                count += PathExists(*dir / (std::string(dll) + ".loaded")) ? 1 : 0;
        return count;
    }

    void ClearMarkers() const
    {
        for (const char* dll : {"shell32.dll", "shfolder.dll"})
            for (const TTestFolder* dir : {&exeDir_, &currentDir_})
                DeleteFileA((*dir / (std::string(dll) + ".loaded")).c_str());
    }

    TTestFolder exeDir_, currentDir_;
    std::string probe_;
    const std::string OverridesKey = "Software\\Wine\\AppDefaults\\plantedprobe.exe";
};

// Shows that this host would load a planted library by bare name: otherwise the tests below
// could not fail.
TEST_F(PlantedLibraries, BareNameLoadPicksUpThePlantedCopy)
{
    EXPECT_EQ(RunProgram(probe_, "--bare", currentDir_.Path()), 0);
    EXPECT_GT(Markers(), 0);
}

TEST_F(PlantedLibraries, OnlyTheSystemFolderCopyIsLoaded)
{
    for (const char* mode : {"--system", "--startup-bare", ""}) {
        EXPECT_EQ(RunProgram(probe_, mode, currentDir_.Path()), 0) << mode;
        EXPECT_EQ(Markers(), 0) << mode;
        ClearMarkers();
    }
}

}  // namespace
