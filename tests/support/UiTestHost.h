// A real top-level window for the control toolkit's tests under Wine: it hosts controls over a
// page background with a known pattern, records in order every report the controls send or post
// to it, reads back what they paint, and delivers the messages that real input produces.
// The window itself lives for the whole test program; each UiTestHost borrows it and destroys
// the controls made through it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/Platform.h"

// One report a control sent or posted to its parent.
struct UiReport {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const UiReport& other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};
std::string UiDescribe(const std::vector<UiReport>& reports);
// How test failures print a report.
void PrintTo(const UiReport& report, std::ostream* out);
// WM_COMMAND as a control sends it: identifier and code in wParam, its window in lParam.
UiReport UiCommand(int id, WORD code, HWND control);

class UiTestHost {
public:
    static constexpr int kX = 20;  // screen position, away from the pointer's starting point
    static constexpr int kY = 20;
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 320;

    UiTestHost();
    ~UiTestHost();
    UiTestHost(const UiTestHost&) = delete;
    UiTestHost& operator=(const UiTestHost&) = delete;

    HWND Window() const { return window_; }
    HBITMAP Background() const { return background_; }
    // The background's colour at a point of the host's client area: red = x % 256,
    // green = y % 256, blue = 77.
    static COLORREF BackgroundAt(int x, int y) { return RGB(x % 256, y % 256, 77); }

    // Creates a toolkit control (or any class) as a visible child with the background as its
    // creation parameter, and lets it paint.
    HWND Create(const char* className, const char* caption, DWORD style, int x, int y, int w, int h,
                int id);

    // Dispatches everything waiting in this thread's queue.
    void Pump();
    // The reports received so far, after pumping; Take() also forgets them.
    std::vector<UiReport> Reports();
    std::vector<UiReport> Take();
    // What the host answers to QVB_RBUTTONDOWN.
    void SetRightButtonAnswer(LRESULT answer) { rightButtonAnswer_ = answer; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;         // the program's host window, not owned
    HBITMAP background_ = nullptr;  // the program's background, not owned
    std::vector<UiReport> reports_;
    LRESULT rightButtonAnswer_ = 0;
};

// What a window shows, read back from its device context.
class UiCapture {
public:
    explicit UiCapture(HWND window);
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Whether any pixel of the rectangle has exactly this colour.
    bool Contains(COLORREF colour, int left, int top, int right, int bottom) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};

// Mouse and key messages as the system sends them to a window, coordinates in its client area.
LRESULT UiMouse(HWND window, UINT message, int x, int y);
LRESULT UiKey(HWND window, UINT message, WPARAM key);
// Posts a message and dispatches it from the queue, so that it carries a real message time;
// returns that time.
LONG UiPostAndDispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Moves the pointer to a point of a window's client area and lets the system deliver the
// resulting cursor query to it.
void UiPointerTo(UiTestHost& host, HWND window, int x, int y);
// A skin image of one colour and transparency, w x h pixels.
std::vector<BYTE> UiSolidImage(int w, int h, BYTE r, BYTE g, BYTE b, BYTE t = 0);
