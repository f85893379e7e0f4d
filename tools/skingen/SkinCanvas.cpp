// The skin generator's drawing surfaces.
#include "tools/skingen/SkinCanvas.h"

#include <algorithm>
#include <cmath>

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint8_t ToByte(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {}

void Canvas::Set(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[Index(x, y)] = c;
}

void Canvas::Blend(int x, int y, Colour c, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0) return;
    Colour& p = pixels_[Index(x, y)];
    p = Mix(p, c, std::min(alpha, 1.0));
}

void Canvas::FillRect(int x, int y, int w, int h, Colour c, double alpha) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) Blend(i, j, c, alpha);
    }
}

void Canvas::GradientRect(int x, int y, int w, int h, Colour top, Colour bottom) {
    for (int j = 0; j < h; ++j) {
        const Colour c = Mix(top, bottom, h > 1 ? static_cast<double>(j) / (h - 1) : 0.0);
        for (int i = 0; i < w; ++i) Set(x + i, y + j, c);
    }
}

double RoundRectCoverage(double px, double py, double x, double y, double w, double h,
                         double radius) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            const double qx = px + (sx + 0.5) / 4.0;
            const double qy = py + (sy + 0.5) / 4.0;
            if (qx < x || qy < y || qx > x + w || qy > y + h) continue;
            // Distance into the corner squares decides the rounding.
            const double cx = std::clamp(qx, x + radius, x + w - radius);
            const double cy = std::clamp(qy, y + radius, y + h - radius);
            const double dx = qx - cx;
            const double dy = qy - cy;
            if (dx * dx + dy * dy <= radius * radius) ++inside;
        }
    }
    return inside / 16.0;
}

void Canvas::FillRoundRect(double x, double y, double w, double h, double radius, Colour c,
                           double alpha) {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const int x1 = static_cast<int>(std::ceil(x + w));
    const int y1 = static_cast<int>(std::ceil(y + h));
    for (int j = y0; j < y1; ++j) {
        for (int i = x0; i < x1; ++i) {
            Blend(i, j, c, alpha * RoundRectCoverage(i, j, x, y, w, h, radius));
        }
    }
}

void Canvas::HLine(int x1, int x2, int y, Colour c, double alpha) {
    for (int x = x1; x <= x2; ++x) Blend(x, y, c, alpha);
}

void Canvas::VLine(int x, int y1, int y2, Colour c, double alpha) {
    for (int y = y1; y <= y2; ++y) Blend(x, y, c, alpha);
}

std::vector<std::uint8_t> Canvas::RowBgr(int y) const {
    std::vector<std::uint8_t> row;
    row.reserve(static_cast<std::size_t>(width_) * 3);
    for (int x = 0; x < width_; ++x) {
        const Colour& c = pixels_[Index(x, y)];
        row.push_back(ToByte(c.b));
        row.push_back(ToByte(c.g));
        row.push_back(ToByte(c.r));
    }
    return row;
}

std::uint8_t Canvas::GreyByte(int x, int y) const {
    return ToByte(pixels_[Index(x, y)].g);
}

SkinPicture::SkinPicture(int width, int height)
    : canvas_(width, height, Grey(0)), opacity_(static_cast<std::size_t>(width) * height, 1.0) {}

void SkinPicture::SetOpacity(int x, int y, double opacity) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    opacity_[y * Width() + x] = std::clamp(opacity, 0.0, 1.0);
}

std::vector<std::uint8_t> SkinPicture::RawBytes() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(Width()) * Height() * 4);
    for (int y = 0; y < Height(); ++y) {
        for (int x = 0; x < Width(); ++x) {
            const Colour c = canvas_.At(x, y);
            bytes.push_back(ToByte(c.r));
            bytes.push_back(ToByte(c.g));
            bytes.push_back(ToByte(c.b));
            bytes.push_back(ToByte(255.0 * (1.0 - Opacity(x, y))));
        }
    }
    return bytes;
}
