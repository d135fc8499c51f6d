#include "Screenshot.h"
#include <cstdint>
#include <vector>
#include <zlib.h>

namespace {
void PutBigEndian(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char type[4], const std::vector<unsigned char>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

BOOL CALLBACK AddWindowRect(HWND window, LPARAM area)
{
    if (!IsWindowVisible(window)) return TRUE;
    RECT r, *total = reinterpret_cast<RECT*>(area);
    GetWindowRect(window, &r);
    if (r.right > r.left && r.bottom > r.top) UnionRect(total, total, &r);
    return TRUE;
}
}  // namespace

std::string ScreenshotFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    folder = folder.substr(0, folder.find_last_of('\\') + 1) + "screenshots\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

RECT ThreadWindowsRect()
{
    RECT area{};
    EnumThreadWindows(GetCurrentThreadId(), AddWindowRect, reinterpret_cast<LPARAM>(&area));
    return area;
}

TCapture CaptureScreen(RECT area)
{
    TCapture capture;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return capture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (bits && BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT)) {
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        capture.Width = width;
        capture.Height = height;
        capture.Pixels.reserve(static_cast<size_t>(width) * height);
        for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) capture.Pixels.push_back(pixels[i] & 0xFFFFFF);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

bool SavePng(const std::string& path, const TCapture& capture)
{
    if (capture.Width <= 0 || capture.Height <= 0) return false;
    std::vector<unsigned char> raw;  // each row: filter byte 0, then RGB triples
    raw.reserve((static_cast<size_t>(capture.Width) * 3 + 1) * capture.Height);
    for (int y = 0; y < capture.Height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < capture.Width; ++x) {
            const uint32_t p = capture.At(x, y);
            raw.insert(raw.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                   static_cast<unsigned char>(p)});
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<uint32_t>(capture.Width));
    PutBigEndian(header, static_cast<uint32_t>(capture.Height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});

    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) && written == png.size();
    CloseHandle(file);
    return ok;
}

bool SaveScreenshot(const std::string& path, RECT area)
{
    if (IsRectEmpty(&area)) area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return SavePng(path, CaptureScreen(area));
}
