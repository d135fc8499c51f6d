#pragma once
// The base of every window of the framework. One window procedure (ThunkProc) serves all of
// them: it binds the object to its window at the first message, forwards to the virtual
// WndProc and catches every C++ error at the boundary, handing it to the application's
// dispatch, so that no error crosses a user32 frame. Native controls (BUTTON, EDIT, ...) are
// superclassed, so their standard messages (BM_CLICK, WM_SETTEXT, LB_SETCURSEL, ...) behave as
// usual; the notifications they send to their parent are reflected back to the control object.
#include "gui/Graphics.h"
#include <windows.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TWinControl;
class TLayoutReader;
struct TLayoutValue;

using TNotifyEvent = std::function<void(TWinControl* sender)>;

enum class TAlign : uint8_t { None, Top, Bottom, Left, Right, Client };

// The window property that names a control created from a layout: a global atom of its name.
inline constexpr char ControlNameProperty[] = "GuiControlName";

struct TCreateParams {
    const char* WindowClass = nullptr;  // our window class name
    const char* BaseClass = nullptr;    // the system class it extends, or null for our own
    DWORD Style = 0;
    DWORD ExStyle = 0;
};

class TWinControl {
public:
    TWinControl();
    virtual ~TWinControl();
    TWinControl(const TWinControl&) = delete;
    TWinControl& operator=(const TWinControl&) = delete;

    virtual const char* ClassName() const = 0;

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Creates the window (and the parent's first) when it does not exist yet.
    void HandleNeeded();
    // The control object of one of our windows, or null for any other window.
    static TWinControl* FromHandle(HWND window);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);
    const std::vector<TWinControl*>& Controls() const { return controls_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    RECT ClientRect() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

    // The window text (8-bit, through the A calls).
    std::string Caption() const;
    void SetCaption(const std::string& caption);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    HBRUSH Brush() const { return ColorBrush(color_); }

    // The font in use: the control's own, else its parent's, else the default.
    const TFontData& Font() const;
    // Gives the control its own font, starting from the one it uses now.
    TFontData& OwnFont();
    void FontChanged();

    bool Showing() const;  // visible here and in every ancestor
    bool CanFocus() const;
    bool Focused() const;
    // Does nothing when the control cannot take the focus.
    void SetFocus();
    void Invalidate();

    // A property from a form layout; unknown names are reported through the reader.
    virtual void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader);
    // Lays out the aligned children within the client area.
    void AlignControls();

protected:
    virtual void CreateParams(TCreateParams& params);
    // Creates the window; descendants extend it to fill their contents once the window exists.
    virtual void CreateWnd();
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    // A notification that the parent received from this control's window (WM_COMMAND,
    // WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*). True when handled.
    virtual bool HandleNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Sizes the control to its contents where it does that (labels, edits).
    virtual void AdjustSize() {}
    // Colours a static or button child like its parent's background.
    bool ParentColorNotify(UINT message, WPARAM wParam, LRESULT& result) const;
    // Colours an edit child with its own colour, read-only ones too (the system greys those).
    bool OwnColorNotify(UINT message, WPARAM wParam, LRESULT& result) const;

private:
    static LRESULT CALLBACK ThunkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();

    HWND handle_ = nullptr;
    WNDPROC baseProc_ = nullptr;
    ATOM nameAtom_ = 0;
    std::string name_;
    std::string caption_;
    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> controls_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::None;
    bool visible_ = true;
    bool enabled_ = true;
    bool tabStop_ = false;
    TColor color_ = clBtnFace;
    std::optional<TFontData> font_;
};
