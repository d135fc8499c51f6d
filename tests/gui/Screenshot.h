#pragma once
// Screenshots for tests: the screen (or a part of it) captured through GDI and saved as PNG.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// Pixels of a screen area, row by row from the top, each 0x00RRGGBB.
struct TCapture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};
TCapture CaptureScreen(RECT area);
bool SavePng(const std::string& path, const TCapture& capture);

// The folder "screenshots\" beside the running test program (in the build tree), created on demand.
std::string ScreenshotFolder();
// Saves the area of the screen (the whole screen when the rectangle is empty) as a PNG file.
bool SaveScreenshot(const std::string& path, RECT area = {});
// The smallest rectangle that holds all the visible top-level windows of this thread (a form and
// its drop-down lists, say).
RECT ThreadWindowsRect();
