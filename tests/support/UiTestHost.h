// The program's one window for the control toolkit's tests under Wine: it hosts controls over a
// known background, records their reports, compares their pictures and plays input to them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Platform.h"

// One report a control sent or posted to its parent; in an expected report, lParam kUiSelf
// stands for the reporting control's window.
struct UiReport {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const UiReport& other) const = default;
};
inline constexpr LPARAM kUiSelf = -0x5E1F;
void PrintTo(const UiReport& report, std::ostream* out);

class UiTestHost {
public:
    UiTestHost();
    ~UiTestHost();
    HWND Window() const { return window_; }
    // A painted child with the background (red x % 256, green y % 256, blue 77) as parameter.
    HWND Create(const char* className, const char* caption, DWORD style, int x, int y, int w, int h,
                int id);
    void Pump();
    // The reports received so far, after pumping unless pump is false; forgets them.
    std::vector<UiReport> Take(bool pump = true);
    LRESULT rightButtonAnswer = 0;  // what the host answers to QVB_RBUTTONDOWN

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;         // the program's host window, not owned
    HBITMAP background_ = nullptr;  // the program's background, not owned
    std::vector<UiReport> reports_;
};

// What a window shows, read back from its device context.
class UiCapture {
public:
    explicit UiCapture(HWND window);
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};

// Whether a window shows exactly the golden picture tests/ui/golden/NAME.png; with the
// environment variable QV_UPDATE_GOLDEN set, writes the picture there first.
::testing::AssertionResult UiMatchesGolden(HWND window, const std::string& name);

// One step of what a user or a parent does to a control, or a check between steps.
struct UiStep {
    UINT message;  // input (mouse at x, y; key x), any message sent with x and y, or a kind below
    LPARAM x = 0;
    LPARAM y = 0;
};
enum UiStepKind : UINT {
    kUiFocus = 0x10000,  // the control (x 1) or the host (x 0) takes the keyboard focus
    kUiEnable,           // the control is enabled as x and repainted
    kUiPointer,          // the pointer moves to (x, y) and the control sets the cursor
    kUiExpectCursor,     // the cursor is skin cursor x (0: the arrow, -1: hidden)
    kUiExpectDrag,       // ControlDragActive is x, RevTimeDragActive y; the capture follows
    kUiExpectFocused,    // the control has the keyboard focus
    kUiBoxType,          // the text x (const char*) is typed into the open typed-entry box
    kUiBoxKey,           // key x goes down in the open typed-entry box
    kUiExpectText,       // the control's text is x (const char*); a typed-entry box is open if y
};
namespace UiSteps {
inline constexpr auto Down = [](int x, int y) { return UiStep{WM_LBUTTONDOWN, x, y}; };
inline constexpr auto Up = [](int x, int y) { return UiStep{WM_LBUTTONUP, x, y}; };
inline constexpr auto Move = [](int x, int y) { return UiStep{WM_MOUSEMOVE, x, y}; };
inline constexpr auto DoubleClick = [](int x, int y) { return UiStep{WM_LBUTTONDBLCLK, x, y}; };
inline constexpr auto KeyDown = [](int key) { return UiStep{WM_KEYDOWN, key}; };
inline constexpr auto KeyUp = [](int key) { return UiStep{WM_KEYUP, key}; };
inline constexpr auto Wheel = [](int delta) { return UiStep{WM_MOUSEWHEEL, delta << 16}; };
inline constexpr auto Msg = [](UINT m, LPARAM w = 0, LPARAM l = 0) { return UiStep{m, w, l}; };
inline constexpr auto Pointer = [](int x, int y) { return UiStep{kUiPointer, x, y}; };
inline constexpr auto Cursor = [](int id) { return UiStep{kUiExpectCursor, id}; };
inline constexpr auto Dragging = [](int control, int rev) {
    return UiStep{kUiExpectDrag, control, rev};
};
inline constexpr auto BoxType = [](const char* t) { return UiStep{kUiBoxType, LPARAM(t)}; };
inline constexpr auto BoxKey = [](int key) { return UiStep{kUiBoxKey, key}; };
inline constexpr auto Text = [](const char* t, bool box) {
    return UiStep{kUiExpectText, LPARAM(t), box};
};
inline constexpr UiStep kFocused = {kUiExpectFocused};
inline constexpr UiStep kTakeFocus = {kUiFocus, 1};
inline constexpr UiStep kFocusAway = {kUiFocus, 0};
inline constexpr UiStep kDisable = {kUiEnable, 0};
inline constexpr UiStep kRepaint = {kUiEnable, 1};
}  // namespace UiSteps
void UiDo(UiTestHost& host, HWND control, const std::vector<UiStep>& steps);

// A gesture and every report it brings, in order.
struct UiGesture {
    UiGesture(std::vector<UiStep> s, std::vector<UiReport> r, const char* w)
        : steps(std::move(s)), reports(std::move(r)), what(w) {}
    std::vector<UiStep> steps;
    std::vector<UiReport> reports;
    const char* what;
};
// Plays a gesture on a control: sent reports must come during input messages, posted ones from
// the queue; afterwards no control holds the mouse and both drag flags are clear.
void UiPlay(UiTestHost& host, HWND control, const UiGesture& gesture, bool sent);
namespace UiSteps {
using G = UiGesture;
}  // namespace UiSteps
