// Every factory preset renders the demo clip, fed at its own level (0 dB), without clipping:
// no output sample reaches full scale and the engine's output clip indicators stay off. Each
// one is also heard: with Tail on, the room goes on after the clip has ended.
#include <gtest/gtest.h>

#include <cmath>

#include "presets/PresetData.h"
#include "presets/PresetList.h"
#include "tests/support/EngineHarness.h"
#include "tools/demo/DemoClip.h"

namespace {

TEST(FactoryRender, EveryPresetRendersTheDemoWithoutClipping) {
    CPresetList store(nullptr, nullptr, kPresetPluginName);
    store.Load(kFilterClassKeyPath, kPresetFileName);  // beside this program
    ASSERT_GE(store.Count(), 24);
    for (const int rate : {44100, 96000}) {
        const std::vector<double> demo = GenerateDemoClip(rate);
        for (int i = 0; i < store.Count(); ++i) {
            const PresetRecord& preset = *store.At(i);
            SCOPED_TRACE(std::string(preset.name) + " at " + std::to_string(rate));
            EngineHarness engine(static_cast<DWORD>(rate), 2);
            ASSERT_EQ(S_OK, ApplyPresetData(engine.Get(), preset.data, preset.version));
            ASSERT_EQ(S_OK, engine.Start());
            const std::vector<double> output = engine.RenderWithTail(demo, 512);
            double peak = 0.0, after = 0.0;
            for (size_t s = 0; s < output.size(); ++s) {
                ASSERT_TRUE(std::isfinite(output[s]));
                peak = std::max(peak, std::fabs(output[s]));
                if (s >= demo.size()) after = std::max(after, std::fabs(output[s]));
            }
            // The demo peaks at -6 dBFS; every preset keeps the output 3 dB below full scale.
            EXPECT_LT(peak, 0.708);
            EXPECT_EQ(0, engine->GetClipLeft(2) + engine->GetClipRight(2));
            EXPECT_GT(after, 1e-4);
        }
    }
}

}  // namespace
