// skingallery: lays every control of the editor page out on the page background at its place,
// feeds it plausible values and writes a screenshot of the whole panel (PNG). With
// --interactive it stays open for a person to try the controls.
//     skingallery [SCREENSHOT.png] [--interactive]
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "tools/skingallery/PngWriter.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SkinResources.h"
#include "ui/page/PageLayout.h"

namespace {

constexpr const char* kPageClass = "qvGalleryPage";

struct Gallery {
    HINSTANCE module = nullptr;
    HBITMAP background = nullptr;  // owned (deleted at exit)
    HBITMAP revTimeShade = nullptr;
    HBITMAP freqShade = nullptr;
    HBITMAP lampDark = nullptr;
    HFONT meterFont = nullptr;
};
Gallery gallery;

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            MemoryDc source(reinterpret_cast<HDC>(wParam));
            SelectScope select(source.Get(), gallery.background);
            BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, PageLayout::kWidth, PageLayout::kHeight,
                   source.Get(), 0, 0, SRCCOPY);
            return 1;
        }
        case WM_LBUTTONDOWN:
            CloseTypedEntry();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

SkinImage Image(int id) {
    return LockSkinImage(gallery.module, id);
}

// The field texts and control values of a plausible setting: Input 0.0 dB, Low Cut 75 Hz, High
// Cut 8.0 kHz, Predelay 18 ms, Room Size 62, Diffusion 85 %, Bass Mult 1.2, Crossover 500 Hz,
// Decay 2.4 s, High Damping 6.0 kHz, Dry 0.0 dB, E.R. -3.5 dB, Reverb -12.0 dB, Width 100 %.
struct Setting {
    int fieldId;
    const char* text;
};
constexpr Setting kTexts[] = {
    {10000, "0.0"}, {10005, "75"},   {10006, "8.0"},   {10008, "18"},  {10010, "62"},
    {10012, "85"},  {10014, "1.2"},  {10016, "500"},   {10018, "2.4"}, {10020, "6.0"},
    {10022, "0.0"}, {10025, "-3.5"}, {10028, "-12.0"}, {10031, "100"},
};

// The sliders' positions of that setting, in the order of the layout's slider table.
constexpr int kSliderValues[] = {0, 18, 62, 85, 0, -35, -120};

void SetUpSlider(HWND slider, const PageLayout::SliderSetup& s, int value) {
    SendMessageA(slider, QVS_SETTICKSPACING, static_cast<WPARAM>(s.tickSpacing), 0);
    SendMessageA(slider, QVS_SETTICKOFFSET, static_cast<WPARAM>(s.tickOffset), 0);
    SendMessageA(slider, QVS_SETPAGESTEP, static_cast<WPARAM>(s.pageStep), 0);
    SendMessageA(slider, QVS_SETTHUMB, reinterpret_cast<WPARAM>(Image(SkinId::kSliderThumb)), 0);
    SendMessageA(slider, QVS_SETRANGE, static_cast<WPARAM>(s.minimum), s.maximum);
    SendMessageA(slider, QVS_SETPOS, static_cast<WPARAM>(value), 1);
}

void CreateControls(HWND page) {
    for (const PageLayout::Control& c : PageLayout::kControls) {
        const char* className = kPushButtonClass;
        switch (c.kind) {
            case PageLayout::Kind::kButton:
                className = kPushButtonClass;
                break;
            case PageLayout::Kind::kField:
                className = kEditClass;
                break;
            case PageLayout::Kind::kSlider:
                className = kSliderClass;
                break;
            case PageLayout::Kind::kFreq:
                className = kFreqDisplayClass;
                break;
            case PageLayout::Kind::kRevTime:
                className = kRevTimeClass;
                break;
            case PageLayout::Kind::kMeter:
                className = kMeterClass;
                break;
            case PageLayout::Kind::kPeakText:
                className = kStaticTextClass;
                break;
        }
        HWND control =
            CreateWindowExA(0, className, c.caption != nullptr ? c.caption : "", c.style, c.x, c.y,
                            c.w, c.h, page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                            gallery.module, gallery.background);
        switch (c.kind) {
            case PageLayout::Kind::kButton:
                SendMessageA(control, QVB_SETIMAGES, reinterpret_cast<WPARAM>(Image(c.image)),
                             reinterpret_cast<LPARAM>(Image(c.pressedImage)));
                break;
            case PageLayout::Kind::kField:
                SendMessageA(control, WM_SETFONT,
                             reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
                SendMessageA(control, QVE_SETIMAGE, reinterpret_cast<WPARAM>(Image(c.image)), 0);
                break;
            case PageLayout::Kind::kFreq:
                SendMessageA(control, QVF_SETOVERLAY, reinterpret_cast<WPARAM>(gallery.freqShade),
                             0);
                break;
            case PageLayout::Kind::kRevTime:
                SendMessageA(control, QVR_SETOVERLAY,
                             reinterpret_cast<WPARAM>(gallery.revTimeShade), 0);
                break;
            case PageLayout::Kind::kMeter:
                SendMessageA(control, QVM_SETIMAGES, reinterpret_cast<WPARAM>(Image(c.image)),
                             reinterpret_cast<LPARAM>(Image(c.pressedImage)));
                SendMessageA(control, QVM_SETRANGE, static_cast<WPARAM>(-600), 0);
                break;
            case PageLayout::Kind::kPeakText:
                SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(gallery.meterFont), 0);
                break;
            case PageLayout::Kind::kSlider:
                break;
        }
    }
    for (const PageLayout::Lamp& lamp : PageLayout::kLamps) {
        HWND indicator = CreateWindowExA(
            0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, lamp.x, lamp.y,
            PageLayout::kLampWidth, PageLayout::kLampHeight, page,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(lamp.id)), gallery.module, nullptr);
        SendMessageA(indicator, STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(gallery.lampDark));
    }
}

