// The editor page's 75 ms refresh tick: the drag state handed to the engine (so that it can
// close the host's automation gestures), changes from automation pulled in, the clip indicators
// animated, the first-tick set-up of the setups and the undo snapshot, and the level meters with
// their peak readouts.
//
// The levels and clip counters are written by the streaming thread and read here as single
// words, without a lock.
#include <algorithm>
#include <cmath>

#include "ui/controls/SkinControls.h"
#include "ui/page/HqPlugInPropPage.h"

namespace {

constexpr int kBypassButton = 20010;
constexpr int kInputSlider = 10001;

// The engine's clip counters: the current one (written by the streaming thread) and the one the
// page last showed, for the input and the output.
constexpr int kInputCounter = 0;
constexpr int kOutputCounter = 2;

struct ClipSide {
    int counter;   // kInputCounter or kOutputCounter
    int leftLamp;  // indicator ids
    int rightLamp;
};
constexpr ClipSide kClipSides[] = {{kInputCounter, 1020, 1021}, {kOutputCounter, 1022, 1023}};

// Meters: input left, input right, output left, output right, as GetMeters orders its levels;
// each pair's peak readout.
constexpr int kMeters[4] = {10600, 10601, 10603, 10604};
constexpr int kPeakTexts[2] = {10602, 10605};

constexpr int kSilentTenths = -9999;

constexpr double kLoudestTenths = 9999.0;

// A linear amplitude in tenths of a decibel, truncated toward zero.
int TenthsOfDecibel(double level) {
    if (level == 0.0) return kSilentTenths;
    const double tenths = 200.0 * std::log10(level);
    if (!(tenths > kSilentTenths)) return kSilentTenths;  // also NaN
    return static_cast<int>(std::min(tenths, kLoudestTenths));
}

}  // namespace

void CHqPlugInPropPage::OnTimer() {
    if (!engine_ || window_ == nullptr) return;
    engine_->SetCaptureMode(IsControlDragActive(), IsRevTimeDragActive());
    engine_->EndCapture();

    if (engine_->QueryParamsChanged() == S_OK) {
        engine_->SetParamsChanged(FALSE);
        UpdateControls(0, TextMode::kWithText, true);
    }

    UpdateClipIndicators();

    if (firstTick_) {
        // Both setups start equal and Undo has a real snapshot before the user can reach them.
        firstTick_ = false;
        engine_->SaveUndo(kUndoCommand);
        engine_->CopySetup(0, 1);
        HWND bypass = GetDlgItem(window_, kBypassButton);
        if (bypass != nullptr && GetFocus() == bypass) SetFocus(GetDlgItem(window_, kInputSlider));
    }

    UpdateMeters();
}

// After a clip the indicator shows the bright picture while the engine's counter runs down from
// 3 to 2, then the red one until the user clicks it away.
void CHqPlugInPropPage::UpdateClipIndicators() {
    using Getter = int (STDMETHODCALLTYPE IHqPlugInProp::*)(int);
    using Setter = HRESULT (STDMETHODCALLTYPE IHqPlugInProp::*)(int, int);
    struct Channel {
        Getter get;
        Setter set;
        int ClipSide::*lamp;
    };
    constexpr Channel kChannels[] = {
        {&IHqPlugInProp::GetClipLeft, &IHqPlugInProp::SetClipLeft, &ClipSide::leftLamp},
        {&IHqPlugInProp::GetClipRight, &IHqPlugInProp::SetClipRight, &ClipSide::rightLamp},
    };
    IHqPlugInProp* engine = engine_.Get();
    for (const ClipSide& side : kClipSides) {
        for (const Channel& channel : kChannels) {
            const int current = (engine->*channel.get)(side.counter);
            const int shown = (engine->*channel.get)(side.counter + 1);
            if (current != shown) {
                SendDlgItemMessageA(window_, side.*channel.lamp, STM_SETIMAGE, IMAGE_BITMAP,
                                    reinterpret_cast<LPARAM>(skin_->LampFor(current)));
                (engine->*channel.set)(side.counter + 1, current);
            }
            if (current >= 2) (engine->*channel.set)(side.counter, current - 1);
        }
    }
}

void CHqPlugInPropPage::UpdateMeters() {
    if (!engine_ || window_ == nullptr || !skin_) return;
    double levels[4] = {};
    engine_->GetMeters(levels);
    for (int i = 0; i < 4; ++i) {
        SendDlgItemMessageA(window_, kMeters[i], QVM_SETLEVELS,
                            static_cast<WPARAM>(TenthsOfDecibel(levels[i])), 0);
    }
    for (int pair = 0; pair < 2; ++pair) {
        int maxima[2] = {};
        for (int side = 0; side < 2; ++side) {
            SendDlgItemMessageA(window_, kMeters[pair * 2 + side], QVM_GETMAX,
                                reinterpret_cast<WPARAM>(&maxima[side]), 0);
        }
        HWND readout = GetDlgItem(window_, kPeakTexts[pair]);
        char text[kMeterPeakTextSize];
        FormatMeterPeakText(readout, skin_->MeterFont(), text, maxima[0], maxima[1]);
        SetWindowTextA(readout, text);
    }
}

void CHqPlugInPropPage::OnClipIndicatorClicked(int id) {
    // Either indicator of a pair clears both; the pictures follow on the next tick.
    const int counter = id <= 1021 ? kInputCounter : kOutputCounter;
    engine_->SetClipLeft(counter, 0);
    engine_->SetClipRight(counter, 0);
}

void CHqPlugInPropPage::OnPeakTextClicked(int id) {
    const int pair = id == kPeakTexts[0] ? 0 : 1;
    SendDlgItemMessageA(window_, kMeters[pair * 2], QVM_RESETMAX, 0, 0);
    SendDlgItemMessageA(window_, kMeters[pair * 2 + 1], QVM_RESETMAX, 0, 0);
    UpdateMeters();
}
