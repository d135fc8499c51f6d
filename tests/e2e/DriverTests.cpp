// The driver against a small window program of its own (DriverTestApp), and its script language.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/e2e/Driver.h"
#include "tests/e2e/DriverScript.h"

namespace {

constexpr char AppCaption[] = "Driver Test Window";

std::string BesideMe(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

std::string TestApp() { return BesideMe("driver_test_app.exe"); }

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

uint32_t Big32(const std::string& s, size_t at)
{
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) | (uint32_t(uint8_t(s[at + 2])) << 8) |
           uint8_t(s[at + 3]);
}

class DriverTest : public testing::Test {
protected:
    void SetUp() override
    {
        driver.SetTimeout(5000);
        ASSERT_TRUE(driver.Start(TestApp())) << driver.LastError();
        ASSERT_NE(driver.WaitForWindow(), nullptr) << driver.LastError();
    }
    TDriver driver{AppCaption};
};

TEST_F(DriverTest, FindsTheShownWindowAndReadsItsControls)
{
    HWND window = driver.Window();
    EXPECT_TRUE(IsWindowVisible(window)) << "not the hidden owner of the same caption";
    EXPECT_EQ(driver.WindowCaption(), AppCaption);
    EXPECT_EQ(driver.Text("ReportLbl"), "Ready");
    EXPECT_EQ(driver.Text("AskBtn"), "&Ask");
    EXPECT_TRUE(driver.Visible("AskBtn"));
    EXPECT_FALSE(driver.Visible("HiddenBtn"));
    EXPECT_TRUE(driver.Enabled("AskBtn"));
    EXPECT_FALSE(driver.Enabled("DisabledBtn"));
    EXPECT_FALSE(driver.Checked("OptionChk"));
    EXPECT_EQ(driver.Items("ItemsLst"), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(driver.Selection("ItemsCmb"), -1);

    EXPECT_EQ(driver.Control("NoSuchCtl"), nullptr);
    EXPECT_NE(driver.LastError().find("NoSuchCtl"), std::string::npos);
}

TEST_F(DriverTest, ActionsReachTheProgramAndReturnAfterItsHandler)
{
    ASSERT_TRUE(driver.SetChecked("OptionChk", true)) << driver.LastError();
    EXPECT_TRUE(driver.Checked("OptionChk"));
    EXPECT_EQ(driver.Text("ReportLbl"), "Option on");
    ASSERT_TRUE(driver.SetChecked("OptionChk", true));
    EXPECT_EQ(driver.Text("ReportLbl"), "Option on") << "no click when the state is already right";

    ASSERT_TRUE(driver.Select("ItemsLst", 1)) << driver.LastError();
    EXPECT_EQ(driver.Selection("ItemsLst"), 1);
    EXPECT_EQ(driver.Text("ReportLbl"), "Picked beta");
    ASSERT_TRUE(driver.Select("ItemsCmb", 1)) << driver.LastError();
    EXPECT_EQ(driver.Text("ReportLbl"), "Chose two");
    EXPECT_FALSE(driver.Select("ItemsCmb", 5));

    // The handler sleeps before it reports: the click returns only once it has run.
    ASSERT_TRUE(driver.Click("SlowBtn")) << driver.LastError();
    EXPECT_EQ(driver.Text("ReportLbl"), "Slow done");

    ASSERT_TRUE(driver.SetText("CodeEdt", "7")) << driver.LastError();
    EXPECT_EQ(driver.Text("CodeEdt"), "7");
    ASSERT_TRUE(driver.Click("QuitBtn"));
    EXPECT_EQ(driver.WaitForExit(), 7);
}

TEST_F(DriverTest, RefusesWhatAUserCannotDo)
{
    EXPECT_FALSE(driver.Click("HiddenBtn"));
    EXPECT_NE(driver.LastError().find("HiddenBtn is not visible"), std::string::npos);
    EXPECT_FALSE(driver.Click("DisabledBtn"));
    EXPECT_NE(driver.LastError().find("DisabledBtn is disabled"), std::string::npos);
    EXPECT_FALSE(driver.Select("AskBtn", 0));
    EXPECT_EQ(driver.Text("ReportLbl"), "Ready");
}

TEST_F(DriverTest, ReadsAndAnswersMessageBoxes)
{
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
        SCOPED_TRACE(ButtonNameOf(answer));
        ASSERT_TRUE(driver.Click("AskBtn"));
        TMessageBoxInfo box;
        ASSERT_TRUE(driver.WaitForMessageBox(box)) << driver.LastError();
        EXPECT_EQ(box.Caption, AppCaption);
        EXPECT_EQ(box.Text, "Proceed?\r\rSecond line");
        EXPECT_EQ(box.Buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
        EXPECT_FALSE(driver.Answer(box, IDOK)) << "no such button";
        ASSERT_TRUE(driver.Answer(box, answer)) << driver.LastError();
        EXPECT_FALSE(driver.MessageBoxOpen());
        EXPECT_EQ(driver.Text("ReportLbl"), ButtonNameOf(answer));
    }
}

TEST_F(DriverTest, CloseCommandsAndEscapeGoThroughTheProgramsQuestion)
{
    struct {
        const char* How;
        bool (TDriver::*Act)();
    } ways[] = {{"WM_CLOSE", &TDriver::Close}, {"SC_CLOSE", &TDriver::SysClose}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.How);
        ASSERT_TRUE((driver.*way.Act)()) << driver.LastError();
        TMessageBoxInfo box;
        ASSERT_TRUE(driver.WaitForMessageBox(box)) << driver.LastError();
        EXPECT_EQ(box.Text, "Really quit?");
        ASSERT_TRUE(driver.Answer(box, IDNO));
        EXPECT_EQ(driver.Text("ReportLbl"), "Stayed");
        SetWindowTextA(driver.Control("ReportLbl"), "Ready");
        EXPECT_TRUE(driver.Running());
    }
    ASSERT_TRUE(driver.Key("ESCAPE")) << driver.LastError();
    TMessageBoxInfo box;
    ASSERT_TRUE(driver.WaitForMessageBox(box)) << driver.LastError();
    ASSERT_TRUE(driver.Answer(box, IDYES));
    EXPECT_EQ(driver.WaitForExit(), 0);
}

TEST_F(DriverTest, ScreenshotsShowTheWindow)
{
    RECT rect;
    GetWindowRect(driver.Window(), &rect);
    const uint32_t width = rect.right - rect.left, height = rect.bottom - rect.top;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string png = std::string(folder) + "driver-shot.png", bmp = std::string(folder) + "driver-shot.bmp";

    ASSERT_TRUE(driver.SaveScreenshot(png)) << driver.LastError();
    std::string bytes = ReadFile(png);
    DeleteFileA(png.c_str());
    ASSERT_GT(bytes.size(), 33u);
    ASSERT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(Big32(bytes, 16), width);
    EXPECT_EQ(Big32(bytes, 20), height);
    const size_t idat = bytes.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    std::string raw(size_t(height) * (width * 3 + 1), '\0');
    uLongf rawSize = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize, reinterpret_cast<const Bytef*>(bytes.data() + idat + 4),
                         Big32(bytes, idat - 4)),
              Z_OK);
    EXPECT_EQ(rawSize, raw.size());
    std::set<std::string> colours;
    for (uint32_t y = 0; y < height; y += 7)
        for (uint32_t x = 0; x < width; x += 5) colours.insert(raw.substr(y * (width * 3 + 1) + 1 + x * 3, 3));
    EXPECT_GT(colours.size(), 3u) << "a picture of the window, not a blank area";

    ASSERT_TRUE(driver.SaveScreenshot(bmp)) << driver.LastError();
    bytes = ReadFile(bmp);
    DeleteFileA(bmp.c_str());
    ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data() + sizeof(BITMAPFILEHEADER));
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(uint32_t(info->biWidth), width);
    EXPECT_EQ(uint32_t(info->biHeight), height);
    EXPECT_EQ(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size_t((width * 3 + 3) & ~3u) * height);
}

