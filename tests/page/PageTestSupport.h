// The registered filter's editor page in a frame of the tests' own, driven with real input
// messages; its preset library is a copy of the factory bank (the registry's "PluginPath").
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "engine/HqPlugInProp.h"
#include "presets/PresetList.h"
#include "tests/support/ComTestHarness.h"
#include "tests/support/UiScript.h"

class PageTest : public RegisteredFilterTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // Copies the bank, opens the page and waits for its first refresh tick.
    void SetUp() override;
    void TearDown() override;

    HWND Page() const { return GetWindow(frame_, GW_CHILD); }
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    std::string Text(int id) const { return UiText(Item(id)); }
    int Param(int index) const;
    std::vector<int> EngineValues() const;
    // A preset's values as the bank file holds them now.
    std::vector<int> StoredValues(const char* name) const;
    // Dispatches what is waiting; Ticks also waits for that many refresh ticks of the page.
    static void Pump();
    static void Ticks(int count);
    // Left-button gestures at x, y of a control's client area (a click by default in its
    // middle); a drag first brings the pointer over the control, then moves in steps.
    void Click(int id, int x = -1, int y = -1, bool twice = false);
    void Drag(int id, int x0, int y0, int x1, int y1);
    // Opens the field's typed entry (double click), types and presses Enter.
    void TypeInto(int fieldId, const std::string& text);
    // Presses the Presets button while the script answers what opens.
    void Presets(UiScript& script);
    std::vector<std::string> MenuItems();

    static HWND frame_;
    ComPtr<IHqPlugInProp> engine_;
    ComPtr<IPropertyPage> page_;
    std::string bank_;
};

inline bool Has(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

// Writes what the screen shows of a window (with any menu open over it) as a PNG file.
bool WriteScreenPng(HWND window, const std::string& path);
