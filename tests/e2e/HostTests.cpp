// The stand-in host cwp.exe: where it looks for the language files, its window marker, its start
// record, and its spell check on the payload's engine and dictionary.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/e2e/Driver.h"
#include "tests/e2e/HostFolders.h"

namespace {

constexpr char HostCaption[] = "Corvella Word Processor";

std::string BuildFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string Host() { return BuildFolder() + "cwp.exe"; }

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

TEST(HostLanguageFolder, SpellcheckFirstThenOrthographe)
{
    struct {
        const char* Name;
        THostPlace Place;
        std::set<std::string> Existing;
        std::string Expected;
    } cases[] = {
        {"shared, both", {"C:\\Program Files\\Corvella\\", false, "C:\\ProgramData", "C:\\Docs"},
         {"C:\\ProgramData\\Corvella\\Public\\Spellcheck\\", "C:\\ProgramData\\Corvella\\Public\\Orthographe\\"},
         "C:\\ProgramData\\Corvella\\Public\\Spellcheck\\"},
        {"shared, only Orthographe", {"C:\\Program Files\\Corvella\\", false, "C:\\ProgramData\\", "C:\\Docs"},
         {"C:\\ProgramData\\Corvella\\Public\\Orthographe\\"}, "C:\\ProgramData\\Corvella\\Public\\Orthographe\\"},
        {"shared, none", {"C:\\Program Files\\Corvella\\", false, "C:\\ProgramData", "C:\\Docs"}, {}, ""},
        {"no shared folder: documents", {"C:\\Program Files\\Corvella\\", false, "", "C:\\Docs"},
         {"C:\\Docs\\Corvella\\Public\\Spellcheck\\"}, "C:\\Docs\\Corvella\\Public\\Spellcheck\\"},
        {"portable: home folder only", {"E:\\Host", true, "C:\\ProgramData", "C:\\Docs"},
         {"C:\\ProgramData\\Corvella\\Public\\Spellcheck\\", "E:\\Host\\Orthographe\\"}, "E:\\Host\\Orthographe\\"},
    };
    for (const auto& c : cases) {
        auto exists = [&](const std::string& folder) { return c.Existing.count(folder) > 0; };
        EXPECT_EQ(LanguageFolderOf(c.Place, exists), c.Expected) << c.Name;
    }
}

class HostTest : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "cwp-test-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        marker = folder + "marker.txt";
        SetEnvironmentVariableA("CWP_MARKER_FILE", marker.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("CWP_MARKER_FILE", nullptr);
        for (const char* name : {"marker.txt", "out.txt", "Spellcheck\\hunspell.dll", "Spellcheck\\nn_NO.aff",
                                 "Spellcheck\\nn_NO.dic"})
            DeleteFileA((folder + name).c_str());
        RemoveDirectoryA((folder + "Spellcheck").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    std::string folder, marker;
};

struct THostSearch {
    DWORD Pid;
    HWND Found;
};

BOOL CALLBACK FindHostWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<THostSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->Pid || !GetPropA(window, "1.x Brinmoor")) return TRUE;
    search->Found = window;
    return FALSE;
}

// The window of that process that carries the host marker, hidden or not.
HWND HostWindowOf(DWORD pid)
{
    THostSearch search{pid, nullptr};
    EnumWindows(FindHostWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

TEST_F(HostTest, ShowsAMarkedWindowUntilClosedAndRecordsItsStart)
{
    TDriver driver(HostCaption);
    ASSERT_TRUE(driver.Start(Host(), "--some-argument", folder)) << driver.LastError();
    HWND window = driver.WaitForWindow();
    ASSERT_NE(window, nullptr) << driver.LastError();
    EXPECT_NE(GetPropA(window, "1.x Brinmoor"), nullptr);
    EXPECT_EQ(ReadFile(marker), folder.substr(0, folder.size() - 1) + "\t\"" + Host() + "\" --some-argument\r\n");
    ASSERT_TRUE(driver.Close());
    EXPECT_EQ(driver.WaitForExit(), 0);
    EXPECT_EQ(HostWindowOf(driver.ProcessId()), nullptr);
}

TEST_F(HostTest, QuitsByItselfAndCanRunHidden)
{
    TDriver driver(HostCaption);
    ASSERT_TRUE(driver.Start(Host(), "--hidden --quit-after 1500"));
    HWND window = nullptr;
    ASSERT_TRUE(driver.WaitUntil([&] { return (window = HostWindowOf(driver.ProcessId())) != nullptr; }));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(driver.WaitForExit(), 0);
    ASSERT_TRUE(driver.Start(Host(), "--hidden --quit-after 1"));
    EXPECT_EQ(driver.WaitForExit(), 0);
    const std::string starts = ReadFile(marker);
    EXPECT_EQ(std::count(starts.begin(), starts.end(), '\n'), 2) << starts;
}

TEST_F(HostTest, ChecksWordsWithTheInstalledEngine)
{
    const std::string language = folder + "Spellcheck\\";
    ASSERT_TRUE(CreateDirectoryA(language.c_str(), nullptr));
    for (const char* name : {"hunspell.dll", "nn_NO.aff", "nn_NO.dic"})
        ASSERT_TRUE(CopyFileA((BuildFolder() + "spell\\" + name).c_str(), (language + name).c_str(), FALSE)) << name;

    TDriver driver(HostCaption);
    driver.SetTimeout(60000);
    // "spr\xe5k" is the ANSI spelling of a word with a letter outside ASCII; the dictionary is Latin-1.
    // A backslash before a closing quote would escape it: the folder goes without its last one.
    const std::string languageArg = "\"" + language.substr(0, language.size() - 1) + "\"";
    ASSERT_TRUE(driver.Start(Host(), "--spell \"" + folder + "out.txt\" --language-folder " + languageArg + " ordbok ordbk spr\xe5k"));
    EXPECT_EQ(driver.WaitForExit(), 0);
    const std::string report = ReadFile(folder + "out.txt");
    EXPECT_NE(report.find("language folder: " + language + "\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("ordbok: correct\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("spr\xc3\xa5k: correct\r\n"), std::string::npos) << report;
    const size_t wrong = report.find("ordbk: wrong; suggestions: ");
    ASSERT_NE(wrong, std::string::npos) << report;
    const std::string suggestions = report.substr(wrong, report.find("\r\n", wrong) - wrong);
    EXPECT_NE(suggestions.find(" ordbok"), std::string::npos) << suggestions;

    // Without the engine the host says so.
    DeleteFileA((language + "hunspell.dll").c_str());
    ASSERT_TRUE(driver.Start(Host(), "--spell \"" + folder + "out.txt\" --language-folder " + languageArg + " ordbok"));
    EXPECT_EQ(driver.WaitForExit(), 3);
    EXPECT_NE(ReadFile(folder + "out.txt").find("cannot load hunspell.dll"), std::string::npos);
}

}  // namespace
