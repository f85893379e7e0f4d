// A standalone engine set up as a connected, streaming filter would have it: formats for a rate
// and an input channel count, delay memories allocated. Shared by the engine tests.
#pragma once

#include <vector>

#include "engine/StandaloneReverb.h"

class EngineHarness {
public:
    explicit EngineHarness(DWORD rate = 44100, WORD inputChannels = 2,
                           AutomationFactory createAutomation = nullptr);
    ~EngineHarness();
    EngineHarness(const EngineHarness&) = delete;
    EngineHarness& operator=(const EngineHarness&) = delete;

    CStandaloneReverb& operator*() const { return *engine_; }
    CStandaloneReverb* operator->() const { return engine_; }
    CStandaloneReverb* Get() const { return engine_; }

    // AllocateBuffers with the harness's formats.
    HRESULT Start();

    // One 64-bit block: input frames in `input` (interleaved, inputChannels wide), or none in
    // mode 2; returns the result and appends the produced stereo frames to `output`.
    HRESULT Run(int mode, const std::vector<double>& input, std::vector<double>* output,
                DWORD outputFrames = 0);
    // Feeds `input` in blocks of blockFrames (mode 0 first, then 1), then renders the tail in
    // mode 2 until the engine reports its end; returns all output.
    std::vector<double> RenderWithTail(const std::vector<double>& input, DWORD blockFrames);

    WORD InputChannels() const { return inputChannels_; }
    DWORD Rate() const { return rate_; }

private:
    CStandaloneReverb* engine_;
    DWORD rate_;
    WORD inputChannels_;
};

// Interleaved frames: an impulse of `amplitude` at frame `at` in `frames` frames of silence.
std::vector<double> Impulse(int frames, int channels, int at = 0, double amplitude = 1.0);
// Deterministic white noise in [-amplitude, amplitude).
std::vector<double> Noise(int frames, int channels, double amplitude, unsigned seed = 1);
