// Threads meeting in the automation object: a host thread adds and flushes envelopes, sets
// values and swaps its callback while the streaming thread runs the position clock and the
// block operation and the editor's thread works controls and saves and loads the state. Run
// under ThreadSanitizer (label "tsan"); natively it checks that everything stays in range.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include "host/MediaParams.h"
#include "tests/host/HostDoubles.h"
#include "tests/support/EngineHarness.h"

namespace {

constexpr int kHostRounds = 20000;
constexpr DWORD kBlockFrames = 256;
constexpr double kUnitsPerFrame = 10000000.0 / 44100.0;

// A host callback that may be called from any thread: counts what reaches it.
class CountingCallback final : public IMediaParamsUICallback {
public:
    std::atomic<int> begins{0}, changes{0}, ends{0};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        if (ppv != nullptr) *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD*, DWORD count) override {
        begins += static_cast<int>(count);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD*, DWORD count, MP_DATA*) override {
        changes += static_cast<int>(count);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD*, DWORD count) override {
        ends += static_cast<int>(count);
        return S_OK;
    }
    ULONG References() const { return references_; }

private:
    std::atomic<ULONG> references_{0};
};

TEST(AutomationStress, HostEditorAndStreamingThreadsMeetCleanly) {
    CountingCallback callback;  // outlives the engine, which may still hold it at the end
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    ASSERT_EQ(S_OK, engine.Start());
    auto* params = static_cast<CMediaParams*>(engine->Automation());

    std::atomic<std::int64_t> position{0};
    std::atomic<bool> hostDone{false};
    std::atomic<int> blocks{0};
    std::atomic<bool> outputFinite{true};
    std::atomic<int> hostFailures{0};

    std::thread streaming([&] {
        std::vector<double> input(2 * kBlockFrames);
        std::vector<double> output(2 * kBlockFrames);
        for (DWORD i = 0; i < input.size(); ++i) input[i] = 0.25 * std::sin(0.01 * i);
        int mode = kModeDiscontinuity;
        while (!hostDone.load() || blocks.load() < 100) {
            const std::int64_t at = position.load();
            params->UpdateToSamplePosition(at);
            for (int b = 0; b < 2; ++b) {
                DWORD inFrames = kBlockFrames, outFrames = kBlockFrames;
                engine->ProcessFloat64(mode, input.data(), &inFrames, output.data(), &outFrames);
                mode = kModeContinue;
                for (double s : output) {
                    if (!std::isfinite(s)) outputFinite = false;
                }
            }
            position.store(at + 2 * kBlockFrames);
            ++blocks;
        }
    });

    std::thread editor([&] {
        int k = 0;
        while (!hostDone.load()) {
            engine->SetDecay(1 + (k * 7) % 200, TRUE);
            engine->SetRoomSize(1 + (k * 13) % 100, TRUE);
            if (k % 4 == 0) engine->EndCapture();
            engine->QueryParamsChanged();
            if (k % 16 == 0) {
                StreamRef stream(MemoryStream());
                if (engine->Save(stream.Get(), TRUE) != S_OK) ++hostFailures;
                Rewind(stream.Get());
                if (engine->Load(stream.Get()) != S_OK) ++hostFailures;
            }
            ++k;
        }
        engine->EndCapture();
    });

    std::thread host([&] {
        for (int k = 0; k < kHostRounds; ++k) {
            const auto now = static_cast<REFERENCE_TIME>(position.load() * kUnitsPerFrame);
            const REFERENCE_TIME step = 2000000;  // 0.2 s
            MP_ENVELOPE_SEGMENT s[4] = {
                {now - step, now, 0.1f, 0.9f, MP_CURVE_LINEAR, 0},
                {now, now + step, 0.9f, 0.2f, MP_CURVE_SINE, 0},
                {now + step, now + 2 * step, 0.2f, 0.7f, MP_CURVE_SQUARE, 0},
                {now + 3 * step, now + 3 * step, 0.4f, 0.6f, MP_CURVE_JUMP, 0},
            };
            const DWORD index = k % 19 == 18 ? DWORD_ALL : static_cast<DWORD>(k % 19);
            if (params->AddEnvelope(index, 4, s) != S_OK) ++hostFailures;
            if (k % 3 == 0 &&
                params->FlushEnvelope((k / 3) % 18, now - step, now + step / 2) != S_OK) {
                ++hostFailures;
            }
            if (k % 5 == 0) params->SetParam(static_cast<DWORD>(k % 18), (k % 11) / 10.0f);
            if (k % 50 == 0) params->SetUICallback(k % 100 == 0 ? &callback : nullptr);
            if (k % 97 == 0) {
                params->FlushEnvelope(DWORD_ALL, std::numeric_limits<REFERENCE_TIME>::min(),
                                      std::numeric_limits<REFERENCE_TIME>::max());
            }
            MP_DATA value = -1.0f;
            params->GetParam(static_cast<DWORD>(k % 18), &value);
            if (!(value >= 0.0f && value <= 1.0f)) ++hostFailures;
        }
        hostDone = true;
    });

    host.join();
    editor.join();
    streaming.join();
    params->SetUICallback(nullptr);

    EXPECT_EQ(0, hostFailures.load());
    EXPECT_TRUE(outputFinite.load());
    EXPECT_GE(blocks.load(), 100);
    EXPECT_EQ(0u, callback.References());
    SetupBlock live;
    engine->GetAllParams(&live);
    for (int i = 0; i < kParamCount; ++i) {
        const ParameterDef& def = kParameters[i];
        EXPECT_GE(live.words[def.word], def.minimum) << def.label;
        EXPECT_LE(live.words[def.word], def.maximum) << def.label;
    }
}

}  // namespace
