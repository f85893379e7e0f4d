// "qv:PushButton": the skinned button of the editor page (Bypass, Undo, Setup, Reset, Presets,
// help, Mute, Stereo, Tail). It draws its normal or pressed image, tinted while lit, with its
// caption, and reports presses, releases and pointer crossings to its parent; the parent decides
// whether it toggles and sets the lit state with QVB_SETCHECK.
#include <cstring>
#include <memory>

#include "ui/controls/ControlWindow.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SkinResources.h"

namespace {

constexpr COLORREF kDisabledCaption = RGB(128, 128, 128);
constexpr COLORREF kArrowColour = RGB(64, 64, 64);
constexpr COLORREF kMarkerKey = RGB(255, 0, 255);
constexpr int kMarkerWidth = 7;
constexpr int kMarkerHeight = 11;

enum PressMode { kNotPressed = 0, kMousePress = 1, kKeyPress = 2 };

struct ButtonRecord {
    int pressMode = kNotPressed;
    bool pressedInside = false;
    bool drawPressed = false;
    bool lit = false;
    bool dblClkNotify = false;
    bool hasArrow = false;
    bool hasMarker = false;
    bool litBorderMode = false;
    COLORREF textColour = RGB(64, 64, 64);
    SkinTint tint = kStandardTint;
    std::unique_ptr<char[]> caption;   // owned copy of the window text; none for a null text
    HBITMAP background = nullptr;      // page background, not owned
    SkinImage normalImage = nullptr;   // not owned
    SkinImage pressedImage = nullptr;  // not owned
    int focusInset[4] = {0, 0, 0, 0};
    GdiObject<HBITMAP> marker;  // loaded from the skin module for QVBS_MARKER
};

std::unique_ptr<char[]> CopyText(const char* text) {
    if (text == nullptr) return nullptr;
    const std::size_t length = std::strlen(text);
    std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
    if (copy) std::memcpy(copy.get(), text, length + 1);
    return copy;
}

void Report(HWND window, WORD code) {
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(ControlId(window), code),
                 reinterpret_cast<LPARAM>(window));
}

void Paint(HWND window, ButtonRecord* b) {
    PaintCycle cycle(window, b->background);
    if (!cycle) return;
    HDC dc = cycle.Dc();
    const bool enabled = IsWindowEnabled(window) != FALSE;
    const int borderMode = b->lit ? (b->litBorderMode ? 2 : 1) : 0;
    const int fade = enabled ? 255 : 160;
    const SkinTint tint = b->lit ? b->tint : 0;

    SkinImage face =
        b->drawPressed && b->pressedImage != nullptr ? b->pressedImage : b->normalImage;
    if (face != nullptr) {
        AlphaBlitImage(dc, 0, 0, cycle.Width(), cycle.Height(), face, fade, tint, borderMode);
    } else {
        Rectangle(dc, 0, 0, cycle.Width(), cycle.Height());
    }

    RECT caption = cycle.Client();
    InflateRect(&caption, -2, -2);
    if (b->drawPressed) OffsetRect(&caption, 1, 1);
    const RECT kept = caption;

    if (b->caption) {
        CaptionFont font;
        SelectScope selectFont(dc, font.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, enabled ? b->textColour : kDisabledCaption);
        if ((caption.bottom - caption.top) % 2 != 0) caption.top += 1;
        caption.top += 1;
        UINT format = DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS;
        if (b->hasArrow || b->hasMarker) {
            caption.left += 3;
            format |= DT_LEFT;
        } else {
            format |= DT_CENTER;
        }
        DrawTextA(dc, b->caption.get(), -1, &caption, format);
    }

    if (b->hasArrow) {
        const int cx = caption.right - 7;
        const int y0 = caption.top + 8;
        for (int i = 0; i < 4; ++i) DrawLine(dc, cx - i, y0 - i, cx + i + 1, y0 - i, kArrowColour);
    }
    if (b->hasMarker && b->marker) {
        TransparentBlitBitmap(dc, caption.right - 10, caption.top + 1, b->marker.Get(), 0, 0,
                              kMarkerWidth, kMarkerHeight, kMarkerKey);
    }
    if (GetFocus() == window) {
        RECT frame = kept;
        InflateRect(&frame, -1, -1);
        frame.left += b->focusInset[0];
        frame.top += b->focusInset[1];
        frame.right += b->focusInset[2];
        frame.bottom += b->focusInset[3];
        DrawFocusFrame(dc, frame);
    }
    cycle.Present();
}

void Press(HWND window, ButtonRecord* b, bool doubleClick) {
    b->drawPressed = true;
    Paint(window, b);
    if (b->pressMode == kNotPressed) b->pressMode = kMousePress;
    b->pressedInside = true;
    SetCapture(window);
    ControlDragActive = true;
    SetFocus(window);
    Report(window, doubleClick && b->dblClkNotify ? QVBN_DBLCLK : QVBN_PRESSED);
}

