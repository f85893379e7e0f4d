// A standalone engine as a streaming filter has it (64-bit float formats for a rate and input
// channels; Start allocates), for the engine, host, preset and renderer tests.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/StandaloneReverb.h"

class EngineHarness {
public:
    explicit EngineHarness(DWORD rate = 44100, WORD inputChannels = 2,
                           AutomationFactory createAutomation = nullptr);
    ~EngineHarness() { engine_->Release(); }
    EngineHarness(const EngineHarness&) = delete;
    EngineHarness& operator=(const EngineHarness&) = delete;

    CStandaloneReverb& operator*() const { return *engine_; }
    CStandaloneReverb* operator->() const { return engine_; }
    CStandaloneReverb* Get() const { return engine_; }
    HRESULT Start() { return engine_->StartStreaming(); }

    // One block of interleaved `input` (none in mode 2, which asks for outputFrames, 4096 when
    // 0); the stereo frames produced are appended to `output`.
    HRESULT Run(int mode, const std::vector<double>& input, std::vector<double>* output,
                DWORD outputFrames = 0);
    std::vector<double> Render(int mode, const std::vector<double>& input);
    // `input` in blocks of blockFrames (mode 0 first, then 1), then the tail to its end.
    std::vector<double> RenderWithTail(const std::vector<double>& input, DWORD blockFrames);
    std::vector<int> Words() const;      // the live settings
    std::vector<double> Meters() const;  // input left and right, output left and right

private:
    CStandaloneReverb* engine_;
    WORD inputChannels_;
};

std::vector<int> Words(const SetupBlock& block);
// Interleaved frames of silence with an impulse of `amplitude` in every channel at frame `at`.
std::vector<double> Impulse(int frames, int channels, int at = 0, double amplitude = 1.0);
// Deterministic white noise in [-amplitude, amplitude).
std::vector<double> Noise(int frames, int channels, double amplitude, unsigned seed = 1);
// 64-bit FNV-1a over the bytes of the samples, for renders compared with recorded ones.
std::uint64_t Digest(const std::vector<double>& samples);
