// The drawing primitives on real device contexts, and the skin's resources as the module
// carries them: compositing, shading, key-colour transfers, lines and frames, bitmap loading with
// run-length decoding and palettes, the raw images and the cursors.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/UiTestHost.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SkinResources.h"

namespace {

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

// A 32-bit drawing surface filled with one colour.
class Surface {
public:
    Surface(int w, int h, COLORREF fill) : buffer_(w, h), width_(w), height_(h) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) SetPixel(buffer_.Dc(), x, y, fill);
        }
    }
    HDC Dc() const { return buffer_.Dc(); }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const BYTE* p = buffer_.Bits() + (static_cast<std::size_t>(y) * width_ + x) * 4;
        return RGB(p[2], p[1], p[0]);
    }

private:
    PixelBuffer buffer_;
    int width_;
    int height_;
};

TEST(AlphaBlitImage, OpacityOfEachPixel) {
    Surface s(4, 1, RGB(10, 100, 250));
    const BYTE image[] = {200, 50, 0, 0, /**/ 200, 50, 0, 255, /**/ 200, 50, 0, 128, 0, 0, 0, 1};
    AlphaBlitImage(s.Dc(), 0, 0, 4, 1, image, 255, 0, 0);
    EXPECT_EQ(RGB(200, 50, 0), s.At(0, 0));
    EXPECT_EQ(RGB(10, 100, 250), s.At(1, 0));
    EXPECT_EQ(RGB(104, 75, 125), s.At(2, 0));  // floor((d - s) x 129 / 256) + s
    EXPECT_EQ(RGB(0, 0, 1), s.At(3, 0));       // a = 2: floor(250 x 2 / 256) = 1
}

TEST(AlphaBlitImage, FadeOfDisabledControlsAndPlacement) {
    Surface s(5, 5, RGB(0, 0, 0));
    const auto image = UiSolidImage(2, 2, 255, 255, 255);
    AlphaBlitImage(s.Dc(), 2, 1, 2, 2, image.data(), 160, 0, 0);
    EXPECT_EQ(RGB(94, 94, 94), s.At(2, 1));  // a = 161
    EXPECT_EQ(RGB(94, 94, 94), s.At(3, 2));
    EXPECT_EQ(RGB(0, 0, 0), s.At(1, 1));
    EXPECT_EQ(RGB(0, 0, 0), s.At(4, 2));
    EXPECT_EQ(RGB(0, 0, 0), s.At(2, 3));
    AlphaBlitImage(s.Dc(), 0, 0, 0, 5, image.data(), 255, 0, 0);  // nothing for w < 1
    AlphaBlitImage(s.Dc(), 0, 0, 2, 2, nullptr, 255, 0, 0);       // nor without an image
    EXPECT_EQ(RGB(0, 0, 0), s.At(0, 0));
}

TEST(AlphaBlitImage, StandardTintAndItsUntintedFrame) {
    const COLORREF tinted = RGB(217, 211, 102);
    const COLORREF grey = RGB(200, 200, 200);
    const auto image = UiSolidImage(8, 6, 200, 200, 200);
    Surface mode1(8, 6, 0);
    AlphaBlitImage(mode1.Dc(), 0, 0, 8, 6, image.data(), 255, kStandardTint, 1);
    Surface mode2(8, 6, 0);
    AlphaBlitImage(mode2.Dc(), 0, 0, 8, 6, image.data(), 255, kStandardTint, 2);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside1 = x >= 2 && x <= 6 && y >= 2 && y <= 4;
            const bool inside2 = x >= 1 && x <= 5 && y >= 1 && y <= 3;
            EXPECT_EQ(inside1 ? tinted : grey, mode1.At(x, y)) << x << "," << y;
            EXPECT_EQ(inside2 ? tinted : grey, mode2.At(x, y)) << x << "," << y;
        }
    }
}

TEST(AlphaBlitImageRect, PartOfAWiderImage) {
    std::vector<BYTE> image = UiSolidImage(3, 4, 0, 0, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 3; ++x)
            image[static_cast<std::size_t>(y * 3 + x) * 4] = static_cast<BYTE>(10 * y + x);
    }
    image[(2 * 3 + 1) * 4 + 3] = 255;  // one transparent pixel
    Surface s(3, 3, RGB(0, 99, 0));
    AlphaBlitImageRect(s.Dc(), 1, 1, 2, 2, 1, 1, image.data(), 3);
    EXPECT_EQ(RGB(11, 0, 0), s.At(1, 1));
    EXPECT_EQ(RGB(12, 0, 0), s.At(2, 1));
    EXPECT_EQ(RGB(0, 99, 0), s.At(1, 2));  // (1, 2) of the image is transparent
    EXPECT_EQ(RGB(22, 0, 0), s.At(2, 2));
    EXPECT_EQ(RGB(0, 99, 0), s.At(0, 0));
}

