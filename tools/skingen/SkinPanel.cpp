// The page background. Controls paint over their own rectangles; everything around them (the
// panel surface, group separators, labels and units, the display wells with their grids, the
// meter frames and scales, and the product name) lives here.
#include "tools/skingen/SkinPanel.h"

#include <cmath>
#include <cstdint>

#include "tools/skingen/PixelFont.h"
#include "tools/skingen/TitleFont.h"
#include "ui/page/PageLayout.h"

namespace {

using PageLayout::Control;
using PageLayout::Kind;

const Colour kInk = {46, 48, 52};
const Colour kUnitInk = {104, 106, 110};
const Colour kScaleInk = {92, 94, 98};
const Colour kEngraveDark = {150, 150, 146};
const Colour kEngraveLight = {232, 232, 228};
const Colour kAccent = {46, 104, 150};

// A small deterministic generator for the surface grain.
class Grain {
public:
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>((state_ >> 8) & 0xFFFF) / 65535.0 - 0.5;
    }

private:
    std::uint32_t state_ = 0x5EED1234u;
};

void Surface(Canvas& c) {
    Grain grain;
    for (int y = 0; y < c.Height(); ++y) {
        const double t = static_cast<double>(y) / (c.Height() - 1);
        const double row = grain.Next() * 1.2;  // faint horizontal brushing
        for (int x = 0; x < c.Width(); ++x) {
            const double v = 209.0 - 15.0 * t + row + grain.Next() * 1.6;
            c.Set(x, y, {v, v - 1.0, v - 4.5});
        }
    }
    // The panel's edge: a dark line outside, a light one inside.
    c.HLine(0, c.Width() - 1, 0, Grey(120));
    c.HLine(0, c.Width() - 1, c.Height() - 1, Grey(110));
    c.VLine(0, 0, c.Height() - 1, Grey(120));
    c.VLine(c.Width() - 1, 0, c.Height() - 1, Grey(110));
    c.HLine(1, c.Width() - 2, 1, Grey(236), 0.8);
    c.VLine(1, 1, c.Height() - 2, Grey(236), 0.6);
}

// An engraved line: dark, then light below (horizontal) or to the right (vertical).
void EngravedH(Canvas& c, int x1, int x2, int y) {
    c.HLine(x1, x2, y, kEngraveDark);
    c.HLine(x1, x2, y + 1, kEngraveLight);
}

void EngravedV(Canvas& c, int x, int y1, int y2) {
    c.VLine(x, y1, y2, kEngraveDark);
    c.VLine(x + 1, y1, y2, kEngraveLight);
}

// The footer band with the product name.
void Footer(Canvas& c) {
    const int top = 414;
    for (int y = top; y < c.Height() - 1; ++y) {
        c.HLine(1, c.Width() - 2, y, Grey(120), 0.06 + 0.10 * (y - top) / (c.Height() - top));
    }
    EngravedH(c, 1, c.Width() - 2, top - 1);
    const char* name = "Halvern:qv Reverb";
    Colour colours[32];
    for (int i = 0; name[i] != '\0'; ++i) colours[i] = (i >= 7 && i <= 9) ? kAccent : kInk;
    const TitleStyle style = {1.42, 1.55};
    DrawTitle(c, 16, 425, name, style, colours);
}

