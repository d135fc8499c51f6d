#include "gui/Panels.h"
#include "gui/Exceptions.h"
#include "gui/FileStream.h"
#include "gui/Layout.h"

namespace {
// One ring of a bevel: top and left in one colour, bottom and right in the other; shrinks rect.
void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width)
{
    for (int i = 0; i < width && r.right - r.left > 0 && r.bottom - r.top > 0; ++i) {
        const RECT top{r.left, r.top, r.right - 1, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom - 1};
        const RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
        FillRect(dc, &top, ColorBrush(topLeft));
        FillRect(dc, &left, ColorBrush(topLeft));
        FillRect(dc, &bottom, ColorBrush(bottomRight));
        FillRect(dc, &right, ColorBrush(bottomRight));
        InflateRect(&r, -1, -1);
    }
}

void Bevel(HDC dc, RECT& r, TBevelCut cut, int width)
{
    if (cut == TBevelCut::Lowered) Frame3D(dc, r, clBtnShadow, clBtnHighlight, width);
    else if (cut == TBevelCut::Raised) Frame3D(dc, r, clBtnHighlight, clBtnShadow, width);
}

TColor ParentColor(const TWinControl& control)
{
    return control.Parent() ? control.Parent()->Color() : control.Color();
}

template <class Paint>
LRESULT PaintWith(HWND window, Paint paint)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    paint(dc, r);
    EndPaint(window, &ps);
    return 0;
}
}  // namespace

// ---- TPanel

TPanel::TPanel() { SetBounds(0, 0, 185, 41); }

void TPanel::SetParentBackground(bool value)
{
    parentBackground_ = value;
    Invalidate();
}

void TPanel::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

LRESULT TPanel::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT)
        return PaintWith(Handle(), [this](HDC dc, RECT r) {
            FillRect(dc, &r, ColorBrush(parentBackground_ ? ParentColor(*this) : Color()));
            Bevel(dc, r, bevelOuter_, bevelWidth_);
            Bevel(dc, r, bevelInner_, bevelWidth_);
        });
    return TWinControl::WndProc(message, wParam, lParam);
}

void TPanel::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    auto cut = [&] {
        return reader.Choice<TBevelCut>(value, {{"bvNone", TBevelCut::None}, {"bvLowered", TBevelCut::Lowered},
                                                {"bvRaised", TBevelCut::Raised}});
    };
    if (name == "BevelOuter") bevelOuter_ = cut();
    else if (name == "BevelInner") bevelInner_ = cut();
    else if (name == "BevelWidth") bevelWidth_ = reader.Integer(value);
    else if (name == "ParentBackground") parentBackground_ = reader.Boolean(value);
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TBevel

TBevel::TBevel() { SetBounds(0, 0, 50, 50); }

LRESULT TBevel::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT)
        return PaintWith(Handle(), [this](HDC dc, RECT r) {
            FillRect(dc, &r, ColorBrush(ParentColor(*this)));
            const TColor first = raised_ ? clBtnHighlight : clBtnShadow;
            const TColor second = raised_ ? clBtnShadow : clBtnHighlight;
            auto line = [dc](int l, int t, int w, int h, TColor c) {
                const RECT lr{l, t, l + w, t + h};
                FillRect(dc, &lr, ColorBrush(c));
            };
            const int w = r.right, h = r.bottom;
            switch (shape_) {
            case TBevelShape::Box: Frame3D(dc, r, first, second, 1); break;
            case TBevelShape::Frame: {
                RECT outer{0, 0, w - 1, h - 1}, inner{1, 1, w, h};
                Frame3D(dc, inner, second, second, 1);
                Frame3D(dc, outer, first, first, 1);
                break;
            }
            case TBevelShape::TopLine: line(0, 0, w, 1, first); line(0, 1, w, 1, second); break;
            case TBevelShape::BottomLine: line(0, h - 2, w, 1, first); line(0, h - 1, w, 1, second); break;
            case TBevelShape::LeftLine: line(0, 0, 1, h, first); line(1, 0, 1, h, second); break;
            case TBevelShape::RightLine: line(w - 2, 0, 1, h, first); line(w - 1, 0, 1, h, second); break;
            case TBevelShape::Spacer: break;
            }
        });
    return TWinControl::WndProc(message, wParam, lParam);
}

