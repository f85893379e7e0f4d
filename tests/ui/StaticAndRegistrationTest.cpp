// The static text and image classes, the registration of the nine classes (also twice) and the
// process-wide drag flags.
#include <gtest/gtest.h>

#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinResources.h"

namespace {

const char* const kAllClasses[] = {kPushButtonClass,  kSliderClass,      kEditClass,
                                   kStaticTextClass,  kStaticImageClass, kStaticNoHitImageClass,
                                   kFreqDisplayClass, kRevTimeClass,     kMeterClass};

TEST(Registration, NineClassesWithTheSameAttributes) {
    UiTestHost host;  // registers
    HINSTANCE module = GetModuleHandleA(nullptr);
    for (const char* name : kAllClasses) {
        SCOPED_TRACE(name);
        WNDCLASSA wc = {};
        ASSERT_TRUE(GetClassInfoA(module, name, &wc));
        EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS | CS_PARENTDC), wc.style);
        EXPECT_EQ(0x0088u, wc.style);
        EXPECT_EQ(0, wc.cbClsExtra);
        EXPECT_EQ(4, wc.cbWndExtra);
        EXPECT_EQ(nullptr, wc.hIcon);
        EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), wc.hCursor);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)),
                  wc.hbrBackground);
        EXPECT_EQ(nullptr, wc.lpszMenuName);
    }
    EXPECT_EQ(module, SkinModule);
}

TEST(Registration, SecondRegistrationLeavesExistingControlsWorking) {
    UiTestHost host;
    HWND button = host.Create(kPushButtonClass, "Undo", 0, 10, 10, 76, 21, 20011);
    HWND slider = host.Create(kSliderClass, nullptr, 0, 10, 40, 154, 20, 10001);
    SendMessageA(slider, QVS_SETRANGE, 0, 10);
    EXPECT_EQ(0, RegisterSkinControls(GetModuleHandleA(nullptr)));  // all exist already
    UiMouse(button, WM_LBUTTONDOWN, 3, 3);
    UiMouse(button, WM_LBUTTONUP, 3, 3);
    UiKey(slider, WM_KEYDOWN, VK_RIGHT);
    const std::vector<UiReport> expected = {UiCommand(20011, QVBN_PRESSED, button),
                                            UiCommand(20011, QVBN_CLICKED, button),
                                            {QVS_POSCHANGING, 1, reinterpret_cast<LPARAM>(slider)},
                                            {QVS_ENDCHANGE, 0, reinterpret_cast<LPARAM>(slider)}};
    EXPECT_EQ(expected, host.Take());
    // A second page's controls work alongside.
    HWND second = host.Create(kPushButtonClass, "Undo", 0, 100, 10, 76, 21, 30011);
    UiMouse(second, WM_LBUTTONDOWN, 3, 3);
    UiMouse(second, WM_LBUTTONUP, 3, 3);
    EXPECT_EQ(2u, host.Take().size());
}

TEST(Registration, EveryControlCreatesAndBackgroundIsCopiedUnderIt) {
    UiTestHost host;
    int id = 700;
    for (const char* name : kAllClasses) {
        SCOPED_TRACE(name);
        HWND control = host.Create(name, nullptr, 0, 50, 60, 30, 20, id++);
        ASSERT_NE(nullptr, control);
        if (std::string(name) == kMeterClass || std::string(name) == kPushButtonClass) {
            DestroyWindow(control);
            continue;  // the meter draws opaque images only; the button its plain face
        }
        // Nothing of its own to draw at this size and state: the page background shows.
        UiCapture c(control);
        EXPECT_EQ(UiTestHost::BackgroundAt(50 + 29, 60), c.At(29, 0));
        EXPECT_EQ(
            1, SendMessageA(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(GetDC(control)), 0));
        DestroyWindow(control);
    }
}