HBITMAP GreyBitmap(HDC reference, int w, int h, BYTE grey) {
    HBITMAP bitmap = CreateCompatibleBitmap(reference, w, h);
    MemoryDc dc(reference);
    SelectScope select(dc.Get(), bitmap);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) SetPixel(dc.Get(), x, y, RGB(grey, grey, grey));
    }
    return bitmap;
}

TEST(MultiplyBlitBitmap, DarkensByTheGreyMask) {
    Surface s(4, 4, RGB(200, 100, 255));
    GdiObject<HBITMAP> mask(GreyBitmap(s.Dc(), 2, 2, 128));
    MultiplyBlitBitmap(s.Dc(), 1, 1, 2, 2, mask.Get());
    EXPECT_EQ(RGB(100, 50, 127), s.At(1, 1));  // (c x 128 + 1) / 256
    EXPECT_EQ(RGB(100, 50, 127), s.At(2, 2));
    EXPECT_EQ(RGB(200, 100, 255), s.At(0, 0));
    EXPECT_EQ(RGB(200, 100, 255), s.At(3, 3));
    GdiObject<HBITMAP> white(GreyBitmap(s.Dc(), 1, 1, 255));
    MultiplyBlitBitmap(s.Dc(), 0, 0, 1, 1, white.Get());
    EXPECT_EQ(RGB(199, 99, 254), s.At(0, 0));  // white leaves it almost unchanged
}

TEST(TransparentBlitBitmap, KeyColourLeavesTheBackground) {
    Surface s(6, 3, RGB(1, 2, 3));
    HBITMAP bitmap = CreateCompatibleBitmap(s.Dc(), 4, 2);
    {
        MemoryDc dc(s.Dc());
        SelectScope select(dc.Get(), bitmap);
        const COLORREF row[4] = {RGB(255, 0, 255), RGB(64, 64, 64), RGB(255, 0, 255),
                                 RGB(250, 0, 250)};
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) SetPixel(dc.Get(), x, y, row[x]);
        }
    }
    TransparentBlitBitmap(s.Dc(), 2, 1, bitmap, 1, 0, 3, 2, RGB(255, 0, 255));
    DeleteObject(bitmap);
    EXPECT_EQ(RGB(64, 64, 64), s.At(2, 1));
    EXPECT_EQ(RGB(1, 2, 3), s.At(3, 1));      // magenta: background shows
    EXPECT_EQ(RGB(250, 0, 250), s.At(4, 1));  // near-magenta is not the key
    EXPECT_EQ(RGB(64, 64, 64), s.At(2, 2));
    EXPECT_EQ(RGB(1, 2, 3), s.At(1, 1));
    EXPECT_EQ(RGB(1, 2, 3), s.At(5, 1));
}

TEST(DrawLine, EndPointIsNotDrawn) {
    Surface s(6, 3, RGB(0, 0, 0));
    DrawLine(s.Dc(), 1, 1, 4, 1, RGB(9, 8, 7));
    EXPECT_EQ(RGB(0, 0, 0), s.At(0, 1));
    EXPECT_EQ(RGB(9, 8, 7), s.At(1, 1));
    EXPECT_EQ(RGB(9, 8, 7), s.At(3, 1));
    EXPECT_EQ(RGB(0, 0, 0), s.At(4, 1));
}

