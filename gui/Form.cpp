#include "gui/Form.h"
#include "gui/Application.h"
#include "gui/Exceptions.h"
#include "gui/Layout.h"
#include "gui/StdControls.h"
#include <cctype>

TForm::TForm()
{
    SetVisible(false);
}

TForm::~TForm()
{
    if (Application && Application->ModalForm() == this) Application->SetModalForm(nullptr);
    // The window goes first, with every child window; then the control objects, newest first.
    if (HandleAllocated()) DestroyWindow(Handle());
    while (!components_.empty()) components_.pop_back();
}

void TForm::ReadLayout(const std::string& resourceName)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, resourceName.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    const char* text = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (!text) throw ELayoutError("Layout resource " + resourceName + " not found");
    ReadLayoutText(std::string_view(text, SizeofResource(module, resource)), resourceName);
}

void TForm::ReadLayoutText(std::string_view text, const std::string& source)
{
    const TLayoutNode root = ParseLayout(text, source);
    TLayoutReader reader(*this, source);
    reader.Read(root);
}

const TNotifyEvent* TForm::FindNotifyHandler(const std::string& name) const
{
    auto it = notifyHandlers_.find(name);
    return it == notifyHandlers_.end() ? nullptr : &it->second;
}

const TCloseQueryEvent* TForm::FindCloseQueryHandler(const std::string& name) const
{
    auto it = closeQueryHandlers_.find(name);
    return it == closeQueryHandlers_.end() ? nullptr : &it->second;
}

TWinControl* TForm::InsertControl(std::unique_ptr<TWinControl> control)
{
    components_.push_back(std::move(control));
    return components_.back().get();
}

TWinControl* TForm::FindComponent(std::string_view name) const
{
    for (const auto& c : components_)
        if (c->Name() == name) return c.get();
    return nullptr;
}

void TForm::MissingControl(std::string_view name) const
{
    throw ELayoutError("Control " + std::string(name) + " of the expected class not found in form " + Name());
}

void TForm::SetClientSize(int width, int height)
{
    clientWidth_ = width;
    clientHeight_ = height;
    TCreateParams params;
    CreateParams(params);
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::CenterOnScreen()
{
    const int x = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    SetBounds(x < 0 ? 0 : x, y < 0 ? 0 : y, Width(), Height());
}

void TForm::CreateParams(TCreateParams& params)
{
    params.WindowClass = "TForm";
    params.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}

void TForm::CreateWnd()
{
    CenterOnScreen();
    TWinControl::CreateWnd();
    // Only Move and Close stay in the system menu of a fixed-size window without min/max boxes.
    if (HMENU menu = GetSystemMenu(Handle(), FALSE)) {
        for (UINT item : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) DeleteMenu(menu, item, MF_BYCOMMAND);
    }
}

void TForm::SetModalResult(int result)
{
    modalResult_ = result;
    // A result set while a sent message is handled must wake the loop waiting in GetMessage.
    if (result != mrNone && modal_ && HandleAllocated()) PostMessageA(Handle(), WM_NULL, 0, 0);
}

void TForm::Close()
{
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    if (CloseQuery()) Hide();
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::EndModalIfAllowed()
{
    bool canClose = false;
    try {
        canClose = CloseQuery();
    } catch (...) {
        if (Application) Application->HandleException();
    }
    if (!canClose) modalResult_ = mrNone;
}

int TForm::ShowModal()
{
    if (modal_ || (HandleAllocated() && IsWindowVisible(Handle())))
        throw EInvalidOperation("Cannot make a visible window modal");
    HandleNeeded();
    TForm* outer = Application ? Application->ModalForm() : nullptr;
    if (Application) {
        Application->SetModalForm(this);
        Application->ShowTaskbarButton(true);
    }
    modal_ = true;
    modalResult_ = mrNone;
    Show();
    SetForegroundWindow(Handle());
    if (activeControl_ && activeControl_->CanFocus()) activeControl_->SetFocus();
    else if (!GetFocus() || !IsChild(Handle(), GetFocus())) SelectNext(true);
    activeControl_ = nullptr;

    MSG msg;
    while (modalResult_ == mrNone) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: leave it for the outer loop and end the run
            PostQuitMessage(static_cast<int>(msg.wParam));
            modalResult_ = mrCancel;
            break;
        }
        if (got < 0) break;
        bool used = false;
        try {
            used = DialogKey(msg);
        } catch (...) {
            used = true;
            if (Application) Application->HandleException();
        }
        if (!used) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (modalResult_ != mrNone) EndModalIfAllowed();
    }

    modal_ = false;
    Hide();
    if (Application) {
        Application->SetModalForm(outer);
        if (!outer) Application->ShowTaskbarButton(false);
    }
    return modalResult_;
}

