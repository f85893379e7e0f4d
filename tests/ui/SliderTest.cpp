// "qv:Slider" in a real window: relative drags with and without acceleration, re-centring at the
// screen edge, where the pointer goes after a drag, keys and page steps, the wheel's speed law,
// ticks, the thumb's looks and range 0.
#include <gtest/gtest.h>

#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"

namespace {

constexpr int kId = 10009;
constexpr int kX = 30;  // in the host
constexpr int kY = 40;
constexpr int kW = 154;
constexpr int kH = 20;

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        slider_ = host_.Create(kSliderClass, nullptr, 0, kX, kY, kW, kH, kId);
        ASSERT_NE(nullptr, slider_);
        SendMessageA(slider_, QVS_SETTHUMB, reinterpret_cast<WPARAM>(thumb_.data()), 0);
        SendMessageA(slider_, QVS_SETRANGE, 0, 100);
        SendMessageA(slider_, QVS_SETPOS, 50, 1);
        host_.Take();
    }
    int Value() const { return static_cast<int>(SendMessageA(slider_, QVS_GETPOS, 0, 0)); }
    UiReport Changing(int value) const {
        return {QVS_POSCHANGING, static_cast<WPARAM>(value), reinterpret_cast<LPARAM>(slider_)};
    }
    UiReport End() const { return {QVS_ENDCHANGE, 0, reinterpret_cast<LPARAM>(slider_)}; }
    POINT Screen(int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(slider_, &p);
        return p;
    }
    static POINT Pointer() {
        POINT p;
        GetCursorPos(&p);
        return p;
    }
    void ExpectReports(const std::vector<UiReport>& expected) {
        const auto reports = host_.Take();
        EXPECT_EQ(expected, reports) << UiDescribe(reports);
    }

    UiTestHost host_;
    HWND slider_ = nullptr;
    std::vector<BYTE> thumb_ = UiSolidImage(29, 16, 200, 200, 200);
};

// The thumb of value 50 on 0..100 sits at ((50 x 125) + 50) / 100 = 63.
TEST_F(SliderTest, PressDoesNotMoveTheValueAndRelativeDragFollows) {
    SetCursorPos(700, 700);
    UiMouse(slider_, WM_LBUTTONDOWN, 70, 10);
    EXPECT_EQ(50, Value());
    EXPECT_EQ(slider_, GetCapture());
    EXPECT_EQ(slider_, GetFocus());
    EXPECT_TRUE(IsControlDragActive());
    EXPECT_EQ(nullptr, GetCursor());  // hidden while dragging
    UiMouse(slider_, WM_MOUSEMOVE, 73, 10);
    UiMouse(slider_, WM_MOUSEMOVE, 71, 12);
    UiMouse(slider_, WM_MOUSEMOVE, 71, 18);  // across the axis: reported, value unchanged
    EXPECT_EQ(51, Value());
    UiMouse(slider_, WM_LBUTTONUP, 71, 18);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    EXPECT_FALSE(IsRevTimeDragActive());
    ExpectReports({Changing(53), Changing(51), Changing(51), End()});
    // The press was on the thumb: the pointer reappears on it, at x = thumb + 12 and
    // y = middle - 2 (thumb of 51 at (51 x 125 + 50) / 100 = 64).
    RECT frame;
    GetWindowRect(slider_, &frame);
    const POINT p = Pointer();
    EXPECT_EQ(frame.left + 64 + 12, p.x);
    EXPECT_EQ((frame.top + frame.bottom) / 2 - 2, p.y);
}

TEST_F(SliderTest, PressOffTheThumbPutsThePointerBackWhereItWas) {
    UiMouse(slider_, WM_LBUTTONDOWN, 10, 5);  // thumb spans 63..88
    UiMouse(slider_, WM_MOUSEMOVE, 6, 5);
    UiMouse(slider_, WM_LBUTTONUP, 6, 5);
    ExpectReports({Changing(46), End()});
    const POINT pressed = Screen(10, 5);
    const POINT p = Pointer();
    EXPECT_EQ(pressed.x, p.x);
    EXPECT_EQ(pressed.y, p.y);
}

