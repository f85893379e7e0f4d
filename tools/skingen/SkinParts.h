// The skin's small pictures: button, field and thumb faces, meter bars, clip lamps, the marker,
// the displays' shading masks and the cursors.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/skingen/SkinCanvas.h"
#include "tools/skingen/SkinWriters.h"

SkinPicture ButtonFace(int width, int height, bool pressed);
SkinPicture FieldFace();
SkinPicture SliderThumb();
SkinPicture MeterBar(bool lit);
Canvas ClipLamp(int state);  // 0 dark, 1 dark red, 2 bright red
// The circular-arrow marker: palette indices (0 magenta key, 1 ink) of 7 x 11 pixels.
std::vector<std::uint8_t> MarkerIndices();
// White in the middle, falling to grey at the edges, darker along the top and left.
Canvas ShadeMask(int width, int height);

// The Preset Manager's tree icons, 16 x 16: the preset library (a small reverb panel), a
// preset (a card with three settings), a bank (a closed folder) and an open bank.
enum class TreeIcon { kLibrary, kPreset, kBank, kOpenBank };
SkinPicture TreeIconPicture(TreeIcon icon);

enum class CursorShape { kOpenHand, kClosedHand, kLeftRight, kUpDown };
Bytes CursorFile(CursorShape shape);
