// "qv:FreqDisplay" and "qv:RevTime" in real windows: hit zones of handles, bands, edges and top
// lines, drags with their limits and steps, cursors, double clicks and the fills they paint.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/UiTestHost.h"
#include "ui/controls/LogAxis.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinResources.h"

namespace {

const LogAxis kFreq = MakeLogAxis(19.0, 22100.0);
const LogAxis kTime = MakeLogAxis(60.0, 40000.0);

HCURSOR SkinCursor(int id) {
    return LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}
HCURSOR Arrow() {
    return LoadCursorA(nullptr, IDC_ARROW);
}

class FreqDisplayTest : public ::testing::Test {
protected:
    static constexpr int kId = 10007;
    static constexpr int kW = 154;
    static constexpr int kH = 44;

    void SetUp() override {
        display_ = host_.Create(kFreqDisplayClass, nullptr, 0, 40, 50, kW, kH, kId);
        ASSERT_NE(nullptr, display_);
        SendMessageA(display_, QVF_SETLOWCUT, 100, 0);
        SendMessageA(display_, QVF_SETHIGHCUT, 10000, 0);
        host_.Take();
    }
    // Mouse axis: x = 2 over W - 4; drawing axis: x = 3 over W - 6.
    static int MouseX(int hz) { return AxisPosition(kFreq, hz, 2, kW - 4); }
    static int MouseHz(int x) { return AxisValue(kFreq, x, 2, kW - 4); }
    static int DrawX(int hz) { return AxisPosition(kFreq, hz, 3, kW - 6); }
    UiReport Changed(int which, int hz) const { return {QVF_CHANGED, MAKEWPARAM(kId, which), hz}; }
    void ExpectReports(const std::vector<UiReport>& expected) {
        const auto reports = host_.Take();
        EXPECT_EQ(expected, reports) << UiDescribe(reports);
    }

