// Loading of the skin's bitmap resources and raw images.
#include "ui/controls/SkinResources.h"

#include <cstring>
#include <memory>
#include <new>

#include "ui/controls/GdiObjects.h"

namespace {

// A logical palette with room for the largest colour table, on the stack.
struct PaletteRecord {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
};

// Largest bitmap accepted from a resource, per side.
constexpr LONG kMaxSide = 16384;

}  // namespace

HPALETTE CreateDibPalette(const BITMAPINFOHEADER* header, int* outCount) {
    *outCount = 0;
    if (header == nullptr) return nullptr;
    const int count = PaletteEntryCount(header->biBitCount);
    if (count == 0) return nullptr;
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    PaletteRecord record = {};
    record.version = 0x300;
    record.count = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i) {
        record.entries[i].peRed = table[i].rgbRed;
        record.entries[i].peGreen = table[i].rgbGreen;
        record.entries[i].peBlue = table[i].rgbBlue;
        record.entries[i].peFlags = 0;
    }
    HPALETTE palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&record));
    if (palette != nullptr) *outCount = count;
    return palette;
}

HBITMAP CreateSkinBitmap(const BITMAPINFOHEADER* header, std::size_t size, HPALETTE* outPalette) {
    if (outPalette != nullptr) *outPalette = nullptr;
    if (header == nullptr || size < sizeof(BITMAPINFOHEADER) || header->biSize > size) {
        return nullptr;
    }
    int paletteCount = 0;
    GdiObject<HPALETTE> palette(CreateDibPalette(header, &paletteCount));
    WindowDc screen(nullptr);
    if (screen.Get() == nullptr) return nullptr;
    HPALETTE previousPalette = nullptr;
    if (palette) {
        previousPalette = SelectPalette(screen.Get(), palette.Get(), FALSE);
        RealizePalette(screen.Get());
    }

    const std::size_t colours = header->biClrUsed != 0 ? header->biClrUsed : paletteCount;
    const std::size_t infoSize = header->biSize + colours * sizeof(RGBQUAD);
    HBITMAP bitmap = nullptr;
    if (infoSize <= size) {
        const BYTE* bits = reinterpret_cast<const BYTE*>(header) + infoSize;
        const auto* info = reinterpret_cast<const BITMAPINFO*>(header);
        if (header->biCompression != BI_RLE8) {
            bitmap = CreateDIBitmap(screen.Get(), header, CBM_INIT, bits, info, DIB_RGB_COLORS);
        } else if (header->biWidth > 0 && header->biWidth <= kMaxSide && header->biHeight > 0 &&
                   header->biHeight <= kMaxSide) {
            const std::size_t decodedSize =
                static_cast<std::size_t>(header->biHeight) * Rle8Stride(header->biWidth);
            std::unique_ptr<BYTE[]> decoded(new (std::nothrow) BYTE[decodedSize]());
            std::unique_ptr<BYTE[]> plain(new (std::nothrow) BYTE[infoSize]);
            if (decoded && plain) {
                DecodeRle8(bits, size - infoSize, header->biWidth, header->biHeight, decoded.get());
                std::memcpy(plain.get(), header, infoSize);
                auto* plainHeader = reinterpret_cast<BITMAPINFOHEADER*>(plain.get());
                plainHeader->biCompression = BI_RGB;
                plainHeader->biSizeImage = 0;
                bitmap = CreateDIBitmap(screen.Get(), plainHeader, CBM_INIT, decoded.get(),
                                        reinterpret_cast<const BITMAPINFO*>(plain.get()),
                                        DIB_RGB_COLORS);
            }
        }
    }
    if (previousPalette != nullptr) SelectPalette(screen.Get(), previousPalette, FALSE);
    if (outPalette != nullptr) *outPalette = palette.Release();
    return bitmap;
}

HBITMAP LoadSkinBitmap(HINSTANCE module, int resourceId, HPALETTE* outPalette) {
    if (outPalette != nullptr) *outPalette = nullptr;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), RT_BITMAP);
    if (resource == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return nullptr;
    return CreateSkinBitmap(static_cast<const BITMAPINFOHEADER*>(data),
                            SizeofResource(module, resource), outPalette);
}

SkinImage LockSkinImage(HINSTANCE module, int resourceId) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), RT_RCDATA);
    if (resource == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    return loaded != nullptr ? static_cast<SkinImage>(LockResource(loaded)) : nullptr;
}
