// The file formats of the skin's resources: device-independent bitmaps (24-bit, 8-bit grey with
// run-length compression, 4-bit with a colour table), raw RGBT images, icons and monochrome
// cursors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/skingen/SkinCanvas.h"

using Bytes = std::vector<std::uint8_t>;

// A 24-bit uncompressed bitmap file.
Bytes Bitmap24(const Canvas& canvas);
// An 8-bit bitmap file with a 256-entry grey palette and run-length compressed rows; the
// picture's green channel gives the grey level.
Bytes Bitmap8Rle(const Canvas& canvas);
// A 4-bit uncompressed bitmap file with the given colour table (at most 16 entries, each
// 0x00RRGGBB) and one palette index per pixel, rows top to bottom.
Bytes Bitmap4(int width, int height, const std::vector<std::uint32_t>& colours,
              const std::vector<std::uint8_t>& indices);

// Run-length compression of one row of 8-bit pixels, without the end-of-line escape.
Bytes EncodeRle8Row(const std::uint8_t* pixels, int width);

// A 32 x 32 monochrome cursor file. Each of the 32 rows is 32 characters: "X" black,
// "o" white, "." transparent.
Bytes Cursor(const char* const rows[32], int hotX, int hotY);

// An icon file with one image of the picture's size: 32-bit colour with its transparency as
// alpha, and the mask that older drawing uses (a pixel less than half opaque is masked out).
Bytes IconFile(const SkinPicture& picture);

// Writes bytes to path; false on failure.
bool WriteFile(const std::string& path, const Bytes& bytes);
