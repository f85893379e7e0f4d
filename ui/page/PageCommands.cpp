// The editor page's commands: bypass, undo, setups A and B with their copy menu, reset, the
// mutes, Tail and Stereo/Mono; the clicks of the meters' readouts and clip indicators; and the
// preset store's request for the current values. All state lives in the engine; the page asks
// for the change and then reads everything visible back.
#include "presets/PresetData.h"
#include "presets/PresetList.h"
#include "ui/controls/SkinControls.h"
#include "ui/page/HqPlugInPropPage.h"

namespace {

// Buttons.
constexpr int kBypassButton = 20010;
constexpr int kUndoButton = 20011;
constexpr int kSetupButton = 20012;
constexpr int kSetupMenuButton = 20013;
constexpr int kResetButton = 20014;
constexpr int kPresetsButton = 20015;
constexpr int kHelpButton = 20016;
constexpr int kTailButton = 10003;
constexpr int kStereoButton = 10004;
constexpr int kMuteButtons[] = {10002, 10024, 10027, 10030};

// The setup menu's commands.
constexpr UINT kSelectSetupA = 10502;
constexpr UINT kSelectSetupB = 10503;
constexpr UINT kCopyLiveToStored = 10504;
constexpr UINT kCopyStoredToLive = 10505;

// The engine's setup indexes and CopySetup directions.
constexpr int kLive = 0;
constexpr int kStored = 1;

bool IsFieldId(int id) {
    return PageBinding::FindByField(id) != nullptr;
}

bool IsMuteButton(int id) {
    for (int mute : kMuteButtons) {
        if (mute == id) return true;
    }
    return false;
}

}  // namespace

void CHqPlugInPropPage::OnCommand(int id, int code, HWND control) {
    if (!engine_) return;
    if (id == kEngineNoticeCommand) {
        // After a host loaded a saved state; the format notices change nothing visible.
        if (code == kNoticeStateLoaded) UpdateControls(0, TextMode::kWithText, true);
        return;
    }
    if (code == kTypedEntryCommitted && IsFieldId(id)) {
        OnFieldCommitted(control);
        return;
    }
    if (id >= 1020 && id <= 1023) {
        OnClipIndicatorClicked(id);
        return;
    }
    if (id == 10602 || id == 10605) {
        OnPeakTextClicked(id);
        return;
    }
    if (code == QVBN_PRESSED) {
        if (id == kSetupMenuButton) ShowSetupMenu();
        if (id == kPresetsButton) ShowPresetMenu();
        return;
    }
    if (code != QVBN_CLICKED) return;
    switch (id) {
        case kBypassButton:
            ToggleBypass();
            break;
        case kUndoButton:
            UndoLastStep();
            break;
        case kSetupButton:
            SwitchSetup();
            break;
        case kResetButton:
            ResetSettings();
            break;
        case kHelpButton:
            Help(nullptr);
            break;
        case kTailButton:
            ToggleTail();
            break;
        case kStereoButton:
            ToggleStereo();
            break;
        default:
            if (IsMuteButton(id)) ToggleMute(id);
            break;
    }
}

void CHqPlugInPropPage::RefreshAll() {
    UpdateControls(0, TextMode::kWithText, true);
    UpdateWidthEnable();
}

// Bypass is not a setting: no undo step, nothing else to refresh.
void CHqPlugInPropPage::ToggleBypass() {
    const int bypass = 1 - engine_->GetBypass();
    engine_->SetBypass(bypass);
    SendDlgItemMessageA(window_, kBypassButton, QVB_SETCHECK, static_cast<WPARAM>(bypass), 1);
}

void CHqPlugInPropPage::UndoLastStep() {
    engine_->Undo();
    RefreshAll();
}

void CHqPlugInPropPage::SetSetupCaption(int index) {
    SetDlgItemTextA(window_, kSetupButton, index == 1 ? "Setup B" : "Setup A");
}

void CHqPlugInPropPage::SwitchSetup() {
    SelectSetup(1 - engine_->GetSetup());
}

void CHqPlugInPropPage::SelectSetup(int index) {
    engine_->SaveUndo(kUndoCommand);
    engine_->SelectSetup(index);
    SetSetupCaption(index);
    RefreshAll();
}

