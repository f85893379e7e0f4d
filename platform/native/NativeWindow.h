// Native windows for programs without a windowing system: create one, read what was posted to
// it, destroy it. Used where the Windows build would create a real window.
#pragma once

#include "platform/native/Services.h"

struct NativeMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

HWND NativeCreateWindow();
void NativeDestroyWindow(HWND window);
// Takes the oldest posted message off the window's queue; FALSE when there is none.
BOOL NativePeekMessage(HWND window, NativeMessage* message);