TEST(DragFlags, CaptureChangedClearsThemInEveryClassButTheMeter) {
    UiTestHost host;
    int id = 800;
    for (const char* name : kAllClasses) {
        SCOPED_TRACE(name);
        HWND control = host.Create(name, nullptr, 0, 10, 10, 30, 20, id++);
        ControlDragActive = true;
        RevTimeDragActive = true;
        SendMessageA(control, WM_CAPTURECHANGED, 0, 0);
        const bool meter = std::string(name) == kMeterClass;
        EXPECT_EQ(meter, IsControlDragActive());
        EXPECT_EQ(meter, IsRevTimeDragActive());
        DestroyWindow(control);
    }
    ControlDragActive = RevTimeDragActive = false;
}

TEST(StaticText, ClicksArePostedAndTheTextIsBlackAndCentred) {
    UiTestHost host;
    HWND text = host.Create(kStaticTextClass, "-Inf    -Inf", 0x0101, 100, 40, 52, 11, 10602);
    UiCapture c(text);
    EXPECT_TRUE(c.Contains(RGB(0, 0, 0), 0, 0, 52, 11));
    EXPECT_EQ(UiTestHost::BackgroundAt(100, 40), c.At(0, 0));  // transparent around the text
    UiMouse(text, WM_LBUTTONDOWN, 4, 4);
    UiMouse(text, WM_LBUTTONUP, 4, 4);
    UiMouse(text, WM_LBUTTONDBLCLK, 4, 4);
    const UiReport click = UiCommand(10602, 0, text);
    EXPECT_EQ((std::vector<UiReport>{click, click}), host.Take());
    EXPECT_EQ(nullptr, GetCapture());

    RECT update;
    ValidateRect(text, nullptr);
    SetWindowTextA(text, "0.0  -3.5");
    EXPECT_TRUE(GetUpdateRect(text, &update, FALSE));
    HFONT font = CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageA(text, WM_GETFONT, 0, 0));
    DestroyWindow(text);  // the font is not the control's to free
    LOGFONTA info = {};
    EXPECT_NE(0, GetObjectA(font, sizeof(info), &info));
    DeleteObject(font);
}

TEST(StaticImage, ShowsABitmapResourceAndReportsClicks) {
    UiTestHost host;
    HWND image = host.Create(kStaticImageClass, nullptr, 0, 30, 40, 12, 9, 1020);
    EXPECT_EQ(UiTestHost::BackgroundAt(35, 44), UiCapture(image).At(5, 4));  // nothing set yet
    SendMessageA(image, QVI_SETBITMAP, SkinId::kClipLampBright, 0);
    UpdateWindow(image);
    UiCapture lit(image);
    EXPECT_EQ(RGB(34, 34, 34), lit.At(0, 0));   // the lamp's dark rim
    EXPECT_EQ(RGB(255, 58, 40), lit.At(5, 4));  // bright red body
    UiMouse(image, WM_LBUTTONDOWN, 3, 2);
    UiMouse(image, WM_LBUTTONDBLCLK, 4, 5);
    const std::vector<UiReport> expected = {{QVI_CLICKED, 1020, MAKELPARAM(3, 2)},
                                            {QVI_CLICKED, 1020, MAKELPARAM(4, 5)}};
    EXPECT_EQ(expected, host.Take());
}

TEST(StaticNoHitImage, ShowsTheBitmapAndLetsClicksThrough) {
    UiTestHost host;
    HWND image = host.Create(kStaticNoHitImageClass, nullptr, 0, 30, 40, 12, 9, 1021);
    SendMessageA(image, QVI_SETBITMAP, SkinId::kClipLampDark, 0);
    UpdateWindow(image);
    EXPECT_EQ(RGB(34, 34, 34), UiCapture(image).At(0, 0));
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(image, WM_NCHITTEST, 0, MAKELPARAM(35, 45)));
    UiMouse(image, WM_LBUTTONDOWN, 3, 2);
    EXPECT_TRUE(host.Take().empty());
}

}  // namespace
