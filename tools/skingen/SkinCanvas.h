// The skin generator's drawing surfaces: an opaque RGB canvas for the page background and
// bitmaps, and an RGB + transparency image for the raw skin images. Colours are kept as doubles
// while drawing and rounded once when written, so that the output is the same on every run.
#pragma once

#include <cstdint>
#include <vector>

struct Colour {
    double r, g, b;
};

constexpr Colour Grey(double v) {
    return {v, v, v};
}
Colour Mix(Colour a, Colour b, double t);  // a at t = 0, b at t = 1

// An RGB picture with coverage-based drawing.
class Canvas {
public:
    Canvas(int width, int height, Colour fill);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Colour At(int x, int y) const { return pixels_[Index(x, y)]; }
    void Set(int x, int y, Colour c);
    // Covers the pixel by alpha (0..1) with c; outside pixels are ignored.
    void Blend(int x, int y, Colour c, double alpha);
    void FillRect(int x, int y, int w, int h, Colour c, double alpha = 1.0);
    // Vertical gradient from top to bottom colour over the rectangle.
    void GradientRect(int x, int y, int w, int h, Colour top, Colour bottom);
    // A rounded rectangle with anti-aliased corners (radius in pixels).
    void FillRoundRect(double x, double y, double w, double h, double radius, Colour c,
                       double alpha = 1.0);
    // Horizontal and vertical one-pixel lines, end inclusive.
    void HLine(int x1, int x2, int y, Colour c, double alpha = 1.0);
    void VLine(int x, int y1, int y2, Colour c, double alpha = 1.0);
    // The bytes B, G, R of row y (for bitmap writers), values rounded and clamped.
    std::vector<std::uint8_t> RowBgr(int y) const;
    std::uint8_t GreyByte(int x, int y) const;

private:
    int Index(int x, int y) const { return y * width_ + x; }
    int width_;
    int height_;
    std::vector<Colour> pixels_;
};

// Coverage (0..1) of the pixel at (px, py) by a rounded rectangle, by 4 x 4 supersampling.
double RoundRectCoverage(double px, double py, double x, double y, double w, double h,
                         double radius);

// A skin image: colour plus transparency (0 = image, 255 = background) per pixel.
class SkinPicture {
public:
    SkinPicture(int width, int height);
    int Width() const { return canvas_.Width(); }
    int Height() const { return canvas_.Height(); }
    Canvas& Paint() { return canvas_; }
    // Opacity per pixel, 0..1 (1 = the image fully).
    void SetOpacity(int x, int y, double opacity);
    double Opacity(int x, int y) const { return opacity_[y * Width() + x]; }
    // Bytes R, G, B, T row by row, top to bottom.
    std::vector<std::uint8_t> RawBytes() const;

private:
    Canvas canvas_;
    std::vector<double> opacity_;
};

std::uint8_t ToByte(double v);
