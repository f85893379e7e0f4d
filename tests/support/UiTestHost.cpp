// A real top-level window hosting toolkit controls in the tests.
#include "tests/support/UiTestHost.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "tools/skingallery/PngWriter.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinControls.h"

void PrintTo(const UiReport& r, std::ostream* out) {
    *out << "{message " << r.message << ", wParam " << r.wParam << ", lParam " << r.lParam << "}";
}

UiTestHost::UiTestHost() {
    // Made on first use and kept until the program ends. Shown without activation: Wine takes an
    // activated window down slowly at exit, while the controls still get the keyboard focus.
    constexpr int kWidth = 420;
    constexpr int kHeight = 320;
    static HWND sharedWindow = nullptr;
    static HBITMAP sharedBackground = nullptr;
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterSkinControls(module);
    if (sharedWindow == nullptr) {
        std::vector<DWORD> bits(kWidth * kHeight);
        for (std::size_t i = 0; i < bits.size(); ++i) {
            bits[i] = (i % kWidth % 256) << 16 | (i / kWidth % 256) << 8 | 77;
        }
        sharedBackground = CreateBitmap(kWidth, kHeight, 1, 32, bits.data());
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = module;
        wc.lpszClassName = "qvUiTestHost";
        RegisterClassA(&wc);
        sharedWindow = CreateWindowExA(WS_EX_NOACTIVATE, wc.lpszClassName, "", WS_POPUP, 20, 20,
                                       kWidth, kHeight, nullptr, nullptr, module, nullptr);
        ShowWindow(sharedWindow, SW_SHOWNOACTIVATE);
    }
    window_ = sharedWindow;
    background_ = sharedBackground;
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

HWND UiTestHost::Create(const char* className, const char* caption, DWORD style, int x, int y,
                        int w, int h, int id) {
    HWND control = CreateWindowExA(0, className, caption, style | WS_CHILD | WS_VISIBLE, x, y, w, h,
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
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
    host->reports_.push_back({message, wParam, lParam});
    return message == QVB_RBUTTONDOWN ? host->rightButtonAnswer : 0;
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
    // The picture is written beside the test; its file is the golden's byte for byte or not.
    const std::string golden = std::string(QV_GOLDEN_DIR) + "/" + name + ".png";
    const std::string actual = name + "-actual.png";
    WritePng(actual, shot.Width(), shot.Height(), rgb);
    if (std::getenv("QV_UPDATE_GOLDEN") != nullptr)
        WritePng(golden, shot.Width(), shot.Height(), rgb);
    auto read = [](const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    if (read(actual) == read(golden)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << " differs from " << golden << ": see " << actual
                                         << " here (QV_UPDATE_GOLDEN=1 remakes it)";
}

namespace {

// Plays one step; true when it pumps the queue.
bool Do(UiTestHost& host, HWND control, const UiStep& s) {
    if (s.message == WM_KEYDOWN || s.message == WM_KEYUP || s.message == kUiBoxKey) {
        SendMessageA(s.message == kUiBoxKey ? TypedEntryWindow : control,
                     s.message == kUiBoxKey ? WM_KEYDOWN : s.message, s.x,
                     s.message == WM_KEYUP ? 0xC0000001 : 1);
    } else if (s.message >= WM_MOUSEFIRST && s.message < WM_MOUSEWHEEL) {
        SendMessageA(control, s.message, 0, MAKELPARAM(s.x, s.y));
    } else if (s.message == kUiFocus) {
        SetFocus(s.x != 0 ? control : host.Window());
    } else if (s.message == kUiEnable) {
        EnableWindow(control, s.x != 0);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    } else if (s.message == kUiPointer) {
        POINT screen = {static_cast<int>(s.x), static_cast<int>(s.y)};
        ClientToScreen(control, &screen);
        SetCursorPos(screen.x, screen.y);
        host.Pump();
        SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return true;
    } else if (s.message == kUiExpectCursor) {
        HINSTANCE module = s.x == 0 ? nullptr : GetModuleHandleA(nullptr);
        const char* id = s.x == 0 ? IDC_ARROW : MAKEINTRESOURCEA(s.x);
        EXPECT_EQ(s.x < 0 ? nullptr : LoadCursorA(module, id), GetCursor());
    } else if (s.message == kUiExpectDrag) {
        EXPECT_EQ(s.x != 0, IsControlDragActive());
        EXPECT_EQ(s.y != 0, IsRevTimeDragActive());
        EXPECT_EQ(s.x != 0 || s.y != 0 ? control : nullptr, GetCapture());
    } else if (s.message == kUiExpectFocused) {
        EXPECT_EQ(control, GetFocus());
    } else if (s.message == kUiBoxType) {
        for (const char* c = reinterpret_cast<const char*>(s.x); *c != 0; ++c) {
            SendMessageA(TypedEntryWindow, WM_CHAR, static_cast<BYTE>(*c), 1);
        }
    } else if (s.message == kUiExpectText) {
        char text[256] = {};
        GetWindowTextA(control, text, sizeof(text));
        EXPECT_STREQ(reinterpret_cast<const char*>(s.x), text);
        EXPECT_EQ(s.y != 0, TypedEntryWindow != nullptr);
    } else {
        SendMessageA(control, s.message, static_cast<WPARAM>(s.x), s.y);
    }
    return false;
}

}  // namespace

void UiDo(UiTestHost& host, HWND control, const std::vector<UiStep>& steps) {
    for (const UiStep& s : steps) Do(host, control, s);
}

void UiPlay(UiTestHost& host, HWND control, const UiGesture& gesture, bool sent) {
    SCOPED_TRACE(gesture.what);
    host.Take();
    // Reports in order, and those that came the wrong way: sent ones from the queue, or posted ones
    // during an input message.
    std::vector<UiReport> all;
    std::vector<UiReport> wrongWay;
    auto collect = [&](const std::vector<UiReport>& got, bool queued) {
        for (UiReport r : got) {
            if (r.lParam == reinterpret_cast<LPARAM>(control)) r.lParam = kUiSelf;
            all.push_back(r);
            if (queued == sent) wrongWay.push_back(r);
        }
    };
    for (const UiStep& s : gesture.steps) {
        const bool queued = Do(host, control, s);
        collect(host.Take(false), queued);
    }
    collect(host.Take(), true);
    EXPECT_EQ(gesture.reports, all);
    EXPECT_EQ(std::vector<UiReport>(), wrongWay)
        << (sent ? "posted, not sent" : "sent, not posted");
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(IsControlDragActive() || IsRevTimeDragActive());
}
