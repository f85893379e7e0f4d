// "qv:Edit" in a real window: drags with the axis choice and acceleration, keys and the wheel,
// the packed signed deltas, focus, painting, and the typed-entry box.
#include <gtest/gtest.h>

#include "tests/support/UiTestHost.h"
#include "ui/controls/InputLaws.h"
#include "ui/controls/SkinControls.h"

namespace {

constexpr int kId = 10000;
constexpr int kX = 50;
constexpr int kY = 60;
constexpr int kW = 40;
constexpr int kH = 21;

class ValueFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        field_ = host_.Create(kEditClass, "0.0", QVES_LINEAR, kX, kY, kW, kH, kId);
        ASSERT_NE(nullptr, field_);
        SendMessageA(field_, QVE_SETIMAGE, reinterpret_cast<WPARAM>(face_.data()), 0);
        host_.Take();
    }
    UiReport Adjust(int delta) const {
        return {QVE_ADJUST, static_cast<WPARAM>(PackFieldAdjust(kId, delta)),
                reinterpret_cast<LPARAM>(field_)};
    }
    UiReport Committed() const { return UiCommand(kId, kTypedEntryCommitted, field_); }
    void ExpectReports(const std::vector<UiReport>& expected) {
        const auto reports = host_.Take();
        EXPECT_EQ(expected, reports) << UiDescribe(reports);
    }
    std::string Text(HWND window) const {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof(text));
        return text;
    }

    UiTestHost host_;
    HWND field_ = nullptr;
    std::vector<BYTE> face_ = UiSolidImage(kW, kH, 240, 240, 240);
};