void CHqPlugInPropPage::CopyStoredSetupToLive() {
    engine_->SaveUndo(kUndoCommand);
    engine_->CopySetup(kStored, kLive);
    RefreshAll();
}

POINT CHqPlugInPropPage::MenuPointUnder(int buttonId) {
    RECT button = {};
    GetWindowRect(GetDlgItem(window_, buttonId), &button);
    return {button.left + 1, button.bottom - 1};
}

void CHqPlugInPropPage::ShowSetupMenu() {
    const bool setupBLive = engine_->GetSetup() == 1;
    HMENU menu = CreatePopupMenu();
    if (menu != nullptr) {
        AppendMenuA(menu, MF_STRING, kSelectSetupA, "Setup A");
        AppendMenuA(menu, MF_STRING, kSelectSetupB, "Setup B");
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, kCopyLiveToStored, setupBLive ? "Copy to A" : "Copy to B");
        AppendMenuA(menu, MF_STRING, kCopyStoredToLive, setupBLive ? "Copy from A" : "Copy from B");
        CheckMenuRadioItem(menu, 0, 2, setupBLive ? 1 : 0, MF_BYPOSITION);
        // Under the setup button, whose arrow half this is.
        const POINT at = MenuPointUnder(kSetupButton);
        const UINT command = static_cast<UINT>(TrackPopupMenu(
            menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, 0, window_, nullptr));
        DestroyMenu(menu);
        switch (command) {
            case kSelectSetupA:
            case kSelectSetupB:
                SelectSetup(command == kSelectSetupB ? 1 : 0);
                break;
            case kCopyLiveToStored:
                // Nothing visible changes, and nothing to undo.
                engine_->CopySetup(kLive, kStored);
                break;
            case kCopyStoredToLive:
                CopyStoredSetupToLive();
                break;
            default:
                break;
        }
    }
    SendDlgItemMessageA(window_, kSetupMenuButton, QVB_CANCELPRESS, 0, 0);
}

void CHqPlugInPropPage::ResetSettings() {
    engine_->SaveUndo(kUndoCommand);
    // The factory values in parameter order up to Reverb, the mutes off, then the switches and
    // the width (Width last: switching Stereo on brings back the width saved by Mono).
    constexpr int kResetOrder[] = {Param::kInput,       Param::kLowCut,    Param::kHighCut,
                                   Param::kPredelay,    Param::kRoomSize,  Param::kDiffusion,
                                   Param::kBassMult,    Param::kCrossover, Param::kDecay,
                                   Param::kHighDamping, Param::kDry,       Param::kER,
                                   Param::kReverb,      Param::kInputMute, Param::kDryMute,
                                   Param::kERMute,      Param::kReverbMute};
    for (int param : kResetOrder) SetSetting(param, kParameters[param].defaultValue);
    engine_->SetTail(1, FALSE);
    engine_->SetStereo(1, TRUE);
    SetSetting(Param::kWidth, kParameters[Param::kWidth].defaultValue);
    RefreshAll();
}

void CHqPlugInPropPage::ToggleMute(int buttonId) {
    const PageBinding::Row* row = PageBinding::FindByControl(buttonId);
    if (row == nullptr) return;
    engine_->SaveUndo(kUndoCommand);
    SetSetting(row->setting, GetSetting(row->setting) == 0 ? 1 : 0);
    UpdateControls(buttonId, TextMode::kWithText, true);
}

void CHqPlugInPropPage::ToggleTail() {
    engine_->SaveUndo(kUndoCommand);
    int tail = 0;
    engine_->GetTail(&tail);
    engine_->SetTail(tail == 0 ? 1 : 0, FALSE);
    UpdateControls(kTailButton, TextMode::kWithText, true);
}

// Undo of a Stereo/Mono toggle switches back, bringing the width from before with it.
void CHqPlugInPropPage::ToggleStereo() {
    engine_->SaveUndo(kUndoStereoToggle);
    int stereo = 0;
    engine_->GetStereo(&stereo);
    engine_->SetStereo(stereo == 0 ? 1 : 0, FALSE);
    UpdateControls(kStereoButton, TextMode::kWithText, true);
}

void CHqPlugInPropPage::AnswerPresetData(char** data) {
    if (data == nullptr || !engine_) return;
    // The receiver owns the string.
    *data = NewDataLine(engine_.Get());
}
