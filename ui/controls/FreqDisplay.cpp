// "qv:FreqDisplay": the band that passes the reverb's input filters, a trapezoid on a
// logarithmic frequency axis from 19 Hz to 22.1 kHz whose flat top runs from the low cut to the
// high cut. The user drags a corner handle to move one cut-off, or the band to move both, and
// the display posts the new frequencies (QVF_CHANGED); it knows nothing of parameters.
#include <algorithm>

#include "ui/controls/ControlWindow.h"
#include "ui/controls/LogAxis.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SkinResources.h"

namespace {

constexpr double kAxisMinHz = 19.0;
constexpr double kAxisMaxHz = 22100.0;
constexpr int kHandleSize = 7;
constexpr int kSlope = 18;  // horizontal run of the band's sides, pixels
constexpr COLORREF kOutline = RGB(83, 146, 193);
constexpr COLORREF kLightEdge = RGB(124, 182, 220);
constexpr COLORREF kHandleOutline = RGB(96, 96, 96);
constexpr COLORREF kHandleIdle = RGB(255, 255, 255);
constexpr COLORREF kHandleDragged = RGB(255, 255, 128);

enum Handle { kNone = -1, kLowHandle = 0, kHighHandle = 1, kBand = 2 };

struct FreqRecord {
    int lowCut = 19;
    int lowCutMin = 19;
    int lowCutMax = 3000;
    int highCut = 22100;
    int highCutMin = 500;
    int highCutMax = 22100;
    LogAxis axis = MakeLogAxis(kAxisMinHz, kAxisMaxHz);
    HBITMAP background = nullptr;  // page background, not owned
    HBITMAP overlay = nullptr;     // shading mask, not owned
    int dragHandle = kNone;
    int grab = 0;
    int grabHigh = 0;
    COLORREF bandFill = RGB(106, 171, 214);
    COLORREF bandFillDisabled = RGB(152, 152, 152);
};

// The drawing axis runs from x = 3 over W - 6 pixels, the mouse axis from x = 2 over W - 4.
int DrawX(const FreqRecord* f, int hz, int width) {
    return AxisPosition(f->axis, hz, 3, width - 6);
}
int MouseX(const FreqRecord* f, int hz, int width) {
    return AxisPosition(f->axis, hz, 2, width - 4);
}
int MouseHz(const FreqRecord* f, int x, int width) {
    return AxisValue(f->axis, x, 2, width - 4);
}

void DrawHandle(HDC dc, int left, int top, bool dragged) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kHandleOutline));
    GdiObject<HBRUSH> brush(CreateSolidBrush(dragged ? kHandleDragged : kHandleIdle));
    SelectScope selectPen(dc, pen.Get());
    SelectScope selectBrush(dc, brush.Get());
    Rectangle(dc, left, top, left + kHandleSize, top + kHandleSize);
}

void Paint(HWND window, FreqRecord* f) {
    PaintCycle cycle(window, f->background);
    if (!cycle) return;
    HDC dc = cycle.Dc();
    const int w = cycle.Width();
    const int h = cycle.Height();
    const int top = 3;
    const int bottom = h - 3;
    IntersectClipRect(dc, 3, 3, w - 3, h - 3);

    const int xL = DrawX(f, f->lowCut, w);
    const int xH = DrawX(f, f->highCut, w);
    {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kOutline));
        GdiObject<HBRUSH> brush(
            CreateSolidBrush(IsWindowEnabled(window) != FALSE ? f->bandFill : f->bandFillDisabled));
        SelectScope selectPen(dc, pen.Get());
        SelectScope selectBrush(dc, brush.Get());
        const POINT band[4] = {
            {xL, top}, {xH, top}, {xH + kSlope, bottom - 1}, {xL - kSlope, bottom - 1}};
        Polygon(dc, band, 4);
    }
    DrawLine(dc, xL, top, xH, top, kLightEdge);
    DrawLine(dc, xL, top + 1, xH, top + 1, kLightEdge);
    DrawLine(dc, xL, top, xL - kSlope, bottom - 1, kLightEdge);
    DrawLine(dc, xL + 1, top, xL - kSlope + 1, bottom - 1, kLightEdge);
    DrawLine(dc, xL - kSlope + 2, bottom - 2, xH + kSlope, bottom - 2, kOutline);
    DrawLine(dc, xH - 1, top, xH + kSlope - 1, bottom - 2, kOutline);

    DrawHandle(dc, xL - 1, top, f->dragHandle == kLowHandle);
    DrawHandle(dc, xH - 6, top, f->dragHandle == kHighHandle);

    if (f->overlay != nullptr) MultiplyBlitBitmap(dc, 3, 3, w - 6, h - 6, f->overlay);
    cycle.Present();
}

