// The editor page's answers to the value reports of its controls: each records an undo step,
// calls the bound setter with notification on (the engine clamps) and refreshes the controls.
// A control's id as undo kind starts a new step only when another control was changed last,
// so a whole drag is undone at once; double-clicks and typed entries always start one.
#include "engine/ParameterTable.h"
#include "ui/controls/SkinControls.h"
#include "ui/page/HqPlugInPropPage.h"
#include "ui/page/ValueText.h"

namespace {

// The displays' undo kinds. One drag of a handle moves two values at once (a corner of the
// reverb-time display, the frequency display's band), so a kind per value would take a new
// snapshot at every report and Undo would take back only the last step; one kind per display
// keeps the gesture whole.
constexpr int kFreqDisplay = 10007;
constexpr int kRevTimeDisplay = 10021;

constexpr int kLowCutField = 10005;
constexpr int kHighCutField = 10006;
constexpr int kRevTimeFields[4] = {10014, 10016, 10018, 10020};  // by display value index
constexpr int kRevTimeParams[4] = {Param::kBassMult, Param::kCrossover, Param::kDecay,
                                   Param::kHighDamping};
// The display speaks milliseconds and hertz where the engine keeps tenths of a second and
// hundreds of hertz.
constexpr int kRevTimeDivisors[4] = {1, 1, 100, 100};
constexpr int kHighCutDivisor = 100;

int ResetValue(int param) {
    return kParameters[param].defaultValue;
}

}  // namespace

void CHqPlugInPropPage::OnSliderChanging(HWND slider, int value) {
    if (!engine_) return;
    const int id = GetDlgCtrlID(slider);
    const PageBinding::Row* row = PageBinding::FindByControl(id);
    if (row == nullptr || row->sink != PageBinding::Sink::kSlider) return;
    engine_->SaveUndo(id);
    SetSetting(row->setting, value);
    UpdateControls(id, TextMode::kWithText, true);
}

void CHqPlugInPropPage::OnSliderDoubleClick(int sliderId) {
    if (!engine_) return;
    const PageBinding::Row* row = PageBinding::FindByControl(sliderId);
    if (row == nullptr || row->sink != PageBinding::Sink::kSlider) return;
    engine_->SaveUndo(kUndoCommand);
    SetSetting(row->setting, ResetValue(row->setting));
    UpdateControls(sliderId, TextMode::kWithText, true);
}

void CHqPlugInPropPage::OnFieldAdjust(HWND field, int delta) {
    if (!engine_) return;
    const int id = GetDlgCtrlID(field);
    const PageBinding::Row* row = PageBinding::FindByField(id);
    if (row == nullptr) return;
    if (delta != 0) engine_->SaveUndo(id);
    // Also for delta 0 (after a typed entry): the same value again, and the text rewritten in
    // the page's own form.
    SetSetting(row->setting, GetSetting(row->setting) + delta);
    UpdateControls(row->KeyId(), TextMode::kWithText, true);
}

void CHqPlugInPropPage::OnFieldCommitted(HWND field) {
    if (!engine_) return;
    const PageBinding::Row* row = PageBinding::FindByField(GetDlgCtrlID(field));
    if (row == nullptr) return;
    engine_->SaveUndo(kUndoCommand);
    char text[kEntryMaxChars + 1] = {};
    GetWindowTextA(field, text, sizeof(text));
    SetSetting(row->setting, ReadEntry(row->setting, text));
    UpdateControls(row->KeyId(), TextMode::kNone, true);
}

void CHqPlugInPropPage::OnFreqChanged(int handle, int hertz) {
    if (!engine_ || (handle != 0 && handle != 1)) return;
    engine_->SaveUndo(kFreqDisplay);
    if (handle == 0) {
        SetSetting(Param::kLowCut, hertz);
    } else {
        SetSetting(Param::kHighCut, hertz / kHighCutDivisor);
    }
    UpdateControls(handle == 0 ? kLowCutField : kHighCutField, TextMode::kWithText, true);
}

void CHqPlugInPropPage::OnFreqDoubleClick(int handle) {
    if (!engine_ || (handle != 0 && handle != 1)) return;
    engine_->SaveUndo(kUndoCommand);
    const int param = handle == 0 ? Param::kLowCut : Param::kHighCut;
    SetSetting(param, ResetValue(param));
    UpdateControls(handle == 0 ? kLowCutField : kHighCutField, TextMode::kWithText, true);
}

void CHqPlugInPropPage::OnRevTimeChanged(int index, int value) {
    if (!engine_ || index < 0 || index > 3) return;
    engine_->SaveUndo(kRevTimeDisplay);
    SetSetting(kRevTimeParams[index], value / kRevTimeDivisors[index]);
    UpdateControls(kRevTimeFields[index], TextMode::kNotRevTime, true);
}

void CHqPlugInPropPage::OnRevTimeDoubleClick(int handle) {
    if (!engine_ || (handle != 0 && handle != 1)) return;
    engine_->SaveUndo(kUndoCommand);
    // The bass handle resets the bass multiplier and crossover, the decay handle the decay and
    // the high damping.
    for (int i = handle * 2; i < handle * 2 + 2; ++i) {
        SetSetting(kRevTimeParams[i], ResetValue(kRevTimeParams[i]));
        UpdateControls(kRevTimeFields[i], TextMode::kWithText, true);
    }
}