TButton* TForm::DefaultButton() const
{
    for (const auto& c : components_)
        if (auto* button = dynamic_cast<TButton*>(c.get()); button && button->Default()) return button;
    return nullptr;
}

TButton* TForm::CancelButton() const
{
    for (const auto& c : components_)
        if (auto* button = dynamic_cast<TButton*>(c.get()); button && button->Cancel()) return button;
    return nullptr;
}

void TForm::SelectNext(bool forward)
{
    const int count = static_cast<int>(components_.size());
    if (count == 0) return;
    int current = -1;
    for (int i = 0; i < count; ++i)
        if (components_[i]->TabStop() && components_[i]->Focused()) current = i;
    for (int step = 1; step <= count; ++step) {
        const int start = current < 0 ? (forward ? -1 : count) : current;
        const int i = ((start + (forward ? step : -step)) % count + count) % count;
        TWinControl* c = components_[i].get();
        if (c->TabStop() && c->CanFocus()) {
            c->SetFocus();
            if (auto* edit = dynamic_cast<TEdit*>(c)) edit->SelectAll();
            return;
        }
    }
}

bool TForm::AccessKey(char key)
{
    key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    for (size_t i = 0; i < components_.size(); ++i) {
        TWinControl* c = components_[i].get();
        const bool captioned = dynamic_cast<TLabel*>(c) || dynamic_cast<TButton*>(c) || dynamic_cast<TCheckBox*>(c);
        if (!captioned || AccessKeyOf(c->Caption()) != key || !c->HandleAllocated() || !IsWindowVisible(c->Handle()) ||
            !IsWindowEnabled(c->Handle()))
            continue;
        if (dynamic_cast<TLabel*>(c)) {
            // A label hands its key to the next control that can take the focus.
            for (size_t j = i + 1; j < components_.size(); ++j) {
                if (components_[j]->TabStop() && components_[j]->CanFocus()) {
                    components_[j]->SetFocus();
                    if (auto* edit = dynamic_cast<TEdit*>(components_[j].get())) edit->SelectAll();
                    return true;
                }
            }
            return true;
        }
        if (auto* button = dynamic_cast<TButton*>(c)) {
            button->Click();
            return true;
        }
        auto* check = static_cast<TCheckBox*>(c);
        check->SetFocus();
        check->SetChecked(!check->Checked());
        check->Click();
        return true;
    }
    return false;
}

bool TForm::DialogKey(const MSG& msg)
{
    if (!HandleAllocated() || (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd))) return false;
    if (msg.message == WM_SYSCHAR) return AccessKey(static_cast<char>(msg.wParam));
    if (msg.message != WM_KEYDOWN) return false;

    TWinControl* focused = FromHandle(GetFocus());
    if (auto* combo = dynamic_cast<TCustomComboBox*>(focused); combo && combo->DroppedDown()) return false;
    switch (msg.wParam) {
    case VK_TAB:
        if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
        SelectNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_RETURN: {
        if (auto* memo = dynamic_cast<TMemo*>(focused); memo && memo->WantReturns()) return false;
        TButton* button = dynamic_cast<TButton*>(focused);
        if (!button) button = DefaultButton();
        if (!button || !button->CanFocus()) return false;
        button->Click();
        return true;
    }
    case VK_ESCAPE: {
        TButton* button = CancelButton();
        // A disabled or hidden cancel button ignores Escape.
        if (button && button->CanFocus()) button->Click();
        return button != nullptr;
    }
    }
    return false;
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_QUERYENDSESSION:
        return CloseQuery() ? TRUE : FALSE;
    case WM_TIMER:
        Timer(wParam);
        return 0;
    case WM_SETFOCUS:
        // The form itself never keeps the keyboard: hand it to the control that had it last.
        if (lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_) && IsWindowVisible(lastFocus_) &&
            IsWindowEnabled(lastFocus_)) {
            ::SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // Give the focus back to the control that had it when the form was left (for a message box).
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_) && IsWindowVisible(lastFocus_)) {
            ::SetFocus(lastFocus_);
            return 0;
        }
        break;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}

void TForm::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "ClientWidth") SetClientSize(reader.Scaled(value), clientHeight_);
    else if (name == "ClientHeight") SetClientSize(clientWidth_, reader.Scaled(value));
    else if (name == "OnCloseQuery") OnCloseQuery = reader.CloseQueryHandler(value);
    else TWinControl::SetProperty(name, value, reader);
}
