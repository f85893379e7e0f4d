// "qv:Edit": the value field beside each slider. It shows the text its parent writes and turns
// drags, wheel turns and keys into signed steps posted to the parent (QVE_ADJUST); a double
// click or Space opens a typed-entry box over it (TypedEntry.cpp). It never holds a number.
#include <cstring>

#include "ui/controls/ControlWindow.h"
#include "ui/controls/InputLaws.h"
#include "ui/controls/SkinDrawing.h"

namespace {

constexpr COLORREF kEngraveLight = RGB(197, 199, 203);
constexpr COLORREF kTextEnabled = RGB(64, 65, 69);
constexpr COLORREF kTextDisabled = RGB(144, 144, 144);
constexpr int kPageDelta = 10;
// Beyond every parameter's range: the engine's clamping turns it into a jump to the end.
constexpr int kEndDelta = 17504;

struct FieldRecord {
    bool dragging = false;
    bool accel = true;
    bool invert = false;
    short lastX = 0;
    short lastY = 0;
    LONG lastWheelTime = 0;
    bool verticalAxis = false;      // survives from one drag to the next
    HBITMAP background = nullptr;   // page background, not owned
    SkinImage faceImage = nullptr;  // not owned
};

void PostAdjust(HWND window, int delta) {
    PostMessageA(GetParent(window), QVE_ADJUST,
                 static_cast<WPARAM>(PackFieldAdjust(ControlId(window), delta)),
                 reinterpret_cast<LPARAM>(window));
}

void Paint(HWND window, FieldRecord* f) {
    PaintCycle cycle(window, f->background);
    if (!cycle) return;
    HDC dc = cycle.Dc();
    const bool enabled = IsWindowEnabled(window) != FALSE;
    if (f->faceImage != nullptr) {
        AlphaBlitImage(dc, 0, 0, cycle.Width(), cycle.Height(), f->faceImage, enabled ? 255 : 160,
                       0, 0);
    }
    if (GetFocus() == window) {
        RECT frame = cycle.Client();
        InflateRect(&frame, -2, -2);
        DrawFieldFocusFrame(dc, frame);
    }

    RECT text = cycle.Client();
    InflateRect(&text, -3, -3);
    if ((text.bottom - text.top) % 2 != 0) text.top += 1;
    text.right -= 2;
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    CaptionFont font;
    SelectScope selectFont(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const UINT format =
        DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | ((style & QVES_RIGHT) != 0 ? DT_RIGHT : DT_LEFT);
    RECT engraved = text;
    OffsetRect(&engraved, 1, 1);
    SetTextColor(dc, kEngraveLight);
    DrawTextA(dc, caption, -1, &engraved, format);
    SetTextColor(dc, enabled ? kTextEnabled : kTextDisabled);
    DrawTextA(dc, caption, -1, &text, format);
    cycle.Present();
}

void EndDrag(HWND window, FieldRecord* f) {
    ReleaseCapture();
    ControlDragActive = false;
    f->dragging = false;
    Paint(window, f);
}

void Press(HWND window, FieldRecord* f, LPARAM lParam) {
    f->lastX = static_cast<short>(LOWORD(lParam));
    f->lastY = static_cast<short>(HIWORD(lParam));
    f->dragging = true;
    SetCapture(window);
    ControlDragActive = true;
    SetFocus(window);
    Paint(window, f);
}

void Move(HWND window, FieldRecord* f, LPARAM lParam) {
    if (!f->dragging) return;
    const short x = static_cast<short>(LOWORD(lParam));
    const short y = static_cast<short>(HIWORD(lParam));
    const int dx = static_cast<short>(x - f->lastX);
    const int dy = static_cast<short>(f->lastY - y);  // upward is positive
    int d = ChooseFieldDelta(dx, dy, &f->verticalAxis);
    if (f->invert) d = -d;
    f->lastX = x;
    f->lastY = y;
    if (f->accel) d = FieldAccelDelta(d);
    PostAdjust(window, d);
}

void Wheel(HWND window, FieldRecord* f, WPARAM wParam) {
    if (TypedEntryWindow != nullptr) return;
    int w = static_cast<short>(HIWORD(wParam));
    if (f->invert) w = -w;
    const LONG now = GetMessageTime();
    const LONG elapsed = now - f->lastWheelTime;
    f->lastWheelTime = now;
    PostAdjust(window, WheelChange(w, elapsed));
}

// The delta a key asks for; 0 for keys the field leaves to default processing.
int KeyDelta(WPARAM key) {
    switch (key) {
        case VK_PRIOR:
            return kPageDelta;
        case VK_NEXT:
            return -kPageDelta;
        case VK_END:
            return kEndDelta;
        case VK_HOME:
            return -kEndDelta;
        case VK_UP:
        case VK_RIGHT:
            return 1;
        case VK_LEFT:
        case VK_DOWN:
            return -1;
        default:
            return 0;
    }
}

LRESULT SetText(HWND window, LPARAM lParam) {
    const char* text = reinterpret_cast<const char*>(lParam);
    if (text != nullptr) {
        char current[128] = {};
        GetWindowTextA(window, current, sizeof(current));
        if (std::strcmp(current, text) == 0) return 0;
    }
    InvalidateRect(window, nullptr, FALSE);
    return DefWindowProcA(window, WM_SETTEXT, 0, lParam);
}

void Create(FieldRecord* f, const CREATESTRUCTA* create) {
    f->accel = (create->style & QVES_LINEAR) == 0;
}

std::optional<LRESULT> Handle(HWND window, FieldRecord* f, UINT message, WPARAM wParam,
                              LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            Press(window, f, lParam);
            return 0;
        case WM_MOUSEMOVE:
            Move(window, f, lParam);
            return 0;
        case WM_LBUTTONUP:
            if (f->dragging) EndDrag(window, f);
            return 0;
        case WM_LBUTTONDBLCLK:
            OpenTypedEntry(window);
            return 0;
        case WM_RBUTTONDOWN:
            if (f->dragging) return 0;
            return std::nullopt;
        case WM_MOUSEWHEEL:
            Wheel(window, f, wParam);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                OpenTypedEntry(window);
                return 0;
            }
            if (KeyDelta(wParam) == 0) return std::nullopt;
            PostAdjust(window, KeyDelta(wParam));
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_KILLFOCUS:
            PostAdjust(window, 0);
            if (f->dragging) {
                EndDrag(window, f);
            } else {
                Paint(window, f);
            }
            return 0;
        case WM_SETTEXT:
            return SetText(window, lParam);
        case QVE_SETACCEL:
            f->accel = wParam != 0;
            return 0;
        case QVE_SETFLAGS:
            f->invert = (wParam & kFieldInvertFlag) != 0;
            return 0;
        case QVE_SETIMAGE:
            f->faceImage = reinterpret_cast<SkinImage>(wParam);
            return 0;
        default:
            return std::nullopt;
    }
}

// Gaining the focus repaints through the shared handling; losing it is the field's own.
constexpr ControlClass<FieldRecord> kControlClass = {Create, Paint, Handle, true, true};

}  // namespace

LRESULT CALLBACK ValueFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kControlClass, window, message, wParam, lParam);
}
