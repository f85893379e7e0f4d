// Every look of every control class, with the skin's own images, compared whole with the golden
// pictures in tests/ui/golden; and what no control shows: centring, enabling, palettes.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/controls/SkinResources.h"

namespace {

using namespace SkinId;
using namespace UiSteps;

const auto Image = [](int id) { return LPARAM(LockSkinImage(GetModuleHandleA(nullptr), id)); };

// Name, class, caption, style, width, height, and the steps that give the control its look.
using Picture =
    std::tuple<const char*, const char*, const char*, DWORD, int, int, std::vector<UiStep>>;
Picture Look(const char* name, const char* className, const char* caption, DWORD style, int w,
             int h, std::vector<UiStep> steps) {
    return {name, className, caption, style, w, h, steps};
}
Picture Button(const char* name, const char* caption, DWORD style, int w, int normal, int pressed,
               std::vector<UiStep> then) {
    then.insert(then.begin(), Msg(QVB_SETIMAGES, Image(normal), Image(pressed)));
    return {name, kPushButtonClass, caption, style, w, 21, then};
}
Picture Slider(const char* name, DWORD style, int minimum, int maximum, int spacing, int offset,
               int value, std::vector<UiStep> then) {
    then.insert(then.begin(), {Msg(QVS_SETTHUMB, Image(kSliderThumb)),
                               Msg(QVS_SETTICKSPACING, spacing), Msg(QVS_SETTICKOFFSET, offset),
                               Msg(QVS_SETRANGE, minimum, maximum), Msg(QVS_SETPOS, value, 1)});
    return {name, kSliderClass, nullptr, style, style != 0 ? 20 : 154, style != 0 ? 154 : 20, then};
}
Picture Meter(const char* name, DWORD style, std::vector<int> levels) {
    static const std::vector<BYTE> kDark(144 * 12 * 4, 50);
    static const std::vector<BYTE> kLit(144 * 12 * 4, 0);
    const bool vertical = (style & QVMS_VERT) != 0;
    std::vector<UiStep> steps = {
        vertical ? Msg(QVM_SETIMAGES, Image(kMeterUnlit), Image(kMeterLit))
                 : Msg(QVM_SETIMAGES, LPARAM(kDark.data()), LPARAM(kLit.data())),
        Msg(QVM_SETRANGE, -600, 0)};
    for (const int level : levels) {  // a positive number is a decay step
        steps.push_back(level > 0 ? Msg(QVM_SETDECAY, level) : Msg(QVM_SETLEVELS, level));
    }
    return {name, kMeterClass, nullptr, style, vertical ? 12 : 144, vertical ? 144 : 12, steps};
}

const int kInset[4] = {-2, 0, 0, 0};
const std::vector<BYTE> kPlainThumb(16 * 29 * 4, 90);
const SkinTint kDimTint = 0x641E140A;  // divisor 100: red x 10, green x 20, blue x 30
const UiStep kRedraw = Msg(QVB_REDRAW, 0, 1);
const LPARAM kFreqShade = LPARAM(LoadSkinBitmap(GetModuleHandleA(nullptr), SkinId::kFreqShade, 0));
const LPARAM kRevShade = LPARAM(LoadSkinBitmap(GetModuleHandleA(nullptr), kRevTimeShade, 0));

const Picture kPictures[] = {
    Button("button-pressed", "Undo", 0, 76, kWideNormal, kWidePressed, {Down(5, 5)}),
    Button("button-lit-inset-focused", "Bypass", 0, 50, kBypassNormal, kBypassPressed,
           {Msg(QVB_SETFOCUSINSET, LPARAM(kInset), 1), Msg(QVB_SETCHECK, 1, 0), kTakeFocus}),
    Button("button-lit-tint-colour", "Tail", 0, 36, kSmallNormal, kSmallPressed,
           {Msg(QVB_SETTINT, kDimTint), Msg(QVB_SETTEXTCOLOR, RGB(0, 0, 255)),
            Msg(QVB_SETCHECK, 1, 1)}),
    Button("button-disabled", "Reset", 0, 76, kWideNormal, kWidePressed, {kDisable}),
    Button("button-arrow", "Setup A", QVBS_ARROW, 61, kSetupNormal, kSetupPressed, {kRedraw}),
    Button("button-arrow-uncaptioned", nullptr, QVBS_ARROW, 15, kCopyNormal, kCopyPressed,
           {kRedraw}),
    Button("button-marker", "Presets", QVBS_MARKER, 76, kWideNormal, kWidePressed, {kRedraw}),
    Look("button-imageless", kPushButtonClass, "?", 0, 24, 21, {}),
    Slider("slider-decibels", 0, -361, 60, 20, 1, 0, {}),
    Slider("slider-room-focused", 0, 1, 100, 10, -1, 62, {kTakeFocus}),
    Slider("slider-disabled", 0, 0, 100, 30, 1, 40, {kDisable}),
    Slider("slider-trackless-idle-tint", 0, 0, 100, 20, 0, 50,
           {Msg(QVS_SETTRACK, 0), Msg(QVS_SETIDLETINT, kStandardTint), kRepaint}),
    Slider("slider-vertical", QVSS_VERT, 0, 100, 20, 0, 30,
           {Msg(QVS_SETTHUMB, LPARAM(kPlainThumb.data())), kRepaint}),
    Look("field", kEditClass, "-12.0", QVES_LINEAR, 40, 21,
         {Msg(QVE_SETIMAGE, Image(kFieldFace)), kRepaint}),
    Look("field-right-focused", kEditClass, "2.4", QVES_RIGHT, 40, 21,
         {Msg(QVE_SETIMAGE, Image(kFieldFace)), kTakeFocus}),
    Look("field-disabled", kEditClass, "0.0", 0, 40, 21,
         {Msg(QVE_SETIMAGE, Image(kFieldFace)), kDisable}),
    Look("static-text", kStaticTextClass, "-Inf    -Inf", 0, 52, 11, {}),
    Look("static-image", kStaticImageClass, nullptr, 0, 16, 12,
         {Msg(QVI_SETBITMAP, kClipLampBright), kRepaint}),
    Look("freq-shaded", kFreqDisplayClass, nullptr, 0, 154, 44,
         {Msg(QVF_SETOVERLAY, kFreqShade), Msg(QVF_SETLOWCUT, 75), Msg(QVF_SETHIGHCUT, 8000)}),
    Look("freq-dragging-low", kFreqDisplayClass, nullptr, 0, 154, 44,
         {Msg(QVF_SETLOWCUT, 100), Msg(QVF_SETHIGHCUT, 10000), Down(40, 20)}),
    Look("freq-disabled", kFreqDisplayClass, nullptr, 0, 154, 44, {kDisable}),
    Look("revtime-shaded", kRevTimeClass, nullptr, 0, 154, 90,
         {Msg(QVR_SETOVERLAY, kRevShade), Msg(QVR_SETVALUE, 2, 1500)}),
    Look("revtime-triangle-dragging", kRevTimeClass, nullptr, 0, 154, 90,
         {Msg(QVR_SETVALUE, 1, 2000), Msg(QVR_SETVALUE, 3, 500), Down(68, 48)}),
    Look("revtime-disabled", kRevTimeClass, nullptr, 0, 154, 90,
         {kDisable, Msg(QVR_SETVALUE, 0, 40)}),
    Meter("meter", QVMS_VERT, {-200}),
    Meter("meter-held-peak", QVMS_VERT | QVMS_BALLISTICS, {-100, -9999}),
    Meter("meter-held-peak-decay-50", QVMS_VERT | QVMS_BALLISTICS, {50, -100, -9999}),
    Meter("meter-inverted", QVMS_VERT | QVMS_INVERT, {-450}),
    Meter("meter-horizontal", 0, {-300}),
};

TEST(ControlPictures, EveryLookMatchesItsGoldenPicture) {
    for (const auto& [name, className, caption, style, w, h, steps] : kPictures) {
        UiTestHost host;
        HWND control = host.Create(className, caption, style, 30, 40, w, h, 900);
        UiDo(host, control, steps);
        EXPECT_TRUE(UiMatchesGolden(control, name));
    }
}

TEST(SkinDrawing, CentringEnablingAndPalettes) {
    UiTestHost host;
    HWND child = host.Create("STATIC", "", 0, 30, 40, 50, 20, 900);
    HWND popup = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 101, 51, host.Window(), nullptr,
                                 nullptr, nullptr);
    CenterWindowOnParent(popup);  // x = 20 + (420 - 101) / 2, y = 20 + (320 - 51) / 2
    CenterWindowOnParent(child);  // in its parent's client coordinates
    RECT r[2];
    GetWindowRect(popup, &r[0]);
    GetRectInParent(child, &r[1]);
    DestroyWindow(popup);
    EnableAndRedrawItem(host.Window(), 900, FALSE);
    EnableAndRedrawItem(host.Window(), 12345, TRUE);  // no such item
    // A colour table of red 200 and blue 150 gives a palette of 256 entries; cut short, no bitmap.
    BYTE dib[sizeof(BITMAPINFOHEADER) + 1024] = {};
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib);
    *header = {sizeof(BITMAPINFOHEADER), 6, 3, 1, 8, BI_RLE8, 0, 0, 0, 4, 0};
    dib[sizeof(BITMAPINFOHEADER) + 6] = 200;
    dib[sizeof(BITMAPINFOHEADER) + 8] = 150;
    int count = 0;
    GdiObject<HPALETTE> palette(CreateDibPalette(header, &count));
    PALETTEENTRY e[3] = {};
    GetPaletteEntries(palette.Get(), 0, 3, e);
    HPALETTE none = HPALETTE(1);
    HPALETTE shade = nullptr;  // a run-length resource comes with its palette
    GdiObject<HBITMAP> mask(LoadSkinBitmap(GetModuleHandleA(nullptr), kRevTimeShade, &shade));
    EXPECT_EQ(
        (std::vector<LONG_PTR>{179, 154, 280, 205, 185, 150, 0, 0, 256, 200, 0, 0, 150, 0, 0, 0,
                               256}),
        (std::vector<LONG_PTR>{r[0].left, r[0].top, r[0].right, r[0].bottom, r[1].left, r[1].top,
                               IsWindowEnabled(child), GetUpdateRect(child, nullptr, FALSE), count,
                               e[1].peRed, e[1].peBlue, e[2].peRed, e[2].peBlue, e[2].peFlags,
                               LONG_PTR(CreateSkinBitmap(header, 20, &none)), LONG_PTR(none),
                               GetPaletteEntries(shade, 0, 0, nullptr)}));
    DeleteObject(shade);
}

}  // namespace
