// A real top-level window hosting toolkit controls in the tests.
#include "tests/support/UiTestHost.h"

#include <cstdio>

#include "ui/controls/SkinControls.h"

namespace {

constexpr const char* kHostClass = "qvUiTestHost";

bool IsReport(UINT message) {
    switch (message) {
        case WM_COMMAND:
        case QVB_RBUTTONDOWN:
        case QVS_POSCHANGING:
        case QVS_DBLCLK:
        case QVS_ENDCHANGE:
        case QVE_ADJUST:
        case QVF_CHANGED:
        case QVF_DBLCLK:
        case QVR_CHANGED:
        case QVR_DBLCLK:
        case QVI_CLICKED:
            return true;
        default:
            return false;
    }
}

HBITMAP MakeBackground() {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = UiTestHost::kWidth;
    info.bmiHeader.biHeight = -UiTestHost::kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> bits(static_cast<std::size_t>(UiTestHost::kWidth) * UiTestHost::kHeight);
    for (int y = 0; y < UiTestHost::kHeight; ++y) {
        for (int x = 0; x < UiTestHost::kWidth; ++x) {
            bits[static_cast<std::size_t>(y) * UiTestHost::kWidth + x] =
                (static_cast<DWORD>(x % 256) << 16) | (static_cast<DWORD>(y % 256) << 8) | 77u;
        }
    }
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap =
        CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

std::string UiDescribe(const std::vector<UiReport>& reports) {
    std::string text;
    for (const UiReport& r : reports) {
        char line[96];
        std::snprintf(line, sizeof(line), "  message %u wParam 0x%llx lParam 0x%llx\n", r.message,
                      static_cast<unsigned long long>(r.wParam),
                      static_cast<unsigned long long>(r.lParam));
        text += line;
    }
    return text;
}

void PrintTo(const UiReport& report, std::ostream* out) {
    *out << UiDescribe({report});
}

UiReport UiCommand(int id, WORD code, HWND control) {
    return {WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control)};
}

UiTestHost::UiTestHost() {
    // Made on first use and kept until the program ends.
    static HWND sharedWindow = nullptr;
    static HBITMAP sharedBackground = nullptr;
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterSkinControls(module);
    if (sharedWindow == nullptr) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kHostClass;
        RegisterClassA(&wc);
        sharedBackground = MakeBackground();
        // Shown without activation: Wine takes an activated window down slowly at exit, while
        // the controls still get the keyboard focus.
        sharedWindow = CreateWindowExA(WS_EX_NOACTIVATE, kHostClass, "qv ui test", WS_POPUP, kX, kY,
                                       kWidth, kHeight, nullptr, nullptr, module, nullptr);
        ShowWindow(sharedWindow, SW_SHOWNOACTIVATE);
    }
    window_ = sharedWindow;
    background_ = sharedBackground;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetActiveWindow(window_);
    SetFocus(window_);
    UpdateWindow(window_);
    Pump();
    ControlDragActive = false;
    RevTimeDragActive = false;
    reports_.clear();
}

UiTestHost::~UiTestHost() {
    CloseTypedEntry();
    if (GetCapture() != nullptr) ReleaseCapture();
    std::vector<HWND> children;
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    for (HWND child : children) DestroyWindow(child);
    Pump();
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
}

HWND UiTestHost::Create(const char* className, const char* caption, DWORD style, int x, int y,
                        int w, int h, int id) {
    HWND control = CreateWindowExA(0, className, caption, style | WS_CHILD | WS_VISIBLE, x, y, w, h,
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), background_);
    if (control != nullptr) UpdateWindow(control);
    return control;
}

void UiTestHost::Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::vector<UiReport> UiTestHost::Reports() {
    Pump();
    return reports_;
}

std::vector<UiReport> UiTestHost::Take() {
    Pump();
    std::vector<UiReport> taken;
    taken.swap(reports_);
    return taken;
}

LRESULT CALLBACK UiTestHost::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<UiTestHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (host != nullptr && IsReport(message)) {
        host->reports_.push_back({message, wParam, lParam});
        return message == QVB_RBUTTONDOWN ? host->rightButtonAnswer_ : 0;
    }
    if (message == WM_ERASEBKGND && host != nullptr) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(source, host->background_);
        BitBlt(dc, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

UiCapture::UiCapture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HDC dc = GetDC(window);
    BitBlt(memory, 0, 0, width_, height_, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    GdiFlush();
    const auto* p = static_cast<const BYTE*>(bits);
    pixels_.resize(static_cast<std::size_t>(width_) * height_);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        pixels_[i] = RGB(p[i * 4 + 2], p[i * 4 + 1], p[i * 4]);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

COLORREF UiCapture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

bool UiCapture::Contains(COLORREF colour, int left, int top, int right, int bottom) const {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (At(x, y) == colour) return true;
        }
    }
    return false;
}

LRESULT UiMouse(HWND window, UINT message, int x, int y) {
    const LPARAM position = MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                                       static_cast<WORD>(static_cast<short>(y)));
    const WPARAM keys =
        (message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONDBLCLK)
            ? MK_LBUTTON
            : 0;
    return SendMessageA(window, message, keys, position);
}

LRESULT UiKey(HWND window, UINT message, WPARAM key) {
    return SendMessageA(window, message, key, message == WM_KEYUP ? 0xC0000001 : 1);
}

LONG UiPostAndDispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageA(window, message, wParam, lParam);
    MSG posted;
    while (PeekMessageA(&posted, window, message, message, PM_REMOVE)) {
        DispatchMessageA(&posted);
        return posted.time;
    }
    return 0;
}

void UiPointerTo(UiTestHost& host, HWND window, int x, int y) {
    POINT screen = {x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    host.Pump();
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

std::vector<BYTE> UiSolidImage(int w, int h, BYTE r, BYTE g, BYTE b, BYTE t) {
    std::vector<BYTE> image(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < image.size(); i += 4) {
        image[i] = r;
        image[i + 1] = g;
        image[i + 2] = b;
        image[i + 3] = t;
    }
    return image;
}
