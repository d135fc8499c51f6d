#include "gui/StdControls.h"
#include "gui/Layout.h"
#include "gui/StringList.h"
#include <cctype>

namespace {
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return window ? SendMessageA(window, message, wParam, lParam) : 0;
}

std::string ItemText(HWND window, UINT lengthMessage, UINT textMessage, int index)
{
    const LRESULT length = Send(window, lengthMessage, index);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = Send(window, textMessage, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}
}  // namespace

char AccessKeyOf(const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        ++i;  // "&&" is a literal ampersand
    }
    return 0;
}

// ---- TButton

TButton::TButton()
{
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool value)
{
    default_ = value;
    if (HandleAllocated()) Send(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (OnClick) OnClick(this);
}

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = "BUTTON";
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

bool TButton::HandleNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        Click();
        return true;
    }
    return ParentColorNotify(message, wParam, result);
}

void TButton::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "Default") default_ = reader.Boolean(value);
    else if (name == "Cancel") cancel_ = reader.Boolean(value);
    else if (name == "OnClick") OnClick = reader.NotifyHandler(value);
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TCheckBox

TCheckBox::TCheckBox()
{
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

bool TCheckBox::Checked() const
{
    return HandleAllocated() ? Send(Handle(), BM_GETCHECK) == BST_CHECKED : checked_;
}

void TCheckBox::SetChecked(bool checked)
{
    checked_ = checked;
    if (HandleAllocated()) Send(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

void TCheckBox::Click()
{
    if (OnClick) OnClick(this);
}

void TCheckBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = "BUTTON";
    params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::CreateWnd()
{
    TWinControl::CreateWnd();
    SetChecked(checked_);
}

bool TCheckBox::HandleNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        checked_ = Checked();
        Click();
        return true;
    }
    return ParentColorNotify(message, wParam, result);
}

void TCheckBox::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "Checked") checked_ = reader.Boolean(value);
    else if (name == "OnClick") OnClick = reader.NotifyHandler(value);
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TEdit

TEdit::TEdit()
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

void TEdit::SelectAll()
{
    Send(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = "EDIT";
    params.Style |= ES_AUTOHSCROLL | ES_LEFT;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

bool TEdit::HandleNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    return OwnColorNotify(message, wParam, result);
}

void TEdit::AdjustSize()
{
    if (autoSize_ && HandleAllocated()) SetBounds(Left(), Top(), Width(), TextHeightOf(Font()) + 8);
}

void TEdit::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "Text") SetCaption(reader.String(value));
    else if (name == "AutoSize") autoSize_ = reader.Boolean(value);
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TMemo

TMemo::TMemo()
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
}

void TMemo::SetLines(const TStringList& lines) { SetCaption(lines.Text()); }

void TMemo::LoadFromFile(const std::wstring& fileName)
{
    TStringList lines;
    lines.LoadFromFile(fileName);
    SetLines(lines);
}

int TMemo::LineCount() const { return static_cast<int>(Send(Handle(), EM_GETLINECOUNT)); }

void TMemo::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = "EDIT";
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_LEFT;
    if (readOnly_) params.Style |= ES_READONLY;
    if (verticalScrollBar_) params.Style |= WS_VSCROLL;
    if (!wordWrap_) params.Style |= ES_AUTOHSCROLL | WS_HSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

bool TMemo::HandleNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    return OwnColorNotify(message, wParam, result);
}

void TMemo::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "ReadOnly") readOnly_ = reader.Boolean(value);
    else if (name == "WordWrap") wordWrap_ = reader.Boolean(value);
    else if (name == "ScrollBars")
        verticalScrollBar_ = reader.Choice<bool>(value, {{"ssNone", false}, {"ssVertical", true}});
    else if (name == "Text") SetCaption(reader.String(value));
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TLabel

TLabel::TLabel() { SetBounds(0, 0, 65, 13); }

char TLabel::AccessKey() const { return AccessKeyOf(Caption()); }

void TLabel::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = "STATIC";
    params.Style |= wordWrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

bool TLabel::HandleNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    return ParentColorNotify(message, wParam, result);
}

void TLabel::AdjustSize()
{
    if (!autoSize_) return;
    const std::string text = Caption();
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontHandle(Font()));
    RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
    DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    SetBounds(Left(), Top(), wordWrap_ ? Width() : r.right, r.bottom);
}

void TLabel::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "AutoSize") autoSize_ = reader.Boolean(value);
    else if (name == "WordWrap") wordWrap_ = reader.Boolean(value);
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TCustomListBox

TCustomListBox::TCustomListBox()
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

int TCustomListBox::Count() const { return static_cast<int>(Send(Handle(), LB_GETCOUNT)); }

void TCustomListBox::Clear()
{
    if (HandleAllocated()) Send(Handle(), LB_RESETCONTENT);
}

int TCustomListBox::Add(const std::string& text, LPARAM data)
{
    HandleNeeded();
    const auto index = static_cast<int>(Send(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0) Send(Handle(), LB_SETITEMDATA, index, data);
    return index;
}

void TCustomListBox::Insert(int index, const std::string& text, LPARAM data)
{
    HandleNeeded();
    const auto at = static_cast<int>(Send(Handle(), LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str())));
    if (at >= 0) Send(Handle(), LB_SETITEMDATA, at, data);
}