void TBevel::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "Shape")
        shape_ = reader.Choice<TBevelShape>(
            value, {{"bsBox", TBevelShape::Box}, {"bsFrame", TBevelShape::Frame}, {"bsTopLine", TBevelShape::TopLine},
                    {"bsBottomLine", TBevelShape::BottomLine}, {"bsLeftLine", TBevelShape::LeftLine},
                    {"bsRightLine", TBevelShape::RightLine}, {"bsSpacer", TBevelShape::Spacer}});
    else if (name == "Style") raised_ = reader.Choice<bool>(value, {{"bsLowered", false}, {"bsRaised", true}});
    else TWinControl::SetProperty(name, value, reader);
}

// ---- TImage

TImage::TImage() { SetBounds(0, 0, 105, 105); }

void TImage::LoadFromFile(const std::wstring& fileName)
{
    { TFileStream probe(fileName, fmOpenRead | fmShareDenyWrite); }
    HANDLE image = LoadImageW(nullptr, fileName.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (!image) throw EInvalidGraphic("Bitmap image is not valid");
    bitmap_.Reset(image);
    Invalidate();
}

LRESULT TImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT)
        return PaintWith(Handle(), [this](HDC dc, RECT r) {
            FillRect(dc, &r, ColorBrush(ParentColor(*this)));
            if (!bitmap_) return;
            const SIZE size = BitmapSize(Bitmap());
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, bitmap_.Get());
            BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
            SelectObject(source, old);
            DeleteDC(source);
        });
    return TWinControl::WndProc(message, wParam, lParam);
}

// ---- TPageControl

TPageControl::TPageControl() { SetBounds(0, 0, 289, 193); }

int TPageControl::PageCount() const
{
    int count = 0;
    for (TWinControl* c : Controls())
        if (dynamic_cast<TTabSheet*>(c)) ++count;
    return count;
}

TTabSheet* TPageControl::Pages(int index) const
{
    for (TWinControl* c : Controls())
        if (auto* page = dynamic_cast<TTabSheet*>(c); page && index-- == 0) return page;
    return nullptr;
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) { SetActivePage(Pages(index)); }

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page == activePage_ || (page && page->Parent() != this)) return;
    TTabSheet* old = activePage_;
    // A focused control on a page that disappears would keep the keyboard while unseen.
    const bool hadFocus = old && old->HandleAllocated() && old->Focused();
    activePage_ = page;
    if (page) page->Show();
    if (old) old->Hide();
    if (hadFocus && HandleAllocated()) ::SetFocus(GetAncestor(Handle(), GA_ROOT));
}

RECT TPageControl::PageRect() const
{
    RECT r = ClientRect();
    InflateRect(&r, -4, -4);
    return r;
}

void TPageControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

LRESULT TPageControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT)
        return PaintWith(Handle(), [this](HDC dc, RECT r) {
            FillRect(dc, &r, Brush());
            DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
        });
    if (message == WM_WINDOWPOSCHANGED) {
        const LRESULT result = TWinControl::WndProc(message, wParam, lParam);
        const RECT r = PageRect();
        for (TWinControl* c : Controls())
            if (dynamic_cast<TTabSheet*>(c)) c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        return result;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}

// ---- TTabSheet

TTabSheet::TTabSheet() = default;

int TTabSheet::PageIndex() const
{
    TPageControl* pages = PageControl();
    for (int i = 0; pages && i < pages->PageCount(); ++i)
        if (pages->Pages(i) == this) return i;
    return -1;
}

void TTabSheet::CreateParams(TCreateParams& params)
{
    // Pages fill the container's page area; the first page made is the active one.
    if (TPageControl* pages = PageControl()) {
        const RECT r = pages->PageRect();
        SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (!pages->activePage_) pages->activePage_ = this;
        SetVisible(pages->activePage_ == this);
    }
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}
