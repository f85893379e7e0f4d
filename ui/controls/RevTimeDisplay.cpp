// "qv:RevTime": the reverb's decay time over frequency on logarithmic axes (19 Hz to 22.1 kHz
// across, 60 ms to 40 s upward): a bass block up to the crossover, as high as the bass decay
// time, and a main block from the crossover to the high-damping frequency, as high as the decay
// time, with a sloped right side. A handle at each block's top right corner drags that corner;
// the vertical edges and top lines drag alone, with resize cursors. New values are posted to the
// parent (QVR_CHANGED) in the display's units.
#include <algorithm>

#include "ui/controls/ControlWindow.h"
#include "ui/controls/LogAxis.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SkinResources.h"

namespace {

constexpr int kHandleSize = 7;
constexpr COLORREF kOutline = RGB(83, 146, 193);
constexpr COLORREF kBassLight = RGB(124, 182, 220);
constexpr COLORREF kMainLight = RGB(191, 220, 237);
constexpr COLORREF kMainDark = RGB(124, 182, 220);
constexpr COLORREF kHandleOutline = RGB(96, 96, 96);
constexpr COLORREF kHandleIdle = RGB(255, 255, 255);
constexpr COLORREF kHandleDragged = RGB(255, 255, 128);

enum Handle { kNone = -1, kBassHandle = 0, kMainHandle = 1 };

// What the pointer was over at the last cursor query; the bits choose the drag's axes.
enum HoverZone {
    kCrossoverEdge = 1,
    kDampingEdge = 2,
    kBassTop = 4,
    kMainTop = 8,
    kAnywhere = 15,
};

// Value indices of QVR_SETVALUE and QVR_CHANGED.
enum ValueIndex { kBassMultIndex = 0, kCrossoverIndex = 1, kDecayIndex = 2, kDampingIndex = 3 };

struct Limits {
    int minimum;
    int maximum;
};
constexpr Limits kBassMultLimits = {2, 30};
constexpr Limits kCrossoverLimits = {25, 2000};
constexpr Limits kDecayLimits = {100, 20000};
constexpr Limits kDampingLimits = {500, 22100};

struct RevTimeRecord {
    int bassMult = 10;     // tenths
    int crossover = 500;   // Hz
    int decay = 1500;      // ms
    int damping = 4000;    // Hz
    int bassDecay = 1500;  // ms, decay x bassMult / 10
    LogAxis freqAxis = MakeLogAxis(19.0, 22100.0);
    LogAxis timeAxis = MakeLogAxis(60.0, 40000.0);
    int handle = kNone;
    int grabX = 0;
    int grabY = 0;
    int hoverZone = 0;
    HBITMAP background = nullptr;  // page background, not owned
    HBITMAP overlay = nullptr;     // shading mask, not owned
    COLORREF mainFill = RGB(178, 214, 234);
    COLORREF bassFill = RGB(106, 171, 214);
    COLORREF mainFillDisabled = RGB(192, 192, 192);
    COLORREF bassFillDisabled = RGB(152, 152, 152);
};

int Clamp(int v, Limits limits) {
    return std::clamp(v, limits.minimum, limits.maximum);
}

// A plot rectangle: drawing uses the client rectangle inset by 4, mouse handling inset by 2.
struct Plot {
    int left, top, right, bottom;
    int X(const RevTimeRecord* r, int hz) const {
        return AxisPosition(r->freqAxis, hz, left, right - left);
    }
    int Y(const RevTimeRecord* r, int ms) const {
        return AxisPositionUp(r->timeAxis, ms, bottom, bottom - top);
    }
    int Hz(const RevTimeRecord* r, int x) const {
        return AxisValue(r->freqAxis, x, left, right - left);
    }
    int Ms(const RevTimeRecord* r, int y) const {
        return AxisValueUp(r->timeAxis, y, bottom, bottom - top);
    }
};

Plot PlotOf(HWND window, int inset) {
    RECT client;
    GetClientRect(window, &client);
    return {inset, inset, client.right - inset, client.bottom - inset};
}

// Geometry of the two blocks on a plot.
struct Blocks {
    int xC, xD, yB, yM;
};

Blocks BlocksOn(const RevTimeRecord* r, const Plot& p) {
    return {p.X(r, r->crossover), p.X(r, r->damping), p.Y(r, r->bassDecay), p.Y(r, r->decay)};
}

void FillPolygon(HDC dc, const POINT* points, int count, COLORREF fill) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kOutline));
    GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    SelectScope selectPen(dc, pen.Get());
    SelectScope selectBrush(dc, brush.Get());
    Polygon(dc, points, count);
}

void DrawHandle(HDC dc, int left, int top, bool dragged) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kHandleOutline));
    GdiObject<HBRUSH> brush(CreateSolidBrush(dragged ? kHandleDragged : kHandleIdle));
    SelectScope selectPen(dc, pen.Get());
    SelectScope selectBrush(dc, brush.Get());
    Rectangle(dc, left, top, left + kHandleSize, top + kHandleSize);
}

