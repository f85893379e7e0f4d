// Test windows as real message-only windows.
#include "tests/support/TestWindow.h"

TestWindow::TestWindow()
    : window_(CreateWindowExA(0, "STATIC", "qv test window", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr)) {}

TestWindow::~TestWindow() {
    Destroy();
}

void TestWindow::Destroy() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
}

bool TestWindow::NextCommand(WORD* commandId, WORD* code, LPARAM* lParam) {
    MSG message;
    while (window_ != nullptr && PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
        if (message.message != WM_COMMAND) continue;
        *commandId = LOWORD(message.wParam);
        *code = HIWORD(message.wParam);
        *lParam = message.lParam;
        return true;
    }
    return false;
}
