// The Preset Manager dialog: its tree, buttons, context menu, commands and file dialogs.
#include "presets/PresetManager.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "presets/AddPresetDialog.h"
#include "presets/PresetDialogs.h"
#include "presets/PresetMenu.h"
#include "presets/PresetNameDialogs.h"

namespace {

namespace R = PresetManagerResource;

// Private message: the context menu, after a right click has selected the item under it.
constexpr UINT kContextMenuMessage = 2024;
// Commands of the context menu's "Move Preset" submenu; the other banks come as the id of their
// first preset.
constexpr UINT kMoveToRoot = 5000;
constexpr UINT kMoveToNewBank = 5001;

constexpr char kBackupFailedText[] =
    "Failed to create backup preset list, changes can not be cancelled!";
constexpr char kSaveQuestion[] = "Save changes before exiting the Preset Manager?";
constexpr char kDeleteAllQuestion[] =
    "Are you sure you want to delete ALL the %s banks and presets?";
constexpr char kDeleteBankQuestion[] =
    "Do you want to delete the %s preset bank \"%s\"?\nAll presets contained in this bank will "
    "be lost.";
constexpr char kDeletePresetQuestion[] = "Do you want to delete the %s preset \"%s\"?";
constexpr char kFileDialogFailedText[] = "Unable to open file dialog.";
constexpr char kFileFilter[] = "Preset Files (*.ini)\0*.ini\0All Files (*.*)\0*.*\0";

// The open manager's state, in the dialog's user data.
struct Manager {
    CPresetList* store;           // not owned
    HWND tree = nullptr;          // not owned: the dialog's control
    WNDPROC treeProc = nullptr;   // the tree's own window procedure
    HIMAGELIST images = nullptr;  // owned
    bool backedUp = false;        // the backup holds the list as it was at opening
};
Manager* openManager = nullptr;  // the one manager a page can have open

bool EqualNoCase(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}

std::string ItemText(HWND tree, HTREEITEM item) {
    char text[256] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof(text) - 1;
    TreeView_GetItem(tree, &data);
    return text;
}

LPARAM ItemData(HWND tree, HTREEITEM item) {
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    return item != nullptr && TreeView_GetItem(tree, &data) ? data.lParam : 0;
}

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, const char* text, int image,
                     int selectedImage, LPARAM data) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The data value of the selected item; 0 when nothing is selected.
LPARAM Selection(const Manager& m) {
    return ItemData(m.tree, TreeView_GetSelection(m.tree));
}

bool IsPresetSelection(LPARAM selection) {
    return selection != 0 && selection != kRootItemData && selection != kBankItemData;
}

const PresetRecord* SelectedPreset(const Manager& m) {
    const LPARAM selection = Selection(m);
    return IsPresetSelection(selection) ? m.store->FindById(static_cast<std::uint32_t>(selection))
                                        : nullptr;
}

// A bank item stands for the bank of its first preset.
std::string SelectedBank(const Manager& m) {
    const HTREEITEM child = TreeView_GetChild(m.tree, TreeView_GetSelection(m.tree));
    const PresetRecord* first =
        m.store->FindById(static_cast<std::uint32_t>(ItemData(m.tree, child)));
    return first != nullptr ? first->bank : "";
}

void SelectPresetItem(const Manager& m, std::uint32_t id) {
    const HTREEITEM root = TreeView_GetRoot(m.tree);
    for (HTREEITEM item = TreeView_GetChild(m.tree, root); item != nullptr;
         item = TreeView_GetNextSibling(m.tree, item)) {
        HTREEITEM match = nullptr;
        if (ItemData(m.tree, item) == kBankItemData) {
            for (HTREEITEM p = TreeView_GetChild(m.tree, item); p != nullptr && match == nullptr;
                 p = TreeView_GetNextSibling(m.tree, p)) {
                if (ItemData(m.tree, p) == static_cast<LPARAM>(id)) match = p;
            }
        } else if (ItemData(m.tree, item) == static_cast<LPARAM>(id)) {
            match = item;
        }
        if (match != nullptr) {
            TreeView_SelectItem(m.tree, match);
            TreeView_EnsureVisible(m.tree, match);
            return;
        }
    }
}

