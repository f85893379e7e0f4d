// "qv:Meter": a level shown as a lit bar made of two opaque images, the unlit bar in full and
// the matching part of the lit bar over it; with ballistics the bar falls back slowly, a
// two-pixel line holds the recent peak, and the maximum since the last reset is kept. Every
// QVM_SETLEVELS is one update step; the meter has no timer, sends nothing and ignores the mouse.
#include "ui/controls/ControlWindow.h"
#include "ui/controls/MeterModel.h"
#include "ui/controls/SkinDrawing.h"

namespace {

struct MeterRecord {
    OffscreenBitmap buffer;  // created at the first paint with the client size, kept
    MeterLevels levels;
    int minimum = 0;
    int maximum = 100;
    bool vertical = false;
    bool inverted = false;
    bool ballistics = false;
    int decayStep = 20;
    SkinImage unlitImage = nullptr;  // not owned
    SkinImage litImage = nullptr;    // not owned
    HBITMAP background = nullptr;    // page background, not owned (the images are opaque)
};

void Paint(HWND window, MeterRecord* m) {
    WindowDc windowDc(window);
    if (windowDc.Get() == nullptr) return;
    if (!m->buffer) {
        RECT client;
        GetClientRect(window, &client);
        if (!m->buffer.Create(windowDc.Get(), client.right, client.bottom)) return;
    }
    HDC dc = m->buffer.Dc();
    const int W = m->buffer.Width();
    const int H = m->buffer.Height();
    if (m->unlitImage != nullptr && m->litImage != nullptr) {
        AlphaBlitImage(dc, 0, 0, W, H, m->unlitImage, 255, 0, 0);
        const int w = W - 4;
        const int h = H - 4;
        if (m->vertical) {
            const int p = MeterLitStart(m->levels.levelA, m->minimum, m->maximum, h, !m->inverted);
            if (p < h) AlphaBlitImageRect(dc, 0, p + 2, w + 4, h - p, 0, p + 2, m->litImage, W);
        } else {
            const int p = MeterLitStart(m->levels.levelA, m->minimum, m->maximum, w, false);
            if (p < w) AlphaBlitImageRect(dc, 0, 0, p + 2, H, 0, 0, m->litImage, W);
        }
        if (m->ballistics) {
            const int q = MeterLitStart(m->levels.holdA, m->minimum, m->maximum, h, !m->inverted);
            if (q < h) AlphaBlitImageRect(dc, 0, q + 2, W, 2, 0, q + 2, m->litImage, W);
        }
    }
    BitBlt(windowDc.Get(), 0, 0, W, H, dc, 0, 0, SRCCOPY);
}

void WriteInts(WPARAM a, LPARAM b, int valueA, int valueB) {
    if (a != 0) *reinterpret_cast<int*>(a) = valueA;
    if (b != 0) *reinterpret_cast<int*>(b) = valueB;
}

void Create(MeterRecord* m, const CREATESTRUCTA* create) {
    m->vertical = (create->style & QVMS_VERT) != 0;
    m->inverted = (create->style & QVMS_INVERT) != 0;
    m->ballistics = (create->style & QVMS_BALLISTICS) != 0;
}

std::optional<LRESULT> Handle(HWND window, MeterRecord* m, UINT message, WPARAM wParam,
                              LPARAM lParam) {
    switch (message) {
        case QVM_SETRANGE:
            m->minimum = static_cast<int>(wParam);
            m->maximum = static_cast<int>(lParam);
            return 0;
        case QVM_SETLEVELS:
            UpdateMeterLevels(&m->levels, static_cast<int>(wParam), static_cast<int>(lParam),
                              m->ballistics, m->decayStep);
            Paint(window, m);
            return 0;
        case QVM_GETHOLD:
            WriteInts(wParam, lParam, m->levels.holdA, m->levels.holdB);
            return 0;
        case QVM_RESETMAX:
            m->levels.maxA = m->levels.maxB = kMeterSilence;
            return 0;
        case QVM_GETMAX:
            WriteInts(wParam, lParam, m->levels.maxA, m->levels.maxB);
            return 0;
        case QVM_SETIMAGES:
            m->unlitImage = reinterpret_cast<SkinImage>(wParam);
            m->litImage = reinterpret_cast<SkinImage>(lParam);
            return 0;
        case QVM_SETDECAY:
            m->decayStep = static_cast<int>(wParam);
            return 0;
        default:
            return std::nullopt;
    }
}

// The meter holds no mouse and shows no focus.
constexpr ControlClass<MeterRecord> kControlClass = {Create, Paint, Handle, false, false};

}  // namespace

LRESULT CALLBACK MeterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kControlClass, window, message, wParam, lParam);
}
