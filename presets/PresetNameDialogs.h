// The Preset Manager's two small name dialogs: "Rename" (a preset or a whole bank) and "New
// bank" (the bank a preset moves to). UI thread of the page.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "presets/PresetList.h"

// Renames the preset presetId, or, when presetId is 0, every preset of the bank bankName (whose
// letter case does not matter) to the name the user gives; the manager's tree follows and the
// modified flag is set. An empty name is refused with a message and the dialog stays. False when
// the user cancelled.
bool RunRenameDialog(CPresetList& store, HWND owner, std::uint32_t presetId, const char* bankName);

// Asks for the name of a new bank for the preset presetName; bank receives it
// (kPresetTextSize). An empty name is refused with a message. False when the user cancelled.
bool RunNewBankDialog(CPresetList& store, HWND owner, const char* presetName, char* bank);
