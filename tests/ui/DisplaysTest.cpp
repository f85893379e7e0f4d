// "qv:FreqDisplay", "qv:RevTime" and "qv:Meter" in real windows: what the displays' gestures post
// and the cursors they show; the meter's ballistics, maxima and peak readout.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/UiTestHost.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinResources.h"

namespace {

using namespace SkinId;
using namespace UiSteps;

constexpr int kId = 10007;

const auto Freq = [](int w, int hz) { return UiReport{QVF_CHANGED, MAKEWPARAM(kId, w), hz}; };
const auto Rev = [](int index, int v) { return UiReport{QVR_CHANGED, MAKEWPARAM(kId, index), v}; };

// 154 x 44 from 100 Hz to 10 kHz: the mouse axis (x = 2 over 150 pixels) puts them at 37 and 135.
const UiGesture kFreqGestures[] = {
    G({Down(40, 30), Dragging(1, 0), kFocused, Move(50, 30), Move(30, 0), Up(30, 0)},
      {Freq(0, 157), Freq(0, 61)}, "low-cut handle, whole height live"),
    G({Down(132, 5), Move(137, 5), Move(1000, 5), Move(-500, 5), Up(-500, 5)},
      {Freq(1, 12564), Freq(1, 22100), Freq(1, 500)},
      "high-cut handle, x within (W - 4) + 20, limits"),
    G({Down(37, 5), Move(400, 5), Up(400, 5)}, {Freq(0, 3000)}, "low cut stops at 3000 Hz"),
    G({Pointer(86, 20), Cursor(kOpenHandCursor), Down(86, 20), Cursor(kClosedHandCursor),
       Move(94, 20), Move(146, 20), Up(146, 20)},
      {Freq(0, 143), Freq(1, 14469), Freq(0, 1660), Freq(1, 22100)},
      "band until one edge meets its limit"),
    G({Msg(QVF_SETLOWCUT, 1000), Msg(QVF_SETHIGHCUT, 1800), Pointer(92, 5), Cursor(0), Down(92, 5),
       Cursor(0), Dragging(1, 0), Move(96, 5), Up(96, 5)},
      {Freq(1, 2101)}, "close handles: no band, high wins"),
    G({Down(138, 5), Dragging(0, 0), kFocused, Move(155, 5), Up(155, 5)}, {}, "press beside"),
    G({DoubleClick(86, 10), Dragging(0, 0), DoubleClick(38, 10), DoubleClick(134, 10),
       DoubleClick(145, 10), Move(165, 10)},
      {{QVF_DBLCLK, kId, 2}, {QVF_DBLCLK, kId, 0}, {QVF_DBLCLK, kId, 1}, {QVF_DBLCLK, kId, -1}},
      "double clicks"),
    G({Pointer(40, 30), Cursor(0), Pointer(44, 30), Cursor(kOpenHandCursor)}, {}, "open hand"),
};

// 154 x 90 as made: crossover 500 Hz, damping 4 kHz, decay 1.5 s, bass x 1.0. On the mouse plot
// (inset 2) the crossover is at x = 71, the damping at 115, both tops at y = 45.
const UiGesture kRevTimeGestures[] = {
    G({Pointer(51, 46), Cursor(kUpDownCursor), Down(51, 46), Dragging(0, 1), Move(51, 33),
       Move(111, -500), Move(51, 500), Up(51, 500)},
      {Rev(0, 27), Rev(0, 30), Rev(0, 2)}, "bass line: tenths, 2 to 30"),
    G({Pointer(112, 48), Cursor(0), Down(112, 48), kFocused, Move(122, 38), Up(122, 38)},
      {Rev(3, 6202), Rev(2, 3299)}, "main handle, both ways"),
    G({Pointer(112, 48), Down(112, 48), Move(2000, -2000), Move(-2000, 2000), Up(-2000, 2000)},
      {Rev(3, 22100), Rev(2, 20000), Rev(3, 500), Rev(2, 100)}, "main handle limits"),
    G({Pointer(71, 65), Cursor(kLeftRightCursor), Down(71, 65), Move(77, 85), Up(77, 85)},
      {Rev(1, 647)}, "crossover edge alone"),
    G({Pointer(103, 44), Cursor(kUpDownCursor), Down(103, 44), Move(145, 39), Up(145, 39)},
      {Rev(2, 2260)}, "main top line alone"),
    G({Pointer(112, 48), DoubleClick(112, 48), Dragging(0, 0), Pointer(68, 48), DoubleClick(68, 48),
       Pointer(117, 75), Cursor(kLeftRightCursor), Pointer(140, 5), Cursor(0), DoubleClick(140, 5)},
      {{QVR_DBLCLK, kId, 1}, {QVR_DBLCLK, kId, 0}, {QVR_DBLCLK, kId, -1}},
      "double clicks; damping edge cursor"),
};

TEST(Displays, GesturesAndTheirReports) {
    for (const UiGesture& g : kFreqGestures) {
        UiTestHost host;
        HWND display = host.Create(kFreqDisplayClass, nullptr, 0, 40, 50, 154, 44, kId);
        UiDo(host, display, {Msg(QVF_SETLOWCUT, 100), Msg(QVF_SETHIGHCUT, 10000)});
        UiPlay(host, display, g, false);
    }
    for (const UiGesture& g : kRevTimeGestures) {
        UiTestHost host;
        UiPlay(host, host.Create(kRevTimeClass, nullptr, 0, 220, 50, 154, 90, kId), g, false);
    }
}

TEST(Meter, BallisticsAndMaximaThroughTheirMessagesAndTheReadout) {
    UiTestHost host;
    HWND meter =
        host.Create(kMeterClass, nullptr, QVMS_VERT | QVMS_BALLISTICS, 300, 20, 12, 144, 1);
    // After a peak the bar falls 20 a step; the hold stays 30 steps, then falls 30 a step until
    // the bar catches it (after 91), and stays again. Holds and maxima come through pointers.
    UiDo(host, meter, {Msg(QVM_SETLEVELS, -100, -50)});
    std::vector<int> got;
    for (int step = 1; step <= 92; ++step) {
        UiDo(host, meter, {Msg(QVM_SETLEVELS, -9999, -9999)});
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
    // The readout: the two texts and at least one space, as many as the font's widths leave.
    GdiObject<HFONT> font(CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    SIZE inf;
    SIZE zero;
    WindowDc dc(meter);
    SelectScope select(dc.Get(), font.Get());
    GetTextExtentPoint32A(dc.Get(), "-Inf", 4, &inf);
    GetTextExtentPoint32A(dc.Get(), "0.0", 3, &zero);
    char text[kMeterPeakTextSize];
    FormatMeterPeakText(meter, font.Get(), text, -9999, 0);
    EXPECT_EQ("-Inf" + std::string((47 - inf.cx - zero.cx) / 3, ' ') + "0.0", text);
    FormatMeterPeakText(meter, font.Get(), text, 2147483647, -2147483647);
    EXPECT_EQ("214748364.7 -Inf", std::string(text));
}

}  // namespace
