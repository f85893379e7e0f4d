// "qv:Slider" and "qv:Edit" in real windows: what their gestures report, where the slider puts
// the pointer, and the value field's typed-entry box.
#include <gtest/gtest.h>

#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"

namespace {

using namespace UiSteps;

constexpr int kId = 10000;
const std::vector<BYTE> kThumb(29 * 16 * 4, 200);

const auto Changing = [](int value) { return UiReport{QVS_POSCHANGING, WPARAM(value), kUiSelf}; };
const UiReport kEnd = {QVS_ENDCHANGE, 0, kUiSelf};
const auto Adjust = [](int d) { return UiReport{QVE_ADJUST, MAKEWPARAM(kId, WORD(d)), kUiSelf}; };

// A slider of 154 x 20 (or 20 x 154) from 0 to 100 at 50, its thumb at (50 x 125 + 50) / 100 = 63.
HWND MakeSlider(UiTestHost& host, DWORD style = 0) {
    const bool vertical = (style & QVSS_VERT) != 0;
    HWND s = host.Create(kSliderClass, nullptr, style, 30, 40, vertical ? 20 : 154,
                         vertical ? 154 : 20, kId);
    UiDo(host, s,
         {Msg(QVS_SETTHUMB, LPARAM(kThumb.data())), Msg(QVS_SETRANGE, 0, 100),
          Msg(QVS_SETPOS, 50, 1)});
    return s;
}
// A value field of 40 x 21 showing 0.0.
HWND MakeField(UiTestHost& host, DWORD style = QVES_LINEAR) {
    return host.Create(kEditClass, "0.0", style, 50, 60, 40, 21, kId);
}

const UiGesture kSliderGestures[] = {
    G({Down(70, 10), Dragging(1, 0), kFocused, Cursor(-1), Move(73, 10), Move(71, 12), Move(71, 18),
       Up(71, 18)},
      {Changing(53), Changing(51), Changing(51), kEnd}, "relative drag, pointer hidden"),
    G({Msg(QVS_SETACCEL, 1), Down(70, 10), Move(73, 10), Move(70, 10), Move(71, 10), Move(73, 10),
       Move(83, 10), Up(83, 10)},
      {Changing(55), Changing(50), Changing(51), Changing(54), Changing(100), kEnd},
      "acceleration"),
    G({Msg(QVS_SETPAGESTEP, 25), KeyDown(VK_RIGHT), KeyDown(VK_UP), KeyDown(VK_LEFT),
       KeyDown(VK_DOWN), KeyDown(VK_PRIOR), KeyDown(VK_PRIOR), KeyDown(VK_NEXT), KeyDown(VK_END),
       KeyDown(VK_UP), KeyDown(VK_HOME), KeyDown(VK_HOME), KeyDown('A'), KeyDown(VK_SPACE)},
      {Changing(51),  kEnd, Changing(52),  kEnd, Changing(51), kEnd, Changing(50),  kEnd,
       Changing(75),  kEnd, Changing(100), kEnd, Changing(75), kEnd, Changing(100), kEnd,
       Changing(100), kEnd, Changing(0),   kEnd},
      "keys; none for no change"),
    G({Down(70, 10), Up(70, 10), DoubleClick(70, 10), Up(70, 10), KeyDown(VK_RIGHT)},
      {{QVS_DBLCLK, kId, kUiSelf}, Changing(51), kEnd}, "no movement; double click"),
    G({Msg(QVS_SETRANGE, -100000, 100000), Wheel(120), Wheel(-240), Wheel(30)},
      {Changing(51), kEnd, Changing(-1949), kEnd, Changing(-1449), kEnd},
      "wheel: notches squared x 500 / ms"),
    G({Msg(QVS_SETPAGESTEP, 0), Msg(QVS_SETRANGE, 0, 300), KeyDown(VK_PRIOR),
       Msg(QVS_SETPAGESTEP, 0), Msg(QVS_SETRANGE, 0, 5), Msg(QVS_SETPOS, 3), KeyDown(VK_PRIOR),
       Msg(QVS_SETPAGESTEP, 7), Msg(QVS_SETRANGE, 0, 300), KeyDown(VK_PRIOR)},
      {Changing(80), kEnd, Changing(4), kEnd, Changing(11), kEnd},
      "page step from the range over W - 4, at least 1, unless set"),
    G({Msg(QVS_SETPOS, -20), KeyDown(VK_RIGHT), Msg(QVS_SETRANGE, 5, 5), KeyDown(VK_PRIOR),
       Down(5, 5), Move(9, 5), Up(9, 5)},
      {Changing(0), kEnd, Changing(5), kEnd, Changing(5), kEnd}, "clamped by a change; range 0"),
};

const UiGesture kFieldGestures[] = {
    G({Down(10, 10), Dragging(1, 0), kFocused, Move(15, 7), Move(16, 4), Move(18, 3), Move(18, 3),
       Up(18, 3), Down(10, 10), Move(11, 12), Move(5, 13), Move(7, 9), Move(8, 6), Move(6, 5),
       Up(6, 5)},
      {Adjust(5), Adjust(3), Adjust(1), Adjust(0), Adjust(-2), Adjust(-6), Adjust(2), Adjust(3),
       Adjust(1)},
      "axis with hysteresis, kept"),
    G({Msg(QVE_SETACCEL, 1), Down(20, 10), Move(16, 10), Move(19, 10),
       Msg(QVE_SETFLAGS, kFieldInvertFlag), Move(21, 10), Move(321, 10), Up(321, 10)},
      {Adjust(-16), Adjust(9), Adjust(-4), Adjust(-24464)},
      "acceleration, inversion"),  // -(300 x 300) in 16 bits
    G({KeyDown(VK_UP), KeyDown(VK_RIGHT), KeyDown(VK_LEFT), KeyDown(VK_DOWN), KeyDown(VK_PRIOR),
       KeyDown(VK_NEXT), KeyDown(VK_END), KeyDown(VK_HOME), KeyDown('A'), KeyDown(VK_RETURN)},
      {Adjust(1), Adjust(1), Adjust(-1), Adjust(-1), Adjust(10), Adjust(-10), Adjust(17504),
       Adjust(-17504)},
      "keys"),
    G({Msg(QVE_SETFLAGS, kFieldInvertFlag), Wheel(120), Wheel(-240), Wheel(30)},
      {Adjust(-1), Adjust(2000), Adjust(-500)}, "wheel, inverted"),
    G({Down(10, 10), kFocusAway, Move(30, 10)}, {Adjust(0)}, "focus lost in a drag"),
    G({Down(10, 10), Up(10, 10), DoubleClick(10, 10), Text("0.0", true), Wheel(120)}, {Adjust(0)},
      "box opens, takes the focus; no wheel"),
    G({KeyDown(VK_SPACE), BoxType("-12.345 dB\r"), BoxKey(VK_RETURN), Text("-12.345 dB", false)},
      {{WM_COMMAND, MAKEWPARAM(kId, kTypedEntryCommitted), kUiSelf}, Adjust(0)}, "Enter"),
    G({KeyDown(VK_SPACE), BoxType("99"), BoxKey(VK_ESCAPE), Text("0.0", false)}, {}, "Escape"),
    G({DoubleClick(5, 5), BoxType("77"), kFocusAway, Text("0.0", false)}, {},
      "box loses the focus"),
};

TEST(ValueControls, GesturesAndTheirReports) {
    for (const UiGesture& g : kSliderGestures) {
        UiTestHost host;
        UiPlay(host, MakeSlider(host), g, true);
    }
    for (const UiGesture& g : kFieldGestures) {
        UiTestHost host;
        UiPlay(host, MakeField(host), g, false);
    }
    UiTestHost host;
    UiPlay(host, MakeSlider(host, QVSS_VERT),
           G({Down(10, 80), Move(10, 77), Move(14, 78), Up(14, 78)},
             {Changing(53), Changing(52), kEnd}, "vertical"),
           true);
    UiPlay(host, MakeField(host, 0x0086),
           G({Down(20, 10), Move(23, 10), Up(23, 10)}, {Adjust(9)}, "squared without QVES_LINEAR"),
           false);
    TypedEntryWindow = host.Window();  // as if a box were open
    UiPlay(host, MakeSlider(host), G({Wheel(120)}, {}, "no wheel while a box is open"), true);
    TypedEntryWindow = nullptr;
}

TEST(ValueControls, SliderPutsThePointerBackAndRecentresItAtTheScreenEdge) {
    UiTestHost host;
    HWND s = MakeSlider(host);
    RECT f;
    GetWindowRect(s, &f);
    auto PointerAt = [] {
        POINT p;
        GetCursorPos(&p);
        return std::vector<LONG>{p.x, p.y};
    };
    // Pressed on the thumb's last pixel (63 .. 88): back on the thumb of 51 (64), at x + 12 and
    // middle - 2. Pressed beside it (64 .. 89): back where it was pressed.
    UiDo(host, s, {Down(88, 10), Move(87, 10), Move(89, 10), Up(89, 10)});
    EXPECT_EQ((std::vector<LONG>{f.left + 76, (f.top + f.bottom) / 2 - 2}), PointerAt());
    UiDo(host, s, {Down(90, 5), Move(80, 5), Up(80, 5)});
    EXPECT_EQ((std::vector<LONG>{f.left + 90, f.top + 5}), PointerAt());
    SetCursorPos(640, 600);  // without movement it stays where it is
    UiDo(host, s, {Down(70, 10), Up(70, 10)});
    EXPECT_EQ((std::vector<LONG>{640, 600}), PointerAt());
    // At the left edge, then the bottom-right one (right - 1, bottom - 1 are outside), it goes to
    // the screen's centre; its arrival there, delivered here (the host is not in front), is
    // skipped.
    RECT d;
    GetWindowRect(GetDesktopWindow(), &d);
    const int x = (d.left + d.right) / 2 - f.left;
    const int y = (d.top + d.bottom) / 2 - f.top;
    for (const POINT edge : {POINT{d.left, 10}, POINT{d.right - 1, d.bottom - 1}}) {
        host.Pump();
        UiDo(host, s, {Down(70, 10), Move(72, 10), Move(edge.x - f.left, edge.y - f.top)});
        EXPECT_EQ((std::vector<LONG>{x + f.left, y + f.top}), PointerAt());
        host.Pump();
        UiDo(host, s, {Move(x, y), Move(x + 4, y), Up(x + 4, y)});
    }
    // A 20-pixel thumb is grabbed on 17 pixels where the value puts it, painted or not: 90 at 121.
    UiDo(
        host, s,
        {Msg(QVS_SETTHUMBLENGTH, 20), Msg(QVS_SETPOS, 90), Down(125, 5), Move(126, 5), Up(126, 5)});
    EXPECT_EQ((std::vector<LONG>{f.left + 122 + 12, (f.top + f.bottom) / 2 - 2}), PointerAt());
    UiDo(host, s, {Down(139, 5), Move(138, 5), Up(138, 5)});  // beside 122 .. 138
    EXPECT_EQ((std::vector<LONG>{f.left + 139, f.top + 5}), PointerAt());
}

TEST(ValueControls, TypedEntryBoxSitsOverItsFieldAndOnlyOneIsOpen) {
    UiTestHost host;
    HWND other = host.Create(kEditClass, "-3.5", 0, 150, 60, 40, 21, 10006);
    OpenTypedEntry(MakeField(host));
    HWND first = TypedEntryWindow;
    OpenTypedEntry(other);  // closes the first
    HWND box = TypedEntryWindow;
    RECT r;
    GetWindowRect(box, &r);
    MapWindowPoints(nullptr, other, reinterpret_cast<POINT*>(&r), 2);
    DWORD selection[2] = {1, 0};
    SendMessageA(box, EM_GETSEL, WPARAM(&selection[0]), LPARAM(&selection[1]));
    // The first gone; parent, id, focus, place, right-aligned scrolling, all selected, Enter.
    EXPECT_EQ((std::vector<LONG_PTR>{0, LONG_PTR(other), kTypedEntryId, LONG_PTR(box), 2, 2, 38, 19,
                                     ES_RIGHT | ES_AUTOHSCROLL, 0, 4, DLGC_WANTALLKEYS}),
              (std::vector<LONG_PTR>{IsWindow(first), LONG_PTR(GetParent(box)), GetDlgCtrlID(box),
                                     LONG_PTR(GetFocus()), r.left, r.top, r.right, r.bottom,
                                     GetWindowLongA(box, GWL_STYLE) & (ES_RIGHT | ES_AUTOHSCROLL),
                                     selection[0], selection[1],
                                     SendMessageA(box, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS}));
    CloseTypedEntry();
    CloseTypedEntry();  // none open: nothing happens
    OpenTypedEntry(other);
    DestroyWindow(other);  // takes its box with it
    EXPECT_EQ(nullptr, TypedEntryWindow);
}

}  // namespace
