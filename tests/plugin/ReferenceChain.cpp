// The engine driven as the filter drives it (see ReferenceChain.h).
#include "tests/plugin/ReferenceChain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/SampleConversion.h"

namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10000000;

// Interleaved samples of one kind, copied out of and back into raw sample bytes (the media
// sample buffers need not be aligned for the element type).
template <typename T>
std::vector<T> Elements(const BYTE* bytes, std::size_t count) {
    std::vector<T> elements(count);
    if (count != 0) std::memcpy(elements.data(), bytes, count * sizeof(T));
    return elements;
}

}  // namespace

ReferenceChain::ReferenceChain(const WAVEFORMATEX& input)
    : input_(CStandaloneReverb::MakeFormat(input.wFormatTag, input.wBitsPerSample, input.nChannels,
                                           input.nSamplesPerSec)),
      output_(CStandaloneReverb::MakeFormat(input.wFormatTag, input.wBitsPerSample, 2,
                                            input.nSamplesPerSec)) {
    HRESULT status = S_OK;
    engine_ = new CStandaloneReverb(&status, &CMediaParams::Create);
    engine_->SetFormats(input_, output_);
    if (CMediaParams* automation = static_cast<CMediaParams*>(engine_->Automation())) {
        automation->SetSampleRate(static_cast<int>(input_.nSamplesPerSec));
    }
}

ReferenceChain::~ReferenceChain() {
    engine_->ReleaseBuffers();
    engine_->Release();
}

CMediaParams& ReferenceChain::Automation() const {
    return *static_cast<CMediaParams*>(engine_->Automation());
}

HRESULT ReferenceChain::Start() {
    return engine_->StartStreaming();
}

void ReferenceChain::BeginSample(bool discontinuity, const REFERENCE_TIME* start) {
    if (discontinuity && start != nullptr) {
        position_ = *start * static_cast<std::int64_t>(input_.nSamplesPerSec) / kUnitsPerSecond;
    }
    Automation().UpdateToSamplePosition(position_);
}

HRESULT ReferenceChain::Process(int mode, const BYTE* in, DWORD* inFrames, BYTE* out,
                                DWORD* outFrames) {
    const std::size_t inCount = in != nullptr ? std::size_t{input_.nChannels} * *inFrames : 0;
    const std::size_t outCount = std::size_t{2} * *outFrames;
    HRESULT hr = S_OK;
    if (input_.wFormatTag == WAVE_FORMAT_PCM) {
        std::vector<float> inFloats(inCount);
        const std::vector<short> samples = Elements<short>(in, inCount);
        Int16ToFloat(samples.data(), inFloats.data(), inCount);
        std::vector<float> outFloats(outCount);
        hr = engine_->ProcessFloat32(mode, in != nullptr ? inFloats.data() : nullptr, inFrames,
                                     outFloats.data(), outFrames);
        std::vector<short> converted(std::size_t{2} * *outFrames);
        FloatToInt16(outFloats.data(), converted.data(), converted.size());
        std::memcpy(out, converted.data(), converted.size() * sizeof(short));
    } else if (input_.wBitsPerSample == 32) {
        const std::vector<float> inFloats = Elements<float>(in, inCount);
        std::vector<float> outFloats(outCount);
        hr = engine_->ProcessFloat32(mode, in != nullptr ? inFloats.data() : nullptr, inFrames,
                                     outFloats.data(), outFrames);
        std::memcpy(out, outFloats.data(), std::size_t{2} * *outFrames * sizeof(float));
    } else {
        const std::vector<double> inDoubles = Elements<double>(in, inCount);
        std::vector<double> outDoubles(outCount);
        hr = engine_->ProcessFloat64(mode, in != nullptr ? inDoubles.data() : nullptr, inFrames,
                                     outDoubles.data(), outFrames);
        std::memcpy(out, outDoubles.data(), std::size_t{2} * *outFrames * sizeof(double));
    }
    if (inFrames != nullptr) position_ += *inFrames;
    return hr;
}

HRESULT ReferenceChain::ProcessSample(bool discontinuity, REFERENCE_TIME start, const BYTE* in,
                                      DWORD frames, std::vector<BYTE>* out) {
    BeginSample(discontinuity, &start);
    std::vector<BYTE> buffer(std::size_t{output_.nBlockAlign} * frames);
    DWORD inFrames = frames;
    DWORD outFrames = frames;
    const HRESULT hr = Process(discontinuity ? kModeDiscontinuity : kModeContinue, in, &inFrames,
                               buffer.data(), &outFrames);
    out->insert(out->end(), buffer.begin(),
                buffer.begin() + std::size_t{output_.nBlockAlign} * outFrames);
    return hr;
}

HRESULT ReferenceChain::RenderTail(DWORD bufferFrames, std::vector<BYTE>* out, int* buffers) {
    *buffers = 0;
    std::vector<BYTE> buffer(std::size_t{output_.nBlockAlign} * bufferFrames);
    for (;;) {
        DWORD outFrames = bufferFrames;
        const HRESULT hr = Process(kModeTail, nullptr, nullptr, buffer.data(), &outFrames);
        if (FAILED(hr)) return hr;
        if (outFrames != 0) {
            ++*buffers;
            out->insert(out->end(), buffer.begin(),
                        buffer.begin() + std::size_t{output_.nBlockAlign} * outFrames);
        }
        if (hr == S_FALSE) return S_OK;
    }
}

std::vector<BYTE> ExpectedOutput(const WavAudio& input, int blockFrames,
                                 const std::function<void(ReferenceChain&)>& prepare) {
    ReferenceChain chain(input.format);
    if (!chain.IsValid()) return {};
    if (prepare) prepare(chain);
    if (FAILED(chain.Start())) return {};
    std::vector<BYTE> out;
    const std::int64_t frames = input.Frames();
    for (std::int64_t frame = 0; frame < frames; frame += blockFrames) {
        const auto count = static_cast<DWORD>(std::min<std::int64_t>(blockFrames, frames - frame));
        const BYTE* in = input.data.data() + frame * input.format.nBlockAlign;
        if (FAILED(chain.ProcessSample(frame == 0,
                                       SourceTimeOfFrame(frame, input.format.nSamplesPerSec), in,
                                       count, &out))) {
            return {};
        }
    }
    int buffers = 0;
    if (FAILED(chain.RenderTail(static_cast<DWORD>(blockFrames), &out, &buffers))) return {};
    return out;
}

REFERENCE_TIME SourceTimeOfFrame(std::int64_t frame, DWORD rate) {
    return frame * kUnitsPerSecond / rate;
}
