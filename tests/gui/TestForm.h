#pragma once
// The form of TestForm.layout with counters on its handlers, and a message-box seam that
// records what it was asked.
#include "gui/Form.h"
#include "gui/Panels.h"
#include "gui/StdControls.h"
#include "gui/SystemMessageBox.h"
#include <functional>
#include <string>
#include <string_view>
#include <vector>

void RegisterFrameworkClasses();
std::string TestFormLayoutText();  // the TESTFORM resource

class TTestForm : public TForm {
public:
    // extraFormLines go right after the form's first line (to change its font, ...).
    explicit TTestForm(std::string_view extraFormLines = {});

    TPageControl* Pages;
    TTabSheet *FirstSheet, *SecondSheet;
    TLabel *NameLbl, *InfoLbl, *TitleLbl;
    TEdit *NameEdt, *HiddenEdt;
    TMemo* NotesMemo;
    TCheckBox* AgreeChkBx;
    TPanel *TopPanel, *LeftPanel, *BottomPanel;
    TImage* Picture;
    TBevel* LeftBevel;
    TButton *BackBtn, *NextBtn, *CancelBtn;

    bool Answer = false;  // of the close query
    int Queries = 0, BackClicks = 0, NextClicks = 0, CancelClicks = 0, AgreeClicks = 0, TimerTicks = 0;
    UINT_PTR LastTimer = 0;
    std::function<void()> OnNext;

protected:
    void Timer(UINT_PTR id) override
    {
        ++TimerTicks;
        LastTimer = id;
    }
};

struct TRecordedBox {
    HWND Owner;
    std::wstring Text, Caption;
    UINT Style;
    bool FormEnabled;  // was the form enabled while the box was up
};

// Installs a seam for the life of the object; every box is recorded and answered with Answer.
class TBoxRecorder {
public:
    explicit TBoxRecorder(HWND watchedForm = nullptr);
    ~TBoxRecorder();
    std::vector<TRecordedBox> Boxes;
    int Answer = IDOK;

private:
    HWND watched_;
};
