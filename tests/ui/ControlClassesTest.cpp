// The nine classes in real windows: registration, the standard messages and drag flags, their
// state messages and repaints, the push button's commands and the static controls' clicks.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/UiTestHost.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinControls.h"

namespace {

using namespace UiSteps;

const auto Command = [](WORD code) { return UiReport{WM_COMMAND, MAKEWPARAM(7, code), kUiSelf}; };
const UiReport kPressed = Command(QVBN_PRESSED);
const UiReport kClicked = Command(QVBN_CLICKED);

TEST(ControlClasses, RegisteredAlikeErasingNothingAndClearingTheDragFlagsButTheMeter) {
    UiTestHost host;
    for (const char* name :
         {kPushButtonClass, kSliderClass, kEditClass, kStaticTextClass, kStaticImageClass,
          kStaticNoHitImageClass, kFreqDisplayClass, kRevTimeClass, kMeterClass}) {
        WNDCLASSA c = {};
        GetClassInfoA(GetModuleHandleA(nullptr), name, &c);
        HWND control = host.Create(name, nullptr, 0, 10, 10, 30, 20, 8);
        const LRESULT erased =
            SendMessageA(control, WM_ERASEBKGND, WPARAM(WindowDc(control).Get()), 0);
        ControlDragActive = RevTimeDragActive = true;
        SendMessageA(control, WM_CAPTURECHANGED, 0, 0);
        const bool meter = name == kMeterClass;  // the same constant
        EXPECT_EQ((std::vector<LONG_PTR>{CS_DBLCLKS | CS_PARENTDC, 4, 1, meter, meter}),
                  (std::vector<LONG_PTR>{c.style, c.cbWndExtra, erased, IsControlDragActive(),
                                         IsRevTimeDragActive()}))
            << name;
        ControlDragActive = RevTimeDragActive = false;
    }
    EXPECT_EQ(GetModuleHandleA(nullptr), SkinModule);
    EXPECT_EQ(0, RegisterSkinControls(GetModuleHandleA(nullptr)));  // all exist: harmless
}

// A message, its answer, and whether it leaves the control to be repainted; a row acts on the
// control of the rows before it, or on a new one captioned "0.0" when the class changes.
using MessageCase = std::tuple<const char*, UINT, WPARAM, LPARAM, LRESULT, bool>;
const HFONT kFont = CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
const MessageCase kMessages[] = {
    {kPushButtonClass, WM_SETTEXT, 0, LPARAM("0.0"), 0, false},  // the caption made with it
    {kPushButtonClass, WM_SETTEXT, 0, LPARAM("Undo"), TRUE, true},
    {kPushButtonClass, WM_SETTEXT, 0, LPARAM("Undo"), 0, false},
    {kPushButtonClass, QVB_SETCHECK, 0, 0, 0, false},
    {kPushButtonClass, QVB_SETCHECK, 1, 0, 0, true},
    {kPushButtonClass, QVB_GETCHECK, 0, 0, 1, false},
    {kPushButtonClass, QVB_SETCHECK, 1, 0, 0, false},
    {kPushButtonClass, QVB_SETCHECK, 1, 1, 0, true},  // forced
    {kPushButtonClass, QVB_SETCHECK, 0, 1, 0, true},
    {kPushButtonClass, QVB_REDRAW, 0, 0, 0, true},
    {kPushButtonClass, WM_GETDLGCODE, 0, 0, DLGC_WANTARROWS | DLGC_UNDEFPUSHBUTTON, false},
    {kSliderClass, QVS_SETPOS, 0, 0, 0, false},  // unchanged
    {kSliderClass, QVS_SETPOS, 500, 0, 0, true},
    {kSliderClass, QVS_GETPOS, 0, 0, 500, false},  // not clamped
    {kSliderClass, WM_GETDLGCODE, 0, 0, DLGC_WANTARROWS, false},
    {kEditClass, WM_SETTEXT, 0, LPARAM("0.0"), 0, false},
    {kEditClass, WM_SETTEXT, 0, LPARAM("-3.5"), TRUE, true},
    {kEditClass, WM_GETDLGCODE, 0, 0, DLGC_WANTARROWS, false},
    {kStaticTextClass, WM_SETTEXT, 0, LPARAM("-Inf"), TRUE, true},
    {kStaticTextClass, WM_GETFONT, 0, 0, 0, false},
    {kStaticTextClass, WM_SETFONT, WPARAM(kFont), 0, 0, false},
    {kStaticTextClass, WM_SETFONT, WPARAM(kFont), 1, 0, true},
    {kStaticTextClass, WM_GETFONT, 0, 0, LRESULT(kFont), false},
    {kStaticImageClass, QVI_SETBITMAP, 141, 0, 0, true},
    {kStaticNoHitImageClass, WM_NCHITTEST, 0, MAKELPARAM(60, 55), HTTRANSPARENT, false},
};

TEST(ControlClasses, StateMessagesAndTheirRepaints) {
    UiTestHost host;
    HWND c = nullptr;
    const char* made = nullptr;
    for (const auto& [name, message, wParam, lParam, result, invalidated] : kMessages) {
        if (name != made) c = host.Create(made = name, "0.0", 0, 30, 30, 40, 20, 9);
        ValidateRect(c, nullptr);
        const LRESULT answer = SendMessageA(c, message, wParam, lParam);
        EXPECT_EQ((std::vector<LRESULT>{result, invalidated}),
                  (std::vector<LRESULT>{answer, GetUpdateRect(c, nullptr, FALSE)}))
            << name << " message " << message << " " << wParam;
    }
    DestroyWindow(c);
    LOGFONTA font;
    EXPECT_NE(0, GetObjectA(kFont, sizeof(font), &font));  // not the static text's to free
}

// A button of 60 x 21.
const UiGesture kButtonGestures[] = {
    G({Down(5, 5), Dragging(1, 0), kFocused, Up(5, 5)}, {kPressed, kClicked}, "press inside"),
    G({Down(5, 5), Move(60, 5), Move(-3, 5), Move(5, -1), Move(5, 20), Move(6, 6), Move(59, 21),
       Move(0, 0), Up(0, 0)},
      {kPressed, Command(QVBN_LEAVE), Command(QVBN_REENTER), Command(QVBN_LEAVE),
       Command(QVBN_REENTER), kClicked},
      "crossings, once each; left of or above is outside"),
    G({Down(5, 5), Move(200, 5), Up(200, 5), Up(5, 5)}, {kPressed, Command(QVBN_LEAVE)},
      "release outside; release unpressed"),
    G({KeyDown(VK_SPACE), Dragging(1, 0), Move(300, 300), KeyUp(VK_SPACE), KeyDown(VK_SPACE),
       KeyUp('A'), KeyUp(VK_SPACE), KeyDown(VK_RETURN), KeyDown('X')},
      {kPressed, kClicked, kPressed}, "Space ignores the pointer; another key ends it unclicked"),
    G({DoubleClick(5, 5), Up(5, 5), Msg(QVB_SETDBLCLKNOTIFY, 1), DoubleClick(5, 5), Up(5, 5)},
      {kPressed, kClicked, Command(QVBN_DBLCLK), kClicked}, "double clicks"),
    G({Down(5, 5), Msg(QVB_CANCELPRESS), Down(5, 5), Move(-5, 5), Msg(QVB_CANCELPRESS)},
      {kPressed, kClicked, kPressed, Command(QVBN_LEAVE)}, "cancel inside, then outside"),
    G({Msg(WM_RBUTTONDOWN, 3, 4)}, {{QVB_RBUTTONDOWN, 7, MAKELPARAM(3, 4)}}, "right button"),
};

TEST(ControlClasses, PushButtonCommandsAreSent) {
    for (const UiGesture& g : kButtonGestures) {
        UiTestHost host;
        UiPlay(host, host.Create(kPushButtonClass, "", 0, 40, 30, 60, 21, 7), g, true);
    }
    UiTestHost host;
    HWND button = host.Create(kPushButtonClass, "", 0, 40, 30, 60, 21, 7);
    host.rightButtonAnswer = 77;
    EXPECT_EQ(77, SendMessageA(button, WM_RBUTTONDOWN, 0, 0));
    // Cancelling takes one waiting press or release out of the queue (a menu took the other).
    UiDo(host, button, {Down(5, 5)});
    PostMessageA(button, WM_LBUTTONUP, 0, 0);
    PostMessageA(button, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(button, QVB_CANCELPRESS, 0, 0);
    MSG m[2] = {};
    PeekMessageA(&m[0], button, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE);
    PeekMessageA(&m[1], button, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE);
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, 0}),
              (std::vector<UINT>{m[0].message, m[1].message}));
}

TEST(ControlClasses, StaticsPostTheirClicksAndTheMeterIgnoresTheMouse) {
    const std::pair<const char*, std::vector<UiReport>> cases[] = {
        {kStaticTextClass, {{WM_COMMAND, 10, kUiSelf}, {WM_COMMAND, 10, kUiSelf}}},
        {kStaticImageClass,
         {{QVI_CLICKED, 10, MAKELPARAM(3, 2)}, {QVI_CLICKED, 10, MAKELPARAM(4, 5)}}},
        {kStaticNoHitImageClass, {}},
        {kMeterClass, {}}};
    for (const auto& [name, reports] : cases) {
        UiTestHost host;
        UiPlay(host, host.Create(name, "x", 0, 30, 30, 52, 11, 10),
               G({Down(3, 2), Up(3, 2), DoubleClick(4, 5)}, reports, name), false);
    }
}

}  // namespace
