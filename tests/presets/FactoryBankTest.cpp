// The factory bank qvDavezoDU.ini as it ships beside the programs: it loads with this filter's
// identity, is stored in the store's own sorted order, and every preset is a canonical
// version-3 data line whose values lie inside the parameters' ranges.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <set>
#include <string>

#include "presets/PresetData.h"
#include "tests/presets/PresetTestSupport.h"
#include "tests/support/EngineHarness.h"

namespace {

// The copy beside the test program (tests run in their build folder).
std::string FactoryFile() {
    return BesideTestProgram(kPresetFileName);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class FactoryBank : public ::testing::Test {
protected:
    FactoryBank() : store_(nullptr, nullptr, kPresetPluginName), messages_(store_) {
        store_.LoadFile(kFilterClassKeyPath, FactoryFile().c_str());
    }
    CPresetList store_;
    MessageRecorder messages_;
};

TEST_F(FactoryBank, LoadsInTheOrderItIsStored) {
    EXPECT_TRUE(messages_.Messages().empty());
    ASSERT_GE(store_.Count(), 24);
    // Sorting did not move anything: ids (file order) run with list positions.
    for (int i = 0; i < store_.Count(); ++i) {
        EXPECT_EQ(static_cast<int>(kPresetIdBase) + 1 + i, store_.IdAt(i)) << store_.At(i)->name;
    }
    EXPECT_EQ("qv:Reverb", Profile(FactoryFile(), "Plug-in", "PluginName"));
    EXPECT_EQ("1", Profile(FactoryFile(), "Plug-in", "DefaultPreset"));
    // Nothing beyond the last preset that a gap would hide.
    for (int after = 1; after <= 2; ++after) {
        const std::string section = "Preset" + std::to_string(store_.Count() + after);
        EXPECT_EQ("<absent>", Profile(FactoryFile(), section.c_str(), "Name"));
    }
}

TEST_F(FactoryBank, GroupsUniquelyNamedPresetsInBanks) {
    std::set<std::string> names;
    std::set<std::string> banks;
    for (int i = 0; i < store_.Count(); ++i) {
        const PresetRecord* preset = store_.At(i);
        EXPECT_TRUE(names.insert(Lower(preset->name)).second) << preset->name;
        EXPECT_STRNE("", preset->bank) << preset->name;
        banks.insert(preset->bank);
    }
    EXPECT_EQ((std::set<std::string>{"Drums", "Halls", "Plates", "Rooms", "Special", "Vocals"}),
              banks);
    for (const std::string& bank : banks) {
        int members = 0;
        for (int i = 0; i < store_.Count(); ++i) members += bank == store_.At(i)->bank;
        EXPECT_GE(members, 4) << bank;
    }
}

TEST_F(FactoryBank, EveryPresetIsACanonicalVersion3LineInRange) {
    for (int i = 0; i < store_.Count(); ++i) {
        const PresetRecord* preset = store_.At(i);
        SCOPED_TRACE(preset->name);
        EXPECT_EQ(3, preset->version);
        int values[kParamCount];
        ASSERT_EQ(kParamCount, ParseDataLine(preset->data, values));
        char canonical[kDataLineSize];
        ASSERT_TRUE(FormatDataLine(values, canonical, sizeof canonical));
        EXPECT_STREQ(canonical, preset->data);
        for (int p = 0; p < kParamCount; ++p) {
            EXPECT_GE(values[p], kParameters[p].minimum) << kParameters[p].label;
            EXPECT_LE(values[p], kParameters[p].maximum) << kParameters[p].label;
        }
        // Unity input, so that a preset never changes how hard the engine is driven.
        EXPECT_EQ(0, values[Param::kInput]);
        EXPECT_EQ(0, values[Param::kInputMute]);
    }
}

TEST_F(FactoryBank, EveryPresetAppliesExactly) {
    for (int i = 0; i < store_.Count(); ++i) {
        const PresetRecord* preset = store_.At(i);
        EngineHarness engine;
        ASSERT_EQ(S_OK, ApplyPresetData(engine.Get(), preset->data, preset->version))
            << preset->name;
        std::unique_ptr<char[]> line(NewDataLine(engine.Get()));
        EXPECT_STREQ(preset->data, line.get()) << preset->name;
    }
}

}  // namespace
