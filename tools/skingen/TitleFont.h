// The product name's lettering: a geometric sans drawn from strokes (lines and elliptic arcs)
// and rendered anti-aliased, for the few letters the name needs.
#pragma once

#include "tools/skingen/SkinCanvas.h"

struct TitleStyle {
    double scale;        // pixels per design unit; capitals are 10 units tall
    double strokeWidth;  // pixels
};

// Width in pixels of text set in the title lettering.
double TitleWidth(const char* text, const TitleStyle& style);
// Draws text with the top of its capitals at y and its baseline 10 units lower. Each character
// takes its colour from colours[i] (one per character of text).
void DrawTitle(Canvas& canvas, double x, double y, const char* text, const TitleStyle& style,
               const Colour* colours);
