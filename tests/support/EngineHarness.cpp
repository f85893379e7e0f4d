// A standalone engine in its streaming state (see EngineHarness.h).
#include "tests/support/EngineHarness.h"

#include <algorithm>
#include <random>

EngineHarness::EngineHarness(DWORD rate, WORD inputChannels, AutomationFactory createAutomation)
    : inputChannels_(inputChannels) {
    HRESULT status = S_OK;
    engine_ = new CStandaloneReverb(&status, createAutomation);
    engine_->SetFormats(
        CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 64, inputChannels, rate),
        CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 64, 2, rate));
}

HRESULT EngineHarness::Run(int mode, const std::vector<double>& input, std::vector<double>* output,
                           DWORD outputFrames) {
    DWORD inFrames = static_cast<DWORD>(input.size() / inputChannels_);
    if (outputFrames == 0) outputFrames = mode == kModeTail ? 4096 : inFrames;
    std::vector<double> block(2 * static_cast<size_t>(outputFrames));
    DWORD outFrames = outputFrames;
    HRESULT hr =
        mode == kModeTail
            ? engine_->ProcessFloat64(mode, nullptr, nullptr, block.data(), &outFrames)
            : engine_->ProcessFloat64(mode, input.data(), &inFrames, block.data(), &outFrames);
    if (SUCCEEDED(hr)) output->insert(output->end(), block.begin(), block.begin() + 2 * outFrames);
    return hr;
}

std::vector<double> EngineHarness::Render(int mode, const std::vector<double>& input) {
    std::vector<double> output;
    Run(mode, input, &output);
    return output;
}

std::vector<double> EngineHarness::RenderWithTail(const std::vector<double>& input,
                                                  DWORD blockFrames) {
    std::vector<double> output;
    const size_t width = inputChannels_;
    const size_t frames = input.size() / width;
    for (size_t at = 0; at < frames; at += blockFrames) {
        const size_t count = std::min<size_t>(blockFrames, frames - at);
        std::vector<double> block(input.begin() + at * width, input.begin() + (at + count) * width);
        Run(at == 0 ? kModeDiscontinuity : kModeContinue, block, &output);
    }
    while (Run(kModeTail, {}, &output, blockFrames) == S_OK) {
    }
    return output;
}

std::vector<int> EngineHarness::Words() const {
    SetupBlock block;
    engine_->GetAllParams(&block);
    return ::Words(block);
}

std::vector<int> Words(const SetupBlock& block) {
    return std::vector<int>(std::begin(block.words), std::end(block.words));
}

std::vector<double> Impulse(int frames, int channels, int at, double amplitude) {
    std::vector<double> samples(static_cast<size_t>(frames) * channels, 0.0);
    for (int c = 0; c < channels; ++c) samples[static_cast<size_t>(at) * channels + c] = amplitude;
    return samples;
}

std::vector<double> Noise(int frames, int channels, double amplitude, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<double> samples(static_cast<size_t>(frames) * channels);
    for (double& s : samples) s = uniform(generator);
    return samples;
}