void Release(HWND window, ButtonRecord* b) {
    if (b->pressMode == kNotPressed) return;
    b->pressMode = kNotPressed;
    ReleaseCapture();
    ControlDragActive = false;
    b->drawPressed = false;
    Paint(window, b);
    const bool click = b->pressedInside;
    b->pressedInside = false;
    if (click) Report(window, QVBN_CLICKED);
}

void Move(HWND window, ButtonRecord* b, LPARAM lParam) {
    if (b->pressMode != kMousePress) return;
    RECT client;
    GetClientRect(window, &client);
    // Unsigned coordinates: positions left of or above the button count as outside too.
    const bool outside = LOWORD(lParam) >= client.right || HIWORD(lParam) >= client.bottom;
    if (outside && b->pressedInside) {
        b->pressedInside = b->drawPressed = false;
        Paint(window, b);
        Report(window, QVBN_LEAVE);
    } else if (!outside && !b->pressedInside) {
        b->pressedInside = b->drawPressed = true;
        Paint(window, b);
        Report(window, QVBN_REENTER);
    }
}

void CancelPress(HWND window, ButtonRecord* b) {
    Release(window, b);
    // The release that a popup menu consumed may be followed by one still waiting.
    MSG pending;
    PeekMessageA(&pending, window, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE);
}

LRESULT SetText(HWND window, ButtonRecord* b, LPARAM lParam) {
    const char* text = reinterpret_cast<const char*>(lParam);
    if (b->caption && text != nullptr && std::strcmp(b->caption.get(), text) == 0) return 0;
    b->caption = CopyText(text);
    InvalidateRect(window, nullptr, FALSE);
    Paint(window, b);
    return DefWindowProcA(window, WM_SETTEXT, 0, lParam);
}

void Create(ButtonRecord* b, const CREATESTRUCTA* create) {
    b->hasArrow = (create->style & QVBS_ARROW) != 0;
    b->hasMarker = (create->style & QVBS_MARKER) != 0;
    b->caption = CopyText(create->lpszName);
    if (b->hasMarker) {
        b->marker.Reset(LoadBitmapA(SkinModule, MAKEINTRESOURCEA(SkinId::kMarker)));
    }
}

std::optional<LRESULT> Handle(HWND window, ButtonRecord* b, UINT message, WPARAM wParam,
                              LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            Press(window, b, message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_MOUSEMOVE:
            Move(window, b, lParam);
            return 0;
        case WM_LBUTTONUP:
            Release(window, b);
            return 0;
        case WM_KEYDOWN:
            if (wParam != VK_SPACE) return std::nullopt;
            b->pressMode = kKeyPress;
            Press(window, b, false);
            return 0;
        case WM_KEYUP:
            if (wParam != VK_SPACE) b->pressedInside = false;
            Release(window, b);
            return 0;
        case WM_RBUTTONDOWN:
            return SendMessageA(GetParent(window), QVB_RBUTTONDOWN, ControlId(window), lParam);
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_UNDEFPUSHBUTTON;
        case WM_SETTEXT:
            return SetText(window, b, lParam);
        case QVB_SETCHECK:
            if ((wParam != 0) != b->lit || lParam != 0) {
                b->lit = wParam != 0;
                InvalidateRect(window, nullptr, FALSE);
                if (lParam != 0) Paint(window, b);
            }
            return 0;
        case QVB_GETCHECK:
            return b->lit ? 1 : 0;
        case QVB_REDRAW:
            InvalidateRect(window, nullptr, FALSE);
            if (lParam != 0) Paint(window, b);
            return 0;
        case QVB_SETDBLCLKNOTIFY:
            b->dblClkNotify = wParam != 0;
            return 0;
        case QVB_CANCELPRESS:
            CancelPress(window, b);
            return 0;
        case QVB_SETIMAGES:
            b->normalImage = reinterpret_cast<SkinImage>(wParam);
            b->pressedImage = reinterpret_cast<SkinImage>(lParam);
            return 0;
        case QVB_SETFOCUSINSET:
            if (wParam != 0)
                std::memcpy(b->focusInset, reinterpret_cast<const int*>(wParam),
                            sizeof(b->focusInset));
            b->litBorderMode = lParam != 0;
            return 0;
        case QVB_SETTINT:
            b->tint = static_cast<SkinTint>(wParam);
            return 0;
        case QVB_SETTEXTCOLOR:
            b->textColour = static_cast<COLORREF>(wParam);
            return 0;
        default:
            return std::nullopt;
    }
}

constexpr ControlClass<ButtonRecord> kControlClass = {Create, Paint, Handle, true, true};

}  // namespace

LRESULT CALLBACK PushButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchControl(kControlClass, window, message, wParam, lParam);
}
