// The editor page's Presets button: its menu of the preset library, the three commands and the
// application of a chosen preset to the engine as one undoable step.
#include "presets/AddPresetDialog.h"
#include "presets/PresetData.h"
#include "presets/PresetList.h"
#include "presets/PresetMenu.h"
#include "ui/controls/SkinControls.h"
#include "ui/page/HqPlugInPropPage.h"

namespace {

constexpr int kPresetsButton = 20015;

}  // namespace

void CHqPlugInPropPage::ShowPresetMenu() {
    HMENU menu = presets_ ? CreatePopupMenu() : nullptr;
    if (menu == nullptr) {
        SendDlgItemMessageA(window_, kPresetsButton, QVB_CANCELPRESS, 0, 0);
        return;
    }
    AppendMenuA(menu, MF_STRING, kAddPresetCommand, "Add Preset...");
    AppendMenuA(menu, MF_STRING, kPresetManagerCommand, "Preset Manager...");
    BuildPresetMenu(*presets_, menu);

    const POINT at = MenuPointUnder(kPresetsButton);
    UINT command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, 0, window_, nullptr));
    switch (command) {
        case 0:
            break;
        case kPresetManagerCommand:
            // The manager ends with the id of a preset the user double-clicked, else 0.
            command = static_cast<UINT>(presets_->OpenManager());
            break;
        case kAddPresetCommand:
            RunAddPresetDialog(*presets_, window_);
            presets_->SortPresets();
            presets_->Save();
            command = 0;
            break;
        case kUpdatePresetCommand:
            UpdateCurrentPreset();
            command = 0;
            break;
        default:
            break;
    }
    if (command != 0) {
        int version = 0;
        const char* data = presets_->SelectPreset(command, &version);
        if (data != nullptr) ApplyPreset(data, version);
    }
    DestroyMenu(menu);
    SendDlgItemMessageA(window_, kPresetsButton, QVB_CANCELPRESS, 0, 0);
}

void CHqPlugInPropPage::UpdateCurrentPreset() {
    const int current = presets_->GetCurrentId();
    if (current == -1) return;
    if (AskAndUpdatePreset(*presets_, static_cast<std::uint32_t>(current), window_)) {
        presets_->SortPresets();
        presets_->Save();
    }
}

// One Undo takes the whole preset back, Tail included; Stereo and the live setup stay.
void CHqPlugInPropPage::ApplyPreset(const char* data, int version) {
    ApplyPresetData(engine_.Get(), data, version);
    RefreshAll();
    InvalidateRect(window_, nullptr, TRUE);
}
