// The drawing primitives every control of the toolkit shares: compositing of skin images,
// darkening by a shading bitmap, key-colour transfers, lines, focus frames, the caption font and
// the double-buffered paint cycle. None keeps state between calls. UI thread only.
#pragma once

#include "platform/Platform.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinPixels.h"

// Composites a w x h skin image over the area at (x, y): fade 0-255 (255 = as stored), tint
// (0 = none), borderMode 0, 1 or 2 (which frame of the image the tint spares).
void AlphaBlitImage(HDC dc, int x, int y, int w, int h, SkinImage image, int fade, SkinTint tint,
                    int borderMode);

// Composites the w x h part at (srcX, srcY) of a skin image imageWidth pixels wide (0 = w) over
// the area at (x, y); untinted and unfaded.
void AlphaBlitImageRect(HDC dc, int x, int y, int w, int h, int srcX, int srcY, SkinImage image,
                        int imageWidth);

// Darkens the w x h area at (x, y) by a grey bitmap, read from its top-left corner.
void MultiplyBlitBitmap(HDC dc, int x, int y, int w, int h, HBITMAP bitmap);

// Copies the w x h part at (srcX, srcY) of a bitmap to (x, y), leaving every pixel that equals
// keyColour transparent.
void TransparentBlitBitmap(HDC dc, int x, int y, HBITMAP bitmap, int srcX, int srcY, int w, int h,
                           COLORREF keyColour);

// A one-pixel solid line; the end point itself is not drawn.
void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour);

// The focus frame of buttons: four grey lines just inside rect.
void DrawFocusFrame(HDC dc, const RECT& rect);
// The focus frame of value fields: red, darker at the bottom and right.
void DrawFieldFocusFrame(HDC dc, const RECT& rect);

// The window's rectangle in its parent's client coordinates.
void GetRectInParent(HWND window, RECT* rect);

// Moves a window, without resizing it, so that it is centred over its parent's window rectangle.
void CenterWindowOnParent(HWND window);

// If the dialog has the item: enables or disables it and repaints it at once.
void EnableAndRedrawItem(HWND dialog, int itemId, BOOL enable);

// The font of button captions, value fields and the typed-entry box: Arial of height 14 when the
// screen is not at 96 dots per inch, otherwise the stock default GUI font (never deleted).
class CaptionFont {
public:
    CaptionFont();
    ~CaptionFont();
    CaptionFont(const CaptionFont&) = delete;
    CaptionFont& operator=(const CaptionFont&) = delete;
    HFONT Get() const { return font_; }
    // Hands the font over; the caller deletes it when owned.
    HFONT Release(bool* owned);

private:
    HFONT font_ = nullptr;  // owned when owned_
    bool owned_ = false;
};

// Copies the part of the page background that lies under a control to (0, 0) of dc.
void CopyBackgroundUnder(HWND control, HBITMAP background, HDC dc, int width, int height);

// One paint of a control: a memory bitmap of the client size with the page background under
// the control already copied in (unless copyBackground is false); Present() copies it to the
// window in one transfer. Without a memory context nothing is drawn.
class PaintCycle {
public:
    PaintCycle(HWND window, HBITMAP background, bool copyBackground = true);
    PaintCycle(const PaintCycle&) = delete;
    PaintCycle& operator=(const PaintCycle&) = delete;

    explicit operator bool() const { return static_cast<bool>(buffer_); }
    HDC Dc() const { return buffer_.Dc(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT Client() const { return {0, 0, width_, height_}; }
    void Present();

private:
    HWND window_;  // not owned
    WindowDc windowDc_;
    int width_ = 0;
    int height_ = 0;
    OffscreenBitmap buffer_;
};

// Screen colour depth in bits per pixel, read when a control is created.
int ScreenBitsPerPixel();
