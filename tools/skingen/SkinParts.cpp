// The skin's small pictures.
#include "tools/skingen/SkinParts.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// One grey of a face by row: a soft vertical gradient between top and bottom.
double FaceGrey(int row, int height, double top, double bottom) {
    return top + (bottom - top) * row / std::max(1, height - 1);
}

}  // namespace

SkinPicture ButtonFace(int width, int height, bool pressed) {
    SkinPicture picture(width, height);
    Canvas& paint = picture.Paint();
    const double bodyH = height - 1;  // the last row carries the drop shadow
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double body = RoundRectCoverage(x, y, 0, 0, width, bodyH, 3.0);
            const double inner = RoundRectCoverage(x, y, 1, 1, width - 2, bodyH - 2, 2.0);
            const double shadow = RoundRectCoverage(x, y, 0, 1, width, bodyH, 3.0);
            double face = pressed ? FaceGrey(y, height, 190, 214) : FaceGrey(y, height, 236, 204);
            if (!pressed && y == 1) face = 246;
            if (pressed && y == 1) face = 176;
            if (pressed && y == 2) face = 188;
            const Colour outline = Grey(pressed ? 104 : 122);
            const Colour colour = Mix(outline, Grey(face), inner);
            // Opaque body over a faint shadow one pixel lower.
            const double opacity = body + (1.0 - body) * shadow * 0.22;
            paint.Set(x, y, body > 0 ? colour : Grey(40));
            picture.SetOpacity(x, y, opacity);
        }
    }
    return picture;
}

SkinPicture FieldFace() {
    const int width = 40;
    const int height = 21;
    SkinPicture picture(width, height);
    Canvas& paint = picture.Paint();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double cover = RoundRectCoverage(x, y, 0, 0, width, height, 2.5);
            Colour c = Colour{247, 247, 243};
            if (y == 0 || x == 0)
                c = Grey(y == 0 ? 132 : 142);
            else if (y == height - 1 || x == width - 1)
                c = Grey(y == height - 1 ? 236 : 230);
            else if (y == 1)
                c = Grey(206);
            else if (x == 1)
                c = Grey(218);
            else if (y == 2)
                c = Colour{234, 234, 230};
            paint.Set(x, y, c);
            picture.SetOpacity(x, y, cover);
        }
    }
    return picture;
}

SkinPicture SliderThumb() {
    const int width = 29;
    const int height = 16;
    const double bodyW = 25;
    const double bodyH = 13;
    SkinPicture picture(width, height);
    Canvas& paint = picture.Paint();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double body = RoundRectCoverage(x, y, 0, 0, bodyW, bodyH, 2.5);
            const double inner = RoundRectCoverage(x, y, 1, 1, bodyW - 2, bodyH - 2, 1.5);
            // A soft shadow falling to the lower right.
            const double shadow = 0.30 * RoundRectCoverage(x, y, 2, 2, bodyW, bodyH, 3.0) +
                                  0.12 * RoundRectCoverage(x, y, 3, 3, bodyW, bodyH, 3.5);
            double face = FaceGrey(y, 13, 244, 200);
            if (y == 1) face = 252;
            if (x == 12 && y >= 3 && y <= 9) face = 92;  // the pointer line over the ticks
            if (x == 13 && y >= 3 && y <= 9) face = 250;
            const Colour colour = Mix(Grey(96), Grey(face), inner);
            paint.Set(x, y, body > 0 ? colour : Grey(30));
            picture.SetOpacity(x, y, body + (1.0 - body) * std::min(shadow, 0.42));
        }
    }
    return picture;
}

SkinPicture MeterBar(bool lit) {
    const int width = 12;
    const int height = 144;
    SkinPicture picture(width, height);
    Canvas& paint = picture.Paint();
    // Lit colours by height: red at the top (above -3 dB), yellow, then green.
    auto ledColour = [](int row) {
        const double db = -(row - 2) * 60.0 / 140.0;
        const Colour red = {238, 52, 40};
        const Colour amber = {250, 190, 48};
        const Colour green = {88, 204, 80};
        if (db > -3.0) return red;
        if (db > -6.0) return Mix(red, amber, (-3.0 - db) / 3.0);
        if (db > -12.0) return Mix(amber, green, (-6.0 - db) / 6.0);
        return green;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Colour c;
            if (x == 0 || x == width - 1 || y == 0 || y == height - 1) {
                c = Grey(46);
            } else if (x == 1 || x == width - 2 || y == 1 || y == height - 2) {
                c = Grey(24);
            } else {
                // Rounded segments: 2 lit rows and a dark gap, brighter in the middle columns.
                const bool gap = (y - 2) % 3 == 2;
                const double across = 1.0 - 0.045 * std::abs(2.0 * x - (width - 1));
                if (lit) {
                    const Colour led = ledColour(y);
                    c = gap ? Mix(Grey(20), led, 0.35)
                            : Colour{led.r * across, led.g * across, led.b * across};
                } else {
                    c = gap ? Grey(30) : Grey(58 * across);
                }
            }
            paint.Set(x, y, c);
        }
    }
    return picture;
}