void FillTree(const Manager& m) {
    HWND tree = m.tree;
    CPresetList& store = *m.store;
    TreeView_DeleteAllItems(tree);
    store.SortPresets();
    char rootText[kPresetTextSize + 32];
    std::snprintf(rootText, sizeof(rootText), "Available %s presets", store.PluginName());
    const HTREEITEM root = InsertItem(tree, TVI_ROOT, TVI_LAST, rootText, 0, 0, kRootItemData);
    for (int i = 0; i < store.Count(); ++i) {
        const PresetRecord* record = store.At(i);
        if (record->bank[0] == '\0') {
            InsertItem(tree, root, TVI_LAST, record->name, 1, 1, record->id);
            continue;
        }
        // Banks are found by name without regard to case: "Halls" and "halls" are one node.
        HTREEITEM bank = nullptr;
        for (HTREEITEM item = TreeView_GetChild(tree, root); item != nullptr && bank == nullptr;
             item = TreeView_GetNextSibling(tree, item)) {
            if (ItemData(tree, item) == kBankItemData &&
                EqualNoCase(ItemText(tree, item).c_str(), record->bank)) {
                bank = item;
            }
        }
        if (bank == nullptr)
            bank = InsertItem(tree, root, TVI_LAST, record->bank, 2, 3, kBankItemData);
        InsertItem(tree, bank, TVI_SORT, record->name, 1, 1, record->id);
    }
    TreeView_Expand(tree, root, TVE_EXPAND);
    TreeView_SelectItem(tree, root);
}

void UpdateButtons(HWND dialog, const Manager& m) {
    const LPARAM selection = Selection(m);
    const bool any = m.store->Count() > 0;
    EnableWindow(GetDlgItem(dialog, R::kUpdate), IsPresetSelection(selection));
    EnableWindow(GetDlgItem(dialog, R::kDelete), any);
    EnableWindow(GetDlgItem(dialog, R::kRename),
                 any && selection != 0 && selection != kRootItemData);
    EnableWindow(GetDlgItem(dialog, R::kExport), any);
}

// Ends the dialog with result; without saving, the backup comes back when restore is set.
void End(HWND dialog, Manager& m, INT_PTR result, bool restore) {
    if (restore && m.backedUp) m.store->RestoreBackup();
    EndDialog(dialog, result);
}

// The question before leaving with changes: Yes saves and leaves, No leaves without them,
// Cancel stays. Without changes the dialog just ends, the edited list staying live.
void Leave(HWND dialog, Manager& m, INT_PTR result) {
    if (!m.store->Modified()) {
        End(dialog, m, result, false);
        return;
    }
    switch (m.store->ShowMessage(dialog, kSaveQuestion, MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            m.store->Save();
            End(dialog, m, result, false);
            break;
        case IDNO:
            End(dialog, m, result, true);
            break;
        default:
            break;
    }
}

// Runs an open or save dialog; the chosen path in path (kPresetPathSize). The store's folder
// is offered only until the first successful dialog of each kind; then the platform's last.
bool ChooseFile(HWND dialog, Manager& m, bool save, const char* title, char* path) {
    CPresetList& store = *m.store;
    char folder[kPresetPathSize] = {};
    lstrcpynA(folder, store.FilePath(), sizeof(folder));
    if (char* slash = std::strrchr(folder, '\\')) *slash = '\0';
    const bool first = (save ? store.SaveDialogCount() : store.OpenDialogCount()) == 0;
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = dialog;
    ofn.hInstance = store.Module();
    ofn.lpstrFilter = kFileFilter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = kPresetPathSize;
    ofn.lpstrInitialDir = first && folder[0] != '\0' ? folder : nullptr;
    ofn.lpstrTitle = title;
    ofn.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : 0);
    if (save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn)) {
        save ? store.CountSaveDialog() : store.CountOpenDialog();
        return true;
    }
    if (CommDlgExtendedError() != 0) {
        store.ShowMessage(dialog, kFileDialogFailedText, MB_OK | MB_ICONERROR);
    }
    return false;
}

