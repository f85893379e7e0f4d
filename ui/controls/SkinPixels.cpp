// Pixel arithmetic of the skin over plain buffers.
#include "ui/controls/SkinPixels.h"

#include <algorithm>

int SkinOpacity(int transparency, int fade) {
    int opacity = fade == 255 ? transparency : transparency * (255 - fade) / 255 + fade;
    return opacity != 0 ? opacity + 1 : 0;
}

std::uint8_t BlendChannel(int background, int image, int opacity) {
    // An arithmetic shift is a floor division by 256, also for a negative difference.
    return static_cast<std::uint8_t>((((background - image) * opacity) >> 8) + image);
}

std::uint8_t TintChannel(int channel, int multiplier, int divisor) {
    return static_cast<std::uint8_t>(std::min(255, channel * multiplier / divisor));
}

void CompositeSkinImage(std::uint8_t* bgrx, int width, int height, SkinImage image, int fade,
                        SkinTint tint, int borderMode) {
    if (width < 1 || height < 1 || bgrx == nullptr || image == nullptr) return;
    const int left = borderMode == 2 ? 1 : 2;
    const int top = left;
    const int right = borderMode == 2 ? 3 : 2;
    const int bottom = right;
    const int redMul = static_cast<int>(tint & 0xFF);
    const int greenMul = static_cast<int>((tint >> 8) & 0xFF);
    const int blueMul = static_cast<int>((tint >> 16) & 0xFF);
    const int divisor = static_cast<int>((tint >> 24) & 0xFF);
    const bool tinted = tint != 0 && divisor != 0;

    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const std::uint8_t* source = image + (static_cast<std::size_t>(row) * width + col) * 4;
            std::uint8_t* dest = bgrx + (static_cast<std::size_t>(row) * width + col) * 4;
            int red = source[0];
            int green = source[1];
            int blue = source[2];
            const bool inside = borderMode == 0 || (col >= left && col <= width - right &&
                                                    row >= top && row <= height - bottom);
            if (tinted && inside) {
                red = TintChannel(red, redMul, divisor);
                green = TintChannel(green, greenMul, divisor);
                blue = TintChannel(blue, blueMul, divisor);
            }
            const int opacity = SkinOpacity(source[3], fade);
            dest[0] = BlendChannel(dest[0], blue, opacity);
            dest[1] = BlendChannel(dest[1], green, opacity);
            dest[2] = BlendChannel(dest[2], red, opacity);
        }
    }
}

void CompositeSkinImageRect(std::uint8_t* bgrx, int width, int height, SkinImage image,
                            int imageWidth, int srcX, int srcY) {
    if (width < 1 || height < 1 || bgrx == nullptr || image == nullptr) return;
    if (imageWidth == 0) imageWidth = width;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* source =
            image + (static_cast<std::size_t>(srcY + row) * imageWidth + srcX) * 4;
        std::uint8_t* dest = bgrx + static_cast<std::size_t>(row) * width * 4;
        for (int col = 0; col < width; ++col, source += 4, dest += 4) {
            const int opacity = SkinOpacity(source[3], 255);
            dest[0] = BlendChannel(dest[0], source[2], opacity);
            dest[1] = BlendChannel(dest[1], source[1], opacity);
            dest[2] = BlendChannel(dest[2], source[0], opacity);
        }
    }
}

void MultiplyPixels(std::uint8_t* bgrx, const std::uint8_t* maskBgrx, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, bgrx += 4, maskBgrx += 4) {
        const int m = maskBgrx[0];
        for (int channel = 0; channel < 3; ++channel) {
            bgrx[channel] = static_cast<std::uint8_t>((bgrx[channel] * m + 1) / 256);
        }
    }
}

std::size_t DecodeRle8(const std::uint8_t* data, std::size_t size, int width, int height,
                       std::uint8_t* out) {
    if (data == nullptr || out == nullptr || width < 1 || height < 1) return 0;
    const std::size_t stride = static_cast<std::size_t>(Rle8Stride(width));
    const std::size_t total = stride * static_cast<std::size_t>(height);
    std::size_t pos = 0;  // write position in out
    int row = 0;
    std::size_t read = 0;
    while (read + 2 <= size) {
        const int count = data[read];
        const int value = data[read + 1];
        read += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i, ++pos) {
                if (pos < total) out[pos] = static_cast<std::uint8_t>(value);
            }
        } else if (value == 0) {  // end of line
            ++row;
            if (row >= height) break;
            pos = static_cast<std::size_t>(row) * stride;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta: move right by dx and down by dy lines
            if (read + 2 > size) break;
            const int dx = data[read];
            const int dy = data[read + 1];
            read += 2;
            pos += static_cast<std::size_t>(dx) + static_cast<std::size_t>(dy) * stride;
            row += dy;
        } else {  // absolute run of value bytes, padded to an even length
            for (int i = 0; i < value && read < size; ++i, ++pos, ++read) {
                if (pos < total) out[pos] = data[read];
            }
            if ((value & 1) != 0 && read < size) ++read;
        }
    }
    return read;
}

int PaletteEntryCount(int bitsPerPixel) {
    return bitsPerPixel >= 1 && bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
}
