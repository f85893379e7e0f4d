// The engine driven as the filter drives it (see ReferenceChain.h).
#include "tests/support/ReferenceChain.h"

#include <algorithm>
#include <cstring>

#include "engine/SampleConversion.h"

ReferenceChain::ReferenceChain(const WAVEFORMATEX& input)
    : input_(CStandaloneReverb::MakeFormat(input.wFormatTag, input.wBitsPerSample, input.nChannels,
                                           input.nSamplesPerSec)),
      output_(CStandaloneReverb::MakeFormat(input.wFormatTag, input.wBitsPerSample, 2,
                                            input.nSamplesPerSec)) {
    HRESULT status = S_OK;
    engine_ = new CStandaloneReverb(&status, &CMediaParams::Create);
    engine_->SetFormats(input_, output_);
    Automation().SetSampleRate(static_cast<int>(input_.nSamplesPerSec));
}

ReferenceChain::~ReferenceChain() {
    engine_->ReleaseBuffers();
    engine_->Release();
}

void ReferenceChain::BeginSample(bool discontinuity, const REFERENCE_TIME* start) {
    if (discontinuity && start != nullptr) {
        position_ = *start * static_cast<std::int64_t>(input_.nSamplesPerSec) / 10000000;
    }
    Automation().UpdateToSamplePosition(position_);
}

HRESULT ReferenceChain::Process(int mode, const BYTE* in, DWORD* inFrames, BYTE* out,
                                DWORD* outFrames) {
    // Copies of the sample bytes: media sample buffers need not be aligned for the elements.
    const std::size_t inCount = in != nullptr ? std::size_t{input_.nChannels} * *inFrames : 0;
    const std::size_t outCount = std::size_t{2} * *outFrames;
    HRESULT hr = S_OK;
    if (input_.wBitsPerSample == 64) {
        std::vector<double> i(inCount), o(outCount);
        if (inCount != 0) std::memcpy(i.data(), in, inCount * 8);
        hr = engine_->ProcessFloat64(mode, in ? i.data() : nullptr, inFrames, o.data(), outFrames);
        std::memcpy(out, o.data(), std::size_t{16} * *outFrames);
    } else {
        const bool pcm = input_.wFormatTag == WAVE_FORMAT_PCM;
        std::vector<float> i(inCount), o(outCount);
        std::vector<short> shorts(std::max(inCount, outCount));
        if (inCount != 0) {
            std::memcpy(pcm ? static_cast<void*>(shorts.data()) : i.data(), in,
                        inCount * (pcm ? 2 : 4));
        }
        if (pcm) Int16ToFloat(shorts.data(), i.data(), inCount);
        hr = engine_->ProcessFloat32(mode, in ? i.data() : nullptr, inFrames, o.data(), outFrames);
        if (pcm) FloatToInt16(o.data(), shorts.data(), std::size_t{2} * *outFrames);
        std::memcpy(out, pcm ? static_cast<void*>(shorts.data()) : o.data(),
                    std::size_t{pcm ? 4u : 8u} * *outFrames);
    }
    if (inFrames != nullptr) position_ += *inFrames;
    return hr;
}

HRESULT ReferenceChain::ProcessSample(bool discontinuity, REFERENCE_TIME start, const BYTE* in,
                                      DWORD frames, std::vector<BYTE>* out) {
    BeginSample(discontinuity, &start);
    std::vector<BYTE> buffer(std::size_t{output_.nBlockAlign} * frames);
    DWORD outFrames = frames;
    const HRESULT hr = Process(discontinuity ? kModeDiscontinuity : kModeContinue, in, &frames,
                               buffer.data(), &outFrames);
    out->insert(out->end(), buffer.begin(), buffer.begin() + output_.nBlockAlign * outFrames);
    return hr;
}

HRESULT ReferenceChain::RenderTail(DWORD bufferFrames, std::vector<BYTE>* out, int* buffers) {
    std::vector<BYTE> buffer(std::size_t{output_.nBlockAlign} * bufferFrames);
    for (*buffers = 0;;) {
        DWORD outFrames = bufferFrames;
        const HRESULT hr = Process(kModeTail, nullptr, nullptr, buffer.data(), &outFrames);
        if (FAILED(hr)) return hr;
        *buffers += outFrames != 0;
        out->insert(out->end(), buffer.begin(), buffer.begin() + output_.nBlockAlign * outFrames);
        if (hr == S_FALSE) return S_OK;
    }
}

std::vector<BYTE> ExpectedOutput(const WavAudio& input, int blockFrames,
                                 const std::function<void(ReferenceChain&)>& prepare) {
    ReferenceChain chain(input.format);
    if (prepare) prepare(chain);
    std::vector<BYTE> out;
    HRESULT hr = chain.Start();
    const std::int64_t frames = input.Frames();
    for (std::int64_t frame = 0; SUCCEEDED(hr) && frame < frames; frame += blockFrames) {
        const auto count = static_cast<DWORD>(std::min<std::int64_t>(blockFrames, frames - frame));
        hr = chain.ProcessSample(frame == 0, SourceTimeOfFrame(frame, input.format.nSamplesPerSec),
                                 input.data.data() + frame * input.format.nBlockAlign, count, &out);
    }
    int buffers = 0;
    if (SUCCEEDED(hr)) hr = chain.RenderTail(static_cast<DWORD>(blockFrames), &out, &buffers);
    return SUCCEEDED(hr) ? out : std::vector<BYTE>{};
}
