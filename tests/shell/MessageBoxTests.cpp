#include <gtest/gtest.h>
#include <optional>
#include <vector>
#include "gui/Application.h"
#include "gui/SystemMessageBox.h"
#include "shell/MessageBoxes.h"
#include "tests/support/MessageBoxAnswerer.h"

namespace {

const std::wstring Caption = L"Corvella Norwegian (Nynorsk) Spellchecker - Setup";

struct TSeamCall {
    HWND owner;
    std::wstring text, caption;
    UINT style;
};

// Answers every box through the seam with `answer` and records what it was asked.
class SeamAnswers {
public:
    explicit SeamAnswers(int answer)
    {
        previous_ = SetMessageBoxSeam(
            [this, answer](HWND owner, const std::wstring& text, const std::wstring& caption,
                           UINT style) {
                calls.push_back({owner, text, caption, style});
                return answer;
            });
    }
    ~SeamAnswers() { SetMessageBoxSeam(previous_); }

    std::vector<TSeamCall> calls;

private:
    TMessageBoxSeam previous_;
};

TEST(SetupMessageDlg, StyleFromKindAndButtons)
{
    const struct {
        MessageKind kind;
        UINT icon;
    } kinds[] = {
        {mkWarning, MB_ICONWARNING},       {mkError, MB_ICONERROR},
        {mkInformation, MB_ICONINFORMATION}, {mkConfirmation, MB_ICONQUESTION},
        {4, MB_ICONERROR},                 {255, MB_ICONERROR},
    };
    const struct {
        MessageButtons buttons;
        UINT style;
    } sets[] = {
        {112, MB_ABORTRETRYIGNORE}, {12, MB_OKCANCEL}, {40, MB_RETRYCANCEL}, {3, MB_YESNO},
        {11, MB_YESNOCANCEL},       {9, MB_OK},        {4, MB_OK},           {0, MB_OK},
        {1, MB_OK},                 {112 | 128, MB_OK}, {0xFFFF, MB_OK},      {3 | 0x8000, MB_OK},
    };
    SeamAnswers seam(IDOK);
    for (const auto& k : kinds)
        for (const auto& s : sets) {
            seam.calls.clear();
            SetupMessageDlg("text", k.kind, s.buttons);
            ASSERT_EQ(seam.calls.size(), 1u);
            EXPECT_EQ(seam.calls[0].style, k.icon | s.style | MB_TASKMODAL)
                << "kind " << int(k.kind) << " buttons " << s.buttons;
        }
}

TEST(SetupMessageDlg, TextAndCaptionInCodePage1252WithoutOwner)
{
    SeamAnswers seam(IDOK);
    SetupMessageDlg("Cannot create file \"C:\\\x80\xE6.dic\".\rTry again.", mkError, 112);
    ASSERT_EQ(seam.calls.size(), 1u);
    EXPECT_EQ(seam.calls[0].text, L"Cannot create file \"C:\\\u20AC\u00E6.dic\".\rTry again.");
    EXPECT_EQ(seam.calls[0].caption, Caption);
    EXPECT_EQ(seam.calls[0].owner, nullptr);
}

TEST(SetupMessageDlg, OwnedByTheApplicationWindow)
{
    TApplication app;
    SeamAnswers seam(IDOK);
    SetupMessageDlg("x", mkInformation, btOk);
    ASSERT_EQ(seam.calls.size(), 1u);
    EXPECT_EQ(seam.calls[0].owner, app.Handle());
    EXPECT_NE(app.Handle(), nullptr);
}

TEST(SetupMessageDlg, ResultMapping)
{
    const struct {
        int answer, result;
    } cases[] = {
        {0, IDOK},       {IDOK, IDOK},       {IDCANCEL, IDCANCEL}, {IDABORT, IDABORT},
        {IDRETRY, IDRETRY}, {IDIGNORE, IDIGNORE}, {IDYES, IDYES},  {IDNO, IDNO},
        {8, IDOK},       {IDTRYAGAIN, IDOK}, {IDCONTINUE, IDOK},   {-1, IDOK},
    };
    for (const auto& c : cases) {
        SeamAnswers seam(c.answer);
        EXPECT_EQ(SetupMessageDlg("x", mkConfirmation, btYes | btNo), c.result) << c.answer;
    }
}

// Real boxes under the test display, answered from another thread.
TEST(SetupMessageDlg, RealBoxShowsTheButtonsOfEachSet)
{
    const std::string text = "First line\rSecond line \x80";
    const struct {
        MessageButtons buttons;
        std::vector<int> shown;
        int press, result;
    } cases[] = {
        {112, {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE, IDIGNORE},
        {12, {IDOK, IDCANCEL}, IDCANCEL, IDCANCEL},
        {40, {IDCANCEL, IDRETRY}, IDRETRY, IDRETRY},
        {3, {IDYES, IDNO}, IDNO, IDNO},
        {11, {IDCANCEL, IDYES, IDNO}, IDYES, IDYES},
        {9, {IDOK}, IDOK, IDOK},
        {4, {IDOK}, IDOK, IDOK},
        {0, {IDOK}, IDOK, IDOK},
    };
    for (const auto& c : cases) {
        TMessageBoxAnswerer answerer(Caption, c.press);
        const int result = SetupMessageDlg(text, mkConfirmation, c.buttons);
        const TMessageBoxSeen& seen = answerer.Seen();
        ASSERT_TRUE(seen.Found) << "set " << c.buttons;
        EXPECT_EQ(seen.Buttons, c.shown) << "set " << c.buttons;
        EXPECT_EQ(seen.Pressed, c.press) << "set " << c.buttons;
        EXPECT_EQ(result, c.result) << "set " << c.buttons;
        EXPECT_EQ(seen.Text, L"First line\rSecond line \u20AC");
        EXPECT_EQ(seen.Owner, nullptr);
    }
}

TEST(SetupMessageDlg, RealBoxIsOwnedByTheApplicationWindow)
{
    TApplication app;
    TMessageBoxAnswerer answerer(Caption, IDYES);
    EXPECT_EQ(SetupMessageDlg("Quit?", mkConfirmation, btYes | btNo), IDYES);
    const TMessageBoxSeen& seen = answerer.Seen();
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ(seen.Owner, app.Handle());
}

}  // namespace
