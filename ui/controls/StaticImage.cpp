// "qv:StaticImage" and "qv:StaticNoHitImage": show a bitmap resource of the skin module; the
// first reports clicks to its parent (QVI_CLICKED), the second lets them through. Before a
// bitmap number is set they show the page background.
#include <algorithm>

#include "ui/controls/ControlWindow.h"
#include "ui/controls/SkinDrawing.h"

namespace {

struct StaticImageRecord {
    HBITMAP background = nullptr;  // page background, not owned
    int bitmapId = -1;             // bitmap resource number, -1 for none
};

void Paint(HWND window, StaticImageRecord* s) {
    PaintCycle cycle(window, s->background);
    if (!cycle) return;
    if (s->bitmapId >= 0) {
        GdiObject<HBITMAP> bitmap(LoadBitmapA(SkinModule, MAKEINTRESOURCEA(s->bitmapId)));
        MemoryDc source(cycle.Dc());
        if (bitmap && source.Get() != nullptr) {
            BITMAP info = {};
            GetObjectA(bitmap.Get(), sizeof(info), &info);
            SelectScope select(source.Get(), bitmap.Get());
            BitBlt(cycle.Dc(), 0, 0, std::min<int>(info.bmWidth, cycle.Width()),
                   std::min<int>(info.bmHeight, cycle.Height()), source.Get(), 0, 0, SRCCOPY);
        }
    }
    cycle.Present();
}

std::optional<LRESULT> Handle(HWND window, StaticImageRecord* s, UINT message, WPARAM wParam,
                              LPARAM lParam, bool reportsClicks) {
    switch (message) {
        case QVI_SETBITMAP:
            s->bitmapId = static_cast<int>(wParam);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_NCHITTEST:
            if (!reportsClicks) return HTTRANSPARENT;
            return std::nullopt;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (reportsClicks) {
                PostMessageA(GetParent(window), QVI_CLICKED, static_cast<WPARAM>(ControlId(window)),
                             lParam);
            }
            return 0;
        default:
            return std::nullopt;
    }
}

constexpr ControlClass<StaticImageRecord> kClickable = {
    nullptr, Paint,
    [](HWND window, StaticImageRecord* s, UINT message, WPARAM wParam, LPARAM lParam) {
        return Handle(window, s, message, wParam, lParam, true);
    },
    true, false};
constexpr ControlClass<StaticImageRecord> kNoHit = {
    nullptr, Paint,
    [](HWND window, StaticImageRecord* s, UINT message, WPARAM wParam, LPARAM lParam) {
        return Handle(window, s, message, wParam, lParam, false);
    },
    true, false};

}  // namespace

LRESULT CALLBACK StaticImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kClickable, window, message, wParam, lParam);
}

LRESULT CALLBACK StaticNoHitImageProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    return DispatchControl(kNoHit, window, message, wParam, lParam);
}