void Import(HWND dialog, Manager& m) {
    char path[kPresetPathSize] = {};
    if (ChooseFile(dialog, m, false, "Import Preset(s)", path) && m.store->Import(path)) {
        m.store->SetModified(true);
        FillTree(m);
    }
}

void Export(HWND dialog, Manager& m) {
    const LPARAM selection = Selection(m);
    const PresetRecord* preset = SelectedPreset(m);
    const std::string bank = selection == kBankItemData ? SelectedBank(m) : "";
    char name[kPresetPathSize] = {};
    const char* title = "Export all presets";
    PresetSelection what = PresetSelection::All();
    if (selection == kRootItemData) {
        std::snprintf(name, sizeof(name), "%s.ini", m.store->PluginName());
    } else if (selection == kBankItemData) {
        std::snprintf(name, sizeof(name), "%s.ini", bank.c_str());
        title = "Export preset bank";
        what = PresetSelection::Bank(bank.c_str());
    } else if (preset != nullptr) {
        std::snprintf(name, sizeof(name), "%s.ini", preset->name);
        title = "Export preset";
        what = PresetSelection::Preset(preset->id);
    }
    CPresetList::CleanFileName(name);
    if (ChooseFile(dialog, m, true, title, name)) {
        m.store->Export(m.store->ClassKeyPath(), name, what);
    }
}

