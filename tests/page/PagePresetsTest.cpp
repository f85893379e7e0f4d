// The page's Presets menu against a copy of the factory bank in the test's folder (the registry's
// "PluginPath"): banks and marks, a preset applied as one undo step, presets added and updated.
#include <gtest/gtest.h>

#include <algorithm>

#include "presets/PresetData.h"
#include "presets/PresetList.h"
#include "tests/page/PageTestSupport.h"

namespace {

class PagePresets : public PageTest {
protected:
    void SetUp() override {
        char folder[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, folder);
        bank_ = std::string(folder) + "\\" + kPresetFileName;
        const std::wstring dll = PluginDllPath();
        const std::string factory(dll.begin(), dll.begin() + dll.rfind(L'\\') + 1);
        ASSERT_TRUE(CopyFileA((factory + kPresetFileName).c_str(), bank_.c_str(), FALSE));
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kFilterClassKeyPath,
                                                 "PluginPath", REG_SZ, folder, strlen(folder) + 1));
        PageTest::SetUp();
    }
    void TearDown() override {
        PageTest::TearDown();
        DeleteFileA(bank_.c_str());
    }

    // Presses the Presets button while the script answers what it opens.
    void Presets(UiScript& script) {
        Click(20015);
        EXPECT_TRUE(script.Done());
    }
    std::vector<std::string> MenuItems() {
        std::vector<std::string> items;
        UiScript script;
        script.Then(ReadMenu(&items));
        Presets(script);
        return items;
    }
    std::vector<int> StoredValues(const char* name) {
        CPresetList store(nullptr, nullptr, kPresetPluginName);
        store.LoadFile(kFilterClassKeyPath, bank_.c_str());
        std::vector<int> values(kParamCount);
        const PresetRecord* record = store.FindByName(name, nullptr);
        if (record != nullptr) ParseDataLine(record->data, values.data());
        return values;
    }
    std::vector<int> EngineValues() {
        std::vector<int> values(kParamCount);
        ReadPresetValues(engine_.Get(), values.data());
        return values;
    }
    std::string bank_;
};

bool Has(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

TEST_F(PagePresets, AChosenPresetIsMarkedAndAppliedAsOneUndoStep) {
    std::vector<std::string> items = MenuItems();
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ((std::vector<std::string>{"Add Preset...", "Preset Manager...", "-"}),
              std::vector<std::string>(items.begin(), items.begin() + 3));
    EXPECT_TRUE(Has(items, "Halls/Large Hall"));

    const std::vector<int> before = EngineValues();
    UiScript choose;
    choose.Then(ChooseMenuItem({"Halls", "Large Hall"}));
    Presets(choose);
    EXPECT_EQ(StoredValues("Large Hall"), EngineValues());
    int tail = 0;
    engine_->GetTail(&tail);
    EXPECT_EQ(1, tail);
    items = MenuItems();
    EXPECT_EQ("Update Preset: Large Hall...", items.at(1));
    EXPECT_TRUE(Has(items, "Halls/Large Hall*"));

    Click(20011);
    EXPECT_EQ(before, EngineValues());
    engine_->GetTail(&tail);
    EXPECT_EQ(0, tail);
}

TEST_F(PagePresets, PresetsAreAddedAndUpdatedWithTheCurrentValues) {
    engine_->SetDecay(77, TRUE);
    std::string refusal, question;
    UiScript add;
    add.Then(ChooseMenuItem({"Add Preset..."}))
        .Then(InDialog("Add qv:Reverb preset", [](HWND dialog) { UiPressButton(dialog, IDOK); }))
        .Then(AnswerMessageBox(IDOK, &refusal))
        .Then(InDialog("Add qv:Reverb preset", [](HWND dialog) {
            UiType(GetDlgItem(dialog, 1511), "My Plate");
            UiType(GetWindow(GetDlgItem(dialog, 1513), GW_CHILD), "Mine");
            UiPressButton(dialog, IDOK);
        }));
    Presets(add);
    EXPECT_EQ("Unable to add preset because no name was specified.", refusal);
    EXPECT_EQ(EngineValues(), StoredValues("My Plate"));
    EXPECT_TRUE(Has(MenuItems(), "Mine/My Plate*"));

    engine_->SetDecay(99, TRUE);
    UiScript update;
    update.Then(ChooseMenuItem({"Update Preset: My Plate..."}))
        .Then(AnswerMessageBox(IDYES, &question));
    Presets(update);
    EXPECT_EQ(
        "Would you like to update the stored parameters for\nthe \"My Plate\" preset with "
        "the current settings?",
        question);
    EXPECT_EQ(99, StoredValues("My Plate")[Param::kDecay]);
}

}  // namespace