TEST(Driver, WaitsEndAtTheirTimeOutAndReportTheExitCode)
{
    TDriver driver(AppCaption);
    driver.SetTimeout(1000);
    ASSERT_TRUE(driver.Start(TestApp(), "--exit 3"));
    EXPECT_EQ(driver.WaitForWindow(), nullptr);
    EXPECT_NE(driver.LastError().find("ended"), std::string::npos) << driver.LastError();
    EXPECT_EQ(driver.WaitForExit(), 3);

    driver.SetTimeout(5000);
    ASSERT_TRUE(driver.Start(TestApp(), "--delay 1500"));
    EXPECT_NE(driver.WaitForWindow(), nullptr) << "a window that comes late is still found";
    driver.SetTimeout(1000);
    TMessageBoxInfo box;
    const ULONGLONG before = GetTickCount64();
    EXPECT_FALSE(driver.WaitForMessageBox(box));
    const ULONGLONG waited = GetTickCount64() - before;
    EXPECT_GE(waited, 1000u);
    EXPECT_LT(waited, 3000u);
    EXPECT_EQ(driver.WaitForExit(), -1) << "still running";

    EXPECT_FALSE(driver.Start(BesideMe("no-such-program.exe")));
}

TEST(Driver, EndsTheProgramItLeavesRunning)
{
    DWORD pid = 0;
    {
        TDriver driver(AppCaption);
        ASSERT_TRUE(driver.Start(TestApp()));
        ASSERT_NE(driver.WaitForWindow(), nullptr);
        pid = driver.ProcessId();
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    DWORD code = STILL_ACTIVE;
    if (process) {
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
    }
    EXPECT_NE(code, DWORD(STILL_ACTIVE));
}

// ---- scripts

TEST(DriverScriptLine, SplitsWithQuotesAndEscapes)
{
    struct {
        const char* Line;
        std::vector<std::string> Tokens;
    } cases[] = {
        {"click  NextBtn", {"click", "NextBtn"}},
        {"settext DestDirEdt \"C:\\Program Files\\Corvella\"", {"settext", "DestDirEdt", "C:\\Program Files\\Corvella"}},
        {"box Yes,No Yes \"First\\rSecond\\t\\\"quoted\\\"\"", {"box", "Yes,No", "Yes", "First\rSecond\t\"quoted\""}},
        {"settext DestDirEdt 'C:\\Some Dir\\'", {"settext", "DestDirEdt", "C:\\Some Dir\\"}},
        {"text Lbl \"\"", {"text", "Lbl", ""}},
    };
    for (const auto& c : cases) {
        std::vector<TScriptToken> tokens;
        std::string error;
        ASSERT_TRUE(SplitScriptLine(c.Line, tokens, error)) << c.Line;
        std::vector<std::string> texts;
        for (const auto& t : tokens) texts.push_back(t.Text);
        EXPECT_EQ(texts, c.Tokens) << c.Line;
    }
    std::vector<TScriptToken> tokens;
    std::string error;
    EXPECT_FALSE(SplitScriptLine("text Lbl \"open", tokens, error));
    EXPECT_FALSE(SplitScriptLine("text Lbl 'open", tokens, error));
}

TEST(DriverScript, RunsAScenarioAgainstTheProgram)
{
    TDriver driver(AppCaption);
    driver.SetTimeout(5000);
    std::vector<std::string> log;
    TDriverScript script(driver, [&](const std::string& line) { log.push_back(line); });
    const std::string scenario = "start '" + TestApp() + "' --delay 100\n" + R"(
# comments and blank lines are skipped
window
caption "Driver Test Window"
text ReportLbl Ready
visible HiddenBtn 0
enabled DisabledBtn 0
item ItemsLst 2 gamma
tick OptionChk 1
checked OptionChk 1
select ItemsLst 0
selected ItemsLst 0
contains ReportLbl alpha
click AskBtn
box Yes,No,Cancel No "Proceed?\r\rSecond line"
text ReportLbl No
nobox
print ReportLbl
sysclose
box Yes,No Yes "Really quit?"
exit 0
)";
    EXPECT_TRUE(script.Run(scenario)) << script.Error();
    EXPECT_NE(std::find(log.begin(), log.end(), "  ReportLbl: \"No\""), log.end());
}

