// Pixel arithmetic of the skin over plain buffers: compositing of the semi-transparent skin
// images with fade and tint, darkening by a grey mask, and decoding of 8-bit run-length bitmaps.
// The drawing primitives (SkinDrawing.h) run these on pixels read from device contexts; they
// need no operating system and are tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

// A skin image: width x height pixels of four bytes R, G, B, T (T = 0 shows the image pixel,
// 255 the background), rows top to bottom, no header and no padding. The size is not stored:
// an image is always drawn into an area of exactly its own size. Not owned: it points into the
// module's resources.
using SkinImage = const std::uint8_t*;

// A tint: bits 0-7 red multiplier, 8-15 green, 16-23 blue, 24-31 the common divisor; 0 = none.
using SkinTint = std::uint32_t;

// The warm amber cast of lit buttons and focused slider thumbs: divisor 235, red x 255,
// green x 248, blue x 120.
inline constexpr SkinTint kStandardTint = 0xEB78F8FF;

// Opacity of an image pixel of transparency t at fade 0-255 (255 = as stored): 0 shows the
// image, 256 the background, 2-255 blend.
int SkinOpacity(int transparency, int fade);

// One channel blended: floor((background - image) x opacity / 256) + image.
std::uint8_t BlendChannel(int background, int image, int opacity);

// A channel multiplied by its tint multiplier and divided by the divisor, at most 255.
std::uint8_t TintChannel(int channel, int multiplier, int divisor);

// Composites a width x height skin image over a buffer of the same size whose pixels are four
// bytes B, G, R, unused, rows top to bottom. fade 0-255; tint 0 for none; borderMode 0 tints
// every pixel, 1 spares a frame of 2 pixels at the left and top and 1 at the right and bottom,
// 2 spares 1 at the left and top and 2 at the right and bottom.
void CompositeSkinImage(std::uint8_t* bgrx, int width, int height, SkinImage image, int fade,
                        SkinTint tint, int borderMode);

// Composites the width x height part at (srcX, srcY) of a skin image that is imageWidth pixels
// wide (0 means width) over a B, G, R, unused buffer of width x height; untinted, unfaded.
void CompositeSkinImageRect(std::uint8_t* bgrx, int width, int height, SkinImage image,
                            int imageWidth, int srcX, int srcY);

// Darkens count B, G, R, unused pixels by a grey mask of the same layout: each channel c
// becomes (c x m + 1) / 256 with m the mask pixel's blue byte.
void MultiplyPixels(std::uint8_t* bgrx, const std::uint8_t* maskBgrx, std::size_t count);

// Row length in bytes of an uncompressed 8-bit bitmap of the given width.
inline int Rle8Stride(int width) {
    return (width + 3) & ~3;
}

// Decodes 8-bit run-length bitmap data (pairs of count and value with the escapes end of line,
// end of bitmap, delta and absolute run) into out, which holds height x Rle8Stride(width) bytes
// and is left untouched where the data skips pixels. Reads at most size bytes and never writes
// past the buffer. Returns the number of bytes of data consumed.
std::size_t DecodeRle8(const std::uint8_t* data, std::size_t size, int width, int height,
                       std::uint8_t* out);

// Entries of the colour table a palette is built from: 2^bitsPerPixel for 1 to 8 bits per
// pixel, otherwise 0 (no palette).
int PaletteEntryCount(int bitsPerPixel);
