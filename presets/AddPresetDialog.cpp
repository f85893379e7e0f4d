// The "Add preset" dialog.
#include "presets/AddPresetDialog.h"

#include <cstdio>
#include <memory>

#include "presets/PresetDialogs.h"
#include "presets/PresetMenu.h"

namespace {

constexpr char kNoNameText[] = "Unable to add preset because no name was specified.";

struct AddPresetState {
    CPresetList* store;   // not owned
    std::uint32_t added;  // the new preset's id, 0 until one is added
};

void FillBanks(HWND dialog, const CPresetList& store) {
    HWND combo = GetDlgItem(dialog, AddPresetResource::kBankCombo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < store.Count(); ++i) {
        const char* bank = store.At(i)->bank;
        if (bank[0] == '\0') continue;
        // Each bank once, whatever the letter case of its presets' bank texts.
        if (SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(bank)) == CB_ERR) {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(bank));
        }
    }
}

bool Add(HWND dialog, AddPresetState* state) {
    char name[kPresetTextSize] = {};
    char bank[kPresetTextSize] = {};
    GetDlgItemTextA(dialog, AddPresetResource::kNameEdit, name, sizeof(name));
    GetDlgItemTextA(dialog, AddPresetResource::kBankCombo, bank, sizeof(bank));
    if (name[0] == '\0') {
        state->store->ShowMessage(dialog, kNoNameText, MB_OK | MB_ICONERROR);
        return false;
    }
    const std::unique_ptr<char[]> data(RequestPageData(*state->store));
    state->added = state->store->AddPreset(name, bank, data ? data.get() : "");
    return true;
}

INT_PTR CALLBACK AddPresetProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* state = reinterpret_cast<AddPresetState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<AddPresetState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            char caption[kPresetTextSize + 32];
            std::snprintf(caption, sizeof(caption), "Add %s preset", state->store->PluginName());
            SetWindowTextA(dialog, caption);
            SendDlgItemMessageA(dialog, AddPresetResource::kNameEdit, EM_LIMITTEXT,
                                kPresetTextSize - 1, 0);
            SendDlgItemMessageA(dialog, AddPresetResource::kBankCombo, CB_LIMITTEXT,
                                kPresetTextSize - 1, 0);
            FillBanks(dialog, *state->store);
            CenterOverOwner(dialog);
            return TRUE;
        }
        case WM_COMMAND:
            if (state == nullptr) return FALSE;
            if (LOWORD(wParam) == IDOK) {
                if (Add(dialog, state)) EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::uint32_t RunAddPresetDialog(CPresetList& store, HWND owner) {
    AddPresetState state = {&store, 0};
    DialogBoxParamA(store.Module(), MAKEINTRESOURCEA(AddPresetResource::kDialog), owner,
                    &AddPresetProc, reinterpret_cast<LPARAM>(&state));
    return state.added;
}