TEST(FocusFrames, FourLinesJustInsideTheRectangle) {
    Surface s(10, 8, RGB(0, 0, 0));
    DrawFocusFrame(s.Dc(), {1, 1, 9, 7});
    const COLORREF grey = RGB(144, 144, 144);
    for (int x = 1; x <= 8; ++x) {
        EXPECT_EQ(grey, s.At(x, 1)) << x;
        EXPECT_EQ(grey, s.At(x, 6)) << x;
    }
    for (int y = 1; y <= 6; ++y) {
        EXPECT_EQ(grey, s.At(1, y)) << y;
        EXPECT_EQ(grey, s.At(8, y)) << y;
    }
    EXPECT_EQ(RGB(0, 0, 0), s.At(9, 3));
    EXPECT_EQ(RGB(0, 0, 0), s.At(4, 7));
    EXPECT_EQ(RGB(0, 0, 0), s.At(4, 3));

    Surface field(10, 8, RGB(0, 0, 0));
    DrawFieldFocusFrame(field.Dc(), {1, 1, 9, 7});
    EXPECT_EQ(RGB(225, 0, 0), field.At(4, 1));  // top
    EXPECT_EQ(RGB(225, 0, 0), field.At(1, 4));  // left
    EXPECT_EQ(RGB(200, 0, 0), field.At(4, 6));  // bottom
    EXPECT_EQ(RGB(200, 0, 0), field.At(8, 4));  // right
    EXPECT_EQ(RGB(225, 0, 0), field.At(1, 1));  // the left edge ends over the bottom's start
}

TEST(WindowPlacement, RectInParentCentringAndEnabling) {
    UiTestHost host;
    HWND child = host.Create("STATIC", "", 0, 30, 40, 50, 20, 900);
    RECT r;
    GetRectInParent(child, &r);
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(40, r.top);
    EXPECT_EQ(80, r.right);
    EXPECT_EQ(60, r.bottom);

    HWND popup = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 101, 51, host.Window(), nullptr,
                                 Module(), nullptr);
    CenterWindowOnParent(popup);
    RECT placed;
    GetWindowRect(popup, &placed);
    // x = 20 + (420 - 101) / 2, y = 20 + (320 - 51) / 2, integer division; size kept.
    EXPECT_EQ(20 + 159, placed.left);
    EXPECT_EQ(20 + 134, placed.top);
    EXPECT_EQ(101, placed.right - placed.left);
    EXPECT_EQ(51, placed.bottom - placed.top);
    DestroyWindow(popup);

    CenterWindowOnParent(child);  // a child is placed in its parent's client coordinates
    GetRectInParent(child, &r);
    EXPECT_EQ((420 - 50) / 2, r.left);
    EXPECT_EQ((320 - 20) / 2, r.top);

    EnableAndRedrawItem(host.Window(), 900, FALSE);
    EXPECT_FALSE(IsWindowEnabled(child));
    RECT update;
    EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));  // repainted at once
    EnableAndRedrawItem(host.Window(), 900, TRUE);
    EXPECT_TRUE(IsWindowEnabled(child));
    EnableAndRedrawItem(host.Window(), 12345, FALSE);  // no such item: nothing happens
}

TEST(CaptionFont, StockFontAtNinetySixDotsPerInch) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    CaptionFont font;
    if (dpi == 96) {
        EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), font.Get());
    } else {
        LOGFONTA info = {};
        GetObjectA(font.Get(), sizeof(info), &info);
        EXPECT_EQ(14, info.lfHeight);
        EXPECT_STREQ("Arial", info.lfFaceName);
    }
}

BITMAP Info(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    return info;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC screen = GetDC(nullptr);
    MemoryDc dc(screen);
    ReleaseDC(nullptr, screen);
    SelectScope select(dc.Get(), bitmap);
    return GetPixel(dc.Get(), x, y);
}

TEST(LoadSkinBitmap, BackgroundOverlaysLampsAndMarker) {
    struct Expected {
        int id, width, height;
    };
    const Expected bitmaps[] = {{SkinId::kBackground, 428, 453}, {SkinId::kRevTimeShade, 148, 84},
                                {SkinId::kFreqShade, 148, 38},   {SkinId::kClipLampDark, 12, 9},
                                {SkinId::kClipLampRed, 12, 9},   {SkinId::kClipLampBright, 12, 9},
                                {SkinId::kMarker, 7, 11}};
    for (const Expected& e : bitmaps) {
        SCOPED_TRACE(e.id);
        HPALETTE palette = reinterpret_cast<HPALETTE>(1);
        GdiObject<HBITMAP> bitmap(LoadSkinBitmap(Module(), e.id, &palette));
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(e.width, Info(bitmap.Get()).bmWidth);
        EXPECT_EQ(e.height, Info(bitmap.Get()).bmHeight);
        // The 8-bit and 4-bit bitmaps come with a palette, the 24-bit ones without.
        const bool paletted =
            e.id == SkinId::kRevTimeShade || e.id == SkinId::kFreqShade || e.id == SkinId::kMarker;
        EXPECT_EQ(paletted, palette != nullptr);
        if (palette != nullptr) DeleteObject(palette);
    }
}

