// The preset part of the editor page's Presets menu and the commands that change the library
// from it: the presets grouped in bank submenus with the current one marked, the update item,
// and updating a preset with the page's current values. UI thread of the page.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "presets/PresetList.h"

// Command identifiers of the Presets menu; a preset's command is its run-time id.
constexpr UINT kPresetManagerCommand = 10500;
constexpr UINT kAddPresetCommand = 10501;
constexpr UINT kUpdatePresetCommand = 1503;

// Appends the store's presets to a popup menu that holds "Add Preset..." and "Preset
// Manager...": "Update Preset: <name>..." between those two when a current preset exists, a
// separator, then every preset in list order, those of a bank in a submenu named after it; the
// current preset carries the radio mark.
void BuildPresetMenu(const CPresetList& store, HMENU menu);

// A new data line with the page's current values (WM_GETPRESETDATA to the store's page
// window), owned by the caller (delete[]); null when the page gives none.
char* RequestPageData(const CPresetList& store);

// Asks, in a message box owned by owner, whether the preset's stored values should become the
// page's current ones, and if so replaces its data line (version 3). Returns whether it did.
// Neither sorts nor saves.
bool AskAndUpdatePreset(CPresetList& store, std::uint32_t id, HWND owner);
