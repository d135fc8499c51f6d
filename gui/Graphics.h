#pragma once
// Colours, fonts and the transparent drawing of small bitmaps.
#include <windows.h>
#include <cstdint>
#include <string>

// A colour: a COLORREF (0x00BBGGRR), or a system colour index with the top bit set.
using TColor = uint32_t;
inline constexpr TColor SystemColor(int index) { return 0x80000000u | static_cast<TColor>(index); }
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);

COLORREF ColorToRGB(TColor color);
// A brush of the colour, kept for the life of the process (system colours use the system's).
HBRUSH ColorBrush(TColor color);

struct TFontData {
    std::string Name;
    int Height = 0;  // pixels; negative = character height without internal leading
    bool Bold = false;
    TColor Color = clWindowText;
    bool operator==(const TFontData&) const = default;
};

// The framework's default: "MS Shell Dlg 2" 8 pt (the older "MS Sans Serif" before NT 5.0).
const TFontData& DefaultFont();
// A font handle for the data, created once and kept for the life of the process.
HFONT FontHandle(const TFontData& font);
// The font's text height in pixels (ascent + descent).
int TextHeightOf(const TFontData& font);

// The text height that layouts assume for the default font; bounds scale by real height / this.
inline constexpr int DesignTextHeight = 13;

// Draws the bitmap unscaled at (x, y); the colour of its bottom-left pixel is left out.
void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y);
SIZE BitmapSize(HBITMAP bitmap);
