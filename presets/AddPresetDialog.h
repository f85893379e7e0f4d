// The "Add preset" dialog: a name and a bank (typed or chosen among the existing banks) for a
// new preset holding the editor page's current values. Opened from the page's preset menu and
// from the Preset Manager. UI thread of the page.
#pragma once

#include "platform/Platform.h"
#include "presets/PresetList.h"

namespace AddPresetResource {
constexpr int kDialog = 504;
constexpr int kNameEdit = 1511;
constexpr int kBankCombo = 1513;
}  // namespace AddPresetResource

// Runs the dialog modally, owned by owner. On Add with a name the new preset (the page's data
// line, version 3, the next id) is appended to the live list and becomes the current preset,
// and the modified flag is set; an empty name is refused with a message and the dialog stays.
// Returns the new preset's id, or 0 when the user cancelled. Neither sorts nor saves.
std::uint32_t RunAddPresetDialog(CPresetList& store, HWND owner);