TEST(DriverScript, ReportsTheFailingLineAndWhy)
{
    struct {
        const char* Script;
        const char* Error;
    } cases[] = {
        {"frobnicate", "line 3: frobnicate: unknown command"},
        {"click", "line 3: click: expects 1 argument"},
        {"text ReportLbl \"Ready", "line 3: text ReportLbl \"Ready: unterminated \""},
        {"text ReportLbl Done", "line 3: text ReportLbl Done: ReportLbl is \"Ready\", expected \"Done\""},
        {"checked NoSuchCtl 1", "NoSuchCtl checked is \"<no control named NoSuchCtl>\""},
        {"click AskBtn\nbox Yes,No Yes", "line 4: box Yes,No Yes: the message box has the buttons Cancel,Yes,No, expected Yes,No"},
        {"click AskBtn\nbox Yes,No,Cancel Yes \"Other\"", "the message box says \"Proceed?\\r\\rSecond line\", expected \"Other\""},
        {"click HiddenBtn", "line 3: click HiddenBtn: HiddenBtn is not visible"},
        {"click AskBtn\nnobox", "line 4: nobox: a message box is open: \"Proceed?\\r\\rSecond line\""},
        {"exit 0", "line 3: exit 0: the program did not end within 700 ms"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Script);
        TDriver driver(AppCaption);
        ASSERT_TRUE(driver.Start(TestApp()));
        TDriverScript script(driver);
        EXPECT_FALSE(script.Run(std::string("window\ntimeout 700\n") + c.Script));
        EXPECT_NE(script.Error().find(c.Error), std::string::npos) << script.Error();
    }
}

