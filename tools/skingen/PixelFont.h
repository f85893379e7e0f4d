// The labels' typeface: a proportional bitmap font drawn by hand for this panel, with a cap
// height of 8 pixels, an x-height of 6 and 2-pixel descenders, and a tiny 3 x 5 face for scale
// numbers. Crisp at 1:1, as small panel lettering needs to be.
#pragma once

#include "tools/skingen/SkinCanvas.h"

// Width in pixels of text in the label face (1 pixel between letters).
int LabelWidth(const char* text);
// Draws text in the label face with the top of its capitals at (x, y).
void DrawLabel(Canvas& canvas, int x, int y, const char* text, Colour colour, double alpha = 1.0);

// The tiny face: digits, "k", "s", "H", "z", ".", "-" and "+", 5 pixels tall.
int TinyWidth(const char* text);
void DrawTiny(Canvas& canvas, int x, int y, const char* text, Colour colour, double alpha = 1.0);