void Paint(HWND window, RevTimeRecord* r) {
    PaintCycle cycle(window, r->background);
    if (!cycle) return;
    HDC dc = cycle.Dc();
    const int w = cycle.Width();
    const int h = cycle.Height();
    IntersectClipRect(dc, 3, 3, w - 3, h - 3);
    const Plot p = PlotOf(window, 4);
    const int L = p.left;
    const int B = p.bottom;
    const Blocks k = BlocksOn(r, p);
    const bool enabled = IsWindowEnabled(window) != FALSE;

    const POINT bass[4] = {{L - 1, k.yB}, {k.xC, k.yB}, {k.xC, B}, {L - 1, B}};
    FillPolygon(dc, bass, 4, enabled ? r->bassFill : r->bassFillDisabled);
    DrawLine(dc, L - 1, k.yB, k.xC - 1, k.yB, kBassLight);
    DrawLine(dc, L - 1, k.yB + 1, k.xC - 1, k.yB + 1, kBassLight);
    DrawLine(dc, L - 1, k.yB, L - 1, B, kBassLight);
    DrawLine(dc, L, k.yB, L, B - 1, kBassLight);
    DrawLine(dc, k.xC - 1, k.yB, k.xC - 1, B - 1, kOutline);
    DrawLine(dc, L, B - 1, k.xC, B - 1, kOutline);

    const COLORREF mainFill = enabled ? r->mainFill : r->mainFillDisabled;
    const int xS = k.xD + (B - k.yM) / 2;
    if (k.xC >= k.xD) {
        const POINT triangle[3] = {{k.xD, k.yM}, {xS, B}, {k.xD, B}};
        FillPolygon(dc, triangle, 3, mainFill);
    } else {
        const POINT main[4] = {{k.xC, k.yM}, {k.xD, k.yM}, {xS, B}, {k.xC, B}};
        FillPolygon(dc, main, 4, mainFill);
        DrawLine(dc, k.xC + 1, k.yM, k.xD - 1, k.yM, kMainLight);
        DrawLine(dc, k.xC + 1, k.yM + 1, k.xD - 1, k.yM + 1, kMainLight);
        DrawLine(dc, k.xC + 1, k.yM, k.xC + 1, B, kMainLight);
        DrawLine(dc, k.xC + 2, k.yM, k.xC + 2, B - 1, kMainLight);
        DrawLine(dc, k.xC + 2, B - 1, xS, B - 1, kMainDark);
        DrawLine(dc, k.xD - 1, k.yM, xS - 1, B - 1, kMainDark);
    }

    DrawHandle(dc, k.xC - 6, k.yB, r->handle == kBassHandle);
    DrawHandle(dc, k.xD - 6, k.yM, r->handle == kMainHandle);

    if (r->overlay != nullptr) MultiplyBlitBitmap(dc, 3, 3, w - 6, h - 6, r->overlay);
    cycle.Present();
}

void Post(HWND window, int index, int value) {
    PostMessageA(GetParent(window), QVR_CHANGED, MAKEWPARAM(ControlId(window), index), value);
}

