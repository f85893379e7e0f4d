// The page's Presets menu against a copy of the factory bank in the test's folder (the registry's
// "PluginPath"): banks and marks, a preset applied as one undo step, presets added and updated.
#include <gtest/gtest.h>

#include "tests/page/PageTestSupport.h"

namespace {

using PagePresets = PageTest;

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
            UiType(GetDlgItem(dialog, 1513), "Mine");
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
