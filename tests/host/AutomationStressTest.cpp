// Where the threads meet: streaming (clock and blocks), a host's thread (envelopes, values, its
// callback) and the user-interface thread (controls, undo, setups, presets, state). Run under
// ThreadSanitizer (label "tsan"); natively the audio must stay finite and the settings in range.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
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

    std::thread editor([&] {  // the editor and the host's own user interface
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
            SetupBlock block;
            engine->GetAllParams(&block);
            if (k % 11 == 0) engine->Undo();
            if (k % 11 == 1) engine->SelectSetup(k % 3 == 0);
            if (k % 11 == 2) engine->CopySetup(0, 1);
            if (k % 11 == 3) engine->Recalculate();
            if (k % 11 == 4) engine->SetBypass(k % 3 == 0);
            if (k % 11 == 5) engine->SetParamsChanged(engine->QueryParamsChanged() != S_OK);
            if (k % 11 == 6) engine->EndCapture();
            if (k % 11 == 7) engine->SetTail(k % 2, FALSE);
            if (k % 11 == 8) engine->ApplyPreset(k % 2);
            if (k % 11 == 9) engine->SetStereo(k % 2, FALSE);
            if (k % 11 == 10) engine->SetAllParams(&block);
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
            MP_ENVELOPE_SEGMENT s[3] = {
                {now - step, now, 0.1f, 0.9f, MP_CURVE_LINEAR, 0},
                {now, now + step, 0.9f, 0.2f, MP_CURVE_SINE, 0},
                {now + 3 * step, now + 3 * step, 0.4f, 0.6f, MP_CURVE_JUMP, 0},
            };
            if (params->AddEnvelope(k % 19 == 18 ? DWORD_ALL : k % 19, 3, s) != S_OK) ++failures;
            const DWORD flushed = k % 90 == 0 ? DWORD_ALL : k % 18;
            if (k % 3 == 0 && params->FlushEnvelope(flushed, now - step, now + step / 2)) {
                ++failures;
            }
            if (k % 5 == 0) params->SetParam(k % 18, (k % 11) / 10.0f);
            if (k % 50 == 0) params->SetUICallback(k % 100 == 0 ? callback : nullptr);
            MP_DATA value = -1.0f;
            params->GetParam(k % 18, &value);
            if (!(value >= 0.0f && value <= 1.0f)) ++failures;
        }
        hostDone = true;
    });

    for (std::thread* thread : {&host, &editor, &streaming}) thread->join();
    params->SetUICallback(nullptr);
    EXPECT_EQ(0, failures.load());
    EXPECT_TRUE(outputFinite.load());
    EXPECT_EQ(1u, callback->References());
    callback->Release();
    const std::vector<int> words = engine.Words();
    for (const ParameterDef& def : kParameters) {
        EXPECT_TRUE(words[def.word] >= def.minimum && words[def.word] <= def.maximum) << def.label;
    }
}

}  // namespace
