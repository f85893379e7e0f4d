// The toolkit's classes in real windows under Wine: every look against its golden picture, what
// each answers and reports (sent or posted) for what a parent or a user does; drawing helpers.
#include <gtest/gtest.h>

#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SkinResources.h"

namespace {

using namespace SkinId;

const HINSTANCE kModule = GetModuleHandleA(nullptr);

// One step of what a user or a parent does to a control, or a check between steps: a message
// sent with x and y (for the mouse, the pointer at x, y), or one of the kinds below, with x, y.
using Step = std::tuple<UINT, LPARAM, LPARAM>;
enum StepKind : UINT {
    kFocus = 0x10000,  // the control (x 1) or the host (x 0) takes the keyboard focus
    kEnable,           // the control is enabled as x and repainted
    kPointer,          // the pointer moves to (x, y) and the control sets the cursor
    kBox,              // text x typed into the typed-entry box (none: one opened), then key y
    kAnswer,           // expected: the last message answered x and asked for a repaint if y
    kClass,            // expected: style, no erasing, drag flags cleared at a lost capture unless x
    kPointerAt,        // expected: the pointer at (x, y) from the control's top left
    kCursor,           // expected: skin cursor x (0: the arrow, -1: hidden)
    kDragging,         // expected: drag flags x, y (reverb time), the capture with them, focus
    kText,             // expected: text x; if y, one right-aligned box asking for every key
};
const auto Msg = [](UINT m, LPARAM w = 0, LPARAM l = 0) { return Step{m, w, l}; };
const auto Down = [](int x, int y) { return Step{WM_LBUTTONDOWN, x, y}; };
const auto Up = [](int x, int y) { return Step{WM_LBUTTONUP, x, y}; };
const auto Move = [](int x, int y) { return Step{WM_MOUSEMOVE, x, y}; };
const auto DoubleClick = [](int x, int y) { return Step{WM_LBUTTONDBLCLK, x, y}; };
const auto KeyDown = [](int key) { return Step{WM_KEYDOWN, key, 1}; };
const auto KeyUp = [](int key) { return Step{WM_KEYUP, key, LPARAM(0xC0000001)}; };
const auto Wheel = [](int delta) { return Step{WM_MOUSEWHEEL, delta << 16, 0}; };
const auto Pointer = [](int x, int y) { return Step{kPointer, x, y}; };
const auto Box = [](const char* text, int key) { return Step{kBox, LPARAM(text), key}; };
const auto Answer = [](LRESULT answer, bool repaint) { return Step{kAnswer, answer, repaint}; };
const auto PointerAt = [](int x, int y) { return Step{kPointerAt, x, y}; };
const auto Cursor = [](int id) { return Step{kCursor, id, 0}; };
const auto Dragging = [](int control, int rev) { return Step{kDragging, control, rev}; };
const auto Text = [](const char* text, bool box) { return Step{kText, LPARAM(text), box}; };
const Step kTakeFocus = {kFocus, 1, 0};
const Step kFocusAway = {kFocus, 0, 0};
const Step kDisable = {kEnable, 0, 0};
const Step kRepaint = {kEnable, 1, 0};

// Plays one step; true when it pumps the queue.
bool Do(HWND control, const Step& step) {
    const auto [message, x, y] = step;
    static std::vector<LRESULT> last = {0, 0};  // the last message and its answer
    RECT frame;
    GetWindowRect(control, &frame);
    char text[256] = {};
    GetClassNameA(control, text, sizeof(text));
    if (message == kFocus) {
        SetFocus(x != 0 ? control : GetParent(control));
    } else if (message == kEnable) {
        EnableWindow(control, x != 0);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    } else if (message == kPointer) {
        SetCursorPos(frame.left + x, frame.top + y);
        UiTestHost::Pump();
        SendMessageA(control, WM_SETCURSOR, WPARAM(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return true;
    } else if (message == kBox) {
        if (x == 0) OpenTypedEntry(control);
        for (const char* c = reinterpret_cast<const char*>(x); c != nullptr && *c != 0; ++c) {
            SendMessageA(TypedEntryWindow, WM_CHAR, static_cast<BYTE>(*c), 1);
        }
        if (y != 0) SendMessageA(TypedEntryWindow, WM_KEYDOWN, y, 1);
    } else if (message == kAnswer) {
        EXPECT_EQ((std::vector<LRESULT>{last[0], x, y}),
                  (std::vector<LRESULT>{last[0], last[1], GetUpdateRect(control, nullptr, 0)}));
    } else if (message == kClass) {
        WNDCLASSA c = {};
        GetClassInfoA(GetModuleHandleA(nullptr), text, &c);
        ControlDragActive = RevTimeDragActive = true;
        SendMessageA(control, WM_CAPTURECHANGED, 0, 0);
        EXPECT_EQ((std::vector<LONG_PTR>{CS_DBLCLKS | CS_PARENTDC, 1, x, x}),
                  (std::vector<LONG_PTR>{c.style, SendMessageA(control, WM_ERASEBKGND, 0, 0),
                                         ControlDragActive, RevTimeDragActive}))
            << text;
        ControlDragActive = RevTimeDragActive = false;
    } else if (message == kPointerAt) {
        POINT p;
        GetCursorPos(&p);
        EXPECT_EQ((std::vector<LONG>{LONG(x), LONG(y)}),
                  (std::vector<LONG>{p.x - frame.left, p.y - frame.top}));
    } else if (message == kCursor) {
        const char* id = x == 0 ? IDC_ARROW : MAKEINTRESOURCEA(x);
        EXPECT_EQ(x < 0 ? nullptr : LoadCursorA(x == 0 ? nullptr : kModule, id), GetCursor());
    } else if (message == kDragging) {
        EXPECT_EQ((std::vector<bool>{x != 0, y != 0}),
                  (std::vector<bool>{IsControlDragActive(), IsRevTimeDragActive()}));
        EXPECT_EQ(x != 0 || y != 0 ? control : nullptr, GetCapture());
        EXPECT_EQ(control, GetFocus());
    } else if (message == kText) {
        GetWindowTextA(control, text, sizeof(text));
        EXPECT_STREQ(reinterpret_cast<const char*>(x), text);
        HWND box = GetWindow(control, GW_CHILD);
        EXPECT_EQ((std::vector<HWND>{y != 0 ? box : nullptr, y != 0 ? box : nullptr}),
                  (std::vector<HWND>{TypedEntryWindow, box}));
        if (y == 0) return false;
        RECT r = {};
        GetWindowRect(box, &r);
        EXPECT_EQ(
            (std::vector<LONG_PTR>{0, 2, 2, 38, 19, ES_RIGHT, DLGC_WANTALLKEYS}),
            (std::vector<LONG_PTR>{LONG_PTR(GetWindow(box, GW_HWNDNEXT)), r.left - frame.left,
                                   r.top - frame.top, r.right - frame.left, r.bottom - frame.top,
                                   GetWindowLongA(box, GWL_STYLE) & ES_RIGHT,
                                   SendMessageA(box, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS}));
    } else {
        // Validated first, so that the answer's check sees what this message asks for.
        const bool mouse = message >= WM_MOUSEFIRST && message < WM_MOUSEWHEEL;
        ValidateRect(control, nullptr);
        last = {LRESULT(message), SendMessageA(control, message, mouse ? 0 : WPARAM(x),
                                               mouse ? MAKELPARAM(x, y) : y)};
    }
    return false;
}

// A gesture and every report it brings, in order; lParam kSelf stands for the control.
using Gesture = std::tuple<std::vector<Step>, std::vector<UiReport>, const char*>;
constexpr LPARAM kSelf = -0x5E1F;

// Plays a gesture: sent reports must come during input messages, posted ones from the queue;
// afterwards no control holds the mouse and both drag flags are clear.
void Play(UiTestHost& host, HWND control, const Gesture& gesture, bool sent) {
    const auto& [steps, reports, what] = gesture;
    SCOPED_TRACE(what);
    host.Take();
    std::vector<UiReport> all;
    auto collect = [&](const std::vector<UiReport>& got, bool queued) {
        for (UiReport r : got) {
            if (std::get<2>(r) == reinterpret_cast<LPARAM>(control)) std::get<2>(r) = kSelf;
            all.push_back(r);
            EXPECT_NE(sent, queued) << std::get<0>(r) << (sent ? " posted" : " sent");
        }
    };
    for (const Step& s : steps) {
        const bool queued = Do(control, s);
        collect(host.Take(false), queued);
    }
    collect(host.Take(), true);
    EXPECT_EQ(reports, all);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive() || IsRevTimeDragActive());
}

const auto Image = [](int id) { return LPARAM(LockSkinImage(kModule, id)); };

// Name, class, caption, style, width, height, and the steps that give the control its look.
using Picture =
    std::tuple<const char*, const char*, const char*, DWORD, int, int, std::vector<Step>>;
Picture Look(const char* name, const char* className, const char* caption, DWORD style, int w,
             int h, std::vector<Step> steps) {
    return {name, className, caption, style, w, h, steps};
}
Picture Button(const char* name, const char* caption, DWORD style, int w, int normal, int pressed,
               std::vector<Step> then) {
    then.insert(then.begin(), Msg(QVB_SETIMAGES, Image(normal), Image(pressed)));
    return {name, kPushButtonClass, caption, style, w, 21, then};
}
Picture Slider(const char* name, DWORD style, int minimum, int maximum, int spacing, int offset,
               int value, std::vector<Step> then) {
    then.insert(then.begin(), {Msg(QVS_SETTHUMB, Image(kSliderThumb)),
                               Msg(QVS_SETTICKSPACING, spacing), Msg(QVS_SETTICKOFFSET, offset),
                               Msg(QVS_SETRANGE, minimum, maximum), Msg(QVS_SETPOS, value, 1)});
    return {name, kSliderClass, nullptr, style, style != 0 ? 20 : 154, style != 0 ? 154 : 20, then};
}
// A meter's peak readout as the page shows it, spaced for the font: text, gap, text.
const char* Readout() {
    static char text[kMeterPeakTextSize];
    FormatMeterPeakText(nullptr, HFONT(GetStockObject(DEFAULT_GUI_FONT)), text, -9999, 0);
    return text;
}

const int kInset[4] = {-2, 0, 0, 0};
const std::vector<BYTE> kPlainThumb(16 * 29 * 4, 90);
const SkinTint kDimTint = 0x641E140A;  // divisor 100: red x 10, green x 20, blue x 30
const Step kRedraw = Msg(QVB_REDRAW, 0, 1);
const Step kFace = Msg(QVE_SETIMAGE, Image(kFieldFace));
const Step kMeterImages = Msg(QVM_SETIMAGES, Image(kMeterUnlit), Image(kMeterLit));
const Step kMeterRange = Msg(QVM_SETRANGE, -600, 0);
const std::vector<BYTE> kDark(144 * 12 * 4, 50);
const std::vector<BYTE> kLit(144 * 12 * 4, 0);
const LPARAM kFreqShade = LPARAM(LoadSkinBitmap(kModule, SkinId::kFreqShade, 0));
const LPARAM kRevShade = LPARAM(LoadSkinBitmap(kModule, kRevTimeShade, 0));

const Picture kPictures[] = {
    Button("button-pressed", "Undo", 0, 76, kWideNormal, kWidePressed, {Down(5, 5)}),
    Button("button-lit-inset-focused", "Bypass", 0, 50, kBypassNormal, kBypassPressed,
           {Msg(QVB_SETFOCUSINSET, LPARAM(kInset), 1), Msg(QVB_SETCHECK, 1, 0), kTakeFocus}),
    Button("button-lit-tint-colour", "Tail", 0, 36, kSmallNormal, kSmallPressed,
           {Msg(QVB_SETTINT, kDimTint), Msg(QVB_SETTEXTCOLOR, RGB(0, 0, 255)),
            Msg(QVB_SETCHECK, 1, 1)}),
    Button("button-arrow", "Setup A", QVBS_ARROW, 61, kSetupNormal, kSetupPressed, {kRedraw}),
    Button("button-arrow-bare", nullptr, QVBS_ARROW, 15, kCopyNormal, kCopyPressed, {kRedraw}),
    Button("button-marker-grey", "Presets", QVBS_MARKER, 76, kWideNormal, kWidePressed, {kDisable}),
    Look("button-imageless", kPushButtonClass, "?", 0, 24, 21, {}),
    Slider("slider-decibels-disabled", 0, -361, 60, 20, 1, 0, {kDisable}),
    Slider("slider-room-focused", 0, 1, 100, 10, -1, 62, {kTakeFocus}),
    Slider("slider-trackless-idle-tint", 0, 0, 100, 20, 0, 50,
           {Msg(QVS_SETTRACK, 0), Msg(QVS_SETIDLETINT, kStandardTint), kRepaint}),
    Slider("slider-vertical-dragged-up", QVSS_VERT, 0, 100, 20, 0, 30,
           {Msg(QVS_SETTHUMB, LPARAM(kPlainThumb.data())), Down(10, 100), Move(10, 97), Up(10, 97),
            PointerAt(8, 97)}),  // pressed on the thumb: back at its middle - 2, 16 above its end
    Look("field-right-focused", kEditClass, "2.4", QVES_RIGHT, 40, 21, {kFace, kTakeFocus}),
    Look("field-disabled", kEditClass, "0.0", 0, 40, 21, {kFace, kDisable}),
    Look("static-text-readout", kStaticTextClass, Readout(), 0, 52, 11, {}),
    Look("static-lamp", kStaticImageClass, nullptr, 0, 12, 9, {Msg(QVI_SETBITMAP, 141), kRepaint}),
    Look("freq-shaded-disabled", kFreqDisplayClass, nullptr, 0, 154, 44,
         {Msg(QVF_SETOVERLAY, kFreqShade), kDisable, Msg(QVF_SETLOWCUT, 75),
          Msg(QVF_SETHIGHCUT, 8000)}),
    Look("freq-dragging-low", kFreqDisplayClass, nullptr, 0, 154, 44,
         {Msg(QVF_SETLOWCUT, 100), Msg(QVF_SETHIGHCUT, 10000), Down(40, 20)}),
    Look("revtime-shaded-disabled", kRevTimeClass, nullptr, 0, 154, 90,
         {Msg(QVR_SETOVERLAY, kRevShade), kDisable, Msg(QVR_SETVALUE, 0, 40)}),
    Look("revtime-triangle-dragging", kRevTimeClass, nullptr, 0, 154, 90,
         {Msg(QVR_SETVALUE, 1, 2000), Msg(QVR_SETVALUE, 3, 500), Down(68, 48)}),
    Look("meter-held-peak-decay-50", kMeterClass, nullptr, QVMS_VERT | QVMS_BALLISTICS, 12, 144,
         {kMeterImages, kMeterRange, Msg(QVM_SETDECAY, 50), Msg(QVM_SETLEVELS, -100),
          Msg(QVM_SETLEVELS, -9999)}),
    Look("meter-inverted", kMeterClass, nullptr, QVMS_VERT | QVMS_INVERT, 12, 144,
         {kMeterImages, kMeterRange, Msg(QVM_SETLEVELS, -450)}),
    Look("meter-horizontal", kMeterClass, nullptr, 0, 144, 12,  // on plain images of its own
         {Msg(QVM_SETIMAGES, LPARAM(kDark.data()), LPARAM(kLit.data())), kMeterRange,
          Msg(QVM_SETLEVELS, -300)}),
};

TEST(ControlPictures, EveryLookMatchesItsGoldenPicture) {
    for (const auto& [name, className, caption, style, w, h, steps] : kPictures) {
        UiTestHost host;
        HWND control = host.Create(className, caption, style, w, h, 900);
        for (const Step& s : steps) Do(control, s);
        EXPECT_TRUE(UiMatchesGolden(control, name));
    }
}

TEST(SkinDrawing, CentringEnablingAndPalettes) {
    UiTestHost host;
    HWND child = host.Create("STATIC", "", 0, 50, 20, 900);
    HWND popup = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 101, 51, GetParent(child),
                                 nullptr, nullptr, nullptr);
    CenterWindowOnParent(popup);  // x = 20 + (420 - 101) / 2, y = 20 + (320 - 51) / 2
    CenterWindowOnParent(child);  // in its parent's client coordinates
    RECT r[2];
    GetWindowRect(popup, &r[0]);
    GetRectInParent(child, &r[1]);
    DestroyWindow(popup);
    EnableAndRedrawItem(GetParent(child), 900, FALSE);
    // A colour table of red 200 and blue 150 gives a palette of 256 entries; cut short, no bitmap.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } dib = {{sizeof(BITMAPINFOHEADER), 6, 3, 1, 8, BI_RLE8, 0, 0, 0, 4, 0},
             {{0, 0, 0, 0}, {0, 0, 200, 0}, {150, 0, 0, 0}}};
    const BITMAPINFOHEADER* header = &dib.header;
    int count = 0;
    GdiObject<HPALETTE> palette(CreateDibPalette(header, &count));
    PALETTEENTRY e[3] = {};
    GetPaletteEntries(palette.Get(), 0, 3, e);
    HPALETTE none = HPALETTE(1);
    HPALETTE shade = nullptr;  // a run-length resource comes with its palette
    GdiObject<HBITMAP> mask(LoadSkinBitmap(kModule, kRevTimeShade, &shade));
    EXPECT_EQ(
        (std::vector<LONG_PTR>{179, 154, 280, 205, 185, 150, 0, 0, 256, 200, 0, 0, 150, 0, 0, 0,
                               256}),
        (std::vector<LONG_PTR>{r[0].left, r[0].top, r[0].right, r[0].bottom, r[1].left, r[1].top,
                               IsWindowEnabled(child), GetUpdateRect(child, nullptr, FALSE), count,
                               e[1].peRed, e[1].peBlue, e[2].peRed, e[2].peBlue, e[2].peFlags,
                               LONG_PTR(CreateSkinBitmap(header, 20, &none)), LONG_PTR(none),
                               GetPaletteEntries(shade, 0, 0, nullptr)}));
    DeleteObject(shade);
}

TEST(PushButton, CancellingAPressTakesOneWaitingPressOrReleaseOutOfTheQueue) {
    UiTestHost host;
    HWND button = host.Create(kPushButtonClass, "", 0, 60, 21, 7);
    Do(button, Down(5, 5));
    PostMessageA(button, WM_LBUTTONUP, 0, 0);
    PostMessageA(button, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(button, QVB_CANCELPRESS, 0, 0);
    MSG m = {};
    PeekMessageA(&m, button, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE);
    EXPECT_EQ(UINT(WM_LBUTTONDOWN), m.message);
    EXPECT_FALSE(PeekMessageA(&m, button, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE));
}

TEST(Meter, BallisticsAndMaximaThroughTheirMessages) {
    UiTestHost host;
    HWND meter = host.Create(kMeterClass, nullptr, QVMS_VERT | QVMS_BALLISTICS, 12, 144, 1);
    // After a peak the bar falls 20 a step; the hold stays 30 steps, then falls 30 a step until
    // the bar catches it (after 91). Holds and maxima come through pointers.
    std::vector<int> got;
    for (int step = 0; step <= 92; ++step) {
        SendMessageA(meter, QVM_SETLEVELS, step == 0 ? -100 : -9999, step == 0 ? -50 : -9999);
        int hold[2] = {1, 1};
        SendMessageA(meter, QVM_GETHOLD, WPARAM(&hold[0]), step == 30 ? LPARAM(&hold[1]) : 0);
        if (step == 30) got.push_back(hold[1]);
        if (step == 30 || step == 31 || step >= 90) got.push_back(hold[0]);
    }
    int m[4] = {1, 1, 1, 1};
    SendMessageA(meter, QVM_GETMAX, 0, LPARAM(&m[0]));
    SendMessageA(meter, QVM_GETMAX, WPARAM(&m[1]), 0);
    SendMessageA(meter, QVM_RESETMAX, 0, 0);
    SendMessageA(meter, QVM_GETMAX, WPARAM(&m[2]), LPARAM(&m[3]));
    got.insert(got.end(), m, m + 4);
    EXPECT_EQ((std::vector<int>{-50, -100, -130, -1900, -1920, -1920, -50, -100, -9999, -9999}),
              got);
}

constexpr int kId = 7;
const auto Command = [](WORD code) { return UiReport{WM_COMMAND, MAKEWPARAM(kId, code), kSelf}; };
const UiReport kPressed = Command(QVBN_PRESSED);
const UiReport kClicked = Command(QVBN_CLICKED);
const auto Changing = [](int value) { return UiReport{QVS_POSCHANGING, WPARAM(value), kSelf}; };
const UiReport kEnd = {QVS_ENDCHANGE, 0, kSelf};
const auto Adjust = [](int d) { return UiReport{QVE_ADJUST, MAKEWPARAM(kId, WORD(d)), kSelf}; };
const auto Freq = [](int w, int hz) { return UiReport{QVF_CHANGED, MAKEWPARAM(kId, w), hz}; };
const auto Rev = [](int index, int v) { return UiReport{QVR_CHANGED, MAKEWPARAM(kId, index), v}; };
const auto G = [](std::vector<Step> steps, std::vector<UiReport> reports, const char* what) {
    return Gesture{steps, reports, what};
};

const LRESULT kButtonCode = DLGC_WANTARROWS | DLGC_UNDEFPUSHBUTTON;
const HFONT kFont = CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
const std::vector<Step> kClicks = {Down(3, 2), Up(3, 2), DoubleClick(4, 5)};
// A slider from 0 to 100 at 50 with a thumb of 29 pixels: at (50 x 125 + 50) / 100 = 63.
const std::vector<BYTE> kThumb(29 * 16 * 4, 200);
const std::vector<Step> kSlider = {Msg(QVS_SETTHUMB, LPARAM(kThumb.data())),
                                   Msg(QVS_SETRANGE, 0, 100), Msg(QVS_SETPOS, 50, 1)};

const std::vector<Gesture> kButtonGestures = {
    G({Msg(kClass), Msg(WM_SETTEXT, 0, LPARAM("0.0")), Answer(0, 0),
       Msg(WM_SETTEXT, 0, LPARAM("Undo")), Answer(TRUE, 1), Msg(WM_SETTEXT, 0, LPARAM("Undo")),
       Answer(0, 0), Msg(WM_GETDLGCODE), Answer(kButtonCode, 0), Msg(WM_RBUTTONDOWN, 3, 4),
       Answer(77, 0)},
      {{QVB_RBUTTONDOWN, kId, MAKELPARAM(3, 4)}}, "caption once; the right button asks the host"),
    G({Msg(QVB_SETCHECK, 0), Answer(0, 0), Msg(QVB_SETCHECK, 1), Answer(0, 1), Msg(QVB_GETCHECK),
       Answer(1, 0), Msg(QVB_SETCHECK, 1), Answer(0, 0), Msg(QVB_SETCHECK, 1, 1), Answer(0, 1),
       Msg(QVB_SETCHECK, 0, 1), Answer(0, 1), Msg(QVB_REDRAW), Answer(0, 1)},
      {}, "lit state"),
    G({Down(5, 5), Dragging(1, 0), Up(5, 5), Down(5, 5), Move(200, 5), Up(200, 5), Up(5, 5)},
      {kPressed, kClicked, kPressed, Command(QVBN_LEAVE)}, "inside; outside; unpressed"),
    G({Down(5, 5), Move(60, 5), Move(-3, 5), Move(5, -1), Move(5, 20), Move(6, 6), Move(59, 21),
       Move(0, 0), Up(0, 0)},
      {kPressed, Command(QVBN_LEAVE), Command(QVBN_REENTER), Command(QVBN_LEAVE),
       Command(QVBN_REENTER), kClicked},
      "crossings once; left, above are out"),
    G({KeyDown(VK_SPACE), Dragging(1, 0), Move(300, 300), KeyUp(VK_SPACE), KeyDown(VK_SPACE),
       KeyUp('A'), KeyUp(VK_SPACE), KeyDown(VK_RETURN), KeyDown('X')},
      {kPressed, kClicked, kPressed}, "Space ignores the pointer; another key ends it unclicked"),
    G({DoubleClick(5, 5), Up(5, 5), Msg(QVB_SETDBLCLKNOTIFY, 1), DoubleClick(5, 5), Up(5, 5),
       Down(5, 5), Msg(QVB_CANCELPRESS), Down(5, 5), Move(-5, 5), Msg(QVB_CANCELPRESS)},
      {kPressed, kClicked, Command(QVBN_DBLCLK), kClicked, kPressed, kClicked, kPressed,
       Command(QVBN_LEAVE)},
      "double clicks; cancel inside, then outside"),
};

const std::vector<Gesture> kSliderGestures = {
    G({Msg(kClass), Msg(QVS_SETPOS, 50), Answer(0, 0), Msg(QVS_SETPOS, 500), Answer(0, 1),
       Msg(QVS_GETPOS), Answer(500, 0), Msg(WM_GETDLGCODE), Answer(DLGC_WANTARROWS, 0)},
      {}, "the value set unchanged, changed, not clamped"),
    G({Down(88, 10), Dragging(1, 0), Cursor(-1), Move(91, 10), Move(89, 12), Move(89, 18),
       Up(89, 18), PointerAt(76, 8)},
      {Changing(53), Changing(51), Changing(51), kEnd}, "drag; on the thumb, back on it"),
    G({Msg(QVS_SETACCEL, 1), Down(89, 10), Move(92, 10), Move(89, 10), Move(90, 10), Move(92, 10),
       Move(102, 10), Up(102, 10), PointerAt(89, 10)},
      {Changing(55), Changing(50), Changing(51), Changing(54), Changing(100), kEnd},
      "acceleration; pressed beside the thumb, back there"),
    G({Msg(QVS_SETPAGESTEP, 25), KeyDown(VK_RIGHT), KeyDown(VK_UP), KeyDown(VK_LEFT),
       KeyDown(VK_DOWN), KeyDown(VK_PRIOR), KeyDown(VK_NEXT), KeyDown(VK_END), KeyDown(VK_UP),
       KeyDown(VK_HOME), KeyDown('A')},
      {Changing(51), kEnd, Changing(52), kEnd, Changing(51), kEnd, Changing(50), kEnd, Changing(75),
       kEnd, Changing(50), kEnd, Changing(100), kEnd, Changing(100), kEnd, Changing(0), kEnd},
      "keys; none for other keys"),
    G({Pointer(200, 300), Down(70, 10), Up(70, 10), PointerAt(200, 300), DoubleClick(70, 10),
       Up(70, 10), KeyDown(VK_RIGHT)},
      {{QVS_DBLCLK, kId, kSelf}, Changing(51), kEnd}, "unmoved, the pointer left; double click"),
    G({Msg(QVS_SETRANGE, -100000, 100000), Wheel(120), Wheel(-240), Wheel(30)},
      {Changing(51), kEnd, Changing(-1949), kEnd, Changing(-1449), kEnd}, "wheel, 500 / ms"),
    G({Msg(QVS_SETPAGESTEP, 0), Msg(QVS_SETRANGE, 0, 300), KeyDown(VK_PRIOR),
       Msg(QVS_SETPAGESTEP, 0), Msg(QVS_SETRANGE, 0, 5), Msg(QVS_SETPOS, 3), KeyDown(VK_PRIOR),
       Msg(QVS_SETPAGESTEP, 7), Msg(QVS_SETRANGE, 0, 300), KeyDown(VK_PRIOR)},
      {Changing(80), kEnd, Changing(4), kEnd, Changing(11), kEnd}, "page: range x 15 / (W - 4)"),
    G({Msg(QVS_SETPOS, -20), KeyDown(VK_RIGHT), Msg(QVS_SETRANGE, 5, 5), KeyDown(VK_PRIOR),
       Down(5, 5), Move(9, 5), Up(9, 5)},
      {Changing(0), kEnd, Changing(5), kEnd, Changing(5), kEnd}, "clamped by a change; range 0"),
    G({Box(nullptr, 0), Wheel(120)}, {}, "no wheel while a typed-entry box is open"),
};

const std::vector<Gesture> kFieldGestures = {
    G({Msg(kClass), Msg(WM_SETTEXT, 0, LPARAM("0.0")), Answer(0, 0),
       Msg(WM_SETTEXT, 0, LPARAM("-3.5")), Answer(TRUE, 1), Msg(WM_GETDLGCODE),
       Answer(DLGC_WANTARROWS, 0), Msg(WM_SETTEXT, 0, LPARAM("0.0"))},
      {}, "text when changed"),
    G({Down(10, 10), Dragging(1, 0), Move(15, 7), Move(16, 4), Move(18, 3), Move(18, 3), Up(18, 3),
       Down(10, 10), Move(11, 12), Move(5, 13), Move(7, 9), Move(8, 6), Move(6, 5), Up(6, 5)},
      {Adjust(5), Adjust(3), Adjust(1), Adjust(0), Adjust(-2), Adjust(-6), Adjust(2), Adjust(3),
       Adjust(1)},
      "axis with hysteresis, kept"),
    G({Msg(QVE_SETACCEL, 1), Down(20, 10), Move(16, 10), Move(19, 10),
       Msg(QVE_SETFLAGS, kFieldInvertFlag), Move(21, 10), Move(321, 10), Up(321, 10)},
      {Adjust(-16), Adjust(9), Adjust(-4), Adjust(-24464)}, "accelerated, inverted; 16 bits"),
    G({KeyDown(VK_UP), KeyDown(VK_RIGHT), KeyDown(VK_LEFT), KeyDown(VK_DOWN), KeyDown(VK_PRIOR),
       KeyDown(VK_NEXT), KeyDown(VK_END), KeyDown(VK_HOME), KeyDown('A'), KeyDown(VK_RETURN)},
      {Adjust(1), Adjust(1), Adjust(-1), Adjust(-1), Adjust(10), Adjust(-10), Adjust(17504),
       Adjust(-17504)},
      "keys"),
    G({Msg(QVE_SETFLAGS, kFieldInvertFlag), Wheel(120), Wheel(-240), Wheel(30), Down(10, 10),
       kFocusAway, Move(30, 10)},
      {Adjust(-1), Adjust(2000), Adjust(-500), Adjust(0)}, "wheel, inverted; focus lost in a drag"),
    G({Down(10, 10), Up(10, 10), DoubleClick(10, 10), DoubleClick(5, 5), Text("0.0", true),
       Wheel(120)},
      {Adjust(0), Adjust(0)}, "one box at a time, each taking the focus; no wheel"),
    G({KeyDown(VK_SPACE), Box("-12.345 dB\r", VK_RETURN), Text("-12.345 dB", false)},
      {{WM_COMMAND, MAKEWPARAM(kId, kTypedEntryCommitted), kSelf}, Adjust(0)}, "Enter"),
    G({KeyDown(VK_SPACE), Box("99", VK_ESCAPE), Text("0.0", false)}, {}, "Escape"),
    G({DoubleClick(5, 5), Box("77", 0), kFocusAway, Text("0.0", false)}, {}, "box loses the focus"),
};

// From 100 Hz to 10 kHz: the mouse axis (x = 2 over 150 pixels) puts them at 37 and 135.
const std::vector<Gesture> kFreqGestures = {
    G({Msg(kClass), Msg(QVF_SETLOWCUT, 100), Answer(0, 0), Down(40, 30), Dragging(1, 0),
       Move(50, 30), Move(30, 0), Up(30, 0)},
      {Freq(0, 157), Freq(0, 61)}, "low-cut handle, whole height live"),
    G({Down(132, 5), Move(137, 5), Move(1000, 5), Move(-500, 5), Up(-500, 5), Down(37, 5),
       Move(400, 5), Up(400, 5)},
      {Freq(1, 12564), Freq(1, 22100), Freq(1, 500), Freq(0, 3000)}, "limits; x to W + 16"),
    G({Pointer(86, 20), Cursor(kOpenHandCursor), Down(86, 20), Cursor(kClosedHandCursor),
       Move(94, 20), Move(146, 20), Up(146, 20)},
      {Freq(0, 143), Freq(1, 14469), Freq(0, 1660), Freq(1, 22100)}, "band until an edge stops"),
    G({Msg(QVF_SETLOWCUT, 1000), Msg(QVF_SETHIGHCUT, 1800), Pointer(92, 5), Cursor(0), Down(92, 5),
       Cursor(0), Dragging(1, 0), Move(96, 5), Up(96, 5)},
      {Freq(1, 2101)}, "close handles: no band, high wins"),
    G({Down(138, 5), Dragging(0, 0), Move(155, 5), Up(155, 5), Pointer(40, 30), Cursor(0),
       Pointer(44, 30), Cursor(kOpenHandCursor)},
      {}, "press beside; the band's edge"),
    G({DoubleClick(145, 10), DoubleClick(86, 10), Dragging(0, 0), DoubleClick(38, 10),
       DoubleClick(134, 10), Move(165, 10)},
      {{QVF_DBLCLK, kId, -1}, {QVF_DBLCLK, kId, 2}, {QVF_DBLCLK, kId, 0}, {QVF_DBLCLK, kId, 1}},
      "double clicks, and no drag after them"),
};

// 154 x 90 as made: crossover 500 Hz, damping 4 kHz, decay 1.5 s, bass x 1.0. On the mouse plot
// (inset 2) the crossover is at x = 71, the damping at 115, both tops at y = 45.
const std::vector<Gesture> kRevTimeGestures = {
    G({Msg(kClass), Msg(QVR_SETVALUE, 4), Answer(0, 0), Pointer(51, 46), Cursor(kUpDownCursor),
       Down(51, 46), Dragging(0, 1), Move(51, 33), Move(111, -500), Move(51, 500), Up(51, 500)},
      {Rev(0, 27), Rev(0, 30), Rev(0, 2)}, "no value 4; bass line: tenths, 2 to 30"),
    G({Pointer(112, 48), Cursor(0), Down(112, 48), Dragging(0, 1), Move(122, 38), Up(122, 38)},
      {Rev(3, 6202), Rev(2, 3299)}, "main handle, both ways"),
    G({Pointer(112, 48), Down(112, 48), Move(2000, -2000), Move(-2000, 2000), Up(-2000, 2000)},
      {Rev(3, 22100), Rev(2, 20000), Rev(3, 500), Rev(2, 100)}, "main handle limits"),
    G({Pointer(71, 65), Cursor(kLeftRightCursor), Down(71, 65), Move(77, 85), Up(77, 85),
       Pointer(103, 44), Cursor(kUpDownCursor), Down(103, 44), Move(145, 39), Up(145, 39)},
      {Rev(1, 647), Rev(2, 2260)}, "crossover edge alone, then the main top line"),
    G({Pointer(112, 48), DoubleClick(112, 48), Dragging(0, 0), Pointer(68, 48), DoubleClick(68, 48),
       Pointer(117, 75), Cursor(kLeftRightCursor), Pointer(140, 5), Cursor(0), DoubleClick(140, 5)},
      {{QVR_DBLCLK, kId, 1}, {QVR_DBLCLK, kId, 0}, {QVR_DBLCLK, kId, -1}}, "double clicks"),
};

// Plays each gesture on a new control, made and set up as given, whose reports are sent or posted.
void PlayAll(const char* className, DWORD style, int w, int h, const std::vector<Step>& setup,
             bool sent, const std::vector<Gesture>& gestures) {
    SCOPED_TRACE(className);
    for (const Gesture& g : gestures) {
        UiTestHost host;
        HWND control = host.Create(className, "0.0", style, w, h, kId);
        for (const Step& s : setup) Do(control, s);
        Play(host, control, g, sent);
    }
}

TEST(ControlGestures, EveryGestureBringsItsReports) {
    PlayAll(kPushButtonClass, 0, 60, 21, {}, true, kButtonGestures);
    PlayAll(kStaticTextClass, 0, 52, 11,
            {Msg(kClass), Msg(WM_SETTEXT, 0, LPARAM("-Inf")), Answer(TRUE, 1),
             Msg(WM_SETFONT, WPARAM(kFont), 1), Answer(0, 1), Msg(WM_GETFONT),
             Answer(LRESULT(kFont), 0)},
            false, {G(kClicks, {{WM_COMMAND, kId, kSelf}, {WM_COMMAND, kId, kSelf}}, "clicks")});
    PlayAll(
        kStaticImageClass, 0, 52, 11, {Msg(kClass), Msg(QVI_SETBITMAP, 141), Answer(0, 1)}, false,
        {G(kClicks, {{QVI_CLICKED, kId, MAKELPARAM(3, 2)}, {QVI_CLICKED, kId, MAKELPARAM(4, 5)}},
           "clicks")});
    PlayAll(kStaticNoHitImageClass, 0, 52, 11,
            {Msg(kClass), Msg(WM_NCHITTEST), Answer(HTTRANSPARENT, 0)}, false,
            {G(kClicks, {}, "no clicks")});
    PlayAll(kMeterClass, 0, 52, 11, {Msg(kClass, 1), Msg(QVM_SETLEVELS), Answer(0, 0)}, false,
            {G(kClicks, {}, "no clicks")});
    PlayAll(kSliderClass, 0, 154, 20, kSlider, true, kSliderGestures);
    PlayAll(kEditClass, QVES_LINEAR, 40, 21, {}, false, kFieldGestures);
    PlayAll(kEditClass, 0, 40, 21, {}, false,
            {G({Down(20, 10), Move(23, 10), Up(23, 10)}, {Adjust(9)}, "squared")});
    PlayAll(kFreqDisplayClass, 0, 154, 44, {Msg(QVF_SETLOWCUT, 100), Msg(QVF_SETHIGHCUT, 10000)},
            false, kFreqGestures);
    PlayAll(kRevTimeClass, 0, 154, 90, {}, false, kRevTimeGestures);
}

TEST(Slider, RecentresThePointerAtTheScreenEdge) {
    UiTestHost host;
    HWND s = host.Create(kSliderClass, nullptr, 0, 154, 20, kId);
    for (const Step& step : kSlider) Do(s, step);
    // At the left edge, then the bottom-right one (right - 1, bottom - 1 are outside), the pointer
    // goes to the screen's centre; its arrival, delivered here (the host is not in front), skipped.
    RECT d, f;
    GetWindowRect(GetDesktopWindow(), &d);
    GetWindowRect(s, &f);
    const int x = (d.left + d.right) / 2 - f.left;
    const int y = (d.top + d.bottom) / 2 - f.top;
    Play(host, s,
         G({Down(70, 10), Move(72, 10), Move(d.left - f.left, 10), PointerAt(x, y), Move(x, y),
            Move(x + 4, y), Move(d.right - 1 - f.left, d.bottom - 1 - f.top), PointerAt(x, y),
            Move(x, y), Move(x + 4, y), Up(x + 4, y)},
           {Changing(52), Changing(56), Changing(60), kEnd}, "screen edges"),
         true);
}

}  // namespace
