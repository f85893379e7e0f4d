// The factory bank as it ships: sorted, canonical version-3 lines at unity input, each rendering
// the demo clip at 0 dB without clipping, its room going on after the clip.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "presets/PresetData.h"
#include "presets/PresetList.h"
#include "tests/support/EngineHarness.h"
#include "tools/demo/DemoClip.h"

namespace {

TEST(FactoryBank, EveryPresetIsCanonicalAndRendersTheDemoWithoutClipping) {
    CPresetList store(nullptr, nullptr, kPresetPluginName);
    ASSERT_EQ(PresetLoadResult::kLoaded, store.Load(kFilterClassKeyPath, kPresetFileName));
    ASSERT_GE(store.Count(), 24);

    const std::pair<int, std::vector<double>> clips[] = {{44100, GenerateDemoClip(44100)},
                                                         {96000, GenerateDemoClip(96000)}};
    for (int i = 0; i < store.Count(); ++i) {
        const PresetRecord& preset = *store.At(i);
        SCOPED_TRACE(preset.name);
        EXPECT_EQ(static_cast<int>(kPresetIdBase) + 1 + i, store.IdAt(i));  // sorting moved none
        EXPECT_EQ(3, preset.version);
        for (const auto& [rate, clip] : clips) {
            EngineHarness engine(rate, 2);
            ASSERT_EQ(S_OK, ApplyPresetData(engine.Get(), preset.data, preset.version));
            // In range and canonical: applied and read back, the line is unchanged.
            EXPECT_STREQ(preset.data, std::unique_ptr<char[]>(NewDataLine(engine.Get())).get());
            EXPECT_EQ(0, engine.Words()[SetupWord::kInput] | engine.Words()[SetupWord::kInputMute]);
            ASSERT_EQ(S_OK, engine.Start());
            const std::vector<double> output = engine.RenderWithTail(clip, 512);
            double peak = 0.0, after = 0.0;
            for (size_t s = 0; s < output.size(); ++s) {
                ASSERT_TRUE(std::isfinite(output[s]));
                peak = std::max(peak, std::fabs(output[s]));
                if (s >= clip.size()) after = std::max(after, std::fabs(output[s]));
            }
            // The demo peaks at -6 dBFS; every preset keeps the output 3 dB below full scale.
            EXPECT_LT(peak, 0.708);
            EXPECT_EQ(0, engine->GetClipLeft(2) + engine->GetClipRight(2));
            EXPECT_GT(after, 1e-4);
        }
    }
}

}  // namespace
