// Test windows on the native message queues.
#include "platform/native/NativeWindow.h"
#include "tests/support/TestWindow.h"

TestWindow::TestWindow() : window_(NativeCreateWindow()) {}

TestWindow::~TestWindow() {
    Destroy();
}

void TestWindow::Destroy() {
    if (window_ != nullptr) NativeDestroyWindow(window_);
    window_ = nullptr;
}

bool TestWindow::NextCommand(WORD* commandId, WORD* code, LPARAM* lParam) {
    NativeMessage message;
    while (window_ != nullptr && NativePeekMessage(window_, &message)) {
        if (message.message != WM_COMMAND) continue;
        *commandId = LOWORD(message.wParam);
        *code = HIWORD(message.wParam);
        *lParam = message.lParam;
        return true;
    }
    return false;
}