LRESULT SetCursorFor(HWND window, RevTimeRecord* r) {
    POINT pointer;
    GetCursorPos(&pointer);
    ScreenToClient(window, &pointer);
    const int x = pointer.x;
    const int y = pointer.y;
    const Blocks k = BlocksOn(r, PlotOf(window, 2));
    int cursor = 0;
    if (x < k.xC - 7 && k.yB - 2 <= y && y <= k.yB + 2) {
        cursor = SkinId::kUpDownCursor;
        r->hoverZone = kBassTop;
    } else if (k.xC < x && x < k.xD - 7 && k.yM - 2 <= y && y <= k.yM + 2) {
        cursor = SkinId::kUpDownCursor;
        r->hoverZone = kMainTop;
    } else if (k.xC - 2 <= x && x <= k.xC + 2 && y > k.yB + 7) {
        cursor = SkinId::kLeftRightCursor;
        r->hoverZone = kCrossoverEdge;
    } else if (k.xD - 2 <= x && x <= k.xD + 2 && y > k.yM + 7) {
        cursor = SkinId::kLeftRightCursor;
        r->hoverZone = kDampingEdge;
    } else {
        r->hoverZone = kAnywhere;
    }
    SetCursor(cursor != 0 ? LoadCursorA(SkinModule, MAKEINTRESOURCEA(cursor))
                          : LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

void Press(HWND window, RevTimeRecord* r, LPARAM lParam, bool doubleClick) {
    const int x = PointerX(lParam);
    const int y = PointerY(lParam);
    const Blocks k = BlocksOn(r, PlotOf(window, 2));
    r->handle = kNone;
    if ((k.xC - 6 <= x && x < k.xC + 1 && k.yB <= y && y < k.yB + kHandleSize) ||
        r->hoverZone == kCrossoverEdge || r->hoverZone == kBassTop) {
        r->handle = kBassHandle;
        r->grabX = x - k.xC;
        r->grabY = y - k.yB;
    }
    if ((k.xD - 6 <= x && x < k.xD + 1 && k.yM <= y && y < k.yM + kHandleSize) ||
        r->hoverZone == kDampingEdge || r->hoverZone == kMainTop) {
        r->handle = kMainHandle;
        r->grabX = x - k.xD;
        r->grabY = y - k.yM;
    }
    if (doubleClick) {
        PostMessageA(GetParent(window), QVR_DBLCLK, static_cast<WPARAM>(ControlId(window)),
                     r->handle);
        r->handle = kNone;
    } else if (r->handle != kNone) {
        Paint(window, r);
        SetCapture(window);
        RevTimeDragActive = true;
    }
    SetFocus(window);
}

void Move(HWND window, RevTimeRecord* r, LPARAM lParam) {
    if (r->handle == kNone) return;
    RECT client;
    GetClientRect(window, &client);
    const int x = std::min<int>(PointerX(lParam), (client.right - 4) + 20);
    const int y = std::max(PointerY(lParam), -20);
    const int xa = x - r->grabX;
    const int ya = y - r->grabY;
    const Plot p = PlotOf(window, 2);
    if (r->handle == kMainHandle) {
        if ((r->hoverZone & kDampingEdge) != 0) {
            r->damping = Clamp(p.Hz(r, xa), kDampingLimits);
            Post(window, kDampingIndex, r->damping);
        }
        if ((r->hoverZone & kMainTop) != 0) {
            r->decay = Clamp(p.Ms(r, ya), kDecayLimits);
            r->bassDecay = static_cast<int>(static_cast<long long>(r->decay) * r->bassMult / 10);
            Post(window, kDecayIndex, r->decay);
        }
    } else {
        if ((r->hoverZone & kCrossoverEdge) != 0) {
            r->crossover = Clamp(p.Hz(r, xa), kCrossoverLimits);
            Post(window, kCrossoverIndex, r->crossover);
        }
        if ((r->hoverZone & kBassTop) != 0 && r->decay > 0) {
            // The bass height moves in tenths of the multiplier; the decay time stays.
            const long long bassDecay = p.Ms(r, ya);
            r->bassMult = static_cast<int>(std::clamp<long long>(
                bassDecay * 10 / r->decay, kBassMultLimits.minimum, kBassMultLimits.maximum));
            r->bassDecay = r->decay * r->bassMult / 10;
            Post(window, kBassMultIndex, r->bassMult);
        }
    }
    Paint(window, r);
}

void Release(HWND window, RevTimeRecord* r) {
    if (r->handle == kNone) return;
    r->handle = kNone;
    ReleaseCapture();
    Paint(window, r);
}

void SetValue(HWND window, RevTimeRecord* r, WPARAM index, LPARAM value) {
    const int v = static_cast<int>(value);
    switch (index) {
        case kBassMultIndex:
            r->bassMult = v;
            break;
        case kCrossoverIndex:
            r->crossover = v;
            break;
        case kDecayIndex:
            r->decay = v;
            break;
        case kDampingIndex:
            r->damping = v;
            break;
        default:
            return;
    }
    r->bassDecay = static_cast<int>(static_cast<long long>(r->decay) * r->bassMult / 10);
    Paint(window, r);
}

void Create(RevTimeRecord* r, const CREATESTRUCTA*) {
    if (ScreenBitsPerPixel() <= 8) {
        r->mainFill = RGB(255, 255, 255);
        r->bassFill = RGB(192, 192, 192);
        r->mainFillDisabled = RGB(192, 192, 192);
        r->bassFillDisabled = RGB(128, 128, 128);
    }
}

std::optional<LRESULT> Handle(HWND window, RevTimeRecord* r, UINT message, WPARAM wParam,
                              LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            Press(window, r, lParam, message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_MOUSEMOVE:
            Move(window, r, lParam);
            return 0;
        case WM_LBUTTONUP:
            Release(window, r);
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) != window) return std::nullopt;
            return SetCursorFor(window, r);
        case QVR_SETVALUE:
            SetValue(window, r, wParam, lParam);
            return 0;
        case QVR_SETOVERLAY:
            r->overlay = reinterpret_cast<HBITMAP>(wParam);
            return 0;
        default:
            return std::nullopt;
    }
}

constexpr ControlClass<RevTimeRecord> kControlClass = {Create, Paint, Handle, true, true};

}  // namespace

LRESULT CALLBACK RevTimeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kControlClass, window, message, wParam, lParam);
}
