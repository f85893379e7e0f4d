// "qv:StaticText": a transparent text label that reports clicks; the editor page uses it for the
// peak readouts above the meters.
#include "ui/controls/ControlWindow.h"
#include "ui/controls/SkinDrawing.h"

namespace {

struct StaticTextRecord {
    HBITMAP background = nullptr;  // page background, not owned
    HFONT font = nullptr;          // not owned; none means the default GUI font
};

void Paint(HWND window, StaticTextRecord* t) {
    PaintCycle cycle(window, t->background);
    if (!cycle) return;
    HDC dc = cycle.Dc();
    HFONT font =
        t->font != nullptr ? t->font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SelectScope selectFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    RECT client = cycle.Client();
    DrawTextA(dc, text, -1, &client, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    cycle.Present();
}

std::optional<LRESULT> Handle(HWND window, StaticTextRecord* t, UINT message, WPARAM wParam,
                              LPARAM lParam) {
    switch (message) {
        case WM_SETFONT:
            t->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam) != 0) InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(t->font);
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            PostMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(ControlId(window), 0),
                         reinterpret_cast<LPARAM>(window));
            return 0;
        default:
            return std::nullopt;
    }
}

constexpr ControlClass<StaticTextRecord> kControlClass = {nullptr, Paint, Handle, true, false};

}  // namespace

LRESULT CALLBACK StaticTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kControlClass, window, message, wParam, lParam);
}
