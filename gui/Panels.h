#pragma once
// The framework's own drawn windows: panels, bevels, images, and the page container without
// tabs with its pages.
#include "gui/Control.h"
#include "utils/Handle.h"
#include <string>

enum class TBevelCut : uint8_t { None, Lowered, Raised };

class TPanel : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TPanel";
    TPanel();
    const char* ClassName() const override { return StaticClassName; }

    TBevelCut BevelOuter() const { return bevelOuter_; }
    TBevelCut BevelInner() const { return bevelInner_; }
    int BevelWidth() const { return bevelWidth_; }
    // When set, the panel paints its parent's colour instead of its own. Off by default, so a
    // coloured panel stays opaque whatever the visual style.
    bool ParentBackground() const { return parentBackground_; }
    void SetParentBackground(bool value);

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TBevelCut bevelOuter_ = TBevelCut::Raised;
    TBevelCut bevelInner_ = TBevelCut::None;
    int bevelWidth_ = 1;
    bool parentBackground_ = false;
};

enum class TBevelShape : uint8_t { Box, Frame, TopLine, BottomLine, LeftLine, RightLine, Spacer };

class TBevel : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TBevel";
    TBevel();
    const char* ClassName() const override { return StaticClassName; }

    TBevelShape Shape() const { return shape_; }
    bool Raised() const { return raised_; }

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TBevelShape shape_ = TBevelShape::Box;
    bool raised_ = false;
};

class TImage : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TImage";
    TImage();
    const char* ClassName() const override { return StaticClassName; }

    // A bitmap file, drawn unscaled at the top-left corner. A file that cannot be opened raises
    // EFOpenError, one that holds no bitmap EInvalidGraphic.
    void LoadFromFile(const std::wstring& fileName);
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.Get()); }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TGdiObject bitmap_;
};

class TTabSheet;

// A page container that never shows tabs: a frame and the active page only.
class TPageControl : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TPageControl";
    TPageControl();
    const char* ClassName() const override { return StaticClassName; }

    int PageCount() const;
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The part of the client area that the pages fill.
    RECT PageRect() const;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TTabSheet;
    TTabSheet* activePage_ = nullptr;
};

class TTabSheet : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TTabSheet";
    TTabSheet();
    const char* ClassName() const override { return StaticClassName; }

    TPageControl* PageControl() const { return dynamic_cast<TPageControl*>(Parent()); }
    int PageIndex() const;

protected:
    void CreateParams(TCreateParams& params) override;
};
