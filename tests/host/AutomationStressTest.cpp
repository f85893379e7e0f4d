// Where the threads meet: the streaming thread runs the position clock and the block operation
// while a host thread adds and flushes envelopes, sets values and swaps its callback, another
// applies presets and switches, and the editor's thread works every control, undo, the setups,
// and saves and loads the state. Run under ThreadSanitizer (label "tsan"); natively it checks that
// the audio stays finite and every setting in range.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

TEST(AutomationStress, HostEditorAndStreamingThreadsMeetCleanly) {
    IEngineAutomation* made = nullptr;
    FakeAutomation::Create(&made, nullptr);  // the host's callback; outlives the engine
    FakeAutomation* callback = FakeAutomation::Last();
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    ASSERT_EQ(S_OK, engine.Start());
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    std::atomic<std::int64_t> position{0};
    std::atomic<bool> hostDone{false}, outputFinite{true};
    std::atomic<int> blocks{0}, failures{0};

    std::thread streaming([&] {
        std::vector<float> in32(2 * 256), out32(2 * 256);
        std::vector<double> in64(2 * 256), out64(2 * 256);
        for (size_t i = 0; i < in64.size(); ++i) in32[i] = in64[i] = 0.25f * std::sin(0.01f * i);
        for (int mode = kModeDiscontinuity; !hostDone || blocks < 100; mode = kModeContinue) {
            params->UpdateToSamplePosition(position);
            DWORD inFrames = 256, outFrames = 256;
            engine->ProcessFloat64(mode, in64.data(), &inFrames, out64.data(), &outFrames);
            engine->ProcessFloat32(kModeContinue, in32.data(), &inFrames, out32.data(), &outFrames);
            for (double s : out64) outputFinite = outputFinite && std::isfinite(s);
            position += 512;
            ++blocks;
        }
    });

    std::thread editor([&] {
        std::mt19937 generator(2);
        double meters[4];
        for (int k = 0; !hostDone; ++k) {
            const int index = static_cast<int>(generator() % kParamCount);
            const ParameterDef& def = kParameters[index];
            engine->SaveUndo(index);
            engine->SetParameter(
                index, def.minimum + static_cast<int>(generator() % (def.Span() + 1)), TRUE);
            engine->GetMeters(meters);
            engine->SetClipLeft(0, engine->GetClipLeft(0) > 1 ? 1 : 0);
            if (k % 8 == 0) engine->Undo();
            if (k % 8 == 1) engine->SelectSetup(k % 3 == 0);
            if (k % 8 == 2) engine->CopySetup(0, 1);
            if (k % 8 == 3) engine->Recalculate();
            if (k % 8 == 4) engine->SetBypass(k % 3 == 0);
            if (k % 8 == 5) engine->SetParamsChanged(engine->QueryParamsChanged() != S_OK);
            if (k % 8 == 6) engine->EndCapture();
            if (k % 8 == 7) engine->SetTail(k % 2, FALSE);
            if (k % 64 == 0) {
                IStream* stream = nullptr;
                CreateStreamOnHGlobal(nullptr, TRUE, &stream);
                if (engine->Save(stream, TRUE) != S_OK) ++failures;
                const LARGE_INTEGER zero{};
                stream->Seek(zero, STREAM_SEEK_SET, nullptr);
                if (engine->Load(stream) != S_OK) ++failures;
                stream->Release();
            }
        }
        engine->SetBypass(0);
        engine->EndCapture();
    });

    std::thread host([&] {
        for (int k = 0; k < 20000; ++k) {
            const auto now = static_cast<REFERENCE_TIME>(position * (10000000.0 / 44100));
            const REFERENCE_TIME step = 2000000;  // 0.2 s
            MP_ENVELOPE_SEGMENT s[4] = {
                {now - step, now, 0.1f, 0.9f, MP_CURVE_LINEAR, 0},
                {now, now + step, 0.9f, 0.2f, MP_CURVE_SINE, 0},
                {now + step, now + 2 * step, 0.2f, 0.7f, MP_CURVE_SQUARE, 0},
                {now + 3 * step, now + 3 * step, 0.4f, 0.6f, MP_CURVE_JUMP, 0},
            };
            if (params->AddEnvelope(k % 19 == 18 ? DWORD_ALL : k % 19, 4, s) != S_OK) ++failures;
            if (k % 3 == 0 && params->FlushEnvelope((k / 3) % 18, now - step, now + step / 2)) {
                ++failures;
            }
            if (k % 5 == 0) params->SetParam(k % 18, (k % 11) / 10.0f);
            if (k % 50 == 0) params->SetUICallback(k % 100 == 0 ? callback : nullptr);
            if (k % 97 == 0) {
                params->FlushEnvelope(DWORD_ALL, std::numeric_limits<REFERENCE_TIME>::min(),
                                      std::numeric_limits<REFERENCE_TIME>::max());
            }
            MP_DATA value = -1.0f;
            params->GetParam(k % 18, &value);
            if (!(value >= 0.0f && value <= 1.0f)) ++failures;
        }
        hostDone = true;
    });

    // The host's user-interface thread: presets, the Stereo switch and whole blocks.
    std::thread presets([&] {
        for (int k = 0; !hostDone; ++k) {
            SetupBlock block;
            engine->GetAllParams(&block);
            if (k % 3 == 0) engine->ApplyPreset(k % 2);
            if (k % 3 == 1) engine->SetStereo(k % 2, FALSE);
            if (k % 3 == 2) engine->SetAllParams(&block);
            std::this_thread::yield();
        }
    });

    host.join();
    presets.join();
    editor.join();
    streaming.join();
    params->SetUICallback(nullptr);
    EXPECT_EQ(0, failures.load());
    EXPECT_TRUE(outputFinite.load());
    EXPECT_EQ(1u, callback->References());
    callback->Release();
    const std::vector<int> words = engine.Words();
    for (const ParameterDef& def : kParameters) {
        EXPECT_GE(words[def.word], def.minimum) << def.label;
        EXPECT_LE(words[def.word], def.maximum) << def.label;
    }
}

}  // namespace