TEST_F(SliderTest, PressAndReleaseWithoutMovementSendNothing) {
    SetCursorPos(640, 600);
    host_.Pump();
    UiMouse(slider_, WM_LBUTTONDOWN, 70, 10);
    UiMouse(slider_, WM_LBUTTONUP, 70, 10);
    ExpectReports({});
    const POINT p = Pointer();
    EXPECT_EQ(640, p.x);
    EXPECT_EQ(600, p.y);
    EXPECT_FALSE(IsControlDragActive());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(SliderTest, AccelerationSquaresTheMovement) {
    SendMessageA(slider_, QVS_SETACCEL, 1, 0);
    UiMouse(slider_, WM_LBUTTONDOWN, 70, 10);
    UiMouse(slider_, WM_MOUSEMOVE, 73, 10);  // +3 -> +5
    UiMouse(slider_, WM_MOUSEMOVE, 70, 10);  // -3 -> -5
    UiMouse(slider_, WM_MOUSEMOVE, 71, 10);  // +1 -> +1
    UiMouse(slider_, WM_MOUSEMOVE, 81, 10);  // +10 -> +51, held at 100
    UiMouse(slider_, WM_LBUTTONUP, 81, 10);
    ExpectReports({Changing(55), Changing(50), Changing(51), Changing(100), End()});
}

TEST_F(SliderTest, ScreenEdgeRecentresThePointerWithoutAJump) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    const POINT centre = {(desktop.left + desktop.right) / 2, (desktop.top + desktop.bottom) / 2};
    UiMouse(slider_, WM_MOUSEMOVE, 0, 0);  // not dragging: ignored
    UiMouse(slider_, WM_LBUTTONDOWN, 70, 10);
    UiMouse(slider_, WM_MOUSEMOVE, 72, 10);
    // The left edge of the screen, in the slider's client coordinates.
    const POINT origin = Screen(0, 0);
    UiMouse(slider_, WM_MOUSEMOVE, desktop.left - origin.x, 10);
    const POINT p = Pointer();
    EXPECT_EQ(centre.x, p.x);
    EXPECT_EQ(centre.y, p.y);
    // The pointer's arrival at the centre is the next movement (the host is not the foreground
    // window, so the system does not echo it here: the test delivers it); that jump is not
    // applied.
    host_.Pump();
    POINT local = centre;
    ScreenToClient(slider_, &local);
    UiMouse(slider_, WM_MOUSEMOVE, local.x, local.y);
    EXPECT_EQ(52, Value());
    UiMouse(slider_, WM_MOUSEMOVE, local.x + 4, local.y);
    UiMouse(slider_, WM_LBUTTONUP, local.x + 4, local.y);
    ExpectReports({Changing(52), Changing(56), End()});
    // The bottom-right edge counts as outside as well (right - 1, bottom - 1).
    UiMouse(slider_, WM_LBUTTONDOWN, 70, 10);
    UiMouse(slider_, WM_MOUSEMOVE, desktop.right - 1 - origin.x, 10);
    UiMouse(slider_, WM_MOUSEMOVE, local.x, local.y);
    UiMouse(slider_, WM_LBUTTONUP, local.x, local.y);
    EXPECT_EQ(56, Value());
    ExpectReports({End()});
}

