// The drawing primitives every control of the toolkit shares.
#include "ui/controls/SkinDrawing.h"

#include <cstddef>

void AlphaBlitImage(HDC dc, int x, int y, int w, int h, SkinImage image, int fade, SkinTint tint,
                    int borderMode) {
    if (w < 1 || h < 1 || image == nullptr) return;
    PixelBuffer buffer(w, h);
    if (!buffer) return;
    BitBlt(buffer.Dc(), 0, 0, w, h, dc, x, y, SRCCOPY);
    GdiFlush();
    CompositeSkinImage(buffer.Bits(), w, h, image, fade, tint, borderMode);
    BitBlt(dc, x, y, w, h, buffer.Dc(), 0, 0, SRCCOPY);
}

void AlphaBlitImageRect(HDC dc, int x, int y, int w, int h, int srcX, int srcY, SkinImage image,
                        int imageWidth) {
    if (w < 1 || h < 1 || image == nullptr) return;
    PixelBuffer buffer(w, h);
    if (!buffer) return;
    BitBlt(buffer.Dc(), 0, 0, w, h, dc, x, y, SRCCOPY);
    GdiFlush();
    CompositeSkinImageRect(buffer.Bits(), w, h, image, imageWidth, srcX, srcY);
    BitBlt(dc, x, y, w, h, buffer.Dc(), 0, 0, SRCCOPY);
}

void MultiplyBlitBitmap(HDC dc, int x, int y, int w, int h, HBITMAP bitmap) {
    if (w < 1 || h < 1 || bitmap == nullptr) return;
    PixelBuffer area(w, h);
    PixelBuffer mask(w, h);
    MemoryDc source(dc);
    if (!area || !mask || source.Get() == nullptr) return;
    {
        SelectScope select(source.Get(), bitmap);
        BitBlt(mask.Dc(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
    }
    BitBlt(area.Dc(), 0, 0, w, h, dc, x, y, SRCCOPY);
    GdiFlush();
    MultiplyPixels(area.Bits(), mask.Bits(), static_cast<std::size_t>(w) * h);
    BitBlt(dc, x, y, w, h, area.Dc(), 0, 0, SRCCOPY);
}

void TransparentBlitBitmap(HDC dc, int x, int y, HBITMAP bitmap, int srcX, int srcY, int w, int h,
                           COLORREF keyColour) {
    if (w < 1 || h < 1 || bitmap == nullptr) return;
    MemoryDc source(dc);
    MemoryDc maskDc(dc);
    OffscreenBitmap image(dc, w, h);
    OffscreenBitmap back(dc, w, h);
    GdiObject<HBITMAP> mask(CreateBitmap(w, h, 1, 1, nullptr));
    if (source.Get() == nullptr || maskDc.Get() == nullptr || !image || !back || !mask) return;
    SelectScope selectSource(source.Get(), bitmap);
    SelectScope selectMask(maskDc.Get(), mask.Get());

    // Monochrome mask: 1 where the source has the key colour.
    SetBkColor(source.Get(), keyColour);
    BitBlt(maskDc.Get(), 0, 0, w, h, source.Get(), srcX, srcY, SRCCOPY);

    // The source with its key pixels cleared: a mask bit of 1 expands to white, and
    // destination AND NOT source clears exactly those pixels.
    BitBlt(image.Dc(), 0, 0, w, h, source.Get(), srcX, srcY, SRCCOPY);
    SetBkColor(image.Dc(), RGB(255, 255, 255));
    SetTextColor(image.Dc(), RGB(0, 0, 0));
    BitBlt(image.Dc(), 0, 0, w, h, maskDc.Get(), 0, 0, 0x00220326);  // DSna

    // The background with its non-key pixels cleared.
    BitBlt(back.Dc(), 0, 0, w, h, dc, x, y, SRCCOPY);
    SetBkColor(back.Dc(), RGB(255, 255, 255));
    SetTextColor(back.Dc(), RGB(0, 0, 0));
    BitBlt(back.Dc(), 0, 0, w, h, maskDc.Get(), 0, 0, SRCAND);

    BitBlt(back.Dc(), 0, 0, w, h, image.Dc(), 0, 0, SRCPAINT);
    BitBlt(dc, x, y, w, h, back.Dc(), 0, 0, SRCCOPY);
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    if (!pen) return;
    SelectScope select(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

namespace {

void DrawFrame(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    DrawLine(dc, r.left, r.top, r.right, r.top, topLeft);
    DrawLine(dc, r.left, r.top, r.left, r.bottom, topLeft);
    DrawLine(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, bottomRight);
    DrawLine(dc, r.right - 1, r.top, r.right - 1, r.bottom, bottomRight);
}

}  // namespace

void DrawFocusFrame(HDC dc, const RECT& rect) {
    DrawFrame(dc, rect, RGB(144, 144, 144), RGB(144, 144, 144));
}

void DrawFieldFocusFrame(HDC dc, const RECT& rect) {
    DrawFrame(dc, rect, RGB(225, 0, 0), RGB(200, 0, 0));
}

void GetRectInParent(HWND window, RECT* rect) {
    GetWindowRect(window, rect);
    HWND parent = GetParent(window);
    if (parent != nullptr) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(rect), 2);
}

void CenterWindowOnParent(HWND window) {
    HWND parent = GetParent(window);
    if (parent == nullptr) parent = GetDesktopWindow();
    RECT own;
    RECT outer;
    GetWindowRect(window, &own);
    GetWindowRect(parent, &outer);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    POINT at = {outer.left + (outer.right - outer.left - width) / 2,
                outer.top + (outer.bottom - outer.top - height) / 2};
    // A child window is positioned in its parent's client coordinates.
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) ScreenToClient(parent, &at);
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EnableAndRedrawItem(HWND dialog, int itemId, BOOL enable) {
    HWND item = GetDlgItem(dialog, itemId);
    if (item == nullptr) return;
    EnableWindow(item, enable);
    InvalidateRect(item, nullptr, FALSE);
    UpdateWindow(item);
}

CaptionFont::CaptionFont() {
    WindowDc screen(nullptr);
    const int dpi = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    if (dpi != 96) {
        font_ = CreateFontA(14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        owned_ = font_ != nullptr;
    }
    if (font_ == nullptr) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

CaptionFont::~CaptionFont() {
    if (owned_ && font_ != nullptr) DeleteObject(font_);
}

HFONT CaptionFont::Release(bool* owned) {
    *owned = owned_;
    HFONT font = font_;
    font_ = nullptr;
    owned_ = false;
    return font;
}

void CopyBackgroundUnder(HWND control, HBITMAP background, HDC dc, int width, int height) {
    if (background == nullptr) return;
    MemoryDc source(dc);
    if (source.Get() == nullptr) return;
    RECT where;
    GetRectInParent(control, &where);
    SelectScope select(source.Get(), background);
    BitBlt(dc, 0, 0, width, height, source.Get(), where.left, where.top, SRCCOPY);
}

PaintCycle::PaintCycle(HWND window, HBITMAP background, bool copyBackground)
    : window_(window), windowDc_(window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    if (windowDc_.Get() == nullptr) return;
    if (!buffer_.Create(windowDc_.Get(), width_, height_)) return;
    if (copyBackground) CopyBackgroundUnder(window_, background, buffer_.Dc(), width_, height_);
}

void PaintCycle::Present() {
    if (!buffer_) return;
    BitBlt(windowDc_.Get(), 0, 0, width_, height_, buffer_.Dc(), 0, 0, SRCCOPY);
}

int ScreenBitsPerPixel() {
    WindowDc screen(nullptr);
    return screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), BITSPIXEL) : 32;
}
