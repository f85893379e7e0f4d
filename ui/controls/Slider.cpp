// "qv:Slider": sets an integer between a minimum and a maximum with a relative feel. A press does
// not move the value; while the button is held the value follows the pointer's movement with the
// pointer hidden and re-centred at the screen edges, and on release the pointer reappears on the
// thumb. The wheel changes the value faster the faster it turns; keys step by 1 or a page.
// Every change is sent to the parent at once (QVS_POSCHANGING), the end of a gesture separately
// (QVS_ENDCHANGE).
#include <algorithm>

#include "ui/controls/ControlWindow.h"
#include "ui/controls/InputLaws.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SliderGeometry.h"

namespace {

constexpr COLORREF kTrackEnabled = RGB(32, 32, 32);
constexpr COLORREF kTrackDisabled = RGB(160, 160, 160);
constexpr COLORREF kMajorTick = RGB(80, 80, 80);
constexpr COLORREF kMinorTick = RGB(136, 136, 136);
constexpr int kThumbFace = 16;  // thumb size across the axis
// A press grabs the thumb except on its last pixels along the axis (its shadow).
constexpr int kGrabMarginHorizontal = 3;
constexpr int kGrabMarginVertical = 5;
constexpr std::size_t kMaxTicks = 512;

struct SliderRecord {
    bool dragging = false;
    bool moved = false;
    bool accel = false;
    bool vertical = false;
    bool skipNextMove = false;
    short lastCoord = 0;
    HCURSOR savedCursor = nullptr;  // not owned
    POINT pressScreenPos = {0, 0};
    bool grabbedThumb = false;
    HBITMAP background = nullptr;    // page background, not owned
    SkinImage thumbImage = nullptr;  // not owned
    int value = 0;
    int minimum = 0;
    int maximum = 0;
    int range = 0;
    int tickSpacing = 20;
    int tickOffset = 0;
    LONG lastWheelTime = 0;
    int pageStep = 0;
    bool showTrack = true;
    int thumbLength = 29;
    SkinTint focusTint = kStandardTint;
    SkinTint idleTint = 0;
};

int Span(const SliderRecord* s, int width, int height) {
    return (s->vertical ? height : width) - s->thumbLength;
}

// Where the thumb of the current value is: its left edge (horizontal) or its bottom edge
// (vertical), in client pixels.
int ThumbPos(HWND window, const SliderRecord* s) {
    RECT client;
    GetClientRect(window, &client);
    const int offset =
        SliderOffset(s->value, s->minimum, s->range, Span(s, client.right, client.bottom));
    return s->vertical ? client.bottom - offset : offset;
}

void Paint(HWND window, SliderRecord* s) {
    PaintCycle cycle(window, s->background);
    if (!cycle) return;
    HDC dc = cycle.Dc();
    const int w = cycle.Width();
    const int h = cycle.Height();
    const int length = s->thumbLength;
    const bool enabled = IsWindowEnabled(window) != FALSE;
    const int span = Span(s, w, h);

    if (s->showTrack) {
        const COLORREF track = enabled ? kTrackEnabled : kTrackDisabled;
        if (!s->vertical) {
            const int y = (h - 4) / 2 - 2;
            DrawLine(dc, 4, y, w - 4, y, track);
            DrawLine(dc, 4, y + 1, w - 4, y + 1, track);
        } else {
            const int x = (w - 4) / 2;
            DrawLine(dc, x, 4, x, h - 4, track);
            DrawLine(dc, x + 1, 4, x + 1, h - 4, track);
        }
        // The faded thumb of a disabled slider must not show the track through it.
        if (!enabled && s->background != nullptr) {
            MemoryDc source(dc);
            RECT where;
            GetRectInParent(window, &where);
            SelectScope select(source.Get(), s->background);
            const int thumbPos = ThumbPos(window, s);
            if (!s->vertical) {
                BitBlt(dc, thumbPos, 0, length - 3, h, source.Get(), where.left + thumbPos,
                       where.top, SRCCOPY);
            } else {
                BitBlt(dc, 0, thumbPos - length, w, length - 3, source.Get(), where.left,
                       where.top + thumbPos - length, SRCCOPY);
            }
        }
        if (!s->vertical && s->tickSpacing != 0) {
            SliderTick ticks[kMaxTicks];
            const std::size_t count = SliderTicks(s->minimum, s->maximum, s->tickSpacing,
                                                  s->tickOffset, ticks, kMaxTicks);
            for (std::size_t i = 0; i < count; ++i) {
                const int x = SliderOffset(ticks[i].value, s->minimum, s->range, span) + 12;
                if (ticks[i].major) {
                    DrawLine(dc, x, h - 10, x, h - 4, kMajorTick);
                } else {
                    DrawLine(dc, x, h - 8, x, h - 4, kMinorTick);
                }
            }
        }
    }

    if (s->thumbImage != nullptr) {
        const bool looksFocused = enabled && (s->dragging || GetFocus() == window);
        const SkinTint tint = looksFocused ? s->focusTint : s->idleTint;
        const int fade = enabled ? 255 : 192;
        const int offset = SliderOffset(s->value, s->minimum, s->range, span);
        if (!s->vertical) {
            AlphaBlitImage(dc, offset, 0, length, kThumbFace, s->thumbImage, fade, tint, 0);
        } else if (s->showTrack) {
            AlphaBlitImage(dc, 2, h - length - offset, kThumbFace, length, s->thumbImage, fade,
                           tint, 0);
        } else {
            AlphaBlitImage(dc, 0, h - length - offset, kThumbFace + 2, length, s->thumbImage, fade,
                           tint, 0);
        }
    }
    cycle.Present();
}

void Report(HWND window, UINT message, WPARAM wParam) {
    SendMessageA(GetParent(window), message, wParam, reinterpret_cast<LPARAM>(window));
}

int Clamp(const SliderRecord* s, long long v) {
    return static_cast<int>(std::clamp<long long>(v, s->minimum, std::max(s->minimum, s->maximum)));
}

// Applies a change by wheel or key: clamp, paint, report the value and the end of the change.
void Step(HWND window, SliderRecord* s, int change) {
    s->value = Clamp(s, static_cast<long long>(s->value) + change);
    Paint(window, s);
    Report(window, QVS_POSCHANGING, static_cast<WPARAM>(s->value));
    Report(window, QVS_ENDCHANGE, 0);
}

void Press(HWND window, SliderRecord* s, LPARAM lParam) {
    const int x = PointerX(lParam);
    const int y = PointerY(lParam);
    s->dragging = true;
    s->lastCoord = static_cast<short>(s->vertical ? y : x);
    Paint(window, s);
    SetCapture(window);
    ControlDragActive = true;
    s->savedCursor = GetCursor();
    SetCursor(nullptr);
    s->moved = false;
    const int thumbPos = ThumbPos(window, s);
    const int length = s->thumbLength;
    s->grabbedThumb = !s->vertical
                          ? (thumbPos <= x && x < thumbPos + length - kGrabMarginHorizontal)
                          : (thumbPos - length <= y && y < thumbPos - kGrabMarginVertical);
    POINT screen = {x, y};
    ClientToScreen(window, &screen);
    s->pressScreenPos = screen;
    SetFocus(window);
}

void Move(HWND window, SliderRecord* s, LPARAM lParam) {
    if (!s->dragging) return;
    POINT screen = {PointerX(lParam), PointerY(lParam)};
    ClientToScreen(window, &screen);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    if (!(screen.x > desktop.left && screen.x < desktop.right - 1 && screen.y > desktop.top &&
          screen.y < desktop.bottom - 1)) {
        // At a screen edge the pointer goes back to the centre; the jump is not applied.
        s->skipNextMove = true;
        SetCursorPos((desktop.left + desktop.right) / 2, (desktop.top + desktop.bottom) / 2);
        return;
    }
    const short coord = static_cast<short>(s->vertical ? HIWORD(lParam) : LOWORD(lParam));
    int delta = coord - s->lastCoord;
    if (s->vertical) delta = -delta;
    s->lastCoord = coord;
    s->moved = true;
    if (s->skipNextMove) {
        s->skipNextMove = false;
        return;
    }
    if (s->accel) delta = SliderAccelDelta(delta);
    s->value = Clamp(s, static_cast<long long>(s->value) + delta);
    Paint(window, s);
    Report(window, QVS_POSCHANGING, static_cast<WPARAM>(s->value));
}

void Release(HWND window, SliderRecord* s) {
    if (!s->dragging) return;
    ReleaseCapture();
    ControlDragActive = false;
    s->dragging = false;
    Paint(window, s);
    if (s->moved) {
        if (!s->grabbedThumb) {
            SetCursorPos(s->pressScreenPos.x, s->pressScreenPos.y);
        } else {
            RECT frame;
            GetWindowRect(window, &frame);
            const int thumbPos = ThumbPos(window, s);
            if (!s->vertical) {
                SetCursorPos(frame.left + thumbPos + 12, (frame.top + frame.bottom) / 2 - 2);
            } else {
                SetCursorPos((frame.left + frame.right) / 2 - 2, frame.top + thumbPos - 16);
            }
        }
        Report(window, QVS_ENDCHANGE, 0);
    }
    SetCursor(s->savedCursor);
}

void Wheel(HWND window, SliderRecord* s, WPARAM wParam) {
    if (TypedEntryWindow != nullptr) return;
    const LONG now = GetMessageTime();
    const LONG elapsed = now - s->lastWheelTime;
    s->lastWheelTime = now;
    Step(window, s, WheelChange(static_cast<short>(HIWORD(wParam)), elapsed));
}

// The change a key asks for; 0 for keys the slider does not use.
int KeyChange(const SliderRecord* s, WPARAM key) {
    switch (key) {
        case VK_PRIOR:
            return s->pageStep;
        case VK_NEXT:
            return -s->pageStep;
        case VK_END:
            return s->maximum - s->value;
        case VK_HOME:
            return s->minimum - s->value;
        case VK_LEFT:
        case VK_DOWN:
            return -1;
        case VK_UP:
        case VK_RIGHT:
            return 1;
        default:
            return 0;
    }
}

void SetRange(HWND window, SliderRecord* s, int minimum, int maximum) {
    if (minimum == s->minimum && maximum == s->maximum) return;
    s->minimum = minimum;
    s->maximum = maximum;
    s->range = maximum - minimum;
    if (s->pageStep == 0) {
        RECT client;
        GetClientRect(window, &client);
        const int d = std::max<int>(1, (s->vertical ? client.bottom : client.right) - 4);
        s->pageStep = static_cast<int>(static_cast<long long>(s->range) * 15 / d);
    }
    s->pageStep = std::max(1, s->pageStep);
    Paint(window, s);
}

void Create(SliderRecord* s, const CREATESTRUCTA* create) {
    s->vertical = (create->style & QVSS_VERT) != 0;
}

std::optional<LRESULT> Handle(HWND window, SliderRecord* s, UINT message, WPARAM wParam,
                              LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            Press(window, s, lParam);
            return 0;
        case WM_MOUSEMOVE:
            Move(window, s, lParam);
            return 0;
        case WM_LBUTTONUP:
            Release(window, s);
            return 0;
        case WM_LBUTTONDBLCLK:
            Report(window, QVS_DBLCLK, static_cast<WPARAM>(ControlId(window)));
            return 0;
        case WM_MOUSEWHEEL:
            Wheel(window, s, wParam);
            return 0;
        case WM_KEYDOWN: {
            const int change = KeyChange(s, wParam);
            if (change == 0) return std::nullopt;
            Step(window, s, change);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case QVS_GETPOS:
            return s->value;
        case QVS_SETPOS:
            if (static_cast<int>(wParam) != s->value) {
                s->value = static_cast<int>(wParam);
                InvalidateRect(window, nullptr, FALSE);
                if (lParam != 0) Paint(window, s);
            }
            return 0;
        case QVS_SETRANGE:
            SetRange(window, s, static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case QVS_SETACCEL:
            s->accel = wParam != 0;
            return 0;
        case QVS_SETTICKSPACING:
            s->tickSpacing = static_cast<int>(wParam);
            return 0;
        case QVS_SETPAGESTEP:
            s->pageStep = static_cast<int>(wParam);
            return 0;
        case QVS_SETTICKOFFSET:
            s->tickOffset = static_cast<int>(wParam);
            return 0;
        case QVS_SETTHUMB:
            s->thumbImage = reinterpret_cast<SkinImage>(wParam);
            return 0;
        case QVS_SETTRACK:
            s->showTrack = wParam != 0;
            return 0;
        case QVS_SETTHUMBLENGTH:
            s->thumbLength = static_cast<int>(wParam);
            return 0;
        case QVS_SETFOCUSTINT:
            s->focusTint = static_cast<SkinTint>(wParam);
            return 0;
        case QVS_SETIDLETINT:
            s->idleTint = static_cast<SkinTint>(wParam);
            return 0;
        default:
            return std::nullopt;
    }
}

constexpr ControlClass<SliderRecord> kControlClass = {Create, Paint, Handle, true, true};

}  // namespace

LRESULT CALLBACK SliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kControlClass, window, message, wParam, lParam);
}
