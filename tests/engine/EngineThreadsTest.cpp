// Where the threads meet: a streaming thread runs blocks while an editor thread works every
// control of the engine and a host thread applies presets and switches. Run under
// ThreadSanitizer by the test command; natively it checks that the audio stays finite and every
// setting stays in range.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

#include "engine/BuiltinPresets.h"
#include "tests/support/EngineHarness.h"

namespace {

TEST(EngineThreads, StreamingEditorAndHostMeetSafely) {
    EngineHarness engine(48000, 2);
    ASSERT_EQ(S_OK, engine.Start());
    std::atomic<bool> stop{false};
    std::atomic<bool> badSample{false};

    std::thread streaming([&] {
        std::vector<float> input(2 * 256), output(2 * 256);
        std::mt19937 generator(1);
        std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
        for (float& v : input) v = uniform(generator);
        for (int block = 0; block < 3000; ++block) {
            DWORD in = 256, out = 256;
            engine->ProcessFloat32(block == 0 ? kModeDiscontinuity : kModeContinue, input.data(),
                                   &in, output.data(), &out);
            for (float v : output) {
                if (!std::isfinite(v)) badSample = true;
            }
        }
        stop = true;
    });

    std::thread editor([&] {
        std::mt19937 generator(2);
        while (!stop) {
            const int index = static_cast<int>(generator() % kParamCount);
            const ParameterDef& def = kParameters[index];
            const int value = def.minimum + static_cast<int>(generator() % (def.Span() + 1));
            engine->SaveUndo(index);
            engine->SetParameter(index, value, TRUE);
            int read = 0;
            engine->GetDecay(&read);
            double meters[4];
            engine->GetMeters(meters);
            for (int k = 0; k < 4; k += 2) {
                if (engine->GetClipLeft(k) > 1) engine->SetClipLeft(k, engine->GetClipLeft(k) - 1);
                if (engine->GetClipRight(k) > 1) engine->SetClipRight(k, 1);
            }
            switch (generator() % 8) {
                case 0:
                    engine->Undo();
                    break;
                case 1:
                    engine->SelectSetup(static_cast<int>(generator() % 2));
                    break;
                case 2:
                    engine->CopySetup(0, 1);
                    break;
                case 3:
                    engine->Recalculate();
                    break;
                case 4:
                    engine->SetBypass(static_cast<int>(generator() % 2));
                    break;
                case 5:
                    if (engine->QueryParamsChanged() == S_OK) engine->SetParamsChanged(FALSE);
                    break;
                case 6:
                    engine->EndCapture();
                    break;
                default:
                    engine->SetTail(static_cast<int>(generator() % 2), FALSE);
                    break;
            }
        }
        engine->SetBypass(0);
    });

    std::thread host([&] {
        std::mt19937 generator(3);
        while (!stop) {
            switch (generator() % 3) {
                case 0:
                    engine->ApplyPreset(generator() % kBuiltinPresetCount);
                    break;
                case 1:
                    engine->SetStereo(static_cast<int>(generator() % 2), FALSE);
                    break;
                default: {
                    SetupBlock block;
                    engine->GetAllParams(&block);
                    engine->SetAllParams(&block);
                }
            }
            std::this_thread::yield();
        }
    });

    streaming.join();
    editor.join();
    host.join();
    EXPECT_FALSE(badSample);
    SetupBlock block;
    engine->GetAllParams(&block);
    for (const ParameterDef& def : kParameters) {
        EXPECT_GE(block.words[def.word], def.minimum) << def.label;
        EXPECT_LE(block.words[def.word], def.maximum) << def.label;
    }
}

}  // namespace