int ClientWidth(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client.right;
}

void Post(HWND window, int which, int hz) {
    PostMessageA(GetParent(window), QVF_CHANGED, MAKEWPARAM(ControlId(window), which), hz);
}

void Press(HWND window, FreqRecord* f, LPARAM lParam, bool doubleClick) {
    const int w = ClientWidth(window);
    f->dragHandle = kNone;
    const int x = PointerX(lParam);
    const int xL = MouseX(f, f->lowCut, w);
    const int xH = MouseX(f, f->highCut, w);
    if (xL <= x && x < xL + kHandleSize) {
        f->dragHandle = kLowHandle;
        f->grab = x - xL;
    }
    if (xH - kHandleSize <= x && x < xH) {
        f->dragHandle = kHighHandle;
        f->grab = x - xH;
    }
    if (f->dragHandle == kNone && xL + kHandleSize <= x && x < xH - kHandleSize) {
        f->dragHandle = kBand;
        f->grab = x - xL;
        f->grabHigh = x - xH;
        SetCursor(LoadCursorA(SkinModule, MAKEINTRESOURCEA(SkinId::kClosedHandCursor)));
    }
    if (doubleClick) {
        PostMessageA(GetParent(window), QVF_DBLCLK, static_cast<WPARAM>(ControlId(window)),
                     f->dragHandle);
        f->dragHandle = kNone;
    } else if (f->dragHandle != kNone) {
        Paint(window, f);
        SetCapture(window);
        ControlDragActive = true;
    }
    SetFocus(window);
}

void Move(HWND window, FreqRecord* f, LPARAM lParam) {
    if (f->dragHandle == kNone) return;
    const int w = ClientWidth(window);
    const int x = std::min(PointerX(lParam), (w - 4) + 20);
    if (f->dragHandle == kLowHandle || f->dragHandle == kBand) {
        f->lowCut = std::clamp(MouseHz(f, x - f->grab, w), f->lowCutMin, f->lowCutMax);
        Post(window, 0, f->lowCut);
    }
    if (f->dragHandle == kHighHandle || f->dragHandle == kBand) {
        const int grab = f->dragHandle == kBand ? f->grabHigh : f->grab;
        f->highCut = std::clamp(MouseHz(f, x - grab, w), f->highCutMin, f->highCutMax);
        Post(window, 1, f->highCut);
    }
    Paint(window, f);
}

void Release(HWND window, FreqRecord* f) {
    if (f->dragHandle == kNone) return;
    f->dragHandle = kNone;
    ReleaseCapture();
    ControlDragActive = false;
    Paint(window, f);
}

LRESULT SetCursorFor(HWND window, FreqRecord* f) {
    POINT pointer;
    GetCursorPos(&pointer);
    ScreenToClient(window, &pointer);
    const int w = ClientWidth(window);
    const int xL = MouseX(f, f->lowCut, w);
    const int xH = MouseX(f, f->highCut, w);
    const bool overBand = xL + kHandleSize <= pointer.x && pointer.x < xH - kHandleSize;
    SetCursor(overBand ? LoadCursorA(SkinModule, MAKEINTRESOURCEA(SkinId::kOpenHandCursor))
                       : LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

void Create(FreqRecord* f, const CREATESTRUCTA*) {
    if (ScreenBitsPerPixel() <= 8) {
        f->bandFill = RGB(192, 192, 192);
        f->bandFillDisabled = RGB(128, 128, 128);
    }
}

std::optional<LRESULT> Handle(HWND window, FreqRecord* f, UINT message, WPARAM wParam,
                              LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            Press(window, f, lParam, message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_MOUSEMOVE:
            Move(window, f, lParam);
            return 0;
        case WM_LBUTTONUP:
            Release(window, f);
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) != window) return std::nullopt;
            return SetCursorFor(window, f);
        case QVF_SETLOWCUT:
            f->lowCut = static_cast<int>(wParam);
            Paint(window, f);
            return 0;
        case QVF_SETHIGHCUT:
            f->highCut = static_cast<int>(wParam);
            Paint(window, f);
            return 0;
        case QVF_SETOVERLAY:
            f->overlay = reinterpret_cast<HBITMAP>(wParam);
            return 0;
        default:
            return std::nullopt;
    }
}

constexpr ControlClass<FreqRecord> kControlClass = {Create, Paint, Handle, true, true};

}  // namespace

LRESULT CALLBACK FreqDisplayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kControlClass, window, message, wParam, lParam);
}