TEST(LoadSkinBitmap, RunLengthShadingMaskIsWhiteInsideAndGreyAtTheEdges) {
    GdiObject<HBITMAP> mask(LoadSkinBitmap(Module(), SkinId::kRevTimeShade, nullptr));
    ASSERT_TRUE(mask);
    EXPECT_EQ(RGB(255, 255, 255), PixelOf(mask.Get(), 74, 42));
    const COLORREF corner = PixelOf(mask.Get(), 0, 0);
    EXPECT_EQ(GetRValue(corner), GetBValue(corner));
    EXPECT_LT(GetRValue(corner), 200);
    EXPECT_GE(GetRValue(corner), 150);
    // Darker along the top than along the bottom: a sunken screen lit from above.
    EXPECT_LT(GetRValue(PixelOf(mask.Get(), 74, 0)), GetRValue(PixelOf(mask.Get(), 74, 83)));
}

TEST(LoadSkinBitmap, MissingResourceGivesNothing) {
    HPALETTE palette = reinterpret_cast<HPALETTE>(1);
    EXPECT_EQ(nullptr, LoadSkinBitmap(Module(), 4242, &palette));
    EXPECT_EQ(nullptr, palette);
    EXPECT_EQ(nullptr, LoadSkinBitmap(Module(), 120, nullptr));  // an RCDATA, not a bitmap
}

// A 6 x 3 run-length bitmap with four palette entries: 1 1, delta (2, 1), 2 2, end of bitmap.
std::vector<BYTE> DeltaBitmap() {
    const BYTE data[] = {2, 1, 0, 2, 2, 1, 2, 2, 0, 1};
    const std::size_t bits = sizeof(BITMAPINFOHEADER) + 4 * sizeof(RGBQUAD);
    std::vector<BYTE> dib(bits + sizeof(data), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = 6;
    header->biHeight = 3;
    header->biPlanes = 1;
    header->biBitCount = 8;
    header->biCompression = BI_RLE8;
    header->biClrUsed = 4;
    auto* table = reinterpret_cast<RGBQUAD*>(dib.data() + sizeof(BITMAPINFOHEADER));
    table[0] = {0, 0, 0, 0};
    table[1] = {0, 0, 200, 0};  // blue, green, red: red 200
    table[2] = {150, 0, 0, 0};  // blue 150
    table[3] = {9, 9, 9, 0};
    for (std::size_t i = 0; i < sizeof(data); ++i) dib[bits + i] = data[i];
    return dib;
}

TEST(CreateSkinBitmap, DeltaEscapeLeavesSkippedPixelsAtIndexZero) {
    const std::vector<BYTE> dib = DeltaBitmap();
    HPALETTE palette = nullptr;
    GdiObject<HBITMAP> bitmap(CreateSkinBitmap(
        reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), dib.size(), &palette));
    ASSERT_TRUE(bitmap);
    ASSERT_NE(nullptr, palette);
    DeleteObject(palette);
    // Rows are bottom-up: the first decoded row is the picture's last.
    EXPECT_EQ(RGB(200, 0, 0), PixelOf(bitmap.Get(), 0, 2));
    EXPECT_EQ(RGB(200, 0, 0), PixelOf(bitmap.Get(), 1, 2));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(bitmap.Get(), 2, 2));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(bitmap.Get(), 3, 1));
    EXPECT_EQ(RGB(0, 0, 150), PixelOf(bitmap.Get(), 4, 1));
    EXPECT_EQ(RGB(0, 0, 150), PixelOf(bitmap.Get(), 5, 1));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(bitmap.Get(), 5, 0));
}

TEST(CreateSkinBitmap, RejectsTruncatedHeaders) {
    const std::vector<BYTE> dib = DeltaBitmap();
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    HPALETTE palette = reinterpret_cast<HPALETTE>(1);
    EXPECT_EQ(nullptr, CreateSkinBitmap(header, 20, &palette));
    EXPECT_EQ(nullptr, palette);
    EXPECT_EQ(nullptr, CreateSkinBitmap(nullptr, 100, nullptr));
    // The colour table does not fit: nothing is made, and the palette is not leaked to the caller.
    EXPECT_EQ(nullptr, CreateSkinBitmap(header, sizeof(BITMAPINFOHEADER) + 8, &palette));
    if (palette != nullptr) DeleteObject(palette);
}

