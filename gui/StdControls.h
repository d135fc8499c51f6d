#pragma once
// The standard controls over the system's BUTTON, EDIT, STATIC, LISTBOX and COMBOBOX classes,
// and the owner-drawn list and combo box bases.
#include "gui/Control.h"
#include <string>

class TStringList;

class TButton : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TButton";
    TButton();
    const char* ClassName() const override { return StaticClassName; }

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TNotifyEvent OnClick;
    virtual void Click();

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool default_ = false;
    bool cancel_ = false;
};

class TCheckBox : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TCheckBox";
    TCheckBox();
    const char* ClassName() const override { return StaticClassName; }

    bool Checked() const;
    void SetChecked(bool checked);
    TNotifyEvent OnClick;
    virtual void Click();

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool checked_ = false;
};

class TEdit : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TEdit";
    TEdit();
    const char* ClassName() const override { return StaticClassName; }

    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }
    void SelectAll();

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AdjustSize() override;  // height from the font, as the system's dialogs size edit boxes

private:
    bool autoSize_ = true;
};

class TMemo : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TMemo";
    TMemo();
    const char* ClassName() const override { return StaticClassName; }

    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }
    // One memo line per list line.
    void SetLines(const TStringList& lines);
    // 8-bit text, one memo line per text line; the file layer's errors pass through.
    void LoadFromFile(const std::wstring& fileName);
    int LineCount() const;
    bool ReadOnly() const { return readOnly_; }
    // A read-only memo leaves Enter to the form's default button.
    bool WantReturns() const { return !readOnly_; }

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool readOnly_ = false;
    bool verticalScrollBar_ = false;
    bool wordWrap_ = true;
};

class TLabel : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TLabel";
    TLabel();
    const char* ClassName() const override { return StaticClassName; }

    bool AutoSize() const { return autoSize_; }
    bool WordWrap() const { return wordWrap_; }
    // The letter after the first single '&' of the caption, upper case; 0 when none.
    char AccessKey() const;

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AdjustSize() override;

private:
    bool autoSize_ = true;
    bool wordWrap_ = false;
};

// The letter after the first single '&' of a caption, upper case; 0 when none.
char AccessKeyOf(const std::string& caption);

// An owner-drawn list box of fixed item height; each item is a text and a data value.
class TCustomListBox : public TWinControl {
public:
    TCustomListBox();

    int Count() const;
    void Clear();
    int Add(const std::string& text, LPARAM data = 0);
    void Insert(int index, const std::string& text, LPARAM data = 0);
    std::string Text(int index) const;
    LPARAM Data(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    // Redrawing is suspended between the two.
    void BeginUpdate();
    void EndUpdate();
    TNotifyEvent OnClick;

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The user changed the selection (mouse or keyboard), or a driver sent LBN_SELCHANGE.
    virtual void Click();
    virtual void DrawItem(int index, const RECT& rect, UINT state, HDC dc) = 0;

private:
    int itemHeight_ = 16;
};

// An owner-drawn drop-down list (no editable text) of fixed item height.
class TCustomComboBox : public TWinControl {
public:
    TCustomComboBox();

    int Count() const;
    void Clear();
    int Add(const std::string& text, LPARAM data = 0);
    std::string Text(int index) const;
    LPARAM Data(int index) const;
    // The selected item's text, empty when none is selected.
    std::string Text() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    bool DroppedDown() const;
    void SetDroppedDown(bool dropped);
    TNotifyEvent OnClick;
    TNotifyEvent OnChange;

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    virtual void Click();
    virtual void DrawItem(int index, const RECT& rect, UINT state, HDC dc) = 0;

private:
    int itemHeight_ = 16;
    int dropDownCount_ = 8;
};
