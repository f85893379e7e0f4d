// The editor page of the registered filter in a frame window of the tests' own, shown as a host
// shows it: made through the DLL's class object, given the filter, activated, and driven with
// the messages real input produces. The engine is read back through the filter's IHqPlugInProp.
#pragma once

#include <string>

#include "engine/HqPlugInProp.h"
#include "tests/plugin/PluginTestSupport.h"
#include "tests/support/UiScript.h"

class PageTest : public RegisteredFilterTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // Opens the page and waits for its first refresh tick.
    void SetUp() override;
    void TearDown() override;

    HWND Page() const { return GetWindow(frame_, GW_CHILD); }
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    std::string Text(int id) const { return UiText(Item(id)); }
    int Param(int index) const;
    // Dispatches what is waiting; Ticks also waits for that many refresh ticks of the page.
    static void Pump();
    static void Ticks(int count);
    // Left-button gestures at x, y of a control's client area (a click by default in its
    // middle); a drag first brings the pointer over the control, then moves in steps.
    void Click(int id, int x = -1, int y = -1, bool twice = false);
    void Drag(int id, int x0, int y0, int x1, int y1);
    // Opens the field's typed entry (double click), types and presses Enter.
    void TypeInto(int fieldId, const std::string& text);

    static HWND frame_;
    ComPtr<IHqPlugInProp> engine_;
    ComPtr<IPropertyPage> page_;
};

// Writes what the screen shows of a window (with any menu open over it) as a PNG file.
bool WriteScreenPng(HWND window, const std::string& path);