TEST(CreateDibPalette, EntriesFromTheColourTable) {
    const std::vector<BYTE> dib = DeltaBitmap();
    int count = -1;
    GdiObject<HPALETTE> palette(
        CreateDibPalette(reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), &count));
    ASSERT_TRUE(palette);
    EXPECT_EQ(256, count);  // 2^8, whatever the used-colour count says
    PALETTEENTRY entries[4] = {};
    EXPECT_EQ(4u, GetPaletteEntries(palette.Get(), 0, 4, entries));
    EXPECT_EQ(200, entries[1].peRed);
    EXPECT_EQ(0, entries[1].peBlue);
    EXPECT_EQ(150, entries[2].peBlue);
    EXPECT_EQ(0, entries[2].peFlags);

    BITMAPINFOHEADER trueColour = {};
    trueColour.biSize = sizeof(trueColour);
    trueColour.biBitCount = 24;
    count = -1;
    EXPECT_EQ(nullptr, CreateDibPalette(&trueColour, &count));
    EXPECT_EQ(0, count);
}

TEST(LockSkinImage, RawImagesAndTheirContent) {
    const int ids[] = {120, 121, 122, 123, 124, 125, 126, 127,
                       128, 129, 132, 133, 134, 135, 136, 137};
    for (int id : ids) {
        SCOPED_TRACE(id);
        HRSRC resource = FindResourceA(Module(), MAKEINTRESOURCEA(id), RT_RCDATA);
        ASSERT_NE(nullptr, resource);
        EXPECT_NE(nullptr, LockSkinImage(Module(), id));
    }
    const struct {
        int id;
        DWORD bytes;
    } sizes[] = {{120, 3360}, {121, 6912}, {128, 6912}, {127, 1856}, {137, 4200}, {136, 4200},
                 {125, 6384}, {126, 6384}, {123, 5124}, {124, 5124}, {129, 1260}, {122, 1260},
                 {133, 2016}, {132, 2016}, {135, 3024}, {134, 3024}};
    for (const auto& s : sizes) {
        EXPECT_EQ(s.bytes, SizeofResource(Module(), FindResourceA(Module(), MAKEINTRESOURCEA(s.id),
                                                                  RT_RCDATA)))
            << s.id;
    }
    // Buttons, fields and the thumb are grey; the lit meter is red at the top, green below.
    SkinImage face = LockSkinImage(Module(), SkinId::kWideNormal);
    const BYTE* middle = face + (10 * 76 + 38) * 4;
    EXPECT_EQ(middle[0], middle[1]);
    EXPECT_EQ(middle[1], middle[2]);
    EXPECT_EQ(0, middle[3]);
    SkinImage lit = LockSkinImage(Module(), SkinId::kMeterLit);
    const BYTE* top = lit + (3 * 12 + 5) * 4;
    const BYTE* low = lit + (120 * 12 + 5) * 4;
    EXPECT_GT(top[0], top[1]);  // red
    EXPECT_GT(low[1], low[0]);  // green
    EXPECT_EQ(0, top[3]);       // opaque
    EXPECT_EQ(nullptr, LockSkinImage(Module(), 4242));
    EXPECT_EQ(nullptr, LockSkinImage(Module(), SkinId::kBackground));  // a bitmap, not RCDATA
}

TEST(SkinCursors, AllFourLoad) {
    for (int id : {SkinId::kOpenHandCursor, SkinId::kClosedHandCursor, SkinId::kLeftRightCursor,
                   SkinId::kUpDownCursor}) {
        HCURSOR cursor = LoadCursorA(Module(), MAKEINTRESOURCEA(id));
        ASSERT_NE(nullptr, cursor) << id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info)) << id;
        EXPECT_FALSE(info.fIcon);
        if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    }
    ICONINFO hand = {};
    ASSERT_TRUE(
        GetIconInfo(LoadCursorA(Module(), MAKEINTRESOURCEA(SkinId::kOpenHandCursor)), &hand));
    EXPECT_EQ(8u, hand.xHotspot);
    EXPECT_EQ(7u, hand.yHotspot);
    if (hand.hbmMask != nullptr) DeleteObject(hand.hbmMask);
    if (hand.hbmColor != nullptr) DeleteObject(hand.hbmColor);
}

}  // namespace
