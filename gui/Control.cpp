#include "gui/Control.h"
#include "gui/Application.h"
#include "gui/Exceptions.h"
#include "gui/Form.h"
#include "gui/Layout.h"
#include <algorithm>

namespace {
struct TWindowClassEntry {
    std::string Name;
    WNDPROC BaseProc;
};
std::vector<TWindowClassEntry> WindowClasses;
// The object whose window CreateWindowExA is making; bound at its window's first message.
TWinControl* Creating = nullptr;
int NextControlId = 1000;
}  // namespace

TWinControl::TWinControl() = default;

TWinControl::~TWinControl()
{
    if (handle_) DestroyWindow(handle_);
    for (TWinControl* child : controls_) child->parent_ = nullptr;
    if (parent_) std::erase(parent_->controls_, this);
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    if (!window || static_cast<ULONG_PTR>(GetClassLongPtrA(window, GCLP_WNDPROC)) != reinterpret_cast<ULONG_PTR>(&ThunkProc))
        return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == parent_) return;
    if (parent_) std::erase(parent_->controls_, this);
    parent_ = parent;
    if (parent_) parent_->controls_.push_back(this);
    if (handle_ && parent_ && parent_->handle_) ::SetParent(handle_, parent_->handle_);
}

void TWinControl::HandleNeeded()
{
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    if (!handle_) CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.WindowClass = ClassName();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (visible_) params.Style |= WS_VISIBLE;
    if (!enabled_) params.Style |= WS_DISABLED;
    if (tabStop_) params.Style |= WS_TABSTOP;
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    WNDPROC base = nullptr;
    for (const auto& entry : WindowClasses)
        if (entry.Name == params.WindowClass) base = entry.BaseProc;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!base) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        if (params.BaseClass) {
            if (!GetClassInfoExA(nullptr, params.BaseClass, &wc))
                throw Exception(std::string("Window class ") + params.BaseClass + " not found");
            base = wc.lpfnWndProc;
            wc.style &= ~CS_GLOBALCLASS;
        } else {
            base = DefWindowProcA;
            wc.style = CS_DBLCLKS;
            wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        }
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ThunkProc;
        wc.hInstance = instance;
        wc.lpszClassName = params.WindowClass;
        if (!RegisterClassExA(&wc)) throw Exception(std::string("Cannot register window class ") + params.WindowClass);
        WindowClasses.push_back({params.WindowClass, base});
    }
    baseProc_ = base;

    const bool child = (params.Style & WS_CHILD) != 0;
    HWND parentWindow = parent_ ? parent_->handle_ : (Application ? Application->Handle() : nullptr);
    HMENU id = child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId++)) : nullptr;
    Creating = this;
    HWND window = CreateWindowExA(params.ExStyle, params.WindowClass, caption_.c_str(), params.Style, left_, top_,
                                  width_, height_, parentWindow, id, instance, nullptr);
    Creating = nullptr;
    if (!window) throw Exception(std::string("Cannot create a window of class ") + params.WindowClass);
    handle_ = window;

    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(Font())), FALSE);
    if (!name_.empty()) {
        nameAtom_ = GlobalAddAtomA(name_.c_str());
        SetPropA(window, ControlNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(nameAtom_)));
    }
    // Creation order decides overlap: a later sibling lies above an earlier one.
    if (child) SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (TWinControl* control : controls_) control->HandleNeeded();
    AdjustSize();
}

void TWinControl::Detach()
{
    if (nameAtom_) {
        RemovePropA(handle_, ControlNameProperty);
        GlobalDeleteAtom(nameAtom_);
        nameAtom_ = 0;
    }
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    handle_ = nullptr;
}

LRESULT CALLBACK TWinControl::ThunkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) {
        if (!Creating) return DefWindowProcA(window, message, wParam, lParam);
        self = std::exchange(Creating, nullptr);
        self->handle_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    LRESULT result = 0;
    try {
        result = self->WndProc(message, wParam, lParam);
    } catch (...) {
        if (Application) Application->HandleException();
    }
    if (message == WM_NCDESTROY) self->Detach();
    return result;
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(baseProc_ ? baseProc_ : DefWindowProcA, handle_, message, wParam, lParam);
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    TWinControl* child = nullptr;
    switch (message) {
    case WM_COMMAND:
        child = FromHandle(reinterpret_cast<HWND>(lParam));
        break;
    case WM_NOTIFY:
        child = FromHandle(reinterpret_cast<NMHDR*>(lParam)->hwndFrom);
        break;
    case WM_DRAWITEM:
        if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType != ODT_MENU)
            child = FromHandle(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem);
        break;
    case WM_MEASUREITEM:
        if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType != ODT_MENU)
            child = FromHandle(GetDlgItem(handle_, static_cast<int>(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID)));
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        child = FromHandle(reinterpret_cast<HWND>(lParam));
        break;
    case WM_ERASEBKGND:
        if (baseProc_ == DefWindowProcA) {
            RECT r;
            GetClientRect(handle_, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, Brush());
            return 1;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOMOVE)) {
            left_ = pos->x;
            top_ = pos->y;
        }
        if (!(pos->flags & SWP_NOSIZE)) {
            const bool resized = width_ != pos->cx || height_ != pos->cy;
            width_ = pos->cx;
            height_ = pos->cy;
            if (resized) AlignControls();
        }
        break;
    }
    }
    if (child) {
        LRESULT result = 0;
        if (child->HandleNotify(message, wParam, lParam, result)) return result;
    }
    return DefaultHandler(message, wParam, lParam);
}

