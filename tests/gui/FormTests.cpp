#include "ModalScript.h"
#include "Screenshot.h"
#include "TestForm.h"
#include "gui/Application.h"
#include "gui/Exceptions.h"
#include "gui/Layout.h"
#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace {
class ETestError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ETestError"; }
};

RECT BoundsInParent(const TWinControl& c)
{
    RECT r;
    GetWindowRect(c.Handle(), &r);
    MapWindowPoints(nullptr, c.Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string AtomName(HWND window)
{
    const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropA(window, ControlNameProperty)));
    char name[256] = "";
    if (atom) GlobalGetAtomNameA(atom, name, sizeof name);
    return name;
}

std::string FocusedName()
{
    TWinControl* c = TWinControl::FromHandle(GetFocus());
    return c ? c->Name() : "(none)";
}
}  // namespace

// ---- Layout: classes, parents, bounds after scaling, names for the end-to-end driver

class FormLayoutScale : public testing::TestWithParam<const char*> {};

TEST_P(FormLayoutScale, BoundsAreTheLayoutsTimesTheFontRatio)
{
    TTestForm form(GetParam());
    const int textHeight = TextHeightOf(form.Font());
    if (*GetParam()) {
        ASSERT_NE(textHeight, DesignTextHeight) << "the enlarged font must change the scale";
    }
    auto scale = [&](int v) { return MulDiv(v, textHeight, DesignTextHeight); };

    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, scale(400));
    EXPECT_EQ(client.bottom, scale(300));

    struct TCase {
        const char* Name;
        const char* Class;
        const char* Parent;
        int Left, Top, Width, Height;  // -1: sized by the control itself
    };
    const TCase cases[] = {
        {"Pages", "TPageControl", "TestForm", 100, 37, 303, 230},
        {"NameLbl", "TLabel", "FirstSheet", 10, 8, -1, -1},
        {"NameEdt", "TEdit", "FirstSheet", 10, 26, 200, -1},
        {"NotesMemo", "TMemo", "FirstSheet", 10, 52, 270, 80},
        {"AgreeChkBx", "TCheckBox", "FirstSheet", 10, 140, 200, 17},
        {"InfoLbl", "TLabel", "SecondSheet", 12, 7, 260, 60},
        {"LeftPanel", "TPanel", "TestForm", 0, 40, 100, 220},
        {"Picture", "TImage", "TopPanel", 360, 4, 32, 32},
        {"BottomPanel", "TPanel", "TestForm", 0, 260, 400, 40},
        {"BackBtn", "TButton", "BottomPanel", 130, 9, 85, 22},
        {"NextBtn", "TButton", "BottomPanel", 215, 9, 85, 22},
        {"CancelBtn", "TButton", "BottomPanel", 310, 9, 85, 22},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TWinControl* control = form.FindComponent(c.Name);
        ASSERT_NE(control, nullptr);
        EXPECT_STREQ(control->ClassName(), c.Class);
        EXPECT_EQ(control->Parent()->Name(), c.Parent);
        const RECT r = BoundsInParent(*control);
        EXPECT_EQ(r.left, scale(c.Left));
        EXPECT_EQ(r.top, scale(c.Top));
        if (c.Width >= 0) {
            EXPECT_EQ(r.right - r.left, scale(c.Width));
        }
        if (c.Height >= 0) {
            EXPECT_EQ(r.bottom - r.top, scale(c.Height));
        }
    }
    // Aligned controls follow their parent: the top panel spans the client width, the bevel
    // stands at the right edge of the left panel over its whole height.
    const RECT top = BoundsInParent(*form.TopPanel);
    EXPECT_EQ(top.right - top.left, client.right);
    EXPECT_EQ(top.bottom - top.top, scale(40));
    const RECT bevel = BoundsInParent(*form.LeftBevel);
    EXPECT_EQ(bevel.right, scale(100));
    EXPECT_EQ(bevel.bottom - bevel.top, scale(220));
    // The pages fill the page control.
    RECT pages;
    GetClientRect(form.Pages->Handle(), &pages);
    const RECT sheet = BoundsInParent(*form.FirstSheet);
    EXPECT_GT(sheet.right - sheet.left, pages.right - 10);
    EXPECT_GT(sheet.bottom - sheet.top, pages.bottom - 10);
}

INSTANTIATE_TEST_SUITE_P(Fonts, FormLayoutScale, testing::Values("", "Font.Height = -21"));