void Delete(HWND dialog, Manager& m) {
    CPresetList& store = *m.store;
    const LPARAM selection = Selection(m);
    char question[512];
    if (selection == kRootItemData) {
        std::snprintf(question, sizeof(question), kDeleteAllQuestion, store.PluginName());
        if (store.ShowMessage(dialog, question, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            for (int i = store.Count() - 1; i >= 0; --i) store.RemovePreset(store.At(i)->id);
            store.SetModified(true);
            FillTree(m);
        }
    } else if (selection == kBankItemData) {
        const std::string bank = SelectedBank(m);
        std::snprintf(question, sizeof(question), kDeleteBankQuestion, store.PluginName(),
                      bank.c_str());
        if (store.ShowMessage(dialog, question, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            for (int i = store.Count() - 1; i >= 0; --i) {
                if (EqualNoCase(store.At(i)->bank, bank.c_str()))
                    store.RemovePreset(store.At(i)->id);
            }
            store.SetModified(true);
            FillTree(m);
        }
    } else if (const PresetRecord* preset = SelectedPreset(m)) {
        std::snprintf(question, sizeof(question), kDeletePresetQuestion, store.PluginName(),
                      preset->name);
        if (store.ShowMessage(dialog, question, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            const HTREEITEM item = TreeView_GetSelection(m.tree);
            store.RemovePreset(preset->id);
            store.SetModified(true);
            if (TreeView_GetNextSibling(m.tree, item) != nullptr) {
                TreeView_DeleteItem(m.tree, item);
            } else {
                FillTree(m);
            }
            SetFocus(m.tree);
        }
    }
    UpdateButtons(dialog, m);
}

// The preset's bank changed by the context menu: the tree follows, the preset stays selected.
void Moved(Manager& m, std::uint32_t id) {
    FillTree(m);
    SelectPresetItem(m, id);
    m.store->SetModified(true);
}

void ShowContextMenu(HWND dialog, Manager& m) {
    CPresetList& store = *m.store;
    HMENU resource = LoadMenuA(store.Module(), MAKEINTRESOURCEA(R::kContextMenu));
    HMENU menu = GetSubMenu(resource, 0);
    if (menu == nullptr) {
        DestroyMenu(resource);
        return;
    }
    const LPARAM selection = Selection(m);
    PresetRecord* preset = IsPresetSelection(selection)
                               ? store.FindById(static_cast<std::uint32_t>(selection))
                               : nullptr;
    const bool any = store.Count() > 0;
    EnableMenuItem(menu, R::kUpdate, preset != nullptr ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, R::kDelete, any ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, R::kRename,
                   any && selection != 0 && selection != kRootItemData ? MF_ENABLED : MF_GRAYED);
    if (preset != nullptr) {
        HMENU move = CreatePopupMenu();
        if (preset->bank[0] != '\0') AppendMenuA(move, MF_STRING, kMoveToRoot, "to Root");
        AppendMenuA(move, MF_STRING, kMoveToNewBank, "to New Bank...");
        AppendMenuA(move, MF_SEPARATOR, 0, nullptr);
        // Each other bank once, under the id of its first preset.
        for (int i = 0; i < store.Count(); ++i) {
            const PresetRecord* r = store.At(i);
            bool seen = r->bank[0] == '\0' || EqualNoCase(r->bank, preset->bank);
            for (int j = 0; j < i && !seen; ++j) seen = EqualNoCase(store.At(j)->bank, r->bank);
            if (!seen) AppendMenuA(move, MF_STRING, r->id, r->bank);
        }
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(move), "Move Preset");
    }
    const DWORD at = GetMessagePos();
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, static_cast<short>(LOWORD(at)),
                       static_cast<short>(HIWORD(at)), 0, dialog, nullptr));
    DestroyMenu(resource);
    if (command == 0) return;
    if (preset != nullptr && command == kMoveToRoot) {
        preset->bank[0] = '\0';
        Moved(m, preset->id);
    } else if (preset != nullptr && command == kMoveToNewBank) {
        char bank[kPresetTextSize] = {};
        if (RunNewBankDialog(store, dialog, preset->name, bank)) {
            lstrcpynA(preset->bank, bank, kPresetTextSize);
            Moved(m, preset->id);
            SetFocus(m.tree);
        }
    } else if (preset != nullptr && command > kPresetIdBase && command <= store.NextId()) {
        if (const PresetRecord* other = store.FindById(command)) {
            lstrcpynA(preset->bank, other->bank, kPresetTextSize);
            Moved(m, preset->id);
        }
    } else {
        SendMessageA(dialog, WM_COMMAND, command, 0);
    }
}

LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Manager* m = openManager;
    const WNDPROC treeProc = m != nullptr ? m->treeProc : nullptr;
    if (m == nullptr || treeProc == nullptr) return DefWindowProcA(tree, message, wParam, lParam);
    HWND dialog = GetParent(tree);
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_DELETE && m->store->Count() > 0) {
                PostMessageA(dialog, WM_COMMAND, R::kDelete, 0);
                return 0;
            }
            break;
        case WM_RBUTTONDOWN:
            // The tree would track the button itself and swallow its release.
            return 0;
        case WM_RBUTTONUP: {
            // The item under the pointer becomes the selection, then the menu opens for it.
            TVHITTESTINFO hit = {};
            hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (HTREEITEM item = TreeView_HitTest(tree, &hit)) TreeView_SelectItem(tree, item);
            PostMessageA(dialog, kContextMenuMessage, 0, 0);
            return 0;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProc));
            m->treeProc = nullptr;
            break;
        default:
            break;
    }
    return CallWindowProcA(treeProc, tree, message, wParam, lParam);
}

