// Scoped owners for the device contexts and GDI objects the controls create while they paint,
// so that every handle is released on every path.
#pragma once

#include "platform/Platform.h"

// Owns a GDI object (pen, brush, font, bitmap, palette, region) and deletes it.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }
    // Gives up ownership.
    Handle Release() {
        Handle h = handle_;
        handle_ = nullptr;
        return h;
    }

private:
    Handle handle_ = nullptr;  // owned
};

// Selects an object into a device context and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object)
        : dc_(dc),
          previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectScope() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;            // not owned
    HGDIOBJ previous_;  // not owned
};

// A window's device context, released at the end of the scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;  // not owned
    HDC dc_;       // owned (released)
};

// A memory device context, deleted at the end of the scope.
class MemoryDc {
public:
    explicit MemoryDc(HDC reference) : dc_(CreateCompatibleDC(reference)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;  // owned
};

// A memory device context with a bitmap compatible with a reference context selected into it;
// both are freed at the end of the scope (or of the owner's life, for the meter's kept buffer).
class OffscreenBitmap {
public:
    OffscreenBitmap() = default;
    OffscreenBitmap(HDC reference, int width, int height) { Create(reference, width, height); }
    ~OffscreenBitmap() { Destroy(); }
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    bool Create(HDC reference, int width, int height);
    void Destroy();
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    explicit operator bool() const { return dc_ != nullptr && bitmap_ != nullptr; }

private:
    HDC dc_ = nullptr;            // owned
    HBITMAP bitmap_ = nullptr;    // owned
    HGDIOBJ previous_ = nullptr;  // not owned: the context's original bitmap
    int width_ = 0;
    int height_ = 0;
};

// A 32-bit top-down device-independent bitmap selected into a memory device context, with direct
// access to its pixels (bytes B, G, R, unused); the buffers of the software compositing.
class PixelBuffer {
public:
    PixelBuffer(int width, int height);
    ~PixelBuffer();
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    explicit operator bool() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    BYTE* Bits() const { return bits_; }

private:
    HDC dc_ = nullptr;            // owned
    HBITMAP bitmap_ = nullptr;    // owned
    HGDIOBJ previous_ = nullptr;  // not owned
    BYTE* bits_ = nullptr;        // owned by bitmap_
};