TEST(FormLayout, EveryControlCarriesItsNameAsAGlobalAtomUntilDestroyed)
{
    std::vector<std::pair<HWND, std::string>> named;
    {
        TTestForm form;
        EXPECT_EQ(AtomName(form.Handle()), "TestForm");
        for (const auto& c : form.Components()) {
            EXPECT_EQ(AtomName(c->Handle()), c->Name());
            named.emplace_back(c->Handle(), c->Name());
        }
        EXPECT_EQ(named.size(), 18u);
    }
    for (const auto& [window, name] : named) {
        EXPECT_FALSE(IsWindow(window)) << name;
        EXPECT_EQ(GlobalFindAtomA(name.c_str()), 0) << name << " atom left behind";
    }
}

TEST(FormLayout, CaptionsAndAccessKeys)
{
    TTestForm form;
    EXPECT_EQ(form.Caption(), "Test form");
    EXPECT_EQ(form.NameLbl->Caption(), "&Name:");
    EXPECT_EQ(form.NameLbl->AccessKey(), 'N');
    EXPECT_TRUE(form.AgreeChkBx->Checked());
    EXPECT_TRUE(form.NextBtn->Default());
    EXPECT_TRUE(form.CancelBtn->Cancel());
    EXPECT_NE(GetWindowLongPtrA(form.NextBtn->Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);

    struct TCase {
        const char* Caption;
        char Key;
    } cases[] = {{"&Name:", 'N'}, {"I &agree", 'A'}, {"Tom && Jerry", 0}, {"a&&b &c", 'C'}, {"end&", 0}, {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(AccessKeyOf(c.Caption), c.Key) << c.Caption;
}

TEST(FormLayout, OnlyTheActivePageIsVisible)
{
    TTestForm form;
    EXPECT_EQ(form.Pages->PageCount(), 2);
    EXPECT_EQ(form.Pages->ActivePage(), form.FirstSheet);
    EXPECT_TRUE(GetWindowLongPtrA(form.FirstSheet->Handle(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongPtrA(form.SecondSheet->Handle(), GWL_STYLE) & WS_VISIBLE);
    form.Pages->SetActivePageIndex(1);
    EXPECT_EQ(form.Pages->ActivePage(), form.SecondSheet);
    EXPECT_FALSE(GetWindowLongPtrA(form.FirstSheet->Handle(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrA(form.SecondSheet->Handle(), GWL_STYLE) & WS_VISIBLE);
}

TEST(FormLayout, LabelsSizeThemselvesToTheirText)
{
    TTestForm form;
    const int titleHeight = TextHeightOf(form.TitleLbl->Font());
    EXPECT_EQ(form.TitleLbl->Height(), titleHeight);
    const int shortWidth = form.TitleLbl->Width();
    form.TitleLbl->SetCaption("A much longer title than before");
    EXPECT_GT(form.TitleLbl->Width(), shortWidth * 3);
    EXPECT_EQ(form.TitleLbl->Height(), titleHeight);
    // The title's own font is bigger than the default one.
    EXPECT_GT(titleHeight, TextHeightOf(form.Font()));
    // A fixed-size, word-wrapped label keeps the layout's size.
    form.InfoLbl->SetCaption("x");
    EXPECT_EQ(form.InfoLbl->Width(), MulDiv(260, TextHeightOf(form.Font()), DesignTextHeight));
}

TEST(FormLayout, PanelsBevelsAndLabelsPaintTheirColours)
{
    TTestForm form;
    form.Show();
    UpdateWindow(form.Handle());
    auto pixel = [](const TWinControl& c, int x, int y) {
        HDC dc = GetDC(c.Handle());
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(c.Handle(), dc);
        return color;
    };
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    // The white panel: lowered outer ring, raised inner ring, white inside.
    EXPECT_EQ(pixel(*form.TopPanel, 0, 0), shadow);
    EXPECT_EQ(pixel(*form.TopPanel, form.TopPanel->Width() - 1, form.TopPanel->Height() - 1), highlight);
    EXPECT_EQ(pixel(*form.TopPanel, 1, 1), highlight);
    EXPECT_EQ(pixel(*form.TopPanel, 5, 5), RGB(255, 255, 255));
    // A label on it shows the panel's white behind its text.
    EXPECT_EQ(pixel(*form.TitleLbl, form.TitleLbl->Width() - 1, 0), RGB(255, 255, 255));
    // A read-only memo keeps its window colour (the system would grey it).
    EXPECT_EQ(pixel(*form.NotesMemo, 20, 20), GetSysColor(COLOR_WINDOW));
    // The etched vertical line: shadow, then highlight.
    EXPECT_EQ(pixel(*form.LeftBevel, 0, 10), shadow);
    EXPECT_EQ(pixel(*form.LeftBevel, 1, 10), highlight);
    EXPECT_TRUE(SaveScreenshot(ScreenshotFolder() + "testform.png", ThreadWindowsRect()));
    form.Hide();
}

// ---- The modal run: keyboard, close query, errors, timers

class ModalRun : public testing::Test {
protected:
    TTestForm form;
    TModalScript script{form};
    int Run()
    {
        return script.Run([this] {
            form.Answer = true;
            form.SetModalResult(mrCancel);
        });
    }
};

TEST_F(ModalRun, TabAndShiftTabFollowCreationOrderOverVisibleEnabledControls)
{
    std::vector<std::string> seen;
    script.Then([&] { seen.push_back(FocusedName()); });
    for (int i = 0; i < 6; ++i) script.Then([] { PostKey(VK_TAB); }).Then([&] { seen.push_back(FocusedName()); });
    script.Then([&] {
        SetShiftDown(true);
        PostKey(VK_TAB);
    });
    script.Then([&] {
        SetShiftDown(false);
        seen.push_back(FocusedName());
        form.BackBtn->SetEnabled(false);
        form.NotesMemo->SetFocus();
        PostKey(VK_TAB);
        PostKey(VK_TAB);
    });
    script.Then([&] {
        seen.push_back(FocusedName());
        form.Answer = true;
        form.Close();
    });
    EXPECT_EQ(Run(), mrCancel);
    const std::vector<std::string> expected = {"NameEdt",  "NotesMemo", "AgreeChkBx", "BackBtn", "NextBtn",
                                               "CancelBtn", "NameEdt",  "CancelBtn",  "NextBtn"};
    EXPECT_EQ(seen, expected);
}

TEST_F(ModalRun, EnterPressesTheDefaultOrFocusedButtonEscapeTheEnabledCancelButton)
{
    script.Then([&] {
        form.NameEdt->SetFocus();
        PostKey(VK_RETURN);
    });
    script.Then([&] {
        EXPECT_EQ(form.NextClicks, 1);
        form.BackBtn->SetFocus();
        PostKey(VK_RETURN);
    });
    script.Then([&] {
        EXPECT_EQ(form.BackClicks, 1);
        EXPECT_EQ(form.NextClicks, 1);
        form.CancelBtn->SetEnabled(false);
        form.NameEdt->SetFocus();
        PostKey(VK_ESCAPE);
    });
    script.Then([&] {
        EXPECT_EQ(form.CancelClicks, 0) << "Escape must do nothing while Cancel is disabled";
        EXPECT_EQ(form.Queries, 0);
        form.CancelBtn->SetEnabled(true);
        PostKey(VK_ESCAPE);
    });
    script.Then([&] {
        EXPECT_EQ(form.CancelClicks, 1);
        EXPECT_EQ(form.Queries, 1);
        EXPECT_EQ(form.ModalResult(), mrNone);
        form.Answer = true;
        PostKey(VK_ESCAPE);
    });
    EXPECT_EQ(Run(), mrCancel);
    EXPECT_EQ(form.Queries, 2);
}

TEST_F(ModalRun, AltLetterFocusesAfterALabelPressesAButtonTogglesACheckBox)
{
    script.Then([&] {
        form.NextBtn->SetFocus();
        PostSysChar('n');
    });
    script.Then([&] {
        EXPECT_EQ(FocusedName(), "NameEdt");
        PostSysChar('B');
    });
    script.Then([&] {
        EXPECT_EQ(form.BackClicks, 1);
        PostSysChar('a');
    });
    script.Then([&] {
        EXPECT_FALSE(form.AgreeChkBx->Checked());
        EXPECT_EQ(form.AgreeClicks, 1);
        EXPECT_EQ(FocusedName(), "AgreeChkBx");
        form.BackBtn->SetEnabled(false);
        PostSysChar('b');
    });
    script.Then([&] {
        EXPECT_EQ(form.BackClicks, 1) << "a disabled button ignores its access key";
        form.Answer = true;
        form.Close();
    });
    EXPECT_EQ(Run(), mrCancel);
}

struct TCloseCase {
    const char* Name;
    void (*Act)(TTestForm& form);
    int Result;  // of the run once the query agrees
};

class CloseCommands : public ModalRun, public testing::WithParamInterface<TCloseCase> {};

TEST_P(CloseCommands, AskTheCloseQueryAndNoKeepsTheFormWithItsState)
{
    const TCloseCase& c = GetParam();
    script.Then([&] {
        form.NameEdt->SetText("typed text");
        form.Pages->SetActivePage(form.SecondSheet);
        c.Act(form);
    });
    script.Then([&] {
        EXPECT_EQ(form.Queries, 1);
        EXPECT_EQ(form.ModalResult(), mrNone);
        EXPECT_TRUE(IsWindowVisible(form.Handle()));
        EXPECT_EQ(form.NameEdt->Text(), "typed text");
        EXPECT_EQ(form.Pages->ActivePage(), form.SecondSheet);
        form.Answer = true;
        c.Act(form);
    });
    EXPECT_EQ(Run(), c.Result);
    EXPECT_EQ(form.Queries, 2);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

INSTANTIATE_TEST_SUITE_P(
    All, CloseCommands,
    testing::Values(
        TCloseCase{"CloseBox", [](TTestForm& f) { PostMessageA(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel},
        TCloseCase{"AltF4", [](TTestForm& f) { f.NameEdt->SetFocus(); PostAltF4(); }, mrCancel},
        TCloseCase{"WmClose", [](TTestForm& f) { SendMessageA(f.Handle(), WM_CLOSE, 0, 0); }, mrCancel},
        TCloseCase{"CancelButton", [](TTestForm& f) { SendMessageA(f.CancelBtn->Handle(), BM_CLICK, 0, 0); }, mrCancel},
        TCloseCase{"ModalResultByCode", [](TTestForm& f) { f.SetModalResult(mrOk); }, mrOk}),
    [](const testing::TestParamInfo<TCloseCase>& info) { return std::string(info.param.Name); });

TEST_F(ModalRun, EndOfSessionAsksTheCloseQuery)
{
    script.Then([&] {
        EXPECT_EQ(SendMessageA(form.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
        form.Answer = true;
        EXPECT_EQ(SendMessageA(form.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
        EXPECT_EQ(form.Queries, 2);
        form.Close();
    });
    EXPECT_EQ(Run(), mrCancel);
}

TEST_F(ModalRun, TimerTicksReachTheForm)
{
    script.Then([&] { SetTimer(form.Handle(), 1, 15, nullptr); });
    for (int i = 0; i < 10; ++i) script.Then([] { Sleep(5); });
    script.Then([&] {
        KillTimer(form.Handle(), 1);
        EXPECT_GT(form.TimerTicks, 0);
        EXPECT_EQ(form.LastTimer, 1u);
        form.Answer = true;
        form.Close();
    });
    Run();
}

TEST_F(ModalRun, ErrorsInHandlersShowTheExceptionBoxAndTheLoopGoesOn)
{
    TBoxRecorder boxes(form.Handle());
    script.Then([&] {
        form.OnNext = [] { throw ETestError("x"); };
        SendMessageA(form.NextBtn->Handle(), BM_CLICK, 0, 0);
    });
    script.Then([&] {
        form.OnNext = [] { throw std::runtime_error("y"); };
        form.NameEdt->SetFocus();
        PostKey(VK_RETURN);
    });
    script.Then([&] {
        form.OnNext = [] { throw EAbort("silent"); };
        SendMessageA(form.NextBtn->Handle(), BM_CLICK, 0, 0);
        PostKey(VK_RETURN);
    });
    script.Then([&] {
        form.OnNext = [] { throw EWriteError("silent too"); };
        SendMessageA(form.NextBtn->Handle(), BM_CLICK, 0, 0);
    });
    script.Then([&] {
        EXPECT_EQ(form.NextClicks, 5);
        form.Answer = true;
        PostKey(VK_ESCAPE);
    });
    EXPECT_EQ(Run(), mrCancel);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Exception ETestError");
    EXPECT_EQ(boxes.Boxes[1].Text, L"Exception std::runtime_error");
    for (const auto& box : boxes.Boxes) {
        EXPECT_EQ(box.Owner, Application->Handle());
        EXPECT_EQ(box.Caption, L"Framework test");
        EXPECT_EQ(box.Style & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_FALSE(box.FormEnabled) << "the form must take no input while the box is up";
    }
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

TEST_F(ModalRun, AnErrorInTheCloseQueryIsShownAndTheFormStays)
{
    TBoxRecorder boxes;
    form.OnCloseQuery = [&](TWinControl*, bool& canClose) {
        ++form.Queries;
        if (form.Queries == 1) throw ETestError("query");
        canClose = true;
    };
    script.Then([&] { form.Close(); });
    script.Then([&] {
        EXPECT_EQ(form.ModalResult(), mrNone);
        form.Close();
    });
    EXPECT_EQ(Run(), mrCancel);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Exception ETestError");
}

TEST(Controls, MemoLoadsEightBitTextLineByLine)
{
    TTestForm form;
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"gui_memo_test.txt";
    const char text[] = "first\rsecond\nthird\r\nlast \xE6\xF8\xE5";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
    form.NotesMemo->LoadFromFile(path);
    DeleteFileW(path.c_str());
    EXPECT_EQ(form.NotesMemo->LineCount(), 5);  // four lines and the empty one after the last break
    EXPECT_EQ(form.NotesMemo->Text(), "first\r\nsecond\r\nthird\r\nlast \xE6\xF8\xE5\r\n");
    EXPECT_THROW(form.NotesMemo->LoadFromFile(path), EFOpenError);
}

TEST(Controls, ImageLoadsABitmapFileAndRejectsOthers)
{
    TTestForm form;
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"gui_image_test.bmp";
    // A 2x2 24-bit bitmap: rows bottom-up, BGR pixels, each row padded to 4 bytes.
    std::string bmp(54, '\0');
    BITMAPFILEHEADER file{0x4D42, 70, 0, 0, 54};
    BITMAPINFOHEADER header{sizeof header, 2, 2, 1, 24, BI_RGB, 16, 0, 0, 0, 0};
    memcpy(bmp.data(), &file, sizeof file);
    memcpy(bmp.data() + sizeof file, &header, sizeof header);
    bmp += std::string("\xFF\x00\x00" "\x00\x00\xFF" "\0\0", 8);  // bottom: blue, red
    bmp += std::string("\x00\xFF\x00" "\x00\x00\x00" "\0\0", 8);  // top: green, black
    auto write = [&](const void* data, DWORD size) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, data, size, &written, nullptr);
        CloseHandle(file);
    };
    write(bmp.data(), static_cast<DWORD>(bmp.size()));
    form.Picture->LoadFromFile(path);
    EXPECT_EQ(BitmapSize(form.Picture->Bitmap()).cx, 2);
    EXPECT_EQ(BitmapSize(form.Picture->Bitmap()).cy, 2);
    // Drawn unscaled at the top-left corner; the rest shows the parent's colour.
    form.Show();
    UpdateWindow(form.Handle());
    HDC dc = GetDC(form.Picture->Handle());
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(255, 255, 255));
    ReleaseDC(form.Picture->Handle(), dc);
    form.Hide();
    write("not a bitmap at all", 19);
    EXPECT_THROW(form.Picture->LoadFromFile(path), EInvalidGraphic);
    DeleteFileW(path.c_str());
    EXPECT_THROW(form.Picture->LoadFromFile(path), EFOpenError);
}

TEST(ModalRunFromOutside, ACloseSentFromAnotherThreadEndsTheRunWithoutWaitingForInput)
{
    // The end-to-end driver sends WM_CLOSE from another process; no timer or input may be
    // needed to wake the loop afterwards.
    TTestForm form;
    form.Answer = true;
    form.NextBtn->SetFocus();  // no caret: its blink timer would wake the loop anyway
    std::atomic<bool> returned{false};
    std::atomic<DWORD> sent{0};
    std::thread driver([&] {
        for (int i = 0; i < 1000 && !IsWindowVisible(form.Handle()); ++i) Sleep(10);
        Sleep(300);  // let the form's queue run dry
        SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
        sent = GetTickCount();
        for (int i = 0; i < 300 && !returned; ++i) Sleep(10);
        if (!returned) PostMessageA(form.Handle(), WM_NULL, 0, 0);  // rescue a stuck loop, the test fails below
    });
    const int result = form.ShowModal();
    const DWORD ended = GetTickCount();
    returned = true;
    driver.join();
    EXPECT_EQ(result, mrCancel);
    EXPECT_LT(ended - sent, 1500u);
}
