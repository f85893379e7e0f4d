// "qv:PushButton" in a real window: what it reports for presses, crossings, releases, keys and
// cancellation, how it handles captions and the lit state, and what it paints.
#include <gtest/gtest.h>

#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"

namespace {

constexpr int kId = 501;
constexpr int kW = 60;
constexpr int kH = 21;

class PushButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button_ = host_.Create(kPushButtonClass, "", 0, 40, 30, kW, kH, kId);
        ASSERT_NE(nullptr, button_);
        SendMessageA(button_, QVB_SETIMAGES, reinterpret_cast<WPARAM>(normal_.data()),
                     reinterpret_cast<LPARAM>(pressed_.data()));
        host_.Take();
    }
    UiReport Command(WORD code) const { return UiCommand(kId, code, button_); }
    COLORREF Normal() const { return RGB(200, 200, 200); }
    COLORREF Pressed() const { return RGB(100, 100, 100); }

    UiTestHost host_;
    HWND button_ = nullptr;
    std::vector<BYTE> normal_ = UiSolidImage(kW, kH, 200, 200, 200);
    std::vector<BYTE> pressed_ = UiSolidImage(kW, kH, 100, 100, 100);
};

TEST_F(PushButtonTest, PressAndReleaseInsideClicks) {
    UiMouse(button_, WM_LBUTTONDOWN, 5, 5);
    EXPECT_EQ(button_, GetCapture());
    EXPECT_EQ(button_, GetFocus());
    EXPECT_TRUE(IsControlDragActive());
    EXPECT_EQ(Pressed(), UiCapture(button_).At(1, 1));
    UiMouse(button_, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    EXPECT_FALSE(IsRevTimeDragActive());
    EXPECT_EQ(Normal(), UiCapture(button_).At(1, 1));
    const std::vector<UiReport> expected = {Command(QVBN_PRESSED), Command(QVBN_CLICKED)};
    const auto reports = host_.Take();
    EXPECT_EQ(expected, reports) << UiDescribe(reports);
}

TEST_F(PushButtonTest, LeavingAndComingBackAreReportedOncePerCrossing) {
    UiMouse(button_, WM_LBUTTONDOWN, 5, 5);
    UiMouse(button_, WM_MOUSEMOVE, kW, 5);  // x = width is outside
    EXPECT_EQ(Normal(), UiCapture(button_).At(1, 1));
    UiMouse(button_, WM_MOUSEMOVE, -3, 5);  // left of the button: outside too
    UiMouse(button_, WM_MOUSEMOVE, 5, -1);  // above
    UiMouse(button_, WM_MOUSEMOVE, 5, kH - 1);
    EXPECT_EQ(Pressed(), UiCapture(button_).At(1, 1));
    UiMouse(button_, WM_MOUSEMOVE, 6, 6);
    UiMouse(button_, WM_MOUSEMOVE, 5, kH);
    UiMouse(button_, WM_MOUSEMOVE, 0, 0);
    UiMouse(button_, WM_LBUTTONUP, 0, 0);
    const std::vector<UiReport> expected = {Command(QVBN_PRESSED), Command(QVBN_LEAVE),
                                            Command(QVBN_REENTER), Command(QVBN_LEAVE),
                                            Command(QVBN_REENTER), Command(QVBN_CLICKED)};
    const auto reports = host_.Take();
    EXPECT_EQ(expected, reports) << UiDescribe(reports);
}

TEST_F(PushButtonTest, ReleaseOutsideDoesNotClick) {
    UiMouse(button_, WM_LBUTTONDOWN, 5, 5);
    UiMouse(button_, WM_MOUSEMOVE, 200, 5);
    UiMouse(button_, WM_LBUTTONUP, 200, 5);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    const std::vector<UiReport> expected = {Command(QVBN_PRESSED), Command(QVBN_LEAVE)};
    EXPECT_EQ(expected, host_.Take());
    // A release with no press is ignored.
    UiMouse(button_, WM_LBUTTONUP, 5, 5);
    EXPECT_TRUE(host_.Take().empty());
}

TEST_F(PushButtonTest, SpaceClicksAndIgnoresThePointer) {
    SetFocus(button_);
    UiKey(button_, WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(button_, GetCapture());
    EXPECT_EQ(Pressed(), UiCapture(button_).At(1, 1));
    UiMouse(button_, WM_MOUSEMOVE, 300, 300);  // a key press ignores pointer movement
    UiKey(button_, WM_KEYUP, VK_SPACE);
    EXPECT_EQ(nullptr, GetCapture());
    const std::vector<UiReport> expected = {Command(QVBN_PRESSED), Command(QVBN_CLICKED)};
    EXPECT_EQ(expected, host_.Take());
}

TEST_F(PushButtonTest, ReleasingAnotherKeyEndsASpacePressWithoutClick) {
    UiKey(button_, WM_KEYDOWN, VK_SPACE);
    UiKey(button_, WM_KEYUP, 'A');
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    EXPECT_EQ(Normal(), UiCapture(button_).At(1, 1));
    UiKey(button_, WM_KEYUP, VK_SPACE);  // nothing left to release
    const std::vector<UiReport> expected = {Command(QVBN_PRESSED)};
    EXPECT_EQ(expected, host_.Take());
    // Other keys going down do nothing.
    UiKey(button_, WM_KEYDOWN, VK_RETURN);
    UiKey(button_, WM_KEYDOWN, 'X');
    EXPECT_TRUE(host_.Take().empty());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(PushButtonTest, DoubleClickReportsPressedOrDblClk) {
    UiMouse(button_, WM_LBUTTONDBLCLK, 5, 5);
    UiMouse(button_, WM_LBUTTONUP, 5, 5);
    SendMessageA(button_, QVB_SETDBLCLKNOTIFY, 1, 0);
    UiMouse(button_, WM_LBUTTONDBLCLK, 5, 5);
    UiMouse(button_, WM_LBUTTONUP, 5, 5);
    const std::vector<UiReport> expected = {Command(QVBN_PRESSED), Command(QVBN_CLICKED),
                                            Command(QVBN_DBLCLK), Command(QVBN_CLICKED)};
    EXPECT_EQ(expected, host_.Take());
}

TEST_F(PushButtonTest, CancelPressEndsThePressAndDropsOneWaitingRelease) {
    UiMouse(button_, WM_LBUTTONDOWN, 5, 5);
    PostMessageA(button_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(button_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button_, QVB_CANCELPRESS, 0, 0);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    MSG waiting;
    // The release was taken out; the second message of that kind stays.
    ASSERT_TRUE(PeekMessageA(&waiting, button_, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), waiting.message);
    EXPECT_FALSE(PeekMessageA(&waiting, button_, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE));
    const std::vector<UiReport> expected = {Command(QVBN_PRESSED), Command(QVBN_CLICKED)};
    EXPECT_EQ(expected, host_.Take());

    // A press that has left the button ends without a click.
    UiMouse(button_, WM_LBUTTONDOWN, 5, 5);
    UiMouse(button_, WM_MOUSEMOVE, -5, 5);
    SendMessageA(button_, QVB_CANCELPRESS, 0, 0);
    const std::vector<UiReport> left = {Command(QVBN_PRESSED), Command(QVBN_LEAVE)};
    EXPECT_EQ(left, host_.Take());
}

TEST_F(PushButtonTest, RightButtonAsksTheParent) {
    host_.SetRightButtonAnswer(77);
    EXPECT_EQ(77, SendMessageA(button_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4)));
    const std::vector<UiReport> expected = {{QVB_RBUTTONDOWN, kId, MAKELPARAM(3, 4)}};
    EXPECT_EQ(expected, host_.Take());
    EXPECT_EQ(DLGC_WANTARROWS | DLGC_UNDEFPUSHBUTTON, SendMessageA(button_, WM_GETDLGCODE, 0, 0));
}

TEST_F(PushButtonTest, RepeatedCaptionIsIgnored) {
    RECT update;
    ValidateRect(button_, nullptr);
    EXPECT_EQ(TRUE, SendMessageA(button_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Setup A")));
    char text[32] = {};
    GetWindowTextA(button_, text, sizeof(text));
    EXPECT_STREQ("Setup A", text);
    EXPECT_TRUE(UiCapture(button_).Contains(RGB(64, 64, 64), 2, 2, kW - 2, kH - 2));
    ValidateRect(button_, nullptr);
    EXPECT_EQ(0, SendMessageA(button_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Setup A")));
    EXPECT_FALSE(GetUpdateRect(button_, &update, FALSE));
    EXPECT_EQ(TRUE, SendMessageA(button_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Setup B")));
    GetWindowTextA(button_, text, sizeof(text));
    EXPECT_STREQ("Setup B", text);
    // The caption given at creation counts as the first.
    HWND made = host_.Create(kPushButtonClass, "Tail", 0, 200, 30, 36, 21, 502);
    EXPECT_EQ(0, SendMessageA(made, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Tail")));
}

TEST_F(PushButtonTest, CheckStateInvalidatesOnlyWhenItChangesOrIsForced) {
    RECT update;
    ValidateRect(button_, nullptr);
    SendMessageA(button_, QVB_SETCHECK, 0, 0);
    EXPECT_FALSE(GetUpdateRect(button_, &update, FALSE));
    SendMessageA(button_, QVB_SETCHECK, 1, 0);
    EXPECT_TRUE(GetUpdateRect(button_, &update, FALSE));
    EXPECT_EQ(1, SendMessageA(button_, QVB_GETCHECK, 0, 0));
    ValidateRect(button_, nullptr);
    SendMessageA(button_, QVB_SETCHECK, 1, 1);  // unchanged but forced: painted at once
    EXPECT_EQ(RGB(217, 211, 102), UiCapture(button_).At(5, 5));
    SendMessageA(button_, QVB_SETCHECK, 0, 1);
    EXPECT_EQ(0, SendMessageA(button_, QVB_GETCHECK, 0, 0));
    EXPECT_EQ(Normal(), UiCapture(button_).At(5, 5));
    ValidateRect(button_, nullptr);
    SendMessageA(button_, QVB_REDRAW, 0, 0);
    EXPECT_TRUE(GetUpdateRect(button_, &update, FALSE));
}

TEST_F(PushButtonTest, LitTintSparesTheFrameOfItsBorderMode) {
    const COLORREF tinted = RGB(217, 211, 102);
    SendMessageA(button_, QVB_SETCHECK, 1, 1);
    UiCapture mode1(button_);
    EXPECT_EQ(Normal(), mode1.At(1, 5));
    EXPECT_EQ(tinted, mode1.At(2, 5));
    EXPECT_EQ(Normal(), mode1.At(5, 1));
    EXPECT_EQ(tinted, mode1.At(kW - 2, 5));
    EXPECT_EQ(Normal(), mode1.At(kW - 1, 5));
    EXPECT_EQ(tinted, mode1.At(5, kH - 2));
    EXPECT_EQ(Normal(), mode1.At(5, kH - 1));
    const int inset[4] = {0, 0, 0, 0};
    SendMessageA(button_, QVB_SETFOCUSINSET, reinterpret_cast<WPARAM>(inset), 1);
    SendMessageA(button_, QVB_SETCHECK, 1, 1);
    UiCapture mode2(button_);
    EXPECT_EQ(Normal(), mode2.At(0, 5));
    EXPECT_EQ(tinted, mode2.At(1, 5));
    EXPECT_EQ(tinted, mode2.At(kW - 3, 5));
    EXPECT_EQ(Normal(), mode2.At(kW - 2, 5));
    // Another tint and caption colour.
    SendMessageA(button_, QVB_SETTINT, 0x641E140A,
                 0);  // divisor 100: red x 10, green x 20, blue x 30
    SendMessageA(button_, QVB_SETCHECK, 1, 1);
    EXPECT_EQ(RGB(20, 40, 60), UiCapture(button_).At(5, 5));
}

TEST_F(PushButtonTest, DisabledLookIsFadedWithAGreyCaption) {
    SetWindowTextA(button_, "Mute");
    UiCapture enabled(button_);
    EXPECT_EQ(Normal(), enabled.At(1, 1));
    EXPECT_TRUE(enabled.Contains(RGB(64, 64, 64), 2, 2, kW - 2, kH - 2));
    EnableWindow(button_, FALSE);
    SendMessageA(button_, QVB_REDRAW, 0, 1);
    UiCapture disabled(button_);
    // Fade 160 over the background under the button at (41, 31) of the host.
    const COLORREF under = UiTestHost::BackgroundAt(41, 31);
    auto blend = [](int d, int s) { return ((d - s) * 161 >> 8) + s; };
    EXPECT_EQ(RGB(blend(GetRValue(under), 200), blend(GetGValue(under), 200),
                  blend(GetBValue(under), 200)),
              disabled.At(1, 1));
    EXPECT_TRUE(disabled.Contains(RGB(128, 128, 128), 2, 2, kW - 2, kH - 2));
    EXPECT_FALSE(disabled.Contains(RGB(64, 64, 64), 2, 2, kW - 2, kH - 2));
    SendMessageA(button_, QVB_SETTEXTCOLOR, RGB(0, 0, 255), 0);
    EnableWindow(button_, TRUE);
    SendMessageA(button_, QVB_REDRAW, 0, 1);
    EXPECT_TRUE(UiCapture(button_).Contains(RGB(0, 0, 255), 2, 2, kW - 2, kH - 2));
}

TEST_F(PushButtonTest, FocusFrameFollowsTheFocusInset) {
    SetFocus(button_);
    UiCapture plain(button_);
    // Client inset by 2, then by 1 more: the frame's left edge at x = 3, top at y = 3.
    EXPECT_EQ(RGB(144, 144, 144), plain.At(3, 8));
    EXPECT_EQ(RGB(144, 144, 144), plain.At(20, 3));
    EXPECT_EQ(RGB(144, 144, 144), plain.At(kW - 4, 8));
    EXPECT_EQ(Normal(), plain.At(1, 8));
    const int inset[4] = {-2, 0, 0, 0};
    SendMessageA(button_, QVB_SETFOCUSINSET, reinterpret_cast<WPARAM>(inset), 0);
    SendMessageA(button_, QVB_REDRAW, 0, 1);
    UiCapture moved(button_);
    EXPECT_EQ(RGB(144, 144, 144), moved.At(1, 8));
    EXPECT_EQ(Normal(), moved.At(3, 8));
    SetFocus(host_.Window());
    EXPECT_EQ(Normal(), UiCapture(button_).At(1, 8));
}

TEST_F(PushButtonTest, ArrowSitsLowerWhenThereIsACaption) {
    const COLORREF ink = RGB(64, 64, 64);
    // Without a caption: cx = (15 - 2) - 7 = 6, tip at y0 = 2 + 8 = 10, rows widening upward.
    HWND bare = host_.Create(kPushButtonClass, nullptr, QVBS_ARROW, 120, 30, 15, 21, 503);
    SendMessageA(bare, QVB_SETIMAGES, reinterpret_cast<WPARAM>(normal_.data()), 0);
    SendMessageA(bare, QVB_REDRAW, 0, 1);
    UiCapture a(bare);
    EXPECT_EQ(ink, a.At(6, 10));
    EXPECT_EQ(Normal(), a.At(5, 10));
    EXPECT_EQ(Normal(), a.At(7, 10));
    EXPECT_EQ(ink, a.At(3, 7));
    EXPECT_EQ(ink, a.At(9, 7));
    EXPECT_EQ(Normal(), a.At(10, 7));
    EXPECT_EQ(Normal(), a.At(6, 6));
    // With the empty caption of the setup menu button the caption rectangle's top has moved
    // down by 2 (odd height, then 1 more): the tip is at y = 12.
    HWND empty = host_.Create(kPushButtonClass, "", QVBS_ARROW, 140, 30, 15, 21, 506);
    SendMessageA(empty, QVB_SETIMAGES, reinterpret_cast<WPARAM>(normal_.data()), 0);
    SendMessageA(empty, QVB_REDRAW, 0, 1);
    UiCapture b(empty);
    EXPECT_EQ(ink, b.At(6, 12));
    EXPECT_EQ(Normal(), b.At(6, 13));
    EXPECT_EQ(ink, b.At(3, 9));
    EXPECT_EQ(Normal(), b.At(3, 8));
}

TEST_F(PushButtonTest, MarkerIsDrawnWithMagentaTransparent) {
    const COLORREF ink = RGB(64, 64, 64);
    HWND marker = host_.Create(kPushButtonClass, "", QVBS_MARKER, 150, 30, 76, 21, 504);
    SendMessageA(marker, QVB_SETIMAGES, reinterpret_cast<WPARAM>(normal_.data()), 0);
    SendMessageA(marker, QVB_REDRAW, 0, 1);
    UiCapture m(marker);
    // The 7 x 11 marker at (caption right - 10, caption top + 1) = (64, 5).
    const int mx = 64;
    const int my = 5;
    EXPECT_EQ(Normal(), m.At(mx, my));
    EXPECT_EQ(ink, m.At(mx + 2, my + 1));
    EXPECT_EQ(ink, m.At(mx, my + 4));
    EXPECT_EQ(Normal(), m.At(mx + 3, my + 4));
    EXPECT_EQ(Normal(), m.At(mx - 1, my + 4));
}

TEST_F(PushButtonTest, WithoutImagesAPlainRectangle) {
    HWND bare = host_.Create(kPushButtonClass, "", 0, 250, 30, 30, 21, 505);
    UiCapture c(bare);
    EXPECT_EQ(RGB(0, 0, 0), c.At(0, 5));          // default outline
    EXPECT_EQ(RGB(255, 255, 255), c.At(10, 10));  // default fill
}

TEST_F(PushButtonTest, CaptureChangedClearsBothDragFlags) {
    UiMouse(button_, WM_LBUTTONDOWN, 5, 5);
    RevTimeDragActive = true;
    SetCapture(host_.Window());  // something else takes the mouse
    EXPECT_FALSE(IsControlDragActive());
    EXPECT_FALSE(IsRevTimeDragActive());
    ReleaseCapture();
}

}  // namespace