TEST_F(ValueFieldTest, DragChoosesItsAxisWithHysteresis) {
    UiMouse(field_, WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(field_, GetCapture());
    EXPECT_EQ(field_, GetFocus());
    EXPECT_TRUE(IsControlDragActive());
    UiMouse(field_, WM_MOUSEMOVE, 15, 7);  // dx 5, dy 3 (up): stays horizontal
    UiMouse(field_, WM_MOUSEMOVE, 16, 4);  // dx 1, dy 3: switches to vertical
    UiMouse(field_, WM_MOUSEMOVE, 18, 3);  // dx 2, dy 1: stays vertical
    UiMouse(field_, WM_MOUSEMOVE, 18, 3);  // no movement still reports 0
    UiMouse(field_, WM_LBUTTONUP, 18, 3);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    // The axis survives to the next drag.
    UiMouse(field_, WM_LBUTTONDOWN, 10, 10);
    UiMouse(field_, WM_MOUSEMOVE, 11, 12);  // dx 1, dy -2: vertical, -2
    UiMouse(field_, WM_MOUSEMOVE, 5, 13);   // dx -6, dy -1: back to horizontal
    UiMouse(field_, WM_LBUTTONUP, 5, 13);
    ExpectReports({Adjust(5), Adjust(3), Adjust(1), Adjust(0), Adjust(-2), Adjust(-6)});
}

TEST_F(ValueFieldTest, SquaredResponseAndInvertedDirection) {
    SendMessageA(field_, QVE_SETACCEL, 1, 0);
    UiMouse(field_, WM_LBUTTONDOWN, 20, 10);
    UiMouse(field_, WM_MOUSEMOVE, 16, 10);  // -4 -> -16
    UiMouse(field_, WM_MOUSEMOVE, 19, 10);  // 3 -> 9
    SendMessageA(field_, QVE_SETFLAGS, kFieldInvertFlag, 0);
    UiMouse(field_, WM_MOUSEMOVE, 21, 10);  // 2, inverted -2 -> -4
    UiMouse(field_, WM_LBUTTONUP, 21, 10);
    ExpectReports({Adjust(-16), Adjust(9), Adjust(-4)});
    // Without QVES_LINEAR (the page's Crossover field) the response is squared from the start.
    HWND squared = host_.Create(kEditClass, "", 0x0086, 150, 60, kW, kH, 10016);
    UiMouse(squared, WM_LBUTTONDOWN, 20, 10);  // takes the focus from the first field
    UiMouse(squared, WM_MOUSEMOVE, 23, 10);
    UiMouse(squared, WM_LBUTTONUP, 23, 10);
    const std::vector<UiReport> expected = {
        Adjust(0),
        {QVE_ADJUST, static_cast<WPARAM>(PackFieldAdjust(10016, 9)),
         reinterpret_cast<LPARAM>(squared)}};
    EXPECT_EQ(expected, host_.Take());
}

TEST_F(ValueFieldTest, NegativeDeltasArriveAsSigned16BitHighWords) {
    UiKey(field_, WM_KEYDOWN, VK_NEXT);
    const auto reports = host_.Take();
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(static_cast<WPARAM>(kId), reports[0].wParam & 0xFFFF);
    EXPECT_EQ(0xFFF6u, (reports[0].wParam >> 16) & 0xFFFF);
    EXPECT_EQ(-10, static_cast<short>(HIWORD(reports[0].wParam)));
}

TEST_F(ValueFieldTest, KeysPostSteps) {
    UiKey(field_, WM_KEYDOWN, VK_UP);
    UiKey(field_, WM_KEYDOWN, VK_RIGHT);
    UiKey(field_, WM_KEYDOWN, VK_LEFT);
    UiKey(field_, WM_KEYDOWN, VK_DOWN);
    UiKey(field_, WM_KEYDOWN, VK_PRIOR);
    UiKey(field_, WM_KEYDOWN, VK_NEXT);
    UiKey(field_, WM_KEYDOWN, VK_END);
    UiKey(field_, WM_KEYDOWN, VK_HOME);
    UiKey(field_, WM_KEYDOWN, 'A');
    UiKey(field_, WM_KEYDOWN, VK_RETURN);
    ExpectReports({Adjust(1), Adjust(1), Adjust(-1), Adjust(-1), Adjust(10), Adjust(-10),
                   Adjust(17504), Adjust(-17504)});
    EXPECT_EQ(DLGC_WANTARROWS, SendMessageA(field_, WM_GETDLGCODE, 0, 0));
}

TEST_F(ValueFieldTest, WheelFollowsTheSpeedLawAndInverts) {
    UiPostAndDispatch(field_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    Sleep(300);
    UiPostAndDispatch(field_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
    Sleep(300);
    const LONG first = UiPostAndDispatch(field_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    Sleep(100);
    const LONG second = UiPostAndDispatch(field_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    const int speed = std::max<int>(1, static_cast<int>(500 / std::max<LONG>(1, second - first)));
    ExpectReports({Adjust(1), Adjust(-4), Adjust(1), Adjust(speed)});
    Sleep(300);
    SendMessageA(field_, QVE_SETFLAGS, kFieldInvertFlag, 0);
    UiPostAndDispatch(field_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    ExpectReports({Adjust(-1)});
}

TEST_F(ValueFieldTest, LosingFocusPostsZeroAndEndsADrag) {
    UiMouse(field_, WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(field_, GetCapture());
    SetFocus(host_.Window());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive());
    UiMouse(field_, WM_MOUSEMOVE, 30, 10);  // the drag is over
    ExpectReports({Adjust(0)});
    // A right press is swallowed only during a drag.
    UiMouse(field_, WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(0, SendMessageA(field_, WM_RBUTTONDOWN, MK_RBUTTON, 0));
    UiMouse(field_, WM_LBUTTONUP, 10, 10);
    ExpectReports({});
}

TEST_F(ValueFieldTest, SameTextIsNotStoredAgain) {
    RECT update;
    ValidateRect(field_, nullptr);
    EXPECT_EQ(0, SendMessageA(field_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0.0")));
    EXPECT_FALSE(GetUpdateRect(field_, &update, FALSE));
    EXPECT_EQ(TRUE, SendMessageA(field_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-3.5")));
    EXPECT_TRUE(GetUpdateRect(field_, &update, FALSE));
    EXPECT_EQ("-3.5", Text(field_));
}

TEST_F(ValueFieldTest, PaintsAnEngravedTextFocusFrameAndDisabledLook) {
    SetWindowTextA(field_, "-12.0");
    SetFocus(field_);
    UpdateWindow(field_);
    UiCapture c(field_);
    EXPECT_EQ(RGB(240, 240, 240), c.At(1, 1));
    EXPECT_TRUE(c.Contains(RGB(64, 65, 69), 3, 3, kW - 3, kH - 3));
    EXPECT_TRUE(c.Contains(RGB(197, 199, 203), 3, 3, kW - 2, kH - 2));
    // The focus frame on the client rectangle inset by 2.
    EXPECT_EQ(RGB(225, 0, 0), c.At(10, 2));
    EXPECT_EQ(RGB(225, 0, 0), c.At(2, 10));
    EXPECT_EQ(RGB(200, 0, 0), c.At(10, kH - 3));
    EXPECT_EQ(RGB(200, 0, 0), c.At(kW - 3, 10));
    SetFocus(host_.Window());
    host_.Take();
    EnableWindow(field_, FALSE);
    InvalidateRect(field_, nullptr, FALSE);
    UpdateWindow(field_);
    UiCapture disabled(field_);
    const COLORREF under = UiTestHost::BackgroundAt(kX + 1, kY + 1);
    auto blend = [](int d) { return ((d - 240) * 161 >> 8) + 240; };
    EXPECT_EQ(RGB(blend(GetRValue(under)), blend(GetGValue(under)), blend(GetBValue(under))),
              disabled.At(1, 1));
    EXPECT_TRUE(disabled.Contains(RGB(144, 144, 144), 3, 3, kW - 3, kH - 3));
    EXPECT_FALSE(disabled.Contains(RGB(64, 65, 69), 3, 3, kW - 3, kH - 3));
}

TEST_F(ValueFieldTest, DoubleClickOpensTheBoxOverTheField) {
    SetWindowTextA(field_, "-3.5");
    UiMouse(field_, WM_LBUTTONDOWN, 10, 10);
    UiMouse(field_, WM_LBUTTONUP, 10, 10);
    UiMouse(field_, WM_LBUTTONDBLCLK, 10, 10);
    HWND box = TypedEntryWindow;
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(field_, GetParent(box));
    EXPECT_EQ(kTypedEntryId, GetDlgCtrlID(box));
    EXPECT_EQ(box, GetFocus());
    EXPECT_EQ("-3.5", Text(box));
    RECT r;
    GetWindowRect(box, &r);
    MapWindowPoints(nullptr, field_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(2, r.left);
    EXPECT_EQ(2, r.top);
    EXPECT_EQ(kW - 4, r.right - r.left);
    EXPECT_EQ(kH - 4, r.bottom - r.top);
    const LONG style = GetWindowLongA(box, GWL_STYLE);
    EXPECT_NE(0, style & ES_RIGHT);
    EXPECT_NE(0, style & ES_AUTOHSCROLL);
    // In a dialog the box, not the dialog's default button, gets Enter.
    EXPECT_NE(0, SendMessageA(box, WM_GETDLGCODE, VK_RETURN, 0) & DLGC_WANTALLKEYS);
    DWORD start = 1;
    DWORD end = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(4u, end);  // all selected
    // Opening the box took the focus from the field, which posted its delta 0.
    ExpectReports({Adjust(0)});
    // While it is open the wheel does nothing, here or in another field.
    UiPostAndDispatch(field_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    ExpectReports({});
}

TEST_F(ValueFieldTest, EnterReplacesTheTextThenPostsCommandAndZero) {
    UiKey(field_, WM_KEYDOWN, VK_SPACE);
    HWND box = TypedEntryWindow;
    ASSERT_NE(nullptr, box);
    host_.Take();
    SetWindowTextA(box, "12.5");
    UiKey(box, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(nullptr, TypedEntryWindow);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ("12.5", Text(field_));
    ExpectReports({Committed(), Adjust(0)});
}

TEST_F(ValueFieldTest, TypingGoesIntoTheBox) {
    UiKey(field_, WM_KEYDOWN, VK_SPACE);
    HWND box = TypedEntryWindow;
    ASSERT_NE(nullptr, box);
    // Longer than the box is wide: the text scrolls, nothing is lost.
    for (const char c : std::string("-12.345 dB")) {
        SendMessageA(box, WM_CHAR, static_cast<WPARAM>(c), 1);
    }
    UiKey(box, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ("-12.345 dB", Text(field_));
}

TEST_F(ValueFieldTest, EscapeAndFocusLossCloseWithoutAWord) {
    UiKey(field_, WM_KEYDOWN, VK_SPACE);
    HWND box = TypedEntryWindow;
    ASSERT_NE(nullptr, box);
    host_.Take();
    SetWindowTextA(box, "99");
    UiKey(box, WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(nullptr, TypedEntryWindow);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ("0.0", Text(field_));
    ExpectReports({});

    UiMouse(field_, WM_LBUTTONDBLCLK, 5, 5);
    box = TypedEntryWindow;
    ASSERT_NE(nullptr, box);
    host_.Take();
    SetWindowTextA(box, "77");
    SetFocus(host_.Window());  // a click elsewhere, or Tab
    EXPECT_EQ(nullptr, TypedEntryWindow);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ("0.0", Text(field_));
    ExpectReports({});
}

TEST_F(ValueFieldTest, CloseTypedEntryAndOneBoxAtATime) {
    HWND other = host_.Create(kEditClass, "5", 0, 150, 60, kW, kH, 10006);
    OpenTypedEntry(field_);
    HWND first = TypedEntryWindow;
    ASSERT_NE(nullptr, first);
    OpenTypedEntry(other);
    EXPECT_FALSE(IsWindow(first));
    ASSERT_NE(nullptr, TypedEntryWindow);
    EXPECT_EQ(other, GetParent(TypedEntryWindow));
    EXPECT_EQ("5", Text(TypedEntryWindow));
    CloseTypedEntry();
    EXPECT_EQ(nullptr, TypedEntryWindow);
    CloseTypedEntry();  // nothing open: nothing happens
    // Destroying the field takes its box with it.
    OpenTypedEntry(other);
    ASSERT_NE(nullptr, TypedEntryWindow);
    DestroyWindow(other);
    EXPECT_EQ(nullptr, TypedEntryWindow);
}

}  // namespace
