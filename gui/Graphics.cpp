#include "gui/Graphics.h"
#include "utils/Handle.h"
#include <map>
#include <vector>

COLORREF ColorToRGB(TColor color)
{
    return (color & 0x80000000u) ? GetSysColor(static_cast<int>(color & 0xFF)) : static_cast<COLORREF>(color & 0xFFFFFF);
}

HBRUSH ColorBrush(TColor color)
{
    if (color & 0x80000000u) return GetSysColorBrush(static_cast<int>(color & 0xFF));
    static std::map<TColor, TGdiObject> brushes;
    TGdiObject& brush = brushes[color];
    if (!brush) brush.Reset(CreateSolidBrush(static_cast<COLORREF>(color & 0xFFFFFF)));
    return static_cast<HBRUSH>(brush.Get());
}

const TFontData& DefaultFont()
{
    static const TFontData font = [] {
        TFontData f;
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        GetVersionExA(&version);
#pragma GCC diagnostic pop
        f.Name = version.dwMajorVersion >= 5 ? "MS Shell Dlg 2" : "MS Sans Serif";
        HDC dc = GetDC(nullptr);
        f.Height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(nullptr, dc);
        return f;
    }();
    return font;
}

HFONT FontHandle(const TFontData& font)
{
    static std::vector<std::pair<TFontData, TGdiObject>> fonts;
    for (auto& [data, handle] : fonts)
        if (data.Name == font.Name && data.Height == font.Height && data.Bold == font.Bold)
            return static_cast<HFONT>(handle.Get());
    LOGFONTA lf{};
    lf.lfHeight = font.Height;
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
    fonts.emplace_back(font, TGdiObject(CreateFontIndirectA(&lf)));
    return static_cast<HFONT>(fonts.back().second.Get());
}

int TextHeightOf(const TFontData& font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontHandle(font));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y)
{
    const SIZE size = BitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    const COLORREF transparent = GetPixel(source, 0, size.cy - 1);

    // Mask: white where the transparent colour is, black elsewhere.
    HDC maskDc = CreateCompatibleDC(dc);
    TGdiObject mask(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
    HGDIOBJ oldMask = SelectObject(maskDc, mask.Get());
    const COLORREF oldBk = SetBkColor(source, transparent);
    BitBlt(maskDc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
    SetBkColor(source, oldBk);

    // Mono-to-colour blits map black to the text colour and white to the background colour.
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldDestBk = SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCINVERT);
    BitBlt(dc, x, y, size.cx, size.cy, maskDc, 0, 0, SRCAND);
    BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCINVERT);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldDestBk);

    SelectObject(maskDc, oldMask);
    DeleteDC(maskDc);
    SelectObject(source, oldSource);
    DeleteDC(source);
}
