// The skin's resources: their numbers, and the loading of bitmap resources (with 8-bit
// run-length decoding and palettes) and of the raw RCDATA images. The resource script is
// resources/Skin.rc; tools/skingen makes the files it carries.
#pragma once

#include <cstddef>

#include "platform/Platform.h"
#include "ui/controls/SkinPixels.h"

namespace SkinId {
// Bitmaps.
constexpr int kBackground = 103;      // 428 x 453, 24-bit: the editor page
constexpr int kRevTimeShade = 130;    // 148 x 84, 8-bit grey: overlay of the reverb-time display
constexpr int kFreqShade = 131;       // 148 x 38, 8-bit grey: overlay of the frequency display
constexpr int kClipLampDark = 140;    // 12 x 9: clip indicator, state 0
constexpr int kClipLampRed = 139;     // state 1
constexpr int kClipLampBright = 141;  // state 2 and more
constexpr int kMarker = 7500;         // 7 x 11, 4-bit, magenta transparent: circular arrow
// RCDATA skin images (width x height).
constexpr int kFieldFace = 120;    // 40 x 21
constexpr int kMeterLit = 121;     // 12 x 144
constexpr int kCopyPressed = 122;  // 15 x 21
constexpr int kSetupNormal = 123;  // 61 x 21
constexpr int kSetupPressed = 124;
constexpr int kWideNormal = 125;  // 76 x 21: Undo, Reset, Presets, Stereo
constexpr int kWidePressed = 126;
constexpr int kSliderThumb = 127;  // 29 x 16
constexpr int kMeterUnlit = 128;   // 12 x 144
constexpr int kCopyNormal = 129;   // 15 x 21
constexpr int kHelpPressed = 132;  // 24 x 21
constexpr int kHelpNormal = 133;
constexpr int kSmallPressed = 134;  // 36 x 21: Mute, Tail
constexpr int kSmallNormal = 135;
constexpr int kBypassPressed = 136;  // 50 x 21
constexpr int kBypassNormal = 137;
// Cursors (32 x 32 monochrome).
constexpr int kOpenHandCursor = 117;
constexpr int kClosedHandCursor = 118;
constexpr int kLeftRightCursor = 257;
constexpr int kUpDownCursor = 258;
}  // namespace SkinId

// Builds a logical palette from the colour table that follows a bitmap header. Returns none and
// *outCount = 0 for more than 8 bits per pixel. The caller owns the palette.
HPALETTE CreateDibPalette(const BITMAPINFOHEADER* header, int* outCount);

// A device-dependent bitmap made from a packed device-independent bitmap (header, colour table,
// bits) of size bytes, uncompressed or 8-bit run-length; *outPalette (may be null) receives the
// palette of its colour table or none. Returns none for data it cannot read. The caller owns both.
HBITMAP CreateSkinBitmap(const BITMAPINFOHEADER* header, std::size_t size, HPALETTE* outPalette);

// The bitmap resource resourceId of module, made as by CreateSkinBitmap; none when the resource
// does not exist.
HBITMAP LoadSkinBitmap(HINSTANCE module, int resourceId, HPALETTE* outPalette);

// The bytes of RCDATA resource resourceId, or none when it is missing. Read-only, valid while the
// module is loaded, never freed.
SkinImage LockSkinImage(HINSTANCE module, int resourceId);
