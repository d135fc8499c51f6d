#include "TestForm.h"
#include "gui/Layout.h"

void RegisterFrameworkClasses()
{
    RegisterControlClass<TBevel>();
    RegisterControlClass<TButton>();
    RegisterControlClass<TCheckBox>();
    RegisterControlClass<TEdit>();
    RegisterControlClass<TImage>();
    RegisterControlClass<TLabel>();
    RegisterControlClass<TMemo>();
    RegisterControlClass<TPanel>();
    RegisterControlClass<TPageControl>();
    RegisterControlClass<TTabSheet>();
}

std::string TestFormLayoutText()
{
    HRSRC resource = FindResourceA(nullptr, "TESTFORM", MAKEINTRESOURCEA(10));
    const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
    return std::string(text, SizeofResource(nullptr, resource));
}

TTestForm::TTestForm(std::string_view extraFormLines)
{
    AddHandler("FormCloseQuery", TCloseQueryEvent([this](TWinControl*, bool& canClose) {
                   ++Queries;
                   canClose = Answer;
               }));
    AddHandler("BackBtnClick", TNotifyEvent([this](TWinControl*) { ++BackClicks; }));
    AddHandler("NextBtnClick", TNotifyEvent([this](TWinControl*) {
                   ++NextClicks;
                   if (OnNext) OnNext();
               }));
    AddHandler("CancelBtnClick", TNotifyEvent([this](TWinControl*) {
                   ++CancelClicks;
                   Close();
               }));
    AddHandler("AgreeChkBxClick", TNotifyEvent([this](TWinControl*) { ++AgreeClicks; }));
    if (extraFormLines.empty()) {
        ReadLayout("TESTFORM");
    } else {
        std::string text = TestFormLayoutText();
        text.insert(text.find('\n', text.find("form TestForm")) + 1, std::string(extraFormLines) + "\n");
        ReadLayoutText(text, "TESTFORM");
    }
    Pages = FindControl<TPageControl>("Pages");
    FirstSheet = FindControl<TTabSheet>("FirstSheet");
    SecondSheet = FindControl<TTabSheet>("SecondSheet");
    NameLbl = FindControl<TLabel>("NameLbl");
    InfoLbl = FindControl<TLabel>("InfoLbl");
    TitleLbl = FindControl<TLabel>("TitleLbl");
    NameEdt = FindControl<TEdit>("NameEdt");
    HiddenEdt = FindControl<TEdit>("HiddenEdt");
    NotesMemo = FindControl<TMemo>("NotesMemo");
    AgreeChkBx = FindControl<TCheckBox>("AgreeChkBx");
    TopPanel = FindControl<TPanel>("TopPanel");
    LeftPanel = FindControl<TPanel>("LeftPanel");
    BottomPanel = FindControl<TPanel>("BottomPanel");
    Picture = FindControl<TImage>("Picture");
    LeftBevel = FindControl<TBevel>("LeftBevel");
    BackBtn = FindControl<TButton>("BackBtn");
    NextBtn = FindControl<TButton>("NextBtn");
    CancelBtn = FindControl<TButton>("CancelBtn");
}

TBoxRecorder::TBoxRecorder(HWND watchedForm) : watched_(watchedForm)
{
    SetMessageBoxSeam([this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
        Boxes.push_back({owner, text, caption, style, watched_ && IsWindowEnabled(watched_) != FALSE});
        return Answer;
    });
}

TBoxRecorder::~TBoxRecorder() { SetMessageBoxSeam({}); }
