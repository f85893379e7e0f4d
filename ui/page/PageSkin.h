// What the editor page draws with while its window exists: the background with its palette, the
// displays' overlays, the three clip-indicator bitmaps and the meter-text font, all loaded from
// the plug-in library's resources and freed together; and the creation of the page's controls
// from the layout table. UI thread only.
#pragma once

#include "platform/Platform.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/SkinPixels.h"

class PageSkin {
public:
    // Loads everything from module; what is missing stays none (the controls then draw without
    // it). The meter-text font falls back to the stock GUI font.
    explicit PageSkin(HINSTANCE module);
    ~PageSkin();
    PageSkin(const PageSkin&) = delete;
    PageSkin& operator=(const PageSkin&) = delete;

    HINSTANCE Module() const { return module_; }
    HBITMAP Background() const { return background_.Get(); }
    HPALETTE Palette() const { return palette_.Get(); }
    HBITMAP RevTimeShade() const { return revTimeShade_.Get(); }
    HBITMAP FreqShade() const { return freqShade_.Get(); }
    HFONT MeterFont() const { return meterFont_; }
    // The clip indicator's picture for a clip counter: dark for 0, red for 1, bright from 2.
    HBITMAP LampFor(int counter) const;
    // An RCDATA image of the module (read-only, lives as long as the module).
    SkinImage Image(int resourceId) const;

    // Copies the background to (0, 0) of dc, unscaled.
    void PaintBackground(HDC dc) const;

    // Creates the controls of the layout table in table order as visible children of page,
    // with the background as creation parameter and their images and set-up messages; then
    // places the page template's four clip indicators and gives them the dark picture.
    void CreateControls(HWND page) const;

private:
    HINSTANCE module_;  // not owned
    GdiObject<HBITMAP> background_;
    GdiObject<HPALETTE> palette_;
    GdiObject<HBITMAP> revTimeShade_;
    GdiObject<HBITMAP> freqShade_;
    GdiObject<HBITMAP> lampDark_;
    GdiObject<HBITMAP> lampRed_;
    GdiObject<HBITMAP> lampBright_;
    HFONT meterFont_ = nullptr;  // owned when meterFontOwned_, else the stock GUI font
    bool meterFontOwned_ = false;
};
