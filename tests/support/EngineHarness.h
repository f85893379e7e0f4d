// A standalone engine set up as a connected, streaming filter would have it: formats for a rate
// and an input channel count, delay memories allocated on Start. Shared by the engine, host,
// preset and renderer tests.
#pragma once

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

    // AllocateBuffers with the harness's formats.
    HRESULT Start() { return engine_->StartStreaming(); }

    // One 64-bit block: input frames in `input` (interleaved, inputChannels wide), or none in
    // mode 2 (outputFrames, 4096 when 0); returns the result and appends the stereo frames
    // produced to `output`.
    HRESULT Run(int mode, const std::vector<double>& input, std::vector<double>* output,
                DWORD outputFrames = 0);
    // One block's output alone.
    std::vector<double> Render(int mode, const std::vector<double>& input);
    // Feeds `input` in blocks of blockFrames (mode 0 first, then 1), then renders the tail in
    // mode 2 until the engine reports its end; returns all output.
    std::vector<double> RenderWithTail(const std::vector<double>& input, DWORD blockFrames);
    // The live settings words, for whole-block comparisons.
    std::vector<int> Words() const;

private:
    CStandaloneReverb* engine_;
    WORD inputChannels_;
};

// The twenty words of a block.
std::vector<int> Words(const SetupBlock& block);
// Interleaved frames: an impulse of `amplitude` at frame `at` in `frames` frames of silence.
std::vector<double> Impulse(int frames, int channels, int at = 0, double amplitude = 1.0);
// Deterministic white noise in [-amplitude, amplitude).
std::vector<double> Noise(int frames, int channels, double amplitude, unsigned seed = 1);