TEST_F(SliderTest, KeysStepAndJump) {
    SendMessageA(slider_, QVS_SETPAGESTEP, 25, 0);
    UiKey(slider_, WM_KEYDOWN, VK_RIGHT);
    UiKey(slider_, WM_KEYDOWN, VK_UP);
    UiKey(slider_, WM_KEYDOWN, VK_LEFT);
    UiKey(slider_, WM_KEYDOWN, VK_DOWN);
    UiKey(slider_, WM_KEYDOWN, VK_PRIOR);
    UiKey(slider_, WM_KEYDOWN, VK_PRIOR);
    UiKey(slider_, WM_KEYDOWN, VK_NEXT);
    UiKey(slider_, WM_KEYDOWN, VK_END);
    UiKey(slider_, WM_KEYDOWN, VK_UP);  // at the maximum: reported, held
    UiKey(slider_, WM_KEYDOWN, VK_HOME);
    ExpectReports({Changing(51),  End(),         Changing(52), End(),        Changing(51),
                   End(),         Changing(50),  End(),        Changing(75), End(),
                   Changing(100), End(),         Changing(75), End(),        Changing(100),
                   End(),         Changing(100), End(),        Changing(0),  End()});
    // Home at the minimum changes nothing and sends nothing; other keys neither.
    UiKey(slider_, WM_KEYDOWN, VK_HOME);
    UiKey(slider_, WM_KEYDOWN, 'A');
    UiKey(slider_, WM_KEYDOWN, VK_SPACE);
    ExpectReports({});
    EXPECT_EQ(DLGC_WANTARROWS, SendMessageA(slider_, WM_GETDLGCODE, 0, 0));
}

TEST_F(SliderTest, RangeSetsThePageStepOnlyWhenNoneIsSet) {
    // 0..300 on 154 - 4 = 150 pixels: 300 x 15 / 150 = 30.
    HWND other = host_.Create(kSliderClass, nullptr, 0, 30, 80, kW, kH, 10011);
    SendMessageA(other, QVS_SETRANGE, 0, 300);
    UiKey(other, WM_KEYDOWN, VK_PRIOR);
    EXPECT_EQ(30, SendMessageA(other, QVS_GETPOS, 0, 0));
    // A small range still steps by at least 1.
    HWND tiny = host_.Create(kSliderClass, nullptr, 0, 30, 110, kW, kH, 10013);
    SendMessageA(tiny, QVS_SETRANGE, 0, 5);
    UiKey(tiny, WM_KEYDOWN, VK_PRIOR);
    EXPECT_EQ(1, SendMessageA(tiny, QVS_GETPOS, 0, 0));
    // The set-up page step wins over the computed one.
    SendMessageA(slider_, QVS_SETPAGESTEP, 7, 0);
    SendMessageA(slider_, QVS_SETRANGE, 0, 300);
    UiKey(slider_, WM_KEYDOWN, VK_PRIOR);
    EXPECT_EQ(57, Value());
}

TEST_F(SliderTest, SetPosNeitherClampsNorReports) {
    RECT update;
    ValidateRect(slider_, nullptr);
    SendMessageA(slider_, QVS_SETPOS, 50, 0);  // unchanged: not even invalidated
    EXPECT_FALSE(GetUpdateRect(slider_, &update, FALSE));
    SendMessageA(slider_, QVS_SETPOS, 500, 0);
    EXPECT_TRUE(GetUpdateRect(slider_, &update, FALSE));
    EXPECT_EQ(500, Value());
    SendMessageA(slider_, QVS_SETPOS, static_cast<WPARAM>(-20), 0);
    EXPECT_EQ(-20, Value());
    ExpectReports({});
    UiKey(slider_, WM_KEYDOWN, VK_RIGHT);  // the next user change clamps
    ExpectReports({Changing(0), End()});
}

