// The setup's own resources as the system sees them: icon group 1, the manifest (and that it really
// switches the common controls to version 6), the version block, the drive and folder bitmaps, and
// the two wizard pictures loaded from a file as the wizard loads them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "utils/Types.h"

namespace {

#pragma pack(push, 2)
struct TGroupIconHeader {
    WORD Reserved, Type, Count;
};
struct TGroupIconEntry {
    BYTE Width, Height, Colours, Reserved;
    WORD Planes, BitCount;
    DWORD Bytes;
    WORD Id;
};
#pragma pack(pop)

struct TResource {
    const BYTE* Data = nullptr;
    DWORD Size = 0;
};

TResource FindRes(LPCSTR type, LPCSTR name)
{
    HRSRC res = FindResourceA(nullptr, name, type);
    if (!res) return {};
    return {static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res))), SizeofResource(nullptr, res)};
}

uint32_t BigEndian32(const BYTE* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

TEST(SetupIcon, GroupOneHoldsFourSizesOf32Bits)
{
    HRSRC group = FindResourceExA(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEA(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(group, nullptr) << "icon group 1, language 1033";
    auto* header = static_cast<const TGroupIconHeader*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_EQ(header->Type, 1);
    ASSERT_EQ(header->Count, 4);
    auto* entries = reinterpret_cast<const TGroupIconEntry*>(header + 1);
    std::set<int> sizes;
    for (int i = 0; i < header->Count; ++i) {
        const TGroupIconEntry& e = entries[i];
        int size = e.Width ? e.Width : 256;
        SCOPED_TRACE(size);
        sizes.insert(size);
        EXPECT_EQ(e.BitCount, 32);
        TResource image = FindRes(RT_ICON, MAKEINTRESOURCEA(e.Id));
        ASSERT_NE(image.Data, nullptr);
        ASSERT_EQ(image.Size, e.Bytes);

        // Transparent corner, opaque middle: the alpha channel is really used.
        int cornerAlpha = -1, middleAlpha = -1;
        if (std::memcmp(image.Data, "\x89PNG\r\n\x1a\n", 8) == 0) {
            EXPECT_EQ(BigEndian32(image.Data + 16), uint32_t(size));
            EXPECT_EQ(BigEndian32(image.Data + 20), uint32_t(size));
            EXPECT_EQ(image.Data[24], 8) << "bit depth";
            EXPECT_EQ(image.Data[25], 6) << "colour type RGBA";
        } else {
            auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(image.Data);
            EXPECT_EQ(info->biWidth, size);
            EXPECT_EQ(info->biHeight, 2 * size);
            EXPECT_EQ(info->biBitCount, 32);
            const BYTE* pixels = image.Data + info->biSize;
            cornerAlpha = pixels[3];
            middleAlpha = pixels[((size / 2) * size + size / 2) * 4 + 3];
            EXPECT_EQ(cornerAlpha, 0);
            EXPECT_EQ(middleAlpha, 255);
        }
        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.Data), image.Size, TRUE, 0x00030000, size, size, 0);
        EXPECT_NE(icon, nullptr) << "the system accepts the image";
        if (icon) DestroyIcon(icon);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));
}

TEST(SetupIcon, LoadsAsTheApplicationIcon)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST(SetupManifest, NamesTheAssemblyControlsAndExecutionLevel)
{
    TResource res = FindRes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_NE(res.Data, nullptr) << "manifest resource 24/1";
    std::string text(reinterpret_cast<const char*>(res.Data), res.Size);
#ifdef SETUP_ARCH_i686
    const std::string arch = "processorArchitecture=\"x86\"";
#else
    const std::string arch = "processorArchitecture=\"amd64\"";
#endif
    for (const std::string& piece : {
             "<assemblyIdentity name=\"Setup\" " + arch + " version=\"5.1.0.0\" type=\"win32\"/>",
             std::string("<description>Windows Shell</description>"),
             "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" " + arch +
                 " publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>",
             std::string("<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>")})
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
}

// Wine's version-6 library reports 5.81 through DllGetVersion, so ask for what only version 6 does.
TEST(SetupManifest, SwitchesTheCommonControlsToVersion6)
{
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    HWND parent = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "Next", WS_CHILD, 0, 0, 80, 20, parent, nullptr, nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    SIZE ideal{};
    EXPECT_TRUE(SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_GT(ideal.cx, 0);
    DestroyWindow(parent);
}

TEST(SetupVersion, NamesTheProductAndItsVersion)
{
    char path[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_NE(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    struct TTranslation {
        WORD Language, CodePage;
    }* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof *translation);
    char key[64];
    wsprintfA(key, "\\StringFileInfo\\%04x%04x\\ProductName", translation->Language, translation->CodePage);
    char* name = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), key, reinterpret_cast<void**>(&name), &length)) << key;
    EXPECT_STREQ(name, ProductName);

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
}

