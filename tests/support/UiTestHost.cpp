// A real top-level window hosting toolkit controls in the tests.
#include "tests/support/UiTestHost.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "tools/skingallery/PngWriter.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinControls.h"

UiTestHost::UiTestHost() {
    // Made once, shown without activation: Wine takes an activated window down slowly at exit.
    constexpr int kWidth = 420;
    constexpr int kHeight = 320;
    static HWND shared = nullptr;
    static HBITMAP background = nullptr;  // kept until the program ends
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterSkinControls(module);
    if (shared == nullptr) {
        std::vector<DWORD> bits(kWidth * kHeight);
        for (std::size_t i = 0; i < bits.size(); ++i) {
            bits[i] = (i % kWidth % 256) << 16 | (i / kWidth % 256) << 8 | 77;
        }
        background = CreateBitmap(kWidth, kHeight, 1, 32, bits.data());
        WNDCLASSA wc = {0, Proc, 0, 0, module, nullptr, nullptr, nullptr, nullptr, "qvUiTestHost"};
        RegisterClassA(&wc);
        shared = CreateWindowExA(WS_EX_NOACTIVATE, wc.lpszClassName, "", WS_POPUP, 20, 20, kWidth,
                                 kHeight, nullptr, nullptr, module, nullptr);
        ShowWindow(shared, SW_SHOWNOACTIVATE);
    }
    window_ = shared;
    background_ = background;
    SetActiveWindow(window_);
    SetFocus(window_);
    Pump();  // what the last test left, before this one listens
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ControlDragActive = RevTimeDragActive = false;
}

UiTestHost::~UiTestHost() {
    // A control's capture and typed-entry box go with it.
    while (HWND child = GetWindow(window_, GW_CHILD)) DestroyWindow(child);
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
}

HWND UiTestHost::Create(const char* className, const char* caption, DWORD style, int w, int h,
                        int id) {
    HWND control = CreateWindowExA(0, className, caption, style | WS_CHILD | WS_VISIBLE, 30, 40, w,
                                   h, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), background_);
    UpdateWindow(control);
    return control;
}

void UiTestHost::Pump() {
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&m);
}

std::vector<UiReport> UiTestHost::Take(bool pump) {
    if (pump) Pump();
    return std::exchange(reports_, {});
}

LRESULT CALLBACK UiTestHost::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<UiTestHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // The controls' reports: commands and their private messages.
    if (host == nullptr || (message != WM_COMMAND && message < WM_USER))
        return DefWindowProcA(window, message, wParam, lParam);
    host->reports_.emplace_back(message, wParam, lParam);
    return message == QVB_RBUTTONDOWN ? 77 : 0;
}

UiCapture::UiCapture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    PixelBuffer buffer(width_, height_);
    BitBlt(buffer.Dc(), 0, 0, width_, height_, WindowDc(window).Get(), 0, 0, SRCCOPY);
    GdiFlush();
    for (const BYTE* p = buffer.Bits(); pixels_.size() < std::size_t(width_ * height_); p += 4) {
        pixels_.push_back(RGB(p[2], p[1], p[0]));
    }
}

COLORREF UiCapture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

::testing::AssertionResult UiMatchesGolden(HWND window, const std::string& name) {
    const UiCapture shot(window);
    std::vector<BYTE> rgb;
    for (int i = 0; i < shot.Width() * shot.Height(); ++i) {
        const COLORREF c = shot.At(i % shot.Width(), i / shot.Width());
        rgb.insert(rgb.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    }
    // Written beside the test (and over the golden one when asked), then compared byte for byte.
    const std::string golden = QV_GOLDEN_DIR "/" + name + ".png";
    const std::string actual = name + "-actual.png";
    WritePng(actual, shot.Width(), shot.Height(), rgb);
    if (std::getenv("QV_UPDATE_GOLDEN") != nullptr)
        WritePng(golden, shot.Width(), shot.Height(), rgb);
    std::ifstream a(actual, std::ios::binary);
    std::ifstream g(golden, std::ios::binary);
    if (std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(g), {}))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << " differs from " << golden << ": see " << actual
                                         << " here (QV_UPDATE_GOLDEN=1 remakes it)";
}
