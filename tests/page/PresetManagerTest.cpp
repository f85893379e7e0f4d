// The Preset Manager driven as a user drives it: tree, context menu, dialogs, file dialogs and
// message boxes; the library and its file checked afterwards.
#include <gtest/gtest.h>

#include "tests/page/PageTestSupport.h"

// The common controls' and dialogs' headers need the platform's, which come first.
// clang-format off
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

namespace {

const std::string kManager = "qv:Reverb Preset Manager";

HWND Tree() {
    return GetDlgItem(FindWindowA("#32770", kManager.c_str()), 1510);
}

std::string ItemText(HTREEITEM item) {
    char text[256] = {};
    TVITEMA data = {TVIF_TEXT, item, 0, 0, text, sizeof(text), 0, 0, 0, 0};
    TreeView_GetItem(Tree(), &data);
    return text;
}

// Every item below the root by its path: "Bank/", "Bank/Preset" or "Preset".
std::vector<std::pair<std::string, HTREEITEM>> Walk(HTREEITEM parent = nullptr,
                                                    const std::string& prefix = "") {
    HWND tree = Tree();
    std::vector<std::pair<std::string, HTREEITEM>> items;
    for (HTREEITEM i = TreeView_GetChild(tree, parent ? parent : TreeView_GetRoot(tree)); i;
         i = TreeView_GetNextSibling(tree, i)) {
        const bool bank = TreeView_GetChild(tree, i) != nullptr;
        items.emplace_back(prefix + ItemText(i) + (bank ? "/" : ""), i);
        if (bank) {
            for (auto& below : Walk(i, prefix + ItemText(i) + "/")) items.push_back(below);
        }
    }
    return items;
}

std::vector<std::string> TreeItems() {
    std::vector<std::string> paths;
    for (const auto& item : Walk()) paths.push_back(item.first);
    return paths;
}

// The item at "Bank", "Bank/Preset" or "" (the root), or none.
HTREEITEM Find(const std::string& path) {
    if (path.empty()) return TreeView_GetRoot(Tree());
    for (const auto& [itemPath, item] : Walk()) {
        if (itemPath == path || itemPath == path + "/") return item;
    }
    return nullptr;
}

// Mouse messages posted to the middle of a tree item, as the pointer over it sends them (its
// bank opened first, as the user would).
UiScript::Step Mouse(const std::string& path, std::vector<UINT> messages) {
    return [=] {
        const HTREEITEM item = Find(path);
        RECT r;
        if (item == nullptr) return false;
        TreeView_EnsureVisible(Tree(), item);
        if (!TreeView_GetItemRect(Tree(), item, &r, TRUE)) return false;
        POINT point = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        const LPARAM at = MAKELPARAM(point.x, point.y);
        ClientToScreen(Tree(), &point);
        SetCursorPos(point.x, point.y);
        for (UINT m : messages) {
            const bool down = m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK;
            PostMessageA(Tree(), m, down ? MK_LBUTTON : 0, at);
        }
        return true;
    };
}
const std::vector<UINT> kClick = {WM_LBUTTONDOWN, WM_LBUTTONUP};
const std::vector<UINT> kRightClick = {WM_RBUTTONDOWN, WM_RBUTTONUP};

UiScript::Step Key(WPARAM key) {
    return [key] { return PostMessageA(Tree(), WM_KEYDOWN, key, 1) != FALSE; };
}
// A button of the manager, once no dialog of its own is open over it.
UiScript::Step Press(int button) {
    return [button] {
        HWND manager = FindWindowA("#32770", kManager.c_str());
        if (manager == nullptr || !IsWindowEnabled(manager)) return false;
        UiPressButton(manager, button);
        return true;
    };
}
// In an open or save dialog: reads its folder and proposed name, then types an entry (a folder
// to go to, or the file to take) and confirms it, or cancels when the entry is empty.
UiScript::Step InFileDialog(const std::string& title, std::string* folder, std::string* name,
                            const std::string& entry) {
    return InDialog(title, [=](HWND d) {
        char text[MAX_PATH] = {};
        SendMessageA(d, CDM_GETFOLDERPATH, sizeof(text), reinterpret_cast<LPARAM>(text));
        if (folder != nullptr) *folder = text;
        SendMessageA(d, CDM_GETSPEC, sizeof(text), reinterpret_cast<LPARAM>(text));
        if (name != nullptr) *name = text;
        HWND box = GetDlgItem(d, 0x47c);  // the file name combo box
        if (!entry.empty()) UiType(box != nullptr ? box : GetDlgItem(d, 0x480), entry);
        UiPressButton(d, entry.empty() ? IDCANCEL : IDOK);
    });
}

class PresetManager : public PageTest {
protected:
    // Opens the manager from the Presets menu and runs steps in it; the last must end it.
    void InManager(std::vector<UiScript::Step> steps) {
        UiScript script;
        script.Then(ChooseMenuItem({"Preset Manager..."})).Then(InDialog(kManager, [](HWND) {}));
        for (auto& step : steps) script.Then(std::move(step));
        Click(20015);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(nullptr, FindWindowA("#32770", kManager.c_str()));
    }
    std::string Folder() const { return bank_.substr(0, bank_.rfind('\\')); }
};

TEST_F(PresetManager, CancelAndEscapeWithoutSavingBringEveryPresetBack) {
    const std::vector<std::string> before = MenuItems();
    std::string deleteAll, save;
    std::vector<std::string> emptied;
    InManager({Mouse("", kClick), Key(VK_DELETE), AnswerMessageBox(IDYES, &deleteAll),
               Do([&] { emptied = TreeItems(); }), Press(1514)});
    EXPECT_EQ("Are you sure you want to delete ALL the qv:Reverb banks and presets?", deleteAll);
    EXPECT_TRUE(emptied.empty());
    EXPECT_EQ(before, MenuItems());

    InManager({Mouse("Halls/Large Hall", kClick), Press(1504), AnswerMessageBox(IDYES, &deleteAll),
               Key(VK_ESCAPE), AnswerMessageBox(IDNO, &save)});
    EXPECT_EQ("Do you want to delete the qv:Reverb preset \"Large Hall\"?", deleteAll);
    EXPECT_EQ("Save changes before exiting the Preset Manager?", save);
    EXPECT_EQ(before, MenuItems());
}

TEST_F(PresetManager, MovesAndRenamesFollowTheTreeAndAreSaved) {
    std::vector<std::string> tree;
    InManager({Mouse("Drums/Snare Plate", kClick), Do([] {
                   for (HTREEITEM bank = TreeView_GetChild(Tree(), TreeView_GetRoot(Tree())); bank;
                        bank = TreeView_GetNextSibling(Tree(), bank)) {
                       TreeView_Expand(Tree(), bank, TVE_EXPAND);
                   }
               }),
               Pause(200), Do([] { WriteScreenPng(GetParent(Tree()), "preset-manager.png"); }),
               Mouse("Drums/Snare Plate", kRightClick), Pause(200),
               Do([] { WriteScreenPng(GetParent(Tree()), "preset-manager-menu.png"); }),
               ChooseMenuItem({"Move Preset", "to New Bank..."}),
               InDialog("Move preset \"Snare Plate\" to new bank",
                        [](HWND d) {
                            UiType(GetDlgItem(d, 1513), "HALLS");  // joins "Halls"
                            UiPressButton(d, IDOK);
                        }),
               Mouse("Rooms", kRightClick), ChooseMenuItem({"Rename..."}),
               InDialog("Rename qv:Reverb bank",
                        [](HWND d) {
                            UiType(GetDlgItem(d, 1511), "Spaces");
                            UiPressButton(d, IDOK);
                        }),
               Do([&] { tree = TreeItems(); }), Press(IDOK)});
    EXPECT_TRUE(Has(tree, "Halls/Snare Plate"));
    EXPECT_FALSE(Has(tree, "HALLS/"));
    EXPECT_TRUE(Has(tree, "Spaces/Tiled Room"));
    const std::vector<std::string> menu = MenuItems();
    EXPECT_TRUE(Has(menu, "HALLS/Snare Plate")) << "saved in the bank as typed";
    EXPECT_TRUE(Has(menu, "Spaces/Tiled Room"));
}

TEST_F(PresetManager, ExportProposesACleanNameAndImportsAskAboutDuplicates) {
    const std::string exports = Folder() + "\\exports";
    const std::string exported = exports + "\\a_b_c.ini";
    CreateDirectoryA(exports.c_str(), nullptr);
    DeleteFileA(exported.c_str());
    std::string name, firstFolder, secondFolder, duplicate;
    InManager({Press(1501),
               InDialog("Add qv:Reverb preset",
                        [](HWND d) {
                            UiType(GetDlgItem(d, 1511), "a/b:c");
                            UiPressButton(d, IDOK);
                        }),
               Press(1512), InFileDialog("Export preset", nullptr, &name, exported), Press(1500),
               InFileDialog("Import Preset(s)", &firstFolder, nullptr, exports), Pause(200),
               InFileDialog("Import Preset(s)", nullptr, nullptr, "a_b_c.ini"),
               AnswerMessageBox(IDNO, &duplicate), Press(1500),
               InFileDialog("Import Preset(s)", &secondFolder, nullptr, ""), Press(1514)});
    SetCurrentDirectoryA(Folder().c_str());  // the file dialogs went elsewhere
    EXPECT_EQ("a_b_c.ini", name);
    EXPECT_EQ(Folder(), firstFolder);
    EXPECT_EQ(exports, secondFolder) << "the platform's last folder";
    EXPECT_EQ(
        "The preset \"a/b:c\" you are importing already exists in the qv:Reverb preset "
        "list.\nDo you want to add it anyway?",
        duplicate);
    char text[128] = {};
    GetPrivateProfileStringA("Preset1", "Name", "", text, sizeof(text), exported.c_str());
    EXPECT_STREQ("a/b:c", text);
    EXPECT_FALSE(Has(MenuItems(), "a/b:c")) << "Cancel dropped the added preset";
}

TEST_F(PresetManager, ADoubleClickedPresetIsApplied) {
    InManager({Mouse("Halls/Large Hall",
                     {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})});
    EXPECT_EQ(StoredValues("Large Hall"), EngineValues());
    EXPECT_TRUE(Has(MenuItems(), "Halls/Large Hall*"));
}

}  // namespace
