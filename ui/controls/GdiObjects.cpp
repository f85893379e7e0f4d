// Scoped owners for device contexts and GDI objects.
#include "ui/controls/GdiObjects.h"

bool OffscreenBitmap::Create(HDC reference, int width, int height) {
    Destroy();
    if (width < 1 || height < 1) return false;
    dc_ = CreateCompatibleDC(reference);
    if (dc_ == nullptr) return false;
    bitmap_ = CreateCompatibleBitmap(reference, width, height);
    if (bitmap_ == nullptr) {
        Destroy();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    return true;
}

void OffscreenBitmap::Destroy() {
    if (dc_ != nullptr && previous_ != nullptr) SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    width_ = height_ = 0;
}

PixelBuffer::PixelBuffer(int width, int height) {
    if (width < 1 || height < 1) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_ == nullptr) return;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr) return;
    previous_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<BYTE*>(bits);
}

PixelBuffer::~PixelBuffer() {
    if (dc_ != nullptr && previous_ != nullptr) SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
}