    UiTestHost host_;
    HWND display_ = nullptr;
};

TEST_F(FreqDisplayTest, DraggingTheLowHandle) {
    const int xL = MouseX(100);
    UiMouse(display_, WM_LBUTTONDOWN, xL + 3, 30);  // the whole height is live
    EXPECT_EQ(display_, GetCapture());
    EXPECT_TRUE(IsControlDragActive());
    EXPECT_EQ(RGB(255, 255, 128), UiCapture(display_).At(DrawX(100) + 2, 6));  // dragged: yellow
    UiMouse(display_, WM_MOUSEMOVE, xL + 13, 30);
    UiMouse(display_, WM_MOUSEMOVE, xL - 7, 0);
    UiMouse(display_, WM_LBUTTONUP, xL - 7, 0);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    EXPECT_EQ(RGB(255, 255, 255), UiCapture(display_).At(DrawX(MouseHz(xL - 10)) + 2, 6));
    ExpectReports({Changed(0, MouseHz(xL + 10)), Changed(0, std::max(19, MouseHz(xL - 10)))});
}

TEST_F(FreqDisplayTest, DraggingTheHighHandleAndItsLimits) {
    const int xH = MouseX(10000);
    UiMouse(display_, WM_LBUTTONDOWN, xH - 3, 5);
    UiMouse(display_, WM_MOUSEMOVE, xH + 2, 5);  // grab -3: the edge goes to xH + 5
    UiMouse(display_, WM_MOUSEMOVE, 1000, 5);    // held to (W - 4) + 20, then 22100
    UiMouse(display_, WM_MOUSEMOVE, -500, 5);    // far left: held at 500 Hz
    UiMouse(display_, WM_LBUTTONUP, -500, 5);
    ExpectReports({Changed(1, MouseHz(xH + 5)), Changed(1, 22100), Changed(1, 500)});
}

TEST_F(FreqDisplayTest, LowHandleStopsAt3000Hz) {
    const int xL = MouseX(100);
    UiMouse(display_, WM_LBUTTONDOWN, xL, 5);
    UiMouse(display_, WM_MOUSEMOVE, 400, 5);
    UiMouse(display_, WM_LBUTTONUP, 400, 5);
    ExpectReports({Changed(0, 3000)});
}

TEST_F(FreqDisplayTest, DraggingTheBandMovesBothEdgesUntilOneMeetsItsLimit) {
    const int xL = MouseX(100);
    const int xH = MouseX(10000);
    const int x = (xL + xH) / 2;
    UiMouse(display_, WM_LBUTTONDOWN, x, 20);
    EXPECT_EQ(SkinCursor(SkinId::kClosedHandCursor), GetCursor());
    EXPECT_EQ(display_, GetCapture());
    UiMouse(display_, WM_MOUSEMOVE, x + 8, 20);
    UiMouse(display_, WM_MOUSEMOVE, x + 60, 20);  // the high edge is held at 22100
    UiMouse(display_, WM_LBUTTONUP, x + 60, 20);
    ExpectReports({Changed(0, MouseHz(xL + 8)), Changed(1, MouseHz(xH + 8)),
                   Changed(0, MouseHz(xL + 60)), Changed(1, 22100)});
    EXPECT_LT(MouseHz(xL + 60), 3000);  // the low edge went on
}

TEST_F(FreqDisplayTest, HighHandleWinsWhereTheZonesOverlap) {
    SendMessageA(display_, QVF_SETLOWCUT, 1000, 0);
    SendMessageA(display_, QVF_SETHIGHCUT, 1100, 0);
    const int xL = MouseX(1000);
    const int xH = MouseX(1100);
    ASSERT_LT(xH - xL, 7);
    UiMouse(display_, WM_LBUTTONDOWN, xL, 5);  // inside both zones
    UiMouse(display_, WM_MOUSEMOVE, xL + 4, 5);
    UiMouse(display_, WM_LBUTTONUP, xL + 4, 5);
    ExpectReports({Changed(1, std::max(500, MouseHz(xL + 4 - (xL - xH))))});
}

TEST_F(FreqDisplayTest, CloseHandlesLeaveNoRoomForABandDrag) {
    SendMessageA(display_, QVF_SETLOWCUT, 1000, 0);
    SendMessageA(display_, QVF_SETHIGHCUT, 1800, 0);
    const int xL = MouseX(1000);
    const int xH = MouseX(1800);
    ASSERT_LT(xH - xL, 14);
    ASSERT_GE(xH - xL, 7);
    // Every press between them grabs a handle, never the band (which would show the closed
    // hand); the one grabbed is drawn yellow.
    const int drawL = DrawX(1000);
    const int drawH = DrawX(1800);
    for (int x = xL; x < xH; ++x) {
        SetCursor(Arrow());
        UiMouse(display_, WM_LBUTTONDOWN, x, 5);
        EXPECT_EQ(display_, GetCapture()) << x;
        EXPECT_NE(SkinCursor(SkinId::kClosedHandCursor), GetCursor()) << x;
        UiCapture c(display_);
        const bool high = x >= xH - 7;
        EXPECT_EQ(RGB(255, 255, 128), c.At(high ? drawH - 3 : drawL + 2, 8)) << x;
        UiMouse(display_, WM_LBUTTONUP, x, 5);
    }
    // Right of the high handle: nothing starts.
    UiMouse(display_, WM_LBUTTONDOWN, xH + 3, 5);
    EXPECT_EQ(nullptr, GetCapture());
    UiMouse(display_, WM_MOUSEMOVE, xH + 20, 5);
    UiMouse(display_, WM_LBUTTONUP, xH + 20, 5);
    ExpectReports({});
    EXPECT_EQ(display_, GetFocus());  // a press always takes the focus
}

TEST_F(FreqDisplayTest, DoubleClicksReportTheHandleAndStartNoDrag) {
    const int xL = MouseX(100);
    const int xH = MouseX(10000);
    UiMouse(display_, WM_LBUTTONDBLCLK, (xL + xH) / 2, 10);
    EXPECT_EQ(nullptr, GetCapture());
    UiMouse(display_, WM_LBUTTONDBLCLK, xL + 1, 10);
    UiMouse(display_, WM_LBUTTONDBLCLK, xH - 1, 10);
    UiMouse(display_, WM_LBUTTONDBLCLK, xH + 10, 10);
    UiMouse(display_, WM_MOUSEMOVE, xH + 30, 10);
    ExpectReports(
        {{QVF_DBLCLK, kId, 2}, {QVF_DBLCLK, kId, 0}, {QVF_DBLCLK, kId, 1}, {QVF_DBLCLK, kId, -1}});
    EXPECT_FALSE(IsControlDragActive());
}

TEST_F(FreqDisplayTest, OpenHandOverTheBandArrowElsewhere) {
    const int xL = MouseX(100);
    const int xH = MouseX(10000);
    UiPointerTo(host_, display_, (xL + xH) / 2, 30);
    EXPECT_EQ(SkinCursor(SkinId::kOpenHandCursor), GetCursor());
    UiPointerTo(host_, display_, xL + 3, 30);  // over a handle
    EXPECT_EQ(Arrow(), GetCursor());
    UiPointerTo(host_, display_, xL + 7, 30);
    EXPECT_EQ(SkinCursor(SkinId::kOpenHandCursor), GetCursor());
    EXPECT_EQ(TRUE, SendMessageA(display_, WM_SETCURSOR, reinterpret_cast<WPARAM>(display_),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
}

TEST_F(FreqDisplayTest, PaintsTheBandShadedByTheOverlay) {
    const int mid = (DrawX(100) + DrawX(10000)) / 2;
    UiCapture plain(display_);
    EXPECT_EQ(RGB(106, 171, 214), plain.At(mid, 20));
    EXPECT_EQ(RGB(124, 182, 220), plain.At(mid, 3));  // light top edge
    EXPECT_EQ(RGB(255, 255, 255), plain.At(DrawX(100) + 2, 6));
    EXPECT_EQ(UiTestHost::BackgroundAt(40 + 1, 50 + 20), plain.At(1, 20));  // outside the clip
    // An overlay of grey 128 halves everything inside the 3-pixel border.
    HDC screen = GetDC(nullptr);
    HBITMAP overlay = CreateCompatibleBitmap(screen, kW - 6, kH - 6);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, overlay);
    RECT all = {0, 0, kW - 6, kH - 6};
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    FillRect(dc, &all, grey);
    DeleteObject(grey);
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    SendMessageA(display_, QVF_SETOVERLAY, reinterpret_cast<WPARAM>(overlay), 0);
    SendMessageA(display_, QVF_SETLOWCUT, 100, 0);  // repaints at once
    EXPECT_EQ(RGB((106 * 128 + 1) / 256, (171 * 128 + 1) / 256, (214 * 128 + 1) / 256),
              UiCapture(display_).At(mid, 20));
    SendMessageA(display_, QVF_SETOVERLAY, 0, 0);
    DeleteObject(overlay);
    EnableWindow(display_, FALSE);
    SendMessageA(display_, QVF_SETLOWCUT, 100, 0);
    EXPECT_EQ(RGB(152, 152, 152), UiCapture(display_).At(mid, 20));
}

class RevTimeTest : public ::testing::Test {
protected:
    static constexpr int kId = 10021;
    static constexpr int kW = 154;
    static constexpr int kH = 90;

    void SetUp() override {
        display_ = host_.Create(kRevTimeClass, nullptr, 0, 220, 50, kW, kH, kId);
        ASSERT_NE(nullptr, display_);
        host_.Take();
    }
    // Mouse plot: inset 2 (L = 2, B = H - 2); drawing plot: inset 4.
    static int MouseX(int hz) { return AxisPosition(kFreq, hz, 2, kW - 4); }
    static int MouseY(int ms) { return AxisPositionUp(kTime, ms, kH - 2, kH - 4); }
    static int MouseHz(int x) { return AxisValue(kFreq, x, 2, kW - 4); }
    static int MouseMs(int y) { return AxisValueUp(kTime, y, kH - 2, kH - 4); }
    static int DrawX(int hz) { return AxisPosition(kFreq, hz, 4, kW - 8); }
    static int DrawY(int ms) { return AxisPositionUp(kTime, ms, kH - 4, kH - 8); }
    UiReport Changed(int index, int value) const {
        return {QVR_CHANGED, MAKEWPARAM(kId, index), value};
    }
    void ExpectReports(const std::vector<UiReport>& expected) {
        const auto reports = host_.Take();
        EXPECT_EQ(expected, reports) << UiDescribe(reports);
    }

    UiTestHost host_;
    HWND display_ = nullptr;
};

TEST_F(RevTimeTest, BassLineMovesInTenthsOfTheMultiplier) {
    const int xC = MouseX(500);
    const int yB = MouseY(1500);
    ASSERT_EQ(yB, MouseY(1500 * 10 / 10));  // same height as the main block
    UiPointerTo(host_, display_, xC - 20, yB + 1);
    EXPECT_EQ(SkinCursor(SkinId::kUpDownCursor), GetCursor());
    UiMouse(display_, WM_LBUTTONDOWN, xC - 20, yB + 1);
    EXPECT_EQ(display_, GetCapture());
    EXPECT_TRUE(IsRevTimeDragActive());
    EXPECT_FALSE(IsControlDragActive());
    // The first height at which the bass time reads 4000 ms or more: the multiplier is that
    // time x 10 / 1500 in whole tenths (4000 would give 26, a bass height of 3900 ms).
    int y = yB;
    while (y > -20 && MouseMs(y) < 4000) --y;
    const int multiplier = MouseMs(y) * 10 / 1500;
    ASSERT_GE(multiplier, 26);
    ASSERT_LE(multiplier, 28);
    UiMouse(display_, WM_MOUSEMOVE, xC - 20, y + 1);  // grabbed one pixel below the line
    // The bass block now stands at decay x multiplier / 10, in steps of 150 ms.
    const int bassTop = DrawY(1500 * multiplier / 10);
    UiCapture raised(display_);
    EXPECT_EQ(RGB(106, 171, 214), raised.At(10, bassTop + 3));
    EXPECT_NE(RGB(106, 171, 214), raised.At(10, bassTop - 2));
    UiMouse(display_, WM_MOUSEMOVE, xC + 40, -500);  // far up: held at 30; x is not followed
    UiMouse(display_, WM_MOUSEMOVE, xC - 20, 500);   // far down: held at 2
    UiMouse(display_, WM_LBUTTONUP, xC - 20, 500);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsRevTimeDragActive());
    ExpectReports({Changed(0, multiplier), Changed(0, 30), Changed(0, 2)});
}

TEST_F(RevTimeTest, MainHandleDragsBothWays) {
    const int xD = MouseX(4000);
    const int yM = MouseY(1500);
    UiPointerTo(host_, display_, xD - 3, yM + 3);  // on the handle: any direction
    EXPECT_EQ(Arrow(), GetCursor());
    UiMouse(display_, WM_LBUTTONDOWN, xD - 3, yM + 3);
    EXPECT_EQ(RGB(255, 255, 128), UiCapture(display_).At(DrawX(4000) - 3, DrawY(1500) + 3));
    UiMouse(display_, WM_MOUSEMOVE, xD + 7, yM - 7);  // corner to (xD + 10, yM - 10)
    UiMouse(display_, WM_LBUTTONUP, xD + 7, yM - 7);
    const int damping = std::clamp(MouseHz(xD + 10), 500, 22100);
    const int decay = std::clamp(MouseMs(yM - 10), 100, 20000);
    ExpectReports({Changed(3, damping), Changed(2, decay)});
    EXPECT_FALSE(IsRevTimeDragActive());
}

TEST_F(RevTimeTest, DecayAndDampingStopAtTheirLimits) {
    const int xD = MouseX(4000);
    const int yM = MouseY(1500);
    UiPointerTo(host_, display_, xD - 3, yM + 3);
    UiMouse(display_, WM_LBUTTONDOWN, xD - 3, yM + 3);
    UiMouse(display_, WM_MOUSEMOVE, 2000, -2000);
    UiMouse(display_, WM_MOUSEMOVE, -2000, 2000);
    UiMouse(display_, WM_LBUTTONUP, -2000, 2000);
    // Far up and right: x is held at (W - 4) + 20 and y at -20.
    ExpectReports({Changed(3, std::min(22100, MouseHz(kW - 4 + 20 + 3))),
                   Changed(2, std::min(20000, MouseMs(-20 - 3))), Changed(3, 500),
                   Changed(2, 100)});
}

TEST_F(RevTimeTest, EdgeBelowAHandleDragsOnlyTheFrequency) {
    const int xC = MouseX(500);
    const int yB = MouseY(1500);
    UiPointerTo(host_, display_, xC, yB + 20);
    EXPECT_EQ(SkinCursor(SkinId::kLeftRightCursor), GetCursor());
    UiMouse(display_, WM_LBUTTONDOWN, xC, yB + 20);
    UiMouse(display_, WM_MOUSEMOVE, xC + 6, yB + 40);
    UiMouse(display_, WM_LBUTTONUP, xC + 6, yB + 40);
    ExpectReports({Changed(1, MouseHz(xC + 6))});
    // The main block's top line drags only the decay.
    const int xD = MouseX(4000);
    const int yM = MouseY(1500);
    UiPointerTo(host_, display_, xD - 12, yM - 1);
    EXPECT_EQ(SkinCursor(SkinId::kUpDownCursor), GetCursor());
    UiMouse(display_, WM_LBUTTONDOWN, xD - 12, yM - 1);
    UiMouse(display_, WM_MOUSEMOVE, xD + 30, yM - 6);
    UiMouse(display_, WM_LBUTTONUP, xD + 30, yM - 6);
    ExpectReports({Changed(2, MouseMs(yM - 5))});
    // The damping edge.
    UiPointerTo(host_, display_, xD + 2, yM + 30);
    EXPECT_EQ(SkinCursor(SkinId::kLeftRightCursor), GetCursor());
    UiPointerTo(host_, display_, 140, 5);
    EXPECT_EQ(Arrow(), GetCursor());
}

TEST_F(RevTimeTest, DoubleClicksReportTheHandle) {
    const int xD = MouseX(4000);
    const int yM = MouseY(1500);
    UiPointerTo(host_, display_, xD - 3, yM + 3);
    UiMouse(display_, WM_LBUTTONDBLCLK, xD - 3, yM + 3);
    EXPECT_EQ(nullptr, GetCapture());
    const int xC = MouseX(500);
    UiPointerTo(host_, display_, xC - 3, yM + 3);
    UiMouse(display_, WM_LBUTTONDBLCLK, xC - 3, yM + 3);
    UiPointerTo(host_, display_, 140, 5);
    UiMouse(display_, WM_LBUTTONDBLCLK, 140, 5);
    ExpectReports({{QVR_DBLCLK, kId, 1}, {QVR_DBLCLK, kId, 0}, {QVR_DBLCLK, kId, -1}});
    EXPECT_FALSE(IsRevTimeDragActive());
}

TEST_F(RevTimeTest, BlocksAndTheTriangle) {
    const int B = kH - 4;
    UiCapture c(display_);
    EXPECT_EQ(RGB(106, 171, 214), c.At(10, B - 5));                      // bass block
    EXPECT_EQ(RGB(178, 214, 234), c.At(DrawX(500) + 6, B - 5));          // main block
    EXPECT_EQ(UiTestHost::BackgroundAt(220 + 10, 50 + 6), c.At(10, 6));  // above the blocks
    SendMessageA(display_, QVR_SETVALUE, 1, 2000);  // crossover right of the damping
    SendMessageA(display_, QVR_SETVALUE, 3, 500);
    UiCapture t(display_);
    // The main block becomes a triangle from the damping frequency, over the bass block.
    EXPECT_EQ(RGB(178, 214, 234), t.At(DrawX(500) + 2, B - 3));
    EXPECT_EQ(RGB(106, 171, 214), t.At(DrawX(500) - 4, B - 3));
    // Values set by the parent are stored as given: a bass multiplier of 40 is drawn higher
    // than the drag limit would allow.
    SendMessageA(display_, QVR_SETVALUE, 0, 40);
    EXPECT_EQ(RGB(106, 171, 214), UiCapture(display_).At(10, DrawY(1500 * 4) + 4));
    EnableWindow(display_, FALSE);
    SendMessageA(display_, QVR_SETVALUE, 0, 10);
    EXPECT_EQ(RGB(152, 152, 152), UiCapture(display_).At(10, B - 5));
}

}  // namespace
