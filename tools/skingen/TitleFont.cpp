// The product name's stroke lettering. Design units: capitals from y = 0 to the baseline at
// y = 10, x-height from y = 3, descenders to y = 13.5; x grows to the right.
#include "tools/skingen/TitleFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Point {
    double x, y;
};

struct Segment {
    Point a, b;
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kLetterGap = 2.3;  // units between letters
constexpr double kSpace = 3.6;      // units of a space

// An arc of the ellipse centred at (cx, cy) with radii (rx, ry), from angle a0 to a1 in degrees
// (0 = right, 90 = down), as short segments.
void AddArc(std::vector<Segment>* out, double cx, double cy, double rx, double ry, double a0,
            double a1) {
    const int steps = 24;
    Point previous = {cx + rx * std::cos(a0 * kPi / 180.0), cy + ry * std::sin(a0 * kPi / 180.0)};
    for (int i = 1; i <= steps; ++i) {
        const double t = (a0 + (a1 - a0) * i / steps) * kPi / 180.0;
        const Point next = {cx + rx * std::cos(t), cy + ry * std::sin(t)};
        out->push_back({previous, next});
        previous = next;
    }
}

void AddLine(std::vector<Segment>* out, double x1, double y1, double x2, double y2) {
    out->push_back({{x1, y1}, {x2, y2}});
}

// The strokes of one letter at the origin; returns its advance width (without the gap).
double LetterStrokes(char c, std::vector<Segment>* out) {
    switch (c) {
        case 'H':
            AddLine(out, 0, 0, 0, 10);
            AddLine(out, 6.4, 0, 6.4, 10);
            AddLine(out, 0, 5, 6.4, 5);
            return 6.4;
        case 'R':
            AddLine(out, 0, 0, 0, 10);
            AddLine(out, 0, 0, 3.4, 0);
            AddArc(out, 3.4, 2.7, 2.7, 2.7, -90, 90);
            AddLine(out, 3.4, 5.4, 0, 5.4);
            AddLine(out, 3.0, 5.4, 6.2, 10);
            return 6.2;
        case 'a':
            AddArc(out, 2.9, 6.5, 2.9, 3.5, 0, 360);
            AddLine(out, 5.8, 3, 5.8, 10);
            return 5.8;
        case 'b':
            AddLine(out, 0, 0, 0, 10);
            AddArc(out, 2.9, 6.5, 2.9, 3.5, 0, 360);
            return 5.8;
        case 'e':
            AddLine(out, 0, 6.5, 5.8, 6.5);
            AddArc(out, 2.9, 6.5, 2.9, 3.5, 0, -315);
            return 5.8;
        case 'l':
            AddLine(out, 0, 0, 0, 10);
            return 0;
        case 'n':
            AddLine(out, 0, 3, 0, 10);
            AddArc(out, 2.8, 6.0, 2.8, 3.0, 180, 360);
            AddLine(out, 5.6, 6.0, 5.6, 10);
            return 5.6;
        case 'q':
            AddArc(out, 2.9, 6.5, 2.9, 3.5, 0, 360);
            AddLine(out, 5.8, 3, 5.8, 13.5);
            return 5.8;
        case 'r':
            AddLine(out, 0, 3, 0, 10);
            AddArc(out, 3.4, 6.8, 3.4, 3.8, 180, 265);
            return 3.4;
        case 'v':
            AddLine(out, 0, 3, 2.8, 10);
            AddLine(out, 2.8, 10, 5.6, 3);
            return 5.6;
        case ':':
            AddLine(out, 0.3, 4.3, 0.3, 4.3);
            AddLine(out, 0.3, 9.6, 0.3, 9.6);
            return 0.6;
        default:
            return kSpace - kLetterGap;
    }
}

double DistanceToSegment(Point p, const Segment& s) {
    const double dx = s.b.x - s.a.x;
    const double dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = s.a.x + t * dx - p.x;
    const double ey = s.a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

double TitleWidth(const char* text, const TitleStyle& style) {
    double width = 0;
    std::vector<Segment> scratch;
    for (const char* p = text; *p != '\0'; ++p) {
        width += LetterStrokes(*p, &scratch) + (p[1] != '\0' ? kLetterGap : 0.0);
    }
    return width * style.scale + style.strokeWidth;
}

void DrawTitle(Canvas& canvas, double x, double y, const char* text, const TitleStyle& style,
               const Colour* colours) {
    const double half = style.strokeWidth / 2.0;
    double penX = x + half;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        std::vector<Segment> strokes;
        const double advance = LetterStrokes(text[i], &strokes);
        for (Segment& s : strokes) {
            s.a = {penX + s.a.x * style.scale, y + s.a.y * style.scale};
            s.b = {penX + s.b.x * style.scale, y + s.b.y * style.scale};
        }
        if (!strokes.empty()) {
            const int x0 = static_cast<int>(std::floor(penX - half - 1));
            const int x1 = static_cast<int>(std::ceil(penX + advance * style.scale + half + 1));
            const int y0 = static_cast<int>(std::floor(y - half - 1));
            const int y1 = static_cast<int>(std::ceil(y + 14 * style.scale + half + 1));
            for (int py = y0; py <= y1; ++py) {
                for (int px = x0; px <= x1; ++px) {
                    int covered = 0;
                    for (int sy = 0; sy < 4; ++sy) {
                        for (int sx = 0; sx < 4; ++sx) {
                            const Point q = {px + (sx + 0.5) / 4.0, py + (sy + 0.5) / 4.0};
                            for (const Segment& s : strokes) {
                                if (DistanceToSegment(q, s) <= half) {
                                    ++covered;
                                    break;
                                }
                            }
                        }
                    }
                    canvas.Blend(px, py, colours[i], covered / 16.0);
                }
            }
        }
        penX += (advance + kLetterGap) * style.scale;
    }
}
