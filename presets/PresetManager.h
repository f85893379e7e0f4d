// The Preset Manager: the modal dialog in which the user organises the preset library in a tree
// of banks and presets (add, rename, update, delete, move, import, export) and then saves or
// cancels everything done while it was open. CPresetList::OpenManager runs it; the page's
// preset menu opens it. UI thread of the page.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "presets/PresetList.h"

namespace PresetManagerResource {
constexpr int kDialog = 503;
constexpr int kRenameDialog = 505;
constexpr int kNewBankDialog = 506;
constexpr int kContextMenu = 511;
// Controls.
constexpr int kImport = 1500;
constexpr int kAdd = 1501;
constexpr int kRename = 1502;
constexpr int kUpdate = 1503;
constexpr int kDelete = 1504;
constexpr int kTree = 1510;
constexpr int kNameEdit = 1511;
constexpr int kExport = 1512;
constexpr int kBankEdit = 1513;
constexpr int kCancel = 1514;
// Icons of the tree's image list, in its order: the library, a preset, a bank, an open bank.
constexpr int kLibraryIcon = 506;
constexpr int kPresetIcon = 231;
constexpr int kBankIcon = 236;
constexpr int kOpenBankIcon = 235;
}  // namespace PresetManagerResource

// Data values of the tree's root and bank items; a preset item holds its preset's id.
constexpr LPARAM kRootItemData = 0xAABBCCDD;
constexpr LPARAM kBankItemData = 0xBAADBEEF;

// The manager's tree filled again from the sorted list (root, then banks, then the presets in
// no bank), the root expanded and selected; then the preset with selectId selected, if any.
// Nothing while no manager is open.
void RefillManagerTree(CPresetList& store, std::uint32_t selectId);
