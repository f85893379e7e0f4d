// The Rename and New bank dialogs.
#include "presets/PresetNameDialogs.h"

#include <cstdio>
#include <string>

#include "presets/PresetDialogs.h"
#include "presets/PresetManager.h"

namespace {

namespace R = PresetManagerResource;

constexpr char kNoRenameText[] = "Unable to rename preset because you did not specify any name.";
constexpr char kNoBankText[] =
    "Unable to move preset to new bank because no bank name was specified.";

// One name dialog: its edit control, caption, starting text and message for an empty name, and
// the name the user gave.
struct NameDialog {
    CPresetList* store;
    int edit;
    char caption[kPresetTextSize + 64];
    const char* initial;
    const char* emptyText;
    char name[kPresetTextSize];
};

INT_PTR CALLBACK NameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* d = reinterpret_cast<NameDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        d = reinterpret_cast<NameDialog*>(lParam);
        SetWindowTextA(dialog, d->caption);
        SendDlgItemMessageA(dialog, d->edit, EM_LIMITTEXT, kPresetTextSize - 1, 0);
        SetDlgItemTextA(dialog, d->edit, d->initial);
        CenterOverOwner(dialog);
        return TRUE;
    }
    if (d == nullptr || message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        GetDlgItemTextA(dialog, d->edit, d->name, sizeof(d->name));
        if (d->name[0] == '\0') {
            d->store->ShowMessage(dialog, d->emptyText, MB_OK | MB_ICONERROR);
        } else {
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

bool Run(NameDialog& d, HWND owner, int dialogId) {
    return DialogBoxParamA(d.store->Module(), MAKEINTRESOURCEA(dialogId), owner, &NameDialogProc,
                           reinterpret_cast<LPARAM>(&d)) == IDOK;
}

}  // namespace

bool RunRenameDialog(CPresetList& store, HWND owner, std::uint32_t presetId, const char* bankName) {
    PresetRecord* preset = presetId != 0 ? store.FindById(presetId) : nullptr;
    if (preset == nullptr && bankName == nullptr) return false;
    NameDialog d = {
        &store, R::kNameEdit, {}, preset != nullptr ? preset->name : bankName, kNoRenameText, {}};
    std::snprintf(d.caption, sizeof(d.caption),
                  preset != nullptr ? "Rename %s preset" : "Rename %s bank", store.PluginName());
    if (!Run(d, owner, R::kRenameDialog)) return false;
    if (preset != nullptr) {
        lstrcpynA(preset->name, d.name, kPresetTextSize);
    } else {
        const std::string old = bankName;
        for (int i = 0; i < store.Count(); ++i) {
            if (lstrcmpiA(store.At(i)->bank, old.c_str()) == 0) {
                lstrcpynA(store.At(i)->bank, d.name, kPresetTextSize);
            }
        }
    }
    RefillManagerTree(store, presetId);
    store.SetModified(true);
    return true;
}

bool RunNewBankDialog(CPresetList& store, HWND owner, const char* presetName, char* bank) {
    NameDialog d = {&store, R::kBankEdit, {}, "", kNoBankText, {}};
    std::snprintf(d.caption, sizeof(d.caption), "Move preset \"%s\" to new bank", presetName);
    if (!Run(d, owner, R::kNewBankDialog)) return false;
    lstrcpynA(bank, d.name, kPresetTextSize);
    return true;
}
