// The factory bank qvDavezoDU.ini as it ships beside the programs: it loads with this filter's
// identity, in the store's own sorted order, in banks of uniquely named presets, each a
// canonical version-3 data line that the engine takes as it is, at unity input.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <set>

#include "presets/PresetData.h"
#include "tests/presets/PresetTestSupport.h"
#include "tests/support/EngineHarness.h"

namespace {

TEST(FactoryBank, LoadsSortedInBanksOfUniquelyNamedPresetsThatApplyExactly) {
    const std::string file = BesideTestProgram(kPresetFileName);
    CPresetList store(nullptr, nullptr, kPresetPluginName);
    MessageRecorder messages(store);
    ASSERT_EQ(PresetLoadResult::kLoaded, store.LoadFile(kFilterClassKeyPath, file.c_str()));
    EXPECT_EQ(Strings{}, messages.Take());
    ASSERT_GE(store.Count(), 24);
    EXPECT_EQ("qv:Reverb 1", Profile(file, "Plug-in", "PluginName") + " " +
                                 Profile(file, "Plug-in", "DefaultPreset"));
    // Nothing beyond the last preset that a gap would hide.
    for (int after : {1, 2}) {
        const std::string section = "Preset" + std::to_string(store.Count() + after);
        EXPECT_EQ("<absent>", Profile(file, section.c_str(), "Name"));
    }

    std::set<std::string> names;
    std::map<std::string, int> banks;
    for (int i = 0; i < store.Count(); ++i) {
        const PresetRecord& preset = *store.At(i);
        SCOPED_TRACE(preset.name);
        // Sorting moved nothing: ids (file order) run with list positions.
        EXPECT_EQ(static_cast<int>(kPresetIdBase) + 1 + i, store.IdAt(i));
        std::string lower = preset.name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(names.insert(lower).second);
        ++banks[preset.bank];
        EXPECT_EQ(3, preset.version);
        // Unity input, so that a preset never changes how hard the engine is driven.
        int values[kParamCount] = {};
        ParseDataLine(preset.data, values);
        EXPECT_EQ(0, values[Param::kInput] | values[Param::kInputMute]);
        // In range and canonical: applied and read back, the line is unchanged.
        EngineHarness engine;
        EXPECT_EQ(S_OK, ApplyPresetData(engine.Get(), preset.data, preset.version));
        EXPECT_STREQ(preset.data, std::unique_ptr<char[]>(NewDataLine(engine.Get())).get());
    }
    Strings bankNames;
    for (const auto& [bank, members] : banks) {
        bankNames.push_back(bank);
        EXPECT_GE(members, 4) << bank;
    }
    EXPECT_EQ((Strings{"Drums", "Halls", "Plates", "Rooms", "Special", "Vocals"}), bankNames);
}

}  // namespace
