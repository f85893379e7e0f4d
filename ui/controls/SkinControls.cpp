// Registration of the toolkit's nine window classes, the process-wide state the controls share,
// and the peak-readout text of the meters.
#include "ui/controls/SkinControls.h"

#include <cstring>

#include "ui/controls/ControlWindow.h"
#include "ui/controls/GdiObjects.h"
#include "ui/controls/MeterModel.h"

HINSTANCE SkinModule = nullptr;
HWND TypedEntryWindow = nullptr;
bool ControlDragActive = false;
bool RevTimeDragActive = false;

bool IsControlDragActive() {
    return ControlDragActive;
}
bool IsRevTimeDragActive() {
    return RevTimeDragActive;
}

namespace {

struct RegisteredClass {
    const char* name;
    WNDPROC proc;
};

constexpr RegisteredClass kClasses[] = {
    {kPushButtonClass, PushButtonProc},
    {kSliderClass, SliderProc},
    {kEditClass, ValueFieldProc},
    {kStaticTextClass, StaticTextProc},
    {kStaticImageClass, StaticImageProc},
    {kStaticNoHitImageClass, StaticNoHitImageProc},
    {kFreqDisplayClass, FreqDisplayProc},
    {kRevTimeClass, RevTimeProc},
    {kMeterClass, MeterProc},
};

}  // namespace

int RegisterSkinControls(HINSTANCE module) {
    SkinModule = module;
    int registered = 0;
    for (const RegisteredClass& c : kClasses) {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS | CS_PARENTDC;
        wc.lpfnWndProc = c.proc;
        wc.cbClsExtra = 0;
        wc.cbWndExtra = 4;
        wc.hInstance = module;
        wc.hIcon = nullptr;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszMenuName = nullptr;
        wc.lpszClassName = c.name;
        // An existing class (a second editor page) fails harmlessly and keeps working.
        if (RegisterClassA(&wc) != 0) ++registered;
    }
    return registered;
}

void FormatMeterPeakText(HWND window, HFONT font, char* out, int a, int b) {
    char textA[16];
    char textB[16];
    FormatPeakLevel(a, textA, sizeof(textA));
    FormatPeakLevel(b, textB, sizeof(textB));
    SIZE sizeA = {0, 0};
    SIZE sizeB = {0, 0};
    {
        WindowDc dc(window);
        SelectScope selectFont(dc.Get(), font);
        GetTextExtentPoint32A(dc.Get(), textA, static_cast<int>(std::strlen(textA)), &sizeA);
        GetTextExtentPoint32A(dc.Get(), textB, static_cast<int>(std::strlen(textB)), &sizeB);
    }
    const int gap = PeakTextGap(sizeA.cx, sizeB.cx);
    std::size_t length = std::strlen(textA);
    std::memcpy(out, textA, length);
    for (int i = 0; i < gap && length < kMeterPeakTextSize - 16; ++i) out[length++] = ' ';
    const std::size_t lengthB = std::strlen(textB);
    std::memcpy(out + length, textB, lengthB + 1);
}
