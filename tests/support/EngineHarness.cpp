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
    const bool tail = mode == kModeTail;
    HRESULT hr = engine_->ProcessFloat64(mode, tail ? nullptr : input.data(),
                                         tail ? nullptr : &inFrames, block.data(), &outputFrames);
    if (SUCCEEDED(hr))
        output->insert(output->end(), block.begin(), block.begin() + 2 * outputFrames);
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
    const size_t width = inputChannels_, frames = input.size() / width;
    for (size_t at = 0; at < frames; at += blockFrames) {
        const size_t end = std::min<size_t>(at + blockFrames, frames);
        Run(at == 0 ? kModeDiscontinuity : kModeContinue,
            std::vector<double>(input.begin() + at * width, input.begin() + end * width), &output);
    }
    // The tail to its end; one that yields nothing without ending is over too.
    size_t before = 0;
    do {
        before = output.size();
    } while (Run(kModeTail, {}, &output, blockFrames) == S_OK && output.size() != before);
    return output;
}

std::vector<int> EngineHarness::Words() const {
    SetupBlock block;
    engine_->GetAllParams(&block);
    return ::Words(block);
}

std::vector<double> EngineHarness::Meters() const {
    std::vector<double> meters(4, -1.0);
    engine_->GetMeters(meters.data());
    return meters;
}

std::vector<int> Words(const SetupBlock& block) {
    return std::vector<int>(std::begin(block.words), std::end(block.words));
}

std::vector<double> Impulse(int frames, int channels, int at, double amplitude) {
    std::vector<double> samples(static_cast<size_t>(frames) * channels, 0.0);
    std::fill_n(samples.begin() + static_cast<size_t>(at) * channels, channels, amplitude);
    return samples;
}

std::vector<double> Noise(int frames, int channels, double amplitude, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<double> samples(static_cast<size_t>(frames) * channels);
    for (double& s : samples) s = uniform(generator);
    return samples;
}

std::uint64_t Digest(const std::vector<double>& samples) {
    std::uint64_t hash = 14695981039346656037u;
    for (std::size_t i = 0; i < samples.size() * sizeof(double); ++i) {
        hash = (hash ^ reinterpret_cast<const unsigned char*>(samples.data())[i]) * 1099511628211u;
    }
    return hash;
}
