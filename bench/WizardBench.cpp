// Benchmarks of the setup exe beside this program, measured side by side in one run:
//   start-up: process start to the wizard window visible, against MinimalWindow.exe;
//   install:  Next on the ready page to the finish page, against copying the same seven files;
//   size:     the exe without its payload resource, by section.
// Usage: wizard_bench [rounds]
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tests/e2e/SetupRun.h"
#include "utils/Types.h"

namespace {

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Time from CreateProcess to a visible window of that caption with a non-zero size.
double StartUp(const std::string& exe, const std::string& caption)
{
    TDriver driver(caption);
    driver.SetTimeout(120000);
    const double start = Seconds();
    if (!driver.Start(exe) || !driver.WaitForWindow()) {
        std::fprintf(stderr, "%s: %s\n", exe.c_str(), driver.LastError().c_str());
        std::exit(1);
    }
    const double elapsed = Seconds() - start;
    driver.Terminate();
    return elapsed;
}

bool Walk(TDriver& driver, const std::vector<std::pair<std::string, std::string>>& steps)
{
    for (const auto& [button, title] : steps)
        if (!driver.Click(button) || !driver.WaitUntil([&] { return driver.Text("TopLbl") == title; })) return false;
    return true;
}

// One install through the wizard: the time from Next on the ready page to the finish page.
double Install(const std::string& home)
{
    TDriver driver(SetupTitle);
    driver.SetTimeout(120000);
    if (!driver.Start(SetupExe(), "\"-d" + home + "\"") || !driver.WaitForWindow() ||
        !Walk(driver, {{"NextBtn", "License Agreement"}, {"NextBtn", "Specify Home Folder"}, {"NextBtn", "Ready to Install"}})) {
        std::fprintf(stderr, "install: %s\n", driver.LastError().c_str());
        std::exit(1);
    }
    const double start = Seconds();
    if (!Walk(driver, {{"NextBtn", "Installation Complete"}})) {
        std::fprintf(stderr, "install: %s\n", driver.LastError().c_str());
        std::exit(1);
    }
    const double elapsed = Seconds() - start;
    driver.SetChecked("FinishChkBx", false);
    driver.Click("NextBtn");
    driver.WaitForExit();
    return elapsed;
}

double CopyFiles(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    const double start = Seconds();
    for (const auto& name : AddOnFiles) CopyFileA((from + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    const double elapsed = Seconds() - start;
    for (const auto& name : AddOnFiles) DeleteFileA((to + "\\" + name).c_str());
    RemoveDirectoryA(to.c_str());
    return elapsed;
}

void PrintSize(const std::string& exe)
{
    HANDLE file = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    const size_t payload = PayloadResourceOf(exe).size();
    std::printf("size: %s\n  file %zu bytes, payload resource %zu, without it %zu (%.1f KB; goal <= 250 KB)\n",
                exe.c_str(), bytes.size(), payload, bytes.size() - payload, double(bytes.size() - payload) / 1024);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
    const auto* section = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        reinterpret_cast<const char*>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const std::string name(reinterpret_cast<const char*>(section->Name), strnlen(reinterpret_cast<const char*>(section->Name), 8));
        size_t raw = section->SizeOfRawData;
        if (name == ".rsrc") raw -= std::min(raw, payload);
        std::printf("  %-8s %8zu bytes%s\n", name.c_str(), raw, name == ".rsrc" ? " (without the payload)" : "");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("wizard_bench: %s, %d-bit, %d rounds (medians)\n", SetupExe().c_str(), int(sizeof(void*) * 8), rounds);

    std::vector<double> setup, minimal;
    StartUp(ScenarioFolder() + "MinimalWindow.exe", "Minimal Window");  // warm the file cache
    for (int i = 0; i < rounds; ++i) {
        minimal.push_back(StartUp(ScenarioFolder() + "MinimalWindow.exe", "Minimal Window"));
        setup.push_back(StartUp(SetupExe(), SetupTitle));
    }
    std::printf("start-up: wizard %.3f s, minimal window %.3f s, ratio %.2f (goal <= 1.3)\n", Median(setup), Median(minimal),
                Median(setup) / Median(minimal));

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string home = std::string(temp) + "wizard-bench-home";
    CreateDirectoryA(home.c_str(), nullptr);
    CopyFileA(HostExe().c_str(), (home + "\\cwp.exe").c_str(), FALSE);
    const std::string installed = CorvellaDataFolder() + "Public\\Spellcheck\\";
    std::vector<double> install, copy;
    for (int i = 0; i < rounds; ++i) {
        install.push_back(Install(home));
        copy.push_back(CopyFiles(installed, std::string(temp) + "wizard-bench-copy"));
    }
    std::printf("install: Next on page 3 to page 5 %.3f s, copying the seven files %.3f s, ratio %.2f\n", Median(install),
                Median(copy), Median(install) / Median(copy));
    DeleteFileA((home + "\\cwp.exe").c_str());
    RemoveDirectoryA(home.c_str());

    PrintSize(SetupExe());
    return 0;
}