std::string TCustomListBox::Text(int index) const { return ItemText(Handle(), LB_GETTEXTLEN, LB_GETTEXT, index); }

LPARAM TCustomListBox::Data(int index) const { return Send(Handle(), LB_GETITEMDATA, index); }

int TCustomListBox::ItemIndex() const { return HandleAllocated() ? static_cast<int>(Send(Handle(), LB_GETCURSEL)) : -1; }

void TCustomListBox::SetItemIndex(int index)
{
    HandleNeeded();
    Send(Handle(), LB_SETCURSEL, index);
}

void TCustomListBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    if (HandleAllocated()) {
        Send(Handle(), LB_SETITEMHEIGHT, 0, height);
        Invalidate();
    }
}

void TCustomListBox::BeginUpdate() { Send(Handle(), WM_SETREDRAW, FALSE); }

void TCustomListBox::EndUpdate()
{
    Send(Handle(), WM_SETREDRAW, TRUE);
    Invalidate();
}

void TCustomListBox::Click()
{
    if (OnClick) OnClick(this);
}

void TCustomListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = "LISTBOX";
    params.Style |= LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

bool TCustomListBox::HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == LBN_SELCHANGE) Click();
        return true;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = itemHeight_;
        result = TRUE;
        return true;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        // The focus rectangle is drawn by XOR: a focus-only action toggles it.
        if (item->itemAction == ODA_FOCUS) {
            DrawFocusRect(item->hDC, &item->rcItem);
        } else {
            if (item->itemID != static_cast<UINT>(-1))
                DrawItem(static_cast<int>(item->itemID), item->rcItem, item->itemState, item->hDC);
            if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
        }
        result = TRUE;
        return true;
    }
    }
    return false;
}

void TCustomListBox::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "ItemHeight") itemHeight_ = reader.Scaled(value);
    else if (name == "OnClick") OnClick = reader.NotifyHandler(value);
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TCustomComboBox

TCustomComboBox::TCustomComboBox()
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
}

int TCustomComboBox::Count() const { return static_cast<int>(Send(Handle(), CB_GETCOUNT)); }

void TCustomComboBox::Clear()
{
    if (HandleAllocated()) Send(Handle(), CB_RESETCONTENT);
}

int TCustomComboBox::Add(const std::string& text, LPARAM data)
{
    HandleNeeded();
    const auto index = static_cast<int>(Send(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0) Send(Handle(), CB_SETITEMDATA, index, data);
    return index;
}

std::string TCustomComboBox::Text(int index) const { return ItemText(Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index); }

LPARAM TCustomComboBox::Data(int index) const { return Send(Handle(), CB_GETITEMDATA, index); }

std::string TCustomComboBox::Text() const
{
    const int index = ItemIndex();
    return index < 0 ? std::string() : Text(index);
}

int TCustomComboBox::ItemIndex() const { return HandleAllocated() ? static_cast<int>(Send(Handle(), CB_GETCURSEL)) : -1; }

void TCustomComboBox::SetItemIndex(int index)
{
    HandleNeeded();
    Send(Handle(), CB_SETCURSEL, index);
}

void TCustomComboBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    if (HandleAllocated()) {
        Send(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
        Send(Handle(), CB_SETITEMHEIGHT, 0, height);
    }
}

bool TCustomComboBox::DroppedDown() const { return Send(Handle(), CB_GETDROPPEDSTATE) != 0; }

void TCustomComboBox::SetDroppedDown(bool dropped) { Send(Handle(), CB_SHOWDROPDOWN, dropped); }

void TCustomComboBox::Click()
{
    if (OnClick) OnClick(this);
}

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = "COMBOBOX";
    params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;
}

void TCustomComboBox::CreateWnd()
{
    // The window height of a combo box is that of its dropped-down list; the system sizes the
    // closed field from the item height.
    SetBounds(Left(), Top(), Width(), itemHeight_ * dropDownCount_ + itemHeight_ + 8);
    TWinControl::CreateWnd();
    SetItemHeight(itemHeight_);
}

bool TCustomComboBox::HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE) Click();
        return true;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = itemHeight_;
        result = TRUE;
        return true;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->itemAction == ODA_FOCUS) {
            DrawFocusRect(item->hDC, &item->rcItem);
        } else {
            if (item->itemID != static_cast<UINT>(-1))
                DrawItem(static_cast<int>(item->itemID), item->rcItem, item->itemState, item->hDC);
            else
                FillRect(item->hDC, &item->rcItem, ColorBrush(clWindow));
            if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
        }
        result = TRUE;
        return true;
    }
    }
    return false;
}

void TCustomComboBox::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "ItemHeight") itemHeight_ = reader.Scaled(value);
    else if (name == "DropDownCount") dropDownCount_ = reader.Integer(value);
    else if (name == "OnClick") OnClick = reader.NotifyHandler(value);
    else if (name == "OnChange") OnChange = reader.NotifyHandler(value);
    else TWinControl::SetProperty(name, value, reader);
}