Canvas ClipLamp(int state) {
    const int width = 12;
    const int height = 9;
    const Colour body[3] = {{70, 70, 70}, {128, 26, 20}, {255, 58, 40}};
    const Colour shine[3] = {{96, 96, 96}, {160, 50, 40}, {255, 170, 150}};
    Canvas lamp(width, height, body[state]);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
                lamp.Set(x, y, Grey(34));
            } else if (y == 1 || y == 2) {
                lamp.Set(x, y, Mix(body[state], shine[state], y == 1 ? 0.8 : 0.4));
            } else if (y == height - 2) {
                lamp.Set(x, y, Mix(body[state], Grey(0), 0.25));
            }
        }
    }
    return lamp;
}

std::vector<std::uint8_t> MarkerIndices() {
    static const char* const kRows[11] = {
        ".......", "..###.#", ".#...##", "#...###", "#......", "#.....#",
        "#.....#", ".#...#.", "..###..", ".......", ".......",
    };
    std::vector<std::uint8_t> indices;
    for (const char* row : kRows) {
        for (int x = 0; x < 7; ++x) indices.push_back(row[x] == '#' ? 1 : 0);
    }
    return indices;
}

Canvas ShadeMask(int width, int height) {
    Canvas mask(width, height, Grey(255));
    auto falloff = [](double distance, double reach) {
        const double t = std::max(0.0, 1.0 - distance / reach);
        return t * t;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double left = x + 0.5;
            const double top = y + 0.5;
            const double right = width - x - 0.5;
            const double bottom = height - y - 0.5;
            const double shade = 64 * falloff(top, 7) + 48 * falloff(left, 7) +
                                 26 * falloff(bottom, 5) + 26 * falloff(right, 5);
            mask.Set(x, y, Grey(std::max(150.0, 255.0 - shade)));
        }
    }
    return mask;
}

namespace {

// Interiors of the hand cursors ("o"); the black outline is added around them.
const char* const kOpenHand[16] = {
    "................", ".......oo.......", "....oo.oo.oo....", "....oo.oo.oo....",
    "....oo.oo.oo.oo.", "....oo.oo.oo.oo.", "....oo.oo.oo.oo.", "....oo.oo.oo.oo.",
    ".oo.ooooooooooo.", ".ooooooooooooooo", "..oooooooooooooo", "...oooooooooooo.",
    "....ooooooooooo.", ".....oooooooooo.", "......oooooooo..", "......oooooooo..",
};
const char* const kClosedHand[16] = {
    "................", "................", "................", "................",
    "....oo.oo.oo....", "...ooooooooooo..", "...oooooooooooo.", "..ooooooooooooo.",
    ".oooooooooooooo.", ".oooooooooooooo.", "..ooooooooooooo.", "...oooooooooooo.",
    "....ooooooooooo.", ".....oooooooooo.", "......oooooooo..", "......oooooooo..",
};

using Grid = std::vector<std::string>;

Grid EmptyGrid() {
    return Grid(32, std::string(32, '.'));
}

void Paint(Grid* g, int x, int y) {
    if (x >= 0 && y >= 0 && x < 32 && y < 32) (*g)[y][x] = 'o';
}

// Every transparent pixel next to a white one becomes black.
void Outline(Grid* g) {
    const Grid white = *g;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (white[y][x] == 'o') continue;
            bool next = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < 32 && ny < 32 && white[ny][nx] == 'o')
                        next = true;
                }
            }
            if (next) (*g)[y][x] = 'X';
        }
    }
}

Grid FromArt(const char* const art[16]) {
    Grid g = EmptyGrid();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (art[y][x] == 'o') Paint(&g, x, y);
        }
    }
    return g;
}