// The sunken well of a display: a 3-pixel bezel around a light screen with a grid of decades.
void DisplayWell(Canvas& c, const Control& d, bool withTime) {
    const int x = d.x;
    const int y = d.y;
    const int w = d.w;
    const int h = d.h;
    c.FillRect(x + 3, y + 3, w - 6, h - 6, {238, 241, 244});
    // Grid: decades and half decades of frequency across, decades of time upward.
    const double logMin = std::log10(19.0);
    const double logSpan = std::log10(22100.0) - logMin;
    const int plotL = withTime ? 4 : 3;
    const int plotW = withTime ? w - 8 : w - 6;
    const double freqs[] = {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
    for (double f : freqs) {
        const int gx = x + plotL + static_cast<int>((std::log10(f) - logMin) * plotW / logSpan);
        const bool decade = f == 100 || f == 1000 || f == 10000;
        c.VLine(gx, y + 3, y + h - 4, {206, 214, 222}, decade ? 1.0 : 0.45);
    }
    if (withTime) {
        const double tMin = std::log10(60.0);
        const double tSpan = std::log10(40000.0) - tMin;
        const int bottom = h - 4;
        const int plotH = h - 8;
        const double times[] = {100, 1000, 10000};
        for (double t : times) {
            const int gy = y + static_cast<int>(bottom - (std::log10(t) - tMin) * plotH / tSpan);
            c.HLine(x + 3, x + w - 4, gy, {206, 214, 222});
        }
    }
    // Bezel: sunken outer edge, then a dark frame.
    c.HLine(x, x + w - 1, y, Grey(140));
    c.VLine(x, y, y + h - 1, Grey(146));
    c.HLine(x, x + w - 1, y + h - 1, Grey(238));
    c.VLine(x + w - 1, y, y + h - 1, Grey(234));
    for (int ring = 1; ring <= 2; ++ring) {
        const Colour frame = ring == 1 ? Colour{92, 98, 104} : Colour{120, 128, 136};
        c.HLine(x + ring, x + w - 1 - ring, y + ring, frame);
        c.HLine(x + ring, x + w - 1 - ring, y + h - 1 - ring, frame);
        c.VLine(x + ring, y + ring, y + h - 1 - ring, frame);
        c.VLine(x + w - 1 - ring, y + ring, y + h - 1 - ring, frame);
    }
}

// The groove a slider's track runs in.
void SliderGroove(Canvas& c, const Control& s) {
    c.FillRoundRect(s.x + 2, s.y + 4, s.w - 4, 6, 2.5, Grey(150), 0.35);
    c.HLine(s.x + 4, s.x + s.w - 5, s.y + 10, Grey(236), 0.7);
}

// A field's label in front of it and its unit after it.
void FieldTexts(Canvas& c, const Control& f) {
    if (f.label != nullptr) DrawLabel(c, 16, f.y + 7, f.label, kInk);
    if (f.unit != nullptr) DrawLabel(c, f.x + f.w + 5, f.y + 7, f.unit, kUnitInk);
}

// The frame around a clip lamp and its meter, the scale between a pair and its captions.
void MeterFrame(Canvas& c, const Control& m) {
    const int x = m.x - 1;
    const int y = m.y - 10;  // the lamp sits right above the meter
    const int w = m.w + 2;
    const int h = m.h + 11;
    c.HLine(x - 1, x + w, y - 1, Grey(150));
    c.VLine(x - 1, y - 1, y + h, Grey(156));
    c.HLine(x - 1, x + w, y + h, Grey(236));
    c.VLine(x + w, y - 1, y + h, Grey(232));
    c.FillRect(x, y, w, h, Grey(40));
}

void MeterScale(Canvas& c, int leftMeterX, int meterY, const char* caption) {
    const int gutterL = leftMeterX + 13;
    const int gutterR = leftMeterX + 29;
    const int centre = (gutterL + gutterR + 1) / 2;
    for (int db = 0; db <= 60; db += 6) {
        // The row where a level of -db lights up: 2 + db x 140 / 60 below the meter's top.
        const int y = meterY + 2 + static_cast<int>(std::floor(db * 140.0 / 60.0 + 0.5));
        const bool labelled = db % 12 == 0;
        c.HLine(gutterL + 1, gutterL + (labelled ? 2 : 1), y, kScaleInk);
        c.HLine(gutterR - (labelled ? 2 : 1), gutterR - 1, y, kScaleInk);
        if (labelled) {
            char text[4];
            text[0] = static_cast<char>(db >= 10 ? '0' + db / 10 : '0' + db);
            text[1] = db >= 10 ? static_cast<char>('0' + db % 10) : '\0';
            text[2] = '\0';
            DrawTiny(c, centre - TinyWidth(text) / 2, y - 2, text, kScaleInk);
        }
    }
    // IN or OUT under the middle of the pair, L and R flush with the outer edges of the bars so
    // that the three words stand apart.
    const int captionY = meterY + 144 + 4;
    DrawLabel(c, centre - LabelWidth(caption) / 2, captionY, caption, kInk);
    DrawLabel(c, leftMeterX, captionY, "L", kUnitInk);
    DrawLabel(c, leftMeterX + 42 - LabelWidth("R"), captionY, "R", kUnitInk);
}

// The plate behind a peak readout.
void ReadoutPlate(Canvas& c, const Control& t) {
    c.FillRoundRect(t.x, t.y, t.w, t.h + 1, 2.0, Grey(150), 0.18);
    c.FillRoundRect(t.x + 0.5, t.y + 1, t.w - 1, t.h - 0.5, 1.5, {222, 223, 220});
}

}  // namespace

Canvas PageBackground() {
    Canvas c(PageLayout::kWidth, PageLayout::kHeight, Grey(200));
    Surface(c);

    // The toolbar band behind the top buttons, a shade darker than the panel.
    for (int y = 2; y < 41; ++y) c.HLine(2, PageLayout::kWidth - 3, y, Grey(90), 0.07);
    // The meter bridge: a shallow recess around the meters and their readouts.
    c.FillRoundRect(344, 44, 69, 366, 4.0, Grey(90), 0.08);

    // Header, group separators and the meter column.
    EngravedH(c, 10, PageLayout::kWidth - 11, 41);
    for (int y : {124, 201, 301, 379}) EngravedH(c, 12, 336, y);
    EngravedV(c, 340, 44, 410);

    for (const Control& k : PageLayout::kControls) {
        switch (k.kind) {
            case Kind::kField:
                FieldTexts(c, k);
                break;
            case Kind::kSlider:
                SliderGroove(c, k);
                break;
            case Kind::kFreq:
                DisplayWell(c, k, false);
                break;
            case Kind::kRevTime:
                DisplayWell(c, k, true);
                break;
            case Kind::kMeter:
                MeterFrame(c, k);
                break;
            case Kind::kPeakText:
                ReadoutPlate(c, k);
                break;
            case Kind::kButton:
                break;
        }
    }
    MeterScale(c, 352, 64, "IN");
    MeterScale(c, 352, 248, "OUT");
    Footer(c);
    return c;
}
