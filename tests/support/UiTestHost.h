// The program's one window for the control toolkit's tests under Wine: it hosts controls over a
// known background, records what they report and compares their pictures with golden ones.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/Platform.h"

// A report a control sent or posted to its parent: message, wParam, lParam.
using UiReport = std::tuple<UINT, WPARAM, LPARAM>;

class UiTestHost {
public:
    UiTestHost();
    ~UiTestHost();
    // A painted child at (30, 40) over the background (red x, green y, blue 77) it is made with.
    HWND Create(const char* className, const char* caption, DWORD style, int w, int h, int id);
    // The reports so far, after pumping the queue unless told not to; QVB_RBUTTONDOWN answers 77.
    std::vector<UiReport> Take(bool pump = true);
    static void Pump();

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;         // the program's host window, not owned
    HBITMAP background_ = nullptr;  // its background, not owned
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