// A double arrow along one axis through a bar across it; (cx, cy) is the crossing.
Grid DoubleArrow(bool horizontal, int cx, int cy) {
    Grid g = EmptyGrid();
    auto at = [&](int along, int across) {
        if (horizontal) {
            Paint(&g, cx + along, cy + across);
        } else {
            Paint(&g, cx + across, cy + along);
        }
    };
    for (int i = -7; i <= 7; ++i) at(0, i);  // the bar
    for (int i = -7; i <= 7; ++i) at(i, 0);  // the shaft
    for (int k = 1; k <= 3; ++k) {           // the heads
        at(-7 + k, k);
        at(-7 + k, -k);
        at(7 - k, k);
        at(7 - k, -k);
    }
    return g;
}

}  // namespace

Bytes CursorFile(CursorShape shape) {
    Grid g;
    int hotX = 8;
    int hotY = 7;
    switch (shape) {
        case CursorShape::kOpenHand:
            g = FromArt(kOpenHand);
            break;
        case CursorShape::kClosedHand:
            g = FromArt(kClosedHand);
            break;
        case CursorShape::kLeftRight:
            g = DoubleArrow(true, 9, 8);
            hotX = 9;
            hotY = 8;
            break;
        case CursorShape::kUpDown:
            g = DoubleArrow(false, 8, 9);
            hotX = 8;
            hotY = 9;
            break;
    }
    Outline(&g);
    const char* rows[32];
    for (int y = 0; y < 32; ++y) rows[y] = g[y].c_str();
    return Cursor(rows, hotX, hotY);
}

namespace {

// Paints a rounded rectangle of colour c and opacity alpha over the picture.
void IconRoundRect(SkinPicture& p, double x, double y, double w, double h, double radius, Colour c,
                   double alpha = 1.0) {
    for (int py = 0; py < p.Height(); ++py) {
        for (int px = 0; px < p.Width(); ++px) {
            const double cover = RoundRectCoverage(px, py, x, y, w, h, radius) * alpha;
            if (cover <= 0.0) continue;
            const double under = p.Opacity(px, py);
            const double total = cover + under * (1.0 - cover);
            p.Paint().Set(px, py, Mix(p.Paint().At(px, py), c, total > 0 ? cover / total : 1.0));
            p.SetOpacity(px, py, total);
        }
    }
}

// A folder: the tab, the back and, open, a front flap tilted toward the viewer.
void Folder(SkinPicture& p, bool open) {
    const Colour edge = Grey(96);
    const Colour back = {176, 194, 210};
    const Colour front = open ? Colour{214, 226, 236} : Colour{196, 212, 226};
    IconRoundRect(p, 1, 2, 7, 4, 1.0, edge);
    IconRoundRect(p, 2, 3, 5, 2, 0.5, back);
    IconRoundRect(p, 1, 4, 14, 10, 1.0, edge);
    IconRoundRect(p, 2, 5, 12, 8, 0.5, back);
    if (open) {
        IconRoundRect(p, 3, 7, 12, 7, 1.0, edge);
        IconRoundRect(p, 4, 8, 10, 5, 0.5, front);
    } else {
        IconRoundRect(p, 2, 6, 12, 7, 0.5, front);
        p.Paint().HLine(2, 13, 6, Grey(250), 0.7);
    }
}

}  // namespace

SkinPicture TreeIconPicture(TreeIcon icon) {
    SkinPicture p(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) p.SetOpacity(x, y, 0.0);
    }
    const Colour accent = {46, 104, 150};
    switch (icon) {
        case TreeIcon::kLibrary:
            // The panel: a light face with a dark rim and the displays' blue band.
            IconRoundRect(p, 0, 1, 16, 14, 2.0, Grey(88));
            IconRoundRect(p, 1, 2, 14, 12, 1.5, Grey(226));
            IconRoundRect(p, 3, 4, 10, 7, 0.5, Colour{238, 242, 246});
            for (int x = 3; x < 13; ++x) {
                const int top = x < 6 ? 10 - (x - 3) : (x < 10 ? 7 : 7 + (x - 9));
                p.Paint().VLine(x, top, 10, accent, 0.85);
            }
            break;
        case TreeIcon::kPreset:
            // A card with three sliders.
            IconRoundRect(p, 2, 0, 12, 16, 1.5, Grey(104));
            IconRoundRect(p, 3, 1, 10, 14, 1.0, Colour{247, 247, 243});
            for (int row = 0; row < 3; ++row) {
                const int y = 4 + row * 4;
                p.Paint().HLine(5, 10, y, Grey(150));
                const int knob = 5 + (row * 3 + 2) % 6;
                IconRoundRect(p, knob, y - 1, 2, 3, 0.5, accent);
            }
            break;
        case TreeIcon::kBank:
            Folder(p, false);
            break;
        case TreeIcon::kOpenBank:
            Folder(p, true);
            break;
    }
    return p;
}