bool TWinControl::HandleNotify(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool TWinControl::ParentColorNotify(UINT message, WPARAM wParam, LRESULT& result) const
{
    if (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN) return false;
    const TColor back = parent_ ? parent_->color_ : color_;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, ColorToRGB(Font().Color));
    SetBkColor(dc, ColorToRGB(back));
    result = reinterpret_cast<LRESULT>(ColorBrush(back));
    return true;
}

bool TWinControl::OwnColorNotify(UINT message, WPARAM wParam, LRESULT& result) const
{
    if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, ColorToRGB(Font().Color));
    SetBkColor(dc, ColorToRGB(color_));
    result = reinterpret_cast<LRESULT>(ColorBrush(color_));
    return true;
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetAlign(TAlign align)
{
    align_ = align;
    if (parent_) parent_->AlignControls();
}

RECT TWinControl::ClientRect() const
{
    RECT r{0, 0, width_, height_};
    if (handle_) GetClientRect(handle_, &r);
    return r;
}

void TWinControl::AlignControls()
{
    RECT r = ClientRect();
    for (TAlign align : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client}) {
        for (TWinControl* c : controls_) {
            if (c->align_ != align || !c->visible_) continue;
            const int w = r.right - r.left, h = r.bottom - r.top;
            switch (align) {
            case TAlign::Top: c->SetBounds(r.left, r.top, w, c->height_); r.top += c->height_; break;
            case TAlign::Bottom: c->SetBounds(r.left, r.bottom - c->height_, w, c->height_); r.bottom -= c->height_; break;
            case TAlign::Left: c->SetBounds(r.left, r.top, c->width_, h); r.left += c->width_; break;
            case TAlign::Right: c->SetBounds(r.right - c->width_, r.top, c->width_, h); r.right -= c->width_; break;
            default: c->SetBounds(r.left, r.top, w, h); break;
            }
        }
    }
}

void TWinControl::SetVisible(bool visible)
{
    visible_ = visible;
    if (handle_) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (handle_) EnableWindow(handle_, enabled);
}

std::string TWinControl::Caption() const
{
    if (!handle_) return caption_;
    const int length = GetWindowTextLengthA(handle_);
    std::string text(length + 1, '\0');
    text.resize(GetWindowTextA(handle_, text.data(), length + 1));
    return text;
}

void TWinControl::SetCaption(const std::string& caption)
{
    caption_ = caption;
    if (handle_) SetWindowTextA(handle_, caption.c_str());
    AdjustSize();
}

void TWinControl::SetColor(TColor color)
{
    color_ = color;
    Invalidate();
}

const TFontData& TWinControl::Font() const
{
    if (font_) return *font_;
    return parent_ ? parent_->Font() : DefaultFont();
}

TFontData& TWinControl::OwnFont()
{
    if (!font_) font_ = Font();
    return *font_;
}

void TWinControl::FontChanged()
{
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(Font())), TRUE);
    AdjustSize();
}

bool TWinControl::Showing() const
{
    for (const TWinControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

bool TWinControl::CanFocus() const
{
    if (!handle_ || !IsWindowVisible(handle_)) return false;
    for (HWND w = handle_; w && (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD); w = GetParent(w))
        if (!IsWindowEnabled(w)) return false;
    return true;
}

bool TWinControl::Focused() const
{
    HWND focus = GetFocus();
    return handle_ && focus && (focus == handle_ || IsChild(handle_, focus));
}

void TWinControl::SetFocus()
{
    TWinControl* root = this;
    while (root->parent_) root = root->parent_;
    auto* form = dynamic_cast<TForm*>(root);
    if (form && form != this && !(form->HandleAllocated() && IsWindowVisible(form->Handle()))) {
        // The form is not shown yet: remember the control for the moment it is.
        for (const TWinControl* c = this; c != root; c = c->parent_)
            if (!c->visible_ || !c->enabled_) return;
        form->SetActiveControl(this);
        return;
    }
    if (CanFocus()) ::SetFocus(handle_);
}

void TWinControl::Invalidate()
{
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "Left") left_ = reader.Scaled(value);
    else if (name == "Top") top_ = reader.Scaled(value);
    else if (name == "Width") width_ = reader.Scaled(value);
    else if (name == "Height") height_ = reader.Scaled(value);
    else if (name == "Caption") caption_ = reader.String(value);
    else if (name == "Visible") visible_ = reader.Boolean(value);
    else if (name == "Enabled") enabled_ = reader.Boolean(value);
    else if (name == "TabStop") tabStop_ = reader.Boolean(value);
    else if (name == "Color") color_ = static_cast<TColor>(reader.Integer(value));
    else if (name == "Align")
        align_ = reader.Choice<TAlign>(value, {{"alNone", TAlign::None}, {"alTop", TAlign::Top}, {"alBottom", TAlign::Bottom},
                                               {"alLeft", TAlign::Left}, {"alRight", TAlign::Right}, {"alClient", TAlign::Client}});
    else if (name == "Font.Name") OwnFont().Name = reader.String(value);
    else if (name == "Font.Height") OwnFont().Height = reader.Scaled(value);
    else if (name == "Font.Bold") OwnFont().Bold = reader.Boolean(value);
    else if (name == "Font.Color") OwnFont().Color = static_cast<TColor>(reader.Integer(value));
    else reader.UnknownProperty(*this, name);
}
