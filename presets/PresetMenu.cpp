// The preset menu of the editor page.
#include "presets/PresetMenu.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr char kUpdateQuestion[] =
    "Would you like to update the stored parameters for\nthe \"%s\" preset with the current "
    "settings?";
constexpr int kMenuTextSize = 256;

// Appends a string item, with the radio mark when checked.
void AppendItem(HMENU menu, UINT command, const char* text, bool checked) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = checked ? MFS_CHECKED : 0;
    item.wID = command;
    item.dwTypeData = const_cast<char*>(text);
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &item);
}

// The bank's submenu among the top-level items. Only submenus are looked at, so a bank named
// like a command ("Add Preset...") still gets a submenu of its own; the comparison is
// case-sensitive, so banks that differ in letter case are two submenus.
HMENU FindBankMenu(HMENU menu, const char* bank) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        char text[kMenuTextSize] = {};
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof(text) - 1;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item)) continue;
        if (item.hSubMenu != nullptr && std::strcmp(text, bank) == 0) return item.hSubMenu;
    }
    return nullptr;
}

}  // namespace

void BuildPresetMenu(const CPresetList& store, HMENU menu) {
    const int current = store.GetCurrentId();
    const PresetRecord* currentRecord =
        current == -1 ? nullptr : store.FindById(static_cast<std::uint32_t>(current));
    if (currentRecord != nullptr) {
        char text[kMenuTextSize];
        std::snprintf(text, sizeof(text), "Update Preset: %s...", currentRecord->name);
        InsertMenuA(menu, 1, MF_BYPOSITION | MF_STRING, kUpdatePresetCommand, text);
    }
    if (store.Count() > 0) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);

    for (int i = 0; i < store.Count(); ++i) {
        const PresetRecord* record = store.At(i);
        const bool checked = current != -1 && record->id == static_cast<std::uint32_t>(current);
        if (record->bank[0] == '\0') {
            AppendItem(menu, record->id, record->name, checked);
            continue;
        }
        HMENU bank = FindBankMenu(menu, record->bank);
        if (bank == nullptr) {
            bank = CreatePopupMenu();
            if (bank == nullptr) continue;
            AppendItem(bank, record->id, record->name, checked);
            AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(bank), record->bank);
        } else {
            AppendItem(bank, record->id, record->name, checked);
        }
    }
}

char* RequestPageData(const CPresetList& store) {
    char* data = nullptr;
    if (store.PageWindow() != nullptr) {
        SendMessageA(store.PageWindow(), WM_GETPRESETDATA, reinterpret_cast<WPARAM>(&data), 0);
    }
    return data;
}

bool AskAndUpdatePreset(CPresetList& store, std::uint32_t id, HWND owner) {
    const PresetRecord* record = store.FindById(id);
    if (record == nullptr) return false;
    char question[sizeof(kUpdateQuestion) + kPresetTextSize];
    std::snprintf(question, sizeof(question), kUpdateQuestion, record->name);
    if (store.ShowMessage(owner, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    const std::unique_ptr<char[]> data(RequestPageData(store));
    return store.UpdatePreset(id, data ? data.get() : "");
}