// The command-line front-end: its exit code tells whether the script held.
TEST(DriverCommandLine, ExitCodeAndErrorOfAScriptRun)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    struct {
        const char* Lines;
        DWORD ExitCode;
        const char* Output;
    } cases[] = {
        {"window\ntext ReportLbl Ready\nclose\nbox Yes,No Yes\nexit 0\n", 0, "> exit 0"},
        {"window\ntimeout 500\ntext ReportLbl Gone\n", 1, "line 4: text ReportLbl Gone: ReportLbl is \"Ready\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Lines);
        const std::string scriptPath = std::string(folder) + "driver-cli.txt", outputPath = std::string(folder) + "driver-cli.out";
        std::ofstream(scriptPath, std::ios::binary) << "start '" << TestApp() << "'\n" << c.Lines;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(output, INVALID_HANDLE_VALUE);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        PROCESS_INFORMATION info{};
        std::string commandLine = "\"" + BesideMe("e2e-driver.exe") + "\" --caption \"Driver Test Window\" --timeout 3000 \"" + scriptPath + "\"";
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
        CloseHandle(output);
        DWORD code = STILL_ACTIVE;
        for (int i = 0; i < 1000 && GetExitCodeProcess(info.hProcess, &code) && code == STILL_ACTIVE; ++i) Sleep(20);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        EXPECT_EQ(code, c.ExitCode);
        const std::string text = ReadFile(outputPath);
        EXPECT_NE(text.find(c.Output), std::string::npos) << text;
        DeleteFileA(scriptPath.c_str());
        DeleteFileA(outputPath.c_str());
    }
}

}  // namespace