// A 4-bit picture as palette indexes, top row first.
std::vector<std::vector<int>> Pixels4(const BITMAPINFOHEADER* info)
{
    int w = info->biWidth, h = info->biHeight;
    const BYTE* bits = reinterpret_cast<const BYTE*>(info) + info->biSize + 16 * sizeof(RGBQUAD);
    int stride = ((w * 4 + 31) / 32) * 4;
    std::vector<std::vector<int>> rows(h, std::vector<int>(w));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE b = bits[(h - 1 - y) * stride + x / 2];
            rows[y][x] = (x % 2) ? (b & 0x0F) : (b >> 4);
        }
    return rows;
}

struct TSmallBitmap {
    const char* Name;
    int Width, Height;
};

class DriveAndFolderBitmaps : public testing::TestWithParam<TSmallBitmap> {};

TEST_P(DriveAndFolderBitmaps, SixteenColoursWithTheBackgroundAsTransparentColour)
{
    const TSmallBitmap& expected = GetParam();
    TResource res = FindRes(RT_BITMAP, expected.Name);
    ASSERT_NE(res.Data, nullptr);
    auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(res.Data);
    EXPECT_EQ(info->biWidth, expected.Width);
    EXPECT_EQ(info->biHeight, expected.Height);
    ASSERT_EQ(info->biBitCount, 4);
    ASSERT_EQ(info->biCompression, DWORD(BI_RGB));

    HBITMAP loaded = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), expected.Name, IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(loaded, nullptr);
    BITMAP bm{};
    GetObjectA(loaded, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, expected.Width);
    EXPECT_EQ(bm.bmHeight, expected.Height);
    DeleteObject(loaded);

    // The bottom-left colour is drawn as transparent: it must be background only. Every pixel of
    // that colour is reached from the edge through pixels of that colour (no hole in the drawing),
    // and the drawing itself covers a good part of the picture.
    auto rows = Pixels4(info);
    const int w = expected.Width, h = expected.Height, key = rows[h - 1][0];
    std::vector<std::vector<bool>> seen(h, std::vector<bool>(w));
    std::vector<POINT> todo;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x == 0 || y == 0 || x == w - 1 || y == h - 1) && rows[y][x] == key) todo.push_back({x, y});
    while (!todo.empty()) {
        POINT p = todo.back();
        todo.pop_back();
        if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h || seen[p.y][p.x] || rows[p.y][p.x] != key) continue;
        seen[p.y][p.x] = true;
        todo.insert(todo.end(), {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
    }
    int drawn = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            EXPECT_TRUE(rows[y][x] != key || seen[y][x]) << "transparent hole at " << x << "," << y;
            drawn += rows[y][x] != key;
        }
    EXPECT_GT(drawn * 3, w * h);
}

INSTANTIATE_TEST_SUITE_P(All, DriveAndFolderBitmaps,
                         testing::Values(TSmallBitmap{"FIXEDDRIVE", 16, 11}, TSmallBitmap{"REMOVABLEDRIVE", 16, 10},
                                         TSmallBitmap{"CLOSEDFOLDER", 16, 16}, TSmallBitmap{"OPENFOLDER", 16, 16}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TWizardPicture {
    const char* Resource;
    int Width, Height;
    bool WhiteCorners;  // shown on the white header
};

class WizardPictures : public testing::TestWithParam<TWizardPicture> {};

TEST_P(WizardPictures, LoadFromAFileAtTheirSize)
{
    const TWizardPicture& expected = GetParam();
    TResource res = FindRes(RT_RCDATA, expected.Resource);
    ASSERT_NE(res.Data, nullptr);
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(GetTempFileNameW(folder, L"pic", 0, path), 0u);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, res.Data, res.Size, &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, res.Size);

    for (UINT flags : {UINT(LR_LOADFROMFILE), UINT(LR_LOADFROMFILE | LR_CREATEDIBSECTION)}) {
        HBITMAP picture = static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, flags));
        EXPECT_NE(picture, nullptr) << "flags " << flags;
        if (!picture) continue;
        BITMAP bm{};
        GetObjectW(picture, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, expected.Width);
        EXPECT_EQ(bm.bmHeight, expected.Height);
        if (expected.WhiteCorners) {
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, picture);
            for (POINT p : {POINT{0, 0}, POINT{expected.Width - 1, 0}, POINT{0, expected.Height - 1},
                            POINT{expected.Width - 1, expected.Height - 1}})
                EXPECT_EQ(GetPixel(dc, p.x, p.y), RGB(255, 255, 255)) << p.x << "," << p.y;
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        DeleteObject(picture);
    }
    DeleteFileW(path);
}

INSTANTIATE_TEST_SUITE_P(All, WizardPictures,
                         testing::Values(TWizardPicture{"LOGO", 120, 260, false}, TWizardPicture{"LOGOSMALL", 34, 34, true}),
                         [](const auto& info) { return std::string(info.param.Resource); });

}  // namespace