TEST_F(SliderTest, WheelSpeedFollowsTheTimeBetweenNotches) {
    // The first notch comes long after "time 0": one step.
    UiPostAndDispatch(slider_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(51, Value());
    Sleep(300);
    UiPostAndDispatch(slider_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(50, Value());
    // Two quick notches: the second moves by 500 / elapsed per notch.
    Sleep(300);
    const LONG first = UiPostAndDispatch(slider_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    Sleep(100);
    const LONG second = UiPostAndDispatch(slider_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    const LONG elapsed = std::max<LONG>(1, second - first);
    const int speed = std::max<int>(1, static_cast<int>(500 / elapsed));
    EXPECT_EQ(std::min(100, 51 + speed), Value());
    ExpectReports({Changing(51), End(), Changing(50), End(), Changing(51), End(),
                   Changing(std::min(100, 51 + speed)), End()});
    // Two notches in one message after a long pause: 2 x 2.
    Sleep(300);
    SendMessageA(slider_, QVS_SETPOS, 50, 0);
    UiPostAndDispatch(slider_, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
    EXPECT_EQ(54, Value());
    host_.Take();
    // Ignored while a typed-entry box is open.
    TypedEntryWindow = host_.Window();
    UiPostAndDispatch(slider_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    TypedEntryWindow = nullptr;
    EXPECT_EQ(54, Value());
    ExpectReports({});
}

TEST_F(SliderTest, DoubleClickIsReported) {
    UiMouse(slider_, WM_LBUTTONDOWN, 70, 10);
    UiMouse(slider_, WM_LBUTTONUP, 70, 10);
    UiMouse(slider_, WM_LBUTTONDBLCLK, 70, 10);
    UiMouse(slider_, WM_LBUTTONUP, 70, 10);
    ExpectReports({{QVS_DBLCLK, kId, reinterpret_cast<LPARAM>(slider_)}});
    EXPECT_EQ(50, Value());
}

TEST_F(SliderTest, ThumbPositionTintAndDisabledLook) {
    const COLORREF idle = RGB(200, 200, 200);
    const COLORREF focused = RGB(217, 211, 102);  // the standard tint over all of the thumb
    UiCapture c(slider_);
    EXPECT_EQ(idle, c.At(63, 0));
    EXPECT_EQ(idle, c.At(63 + 28, 15));
    EXPECT_NE(idle, c.At(62, 0));
    EXPECT_NE(idle, c.At(63 + 29, 15));
    // The track: two rows at (20 - 4) / 2 - 2 = 6 and 7 from x = 4 to 149.
    EXPECT_EQ(RGB(32, 32, 32), c.At(4, 6));
    EXPECT_EQ(RGB(32, 32, 32), c.At(149, 7));
    EXPECT_NE(RGB(32, 32, 32), c.At(150, 7));
    EXPECT_NE(RGB(32, 32, 32), c.At(10, 8));
    SetFocus(slider_);
    EXPECT_EQ(focused, UiCapture(slider_).At(70, 5));
    SendMessageA(slider_, QVS_SETFOCUSTINT, 0, 0);
    SendMessageA(slider_, QVS_SETIDLETINT, kStandardTint, 0);
    SetFocus(host_.Window());
    EXPECT_EQ(focused, UiCapture(slider_).At(70, 5));

    SendMessageA(slider_, QVS_SETIDLETINT, 0, 0);
    EnableWindow(slider_, FALSE);
    InvalidateRect(slider_, nullptr, FALSE);
    UpdateWindow(slider_);
    UiCapture disabled(slider_);
    // Fade 192 over the background; the grey track does not show through the thumb.
    const COLORREF under = UiTestHost::BackgroundAt(kX + 70, kY + 6);
    auto blend = [](int d) { return ((d - 200) * 193 >> 8) + 200; };
    EXPECT_EQ(RGB(blend(GetRValue(under)), blend(GetGValue(under)), blend(GetBValue(under))),
              disabled.At(70, 6));
    EXPECT_EQ(RGB(160, 160, 160), disabled.At(20, 6));
}

TEST_F(SliderTest, TicksOfTheDecibelLayout) {
    SendMessageA(slider_, QVS_SETTHUMB, 0, 0);  // no thumb over the ticks
    SendMessageA(slider_, QVS_SETTICKSPACING, 20, 0);
    SendMessageA(slider_, QVS_SETTICKOFFSET, 1, 0);
    SendMessageA(slider_, QVS_SETRANGE, static_cast<WPARAM>(-361), 60);
    UiCapture c(slider_);
    const COLORREF major = RGB(80, 80, 80);
    const COLORREF minor = RGB(136, 136, 136);
    auto x = [](int v) { return ((v + 361) * 125 + 210) / 421 + 12; };
    // Majors at -361, 0 and 60 from y = 10 to 15; minors from y = 12 to 15.
    for (int v : {-361, 0, 60}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(major, c.At(x(v), 10));
        EXPECT_EQ(major, c.At(x(v), 15));
        EXPECT_NE(major, c.At(x(v), 16));
    }
    for (int v : {-340, -320, -20, 20, 40}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(minor, c.At(x(v), 12));
        EXPECT_EQ(minor, c.At(x(v), 15));
        EXPECT_NE(minor, c.At(x(v), 11));
    }
    // Without spacing, or without the track, no ticks.
    SendMessageA(slider_, QVS_SETTICKSPACING, 0, 0);
    InvalidateRect(slider_, nullptr, FALSE);
    UpdateWindow(slider_);
    EXPECT_NE(minor, UiCapture(slider_).At(x(-340), 13));
    SendMessageA(slider_, QVS_SETTICKSPACING, 20, 0);
    SendMessageA(slider_, QVS_SETTRACK, 0, 0);
    InvalidateRect(slider_, nullptr, FALSE);
    UpdateWindow(slider_);
    UiCapture bare(slider_);
    EXPECT_NE(minor, bare.At(x(-340), 13));
    EXPECT_NE(RGB(32, 32, 32), bare.At(20, 6));
}

TEST_F(SliderTest, TicksOfTheRoomSizeLayout) {
    SendMessageA(slider_, QVS_SETTHUMB, 0, 0);
    SendMessageA(slider_, QVS_SETTICKSPACING, 10, 0);
    SendMessageA(slider_, QVS_SETTICKOFFSET, static_cast<WPARAM>(-1), 0);
    SendMessageA(slider_, QVS_SETRANGE, 1, 100);
    UiCapture c(slider_);
    auto x = [](int v) { return ((v - 1) * 125 + 49) / 99 + 12; };
    EXPECT_EQ(RGB(80, 80, 80), c.At(x(1), 10));
    EXPECT_EQ(RGB(80, 80, 80), c.At(x(100), 10));
    for (int v = 10; v <= 90; v += 10) EXPECT_EQ(RGB(136, 136, 136), c.At(x(v), 12)) << v;
    EXPECT_NE(RGB(136, 136, 136), c.At(x(11), 12));
}

TEST_F(SliderTest, RangeZeroKeepsTheThumbAtTheStart) {
    SendMessageA(slider_, QVS_SETRANGE, 5, 5);
    SendMessageA(slider_, QVS_SETPOS, 5, 1);
    EXPECT_EQ(RGB(200, 200, 200), UiCapture(slider_).At(0, 0));
    UiKey(slider_, WM_KEYDOWN, VK_PRIOR);  // page step at least 1; clamped to 5
    UiMouse(slider_, WM_LBUTTONDOWN, 5, 5);
    UiMouse(slider_, WM_MOUSEMOVE, 9, 5);
    UiMouse(slider_, WM_LBUTTONUP, 9, 5);
    ExpectReports({Changing(5), End(), Changing(5), End()});
}

TEST_F(SliderTest, VerticalSliderMovesUpward) {
    HWND vertical = host_.Create(kSliderClass, nullptr, QVSS_VERT, 300, 20, 20, 154, 10100);
    SendMessageA(vertical, QVS_SETRANGE, 0, 100);
    SendMessageA(vertical, QVS_SETPOS, 50, 0);
    UiMouse(vertical, WM_LBUTTONDOWN, 10, 80);
    UiMouse(vertical, WM_MOUSEMOVE, 10, 77);  // up by 3
    UiMouse(vertical, WM_MOUSEMOVE, 14, 78);  // down by 1
    UiMouse(vertical, WM_LBUTTONUP, 14, 78);
    const LPARAM l = reinterpret_cast<LPARAM>(vertical);
    const std::vector<UiReport> expected = {
        {QVS_POSCHANGING, 53, l}, {QVS_POSCHANGING, 52, l}, {QVS_ENDCHANGE, 0, l}};
    EXPECT_EQ(expected, host_.Take());
}

}  // namespace
