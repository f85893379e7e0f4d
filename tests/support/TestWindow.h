// A window that receives the engine's posted notices in a test: a real message-only window on
// Windows, a native message queue elsewhere.
#pragma once

#include "platform/Platform.h"

class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return window_; }
    // Takes the next posted WM_COMMAND; false when none is waiting.
    bool NextCommand(WORD* commandId, WORD* code, LPARAM* lParam);
    // Destroys the window early, so that its handle goes stale.
    void Destroy();

private:
    HWND window_;  // owned
};