HICON SmallIcon(HINSTANCE module, int id) {
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

void Open(HWND dialog, Manager& m) {
    CPresetList& store = *m.store;
    openManager = &m;
    store.SetManagerWindow(dialog);
    m.backedUp = store.BackUp();
    if (!m.backedUp) store.ShowMessage(dialog, kBackupFailedText, MB_OK | MB_ICONERROR);

    char caption[kPresetTextSize + 32];
    std::snprintf(caption, sizeof(caption), "%s Preset Manager", store.PluginName());
    SetWindowTextA(dialog, caption);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(SmallIcon(store.Module(), R::kLibraryIcon)));
    CenterOverOwner(dialog);

    m.tree = GetDlgItem(dialog, R::kTree);
    store.SetTreeWindow(m.tree);
    m.treeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeProc)));
    m.images = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                ILC_COLOR32 | ILC_MASK, 9, 1);
    for (int icon : {R::kLibraryIcon, R::kPresetIcon, R::kBankIcon, R::kOpenBankIcon}) {
        ImageList_AddIcon(m.images, SmallIcon(store.Module(), icon));
    }
    TreeView_SetImageList(m.tree, m.images, TVSIL_NORMAL);
    FillTree(m);
    if (store.GetCurrentId() != -1)
        SelectPresetItem(m, static_cast<std::uint32_t>(store.GetCurrentId()));
    UpdateButtons(dialog, m);
    SetFocus(m.tree);
}

void OnCommand(HWND dialog, Manager& m, int id) {
    CPresetList& store = *m.store;
    switch (id) {
        case R::kAdd:
            if (const std::uint32_t added = RunAddPresetDialog(store, dialog)) {
                FillTree(m);
                SelectPresetItem(m, added);
            }
            SetFocus(m.tree);
            break;
        case R::kRename:
            if (const PresetRecord* preset = SelectedPreset(m)) {
                RunRenameDialog(store, dialog, preset->id, nullptr);
            } else if (Selection(m) == kBankItemData) {
                RunRenameDialog(store, dialog, 0, SelectedBank(m).c_str());
            }
            SetFocus(m.tree);
            break;
        case R::kUpdate:
            if (const PresetRecord* preset = SelectedPreset(m)) {
                AskAndUpdatePreset(store, preset->id, dialog);
            }
            break;
        case R::kDelete:
            Delete(dialog, m);
            break;
        case R::kImport:
            Import(dialog, m);
            break;
        case R::kExport:
            Export(dialog, m);
            break;
        case IDOK:
            store.Save();
            End(dialog, m, 0, false);
            break;
        case R::kCancel:
            End(dialog, m, 0, true);
            break;
        case IDCANCEL:  // Escape and the close box
            Leave(dialog, m, 0);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK ManagerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* m = reinterpret_cast<Manager*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        Open(dialog, *reinterpret_cast<Manager*>(lParam));
        return FALSE;  // the focus is set
    }
    if (m == nullptr) return FALSE;
    switch (message) {
        case WM_COMMAND:
            OnCommand(dialog, *m, LOWORD(wParam));
            return TRUE;
        case kContextMenuMessage:
            ShowContextMenu(dialog, *m);
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom != static_cast<UINT_PTR>(R::kTree)) return FALSE;
            if (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW) {
                UpdateButtons(dialog, *m);
            } else if (header->code == NM_DBLCLK) {
                // A double-clicked preset is chosen; banks and the root just open and close.
                if (const PresetRecord* preset = SelectedPreset(*m)) {
                    Leave(dialog, *m, static_cast<INT_PTR>(preset->id));
                }
            }
            return FALSE;
        }
        case WM_DESTROY:
            ImageList_Destroy(m->images);
            m->images = nullptr;
            m->store->SetTreeWindow(nullptr);
            m->store->SetManagerWindow(nullptr);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void RefillManagerTree(CPresetList& store, std::uint32_t selectId) {
    if (openManager == nullptr || openManager->store != &store) return;
    FillTree(*openManager);
    if (selectId != 0) SelectPresetItem(*openManager, selectId);
}

int CPresetList::OpenManager() {
    if (managerWindow_ != nullptr) return 0;
    modified_ = false;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    Manager manager = {this};
    const INT_PTR result = DialogBoxParamA(module_, MAKEINTRESOURCEA(R::kDialog), pageWindow_,
                                           &ManagerProc, reinterpret_cast<LPARAM>(&manager));
    openManager = nullptr;
    return result > 0 ? static_cast<int>(result) : 0;
}