void FeedValues(HWND page) {
    for (const Setting& s : kTexts) SetDlgItemTextA(page, s.fieldId, s.text);
    for (std::size_t i = 0; i < std::size(PageLayout::kSliders); ++i) {
        const PageLayout::SliderSetup& s = PageLayout::kSliders[i];
        SetUpSlider(GetDlgItem(page, s.id), s, kSliderValues[i]);
    }
    HWND freq = GetDlgItem(page, 10007);
    SendMessageA(freq, QVF_SETLOWCUT, 75, 0);
    SendMessageA(freq, QVF_SETHIGHCUT, 8000, 0);
    HWND revTime = GetDlgItem(page, 10021);
    SendMessageA(revTime, QVR_SETVALUE, 0, 12);
    SendMessageA(revTime, QVR_SETVALUE, 1, 500);
    SendMessageA(revTime, QVR_SETVALUE, 2, 2400);
    SendMessageA(revTime, QVR_SETVALUE, 3, 6000);
    SendDlgItemMessageA(page, 10003, QVB_SETCHECK, 1, 1);  // Tail on
    SendDlgItemMessageA(page, 10027, QVB_SETCHECK, 1, 1);  // E.R. muted

    // A few meter updates: a recent peak held above a falling bar, in tenths of a decibel.
    const int levels[4][6] = {
        {-95, -60, -140, -170, -190, -200},
        {-110, -75, -150, -165, -185, -210},
        {-150, -85, -190, -210, -230, -240},
        {-160, -90, -180, -220, -225, -250},
    };
    const int meters[4] = {10600, 10601, 10603, 10604};
    for (int m = 0; m < 4; ++m) {
        for (int step = 0; step < 6; ++step) {
            SendDlgItemMessageA(page, meters[m], QVM_SETLEVELS,
                                static_cast<WPARAM>(levels[m][step]), 0);
        }
    }
    char text[kMeterPeakTextSize];
    for (int pair = 0; pair < 2; ++pair) {
        int maxA = 0;
        int maxB = 0;
        SendDlgItemMessageA(page, meters[pair * 2], QVM_GETMAX, reinterpret_cast<WPARAM>(&maxA), 0);
        SendDlgItemMessageA(page, meters[pair * 2 + 1], QVM_GETMAX, reinterpret_cast<WPARAM>(&maxB),
                            0);
        HWND readout = GetDlgItem(page, pair == 0 ? 10602 : 10605);
        FormatMeterPeakText(readout, gallery.meterFont, text, maxA, maxB);
        SetWindowTextA(readout, text);
    }
    SetFocus(GetDlgItem(page, 10001));
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool Screenshot(HWND page, const std::string& path) {
    PixelBuffer pixels(PageLayout::kWidth, PageLayout::kHeight);
    WindowDc dc(page);
    if (!pixels || dc.Get() == nullptr) return false;
    BitBlt(pixels.Dc(), 0, 0, PageLayout::kWidth, PageLayout::kHeight, dc.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(PageLayout::kWidth) * PageLayout::kHeight * 3);
    for (int i = 0; i < PageLayout::kWidth * PageLayout::kHeight; ++i) {
        rgb.push_back(pixels.Bits()[i * 4 + 2]);
        rgb.push_back(pixels.Bits()[i * 4 + 1]);
        rgb.push_back(pixels.Bits()[i * 4 + 0]);
    }
    return WritePng(path, PageLayout::kWidth, PageLayout::kHeight, rgb);
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = "skingallery.png";
    bool interactive = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--interactive") == 0) {
            interactive = true;
        } else {
            path = argv[i];
        }
    }
    gallery.module = GetModuleHandleA(nullptr);
    RegisterSkinControls(gallery.module);
    gallery.background = LoadSkinBitmap(gallery.module, SkinId::kBackground, nullptr);
    gallery.revTimeShade = LoadSkinBitmap(gallery.module, SkinId::kRevTimeShade, nullptr);
    gallery.freqShade = LoadSkinBitmap(gallery.module, SkinId::kFreqShade, nullptr);
    gallery.lampDark = LoadSkinBitmap(gallery.module, SkinId::kClipLampDark, nullptr);
    gallery.meterFont = CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    if (gallery.background == nullptr) {
        std::fprintf(stderr, "skingallery: the page background is missing\n");
        return 1;
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = gallery.module;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kPageClass;
    RegisterClassA(&wc);
    RECT frame = {0, 0, PageLayout::kWidth, PageLayout::kHeight};
    const DWORD style = interactive ? (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU) : WS_POPUP;
    // The screenshot run shows the panel without activating it, which Wine also takes down
    // quickly at the end.
    const DWORD exStyle = interactive ? 0 : WS_EX_NOACTIVATE;
    AdjustWindowRect(&frame, style, FALSE);
    HWND page = CreateWindowExA(exStyle, kPageClass, "Halvern:qv Reverb", style | WS_CLIPCHILDREN,
                                0, 0, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, gallery.module, nullptr);
    CreateControls(page);
    ShowWindow(page, interactive ? SW_SHOW : SW_SHOWNOACTIVATE);
    FeedValues(page);
    UpdateWindow(page);
    Pump();
    RedrawWindow(page, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();

    int result = 0;
    if (!Screenshot(page, path)) {
        std::fprintf(stderr, "skingallery: cannot write %s\n", path.c_str());
        result = 1;
    }
    if (interactive) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageA(page, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    } else {
        DestroyWindow(page);
    }
    DeleteObject(gallery.meterFont);
    DeleteObject(gallery.lampDark);
    DeleteObject(gallery.freqShade);
    DeleteObject(gallery.revTimeShade);
    DeleteObject(gallery.background);
    return result;
}
