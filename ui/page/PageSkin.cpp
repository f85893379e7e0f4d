// The editor page's skin and the creation of its controls.
#include "ui/page/PageSkin.h"

#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinResources.h"
#include "ui/page/PageLayout.h"

namespace {

// The two halves of the setup button pair draw their focus frames as one.
struct FocusInset {
    int id;
    int inset[4];  // left, top, right, bottom
};
constexpr FocusInset kFocusInsets[] = {{20012, {0, 0, 1, 0}}, {20013, {-2, 0, 0, 0}}};

constexpr int kMeterLowest = -600;  // tenths of a decibel

const char* ClassOf(PageLayout::Kind kind) {
    switch (kind) {
        case PageLayout::Kind::kButton:
            return kPushButtonClass;
        case PageLayout::Kind::kField:
            return kEditClass;
        case PageLayout::Kind::kSlider:
            return kSliderClass;
        case PageLayout::Kind::kFreq:
            return kFreqDisplayClass;
        case PageLayout::Kind::kRevTime:
            return kRevTimeClass;
        case PageLayout::Kind::kMeter:
            return kMeterClass;
        case PageLayout::Kind::kPeakText:
            break;
    }
    return kStaticTextClass;
}

}  // namespace

PageSkin::PageSkin(HINSTANCE module) : module_(module) {
    HPALETTE palette = nullptr;
    background_.Reset(LoadSkinBitmap(module, SkinId::kBackground, &palette));
    palette_.Reset(palette);
    revTimeShade_.Reset(LoadSkinBitmap(module, SkinId::kRevTimeShade, nullptr));
    freqShade_.Reset(LoadSkinBitmap(module, SkinId::kFreqShade, nullptr));
    lampDark_.Reset(LoadSkinBitmap(module, SkinId::kClipLampDark, nullptr));
    lampRed_.Reset(LoadSkinBitmap(module, SkinId::kClipLampRed, nullptr));
    lampBright_.Reset(LoadSkinBitmap(module, SkinId::kClipLampBright, nullptr));

    LOGFONTA font = {};
    font.lfHeight = 12;
    font.lfWeight = FW_NORMAL;
    lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    meterFont_ = CreateFontIndirectA(&font);
    meterFontOwned_ = meterFont_ != nullptr;
    if (!meterFontOwned_) meterFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

PageSkin::~PageSkin() {
    if (meterFontOwned_) DeleteObject(meterFont_);
}

HBITMAP PageSkin::LampFor(int counter) const {
    if (counter <= 0) return lampDark_.Get();
    return counter == 1 ? lampRed_.Get() : lampBright_.Get();
}

SkinImage PageSkin::Image(int resourceId) const {
    return LockSkinImage(module_, resourceId);
}

void PageSkin::PaintBackground(HDC dc) const {
    MemoryDc source(dc);
    SelectScope select(source.Get(), background_.Get());
    BitBlt(dc, 0, 0, PageLayout::kWidth, PageLayout::kHeight, source.Get(), 0, 0, SRCCOPY);
}

void PageSkin::CreateControls(HWND page) const {
    using PageLayout::Kind;
    for (const PageLayout::Control& c : PageLayout::kControls) {
        HWND control = CreateWindowExA(
            0, ClassOf(c.kind), c.caption != nullptr ? c.caption : "", c.style, c.x, c.y, c.w, c.h,
            page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), module_, background_.Get());
        if (control == nullptr) continue;
        switch (c.kind) {
            case Kind::kButton:
                SendMessageA(control, QVB_SETIMAGES, reinterpret_cast<WPARAM>(Image(c.image)),
                             reinterpret_cast<LPARAM>(Image(c.pressedImage)));
                for (const FocusInset& f : kFocusInsets) {
                    if (f.id == c.id) {
                        SendMessageA(control, QVB_SETFOCUSINSET, reinterpret_cast<WPARAM>(f.inset),
                                     0);
                    }
                }
                break;
            case Kind::kField:
                SendMessageA(control, WM_SETFONT,
                             reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
                SendMessageA(control, QVE_SETIMAGE, reinterpret_cast<WPARAM>(Image(c.image)), 0);
                break;
            case Kind::kSlider:
                SendMessageA(control, QVS_SETTHUMB, reinterpret_cast<WPARAM>(Image(c.image)), 0);
                for (const PageLayout::SliderSetup& s : PageLayout::kSliders) {
                    if (s.id != c.id) continue;
                    SendMessageA(control, QVS_SETTICKSPACING, static_cast<WPARAM>(s.tickSpacing),
                                 0);
                    SendMessageA(control, QVS_SETTICKOFFSET, static_cast<WPARAM>(s.tickOffset), 0);
                    SendMessageA(control, QVS_SETPAGESTEP, static_cast<WPARAM>(s.pageStep), 0);
                }
                break;
            case Kind::kFreq:
                SendMessageA(control, QVF_SETOVERLAY, reinterpret_cast<WPARAM>(freqShade_.Get()),
                             0);
                break;
            case Kind::kRevTime:
                SendMessageA(control, QVR_SETOVERLAY, reinterpret_cast<WPARAM>(revTimeShade_.Get()),
                             0);
                break;
            case Kind::kMeter:
                SendMessageA(control, QVM_SETIMAGES, reinterpret_cast<WPARAM>(Image(c.image)),
                             reinterpret_cast<LPARAM>(Image(c.pressedImage)));
                SendMessageA(control, QVM_SETRANGE, static_cast<WPARAM>(kMeterLowest), 0);
                break;
            case Kind::kPeakText:
                SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(meterFont_), 0);
                break;
        }
    }
    for (const PageLayout::Lamp& lamp : PageLayout::kLamps) {
        HWND indicator = GetDlgItem(page, lamp.id);
        if (indicator == nullptr) continue;
        MoveWindow(indicator, lamp.x, lamp.y, PageLayout::kLampWidth, PageLayout::kLampHeight,
                   TRUE);
        SendMessageA(indicator, STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(lampDark_.Get()));
    }
}
