// The engine driven as the filter drives it (see ReferenceChain.h).
#include "tests/support/ReferenceChain.h"

#include <algorithm>
#include <cstring>

#include "engine/SampleConversion.h"
#include "framework/ComPtr.h"

namespace {

// One block operation on sample bytes, which need not be aligned for the elements: 64-bit
// audio in its own precision, 16-bit through float, `in` and `inFrames` null for the tail.
HRESULT Process(CStandaloneReverb& engine, const WAVEFORMATEX& format, int mode, const BYTE* in,
                DWORD* inFrames, BYTE* out, DWORD* outFrames) {
    const std::size_t inCount = in != nullptr ? std::size_t{format.nChannels} * *inFrames : 0;
    const std::size_t outCount = std::size_t{2} * *outFrames;
    if (format.wBitsPerSample == 64) {
        std::vector<double> i(inCount), o(outCount);
        std::memcpy(i.data(), in, inCount * 8);
        const HRESULT hr =
            engine.ProcessFloat64(mode, in ? i.data() : nullptr, inFrames, o.data(), outFrames);
        std::memcpy(out, o.data(), std::size_t{16} * *outFrames);
        return hr;
    }
    const bool pcm = format.wFormatTag == WAVE_FORMAT_PCM;
    std::vector<float> i(inCount), o(outCount);
    std::vector<short> shorts(std::max(inCount, outCount));
    std::memcpy(pcm ? static_cast<void*>(shorts.data()) : i.data(), in, inCount * (pcm ? 2 : 4));
    if (pcm) Int16ToFloat(shorts.data(), i.data(), inCount);
    const HRESULT hr =
        engine.ProcessFloat32(mode, in ? i.data() : nullptr, inFrames, o.data(), outFrames);
    if (pcm) FloatToInt16(o.data(), shorts.data(), std::size_t{2} * *outFrames);
    std::memcpy(out, pcm ? static_cast<void*>(shorts.data()) : o.data(),
                std::size_t{pcm ? 4u : 8u} * *outFrames);
    return hr;
}

}  // namespace

std::vector<BYTE> ExpectedOutput(const WavAudio& input, int blockFrames,
                                 const PrepareEngine& prepare, int bufferFrames) {
    const WAVEFORMATEX& f = input.format;
    const WAVEFORMATEX in = CStandaloneReverb::MakeFormat(f.wFormatTag, f.wBitsPerSample,
                                                          f.nChannels, f.nSamplesPerSec);
    const WAVEFORMATEX out =
        CStandaloneReverb::MakeFormat(f.wFormatTag, f.wBitsPerSample, 2, f.nSamplesPerSec);
    HRESULT hr = S_OK;
    ComPtr<CStandaloneReverb> engine(new CStandaloneReverb(&hr, &CMediaParams::Create));
    engine->SetFormats(in, out);
    auto& automation = *static_cast<CMediaParams*>(engine->Automation());
    automation.SetSampleRate(static_cast<int>(f.nSamplesPerSec));
    if (prepare) prepare(*engine.Get(), automation);
    if (SUCCEEDED(hr)) hr = engine->StartStreaming();

    const DWORD buffer = static_cast<DWORD>(bufferFrames > 0 ? bufferFrames : blockFrames);
    std::vector<BYTE> result, chunk(std::size_t{out.nBlockAlign} * buffer);
    const auto keep = [&](DWORD frames) {
        result.insert(result.end(), chunk.begin(), chunk.begin() + out.nBlockAlign * frames);
    };
    const std::int64_t frames = input.Frames();
    for (std::int64_t frame = 0; SUCCEEDED(hr) && frame < frames; frame += blockFrames) {
        // The clock stands at the sample's first frame, re-based or counted.
        automation.UpdateToSamplePosition(frame);
        const auto count = static_cast<DWORD>(std::min<std::int64_t>(blockFrames, frames - frame));
        int mode = frame == 0 ? kModeDiscontinuity : kModeContinue;
        for (DWORD done = 0; SUCCEEDED(hr) && done < count; mode = kModeContinue) {
            DWORD inFrames = count - done, outFrames = buffer;
            hr = Process(*engine.Get(), in, mode, &input.data[(frame + done) * in.nBlockAlign],
                         &inFrames, chunk.data(), &outFrames);
            keep(outFrames);
            done += inFrames;
            if (inFrames == 0) hr = E_FAIL;
        }
    }
    for (HRESULT tail = S_OK; SUCCEEDED(hr) && tail == S_OK;) {
        DWORD outFrames = buffer;
        tail = hr =
            Process(*engine.Get(), in, kModeTail, nullptr, nullptr, chunk.data(), &outFrames);
        keep(outFrames);
    }
    engine->ReleaseBuffers();
    return SUCCEEDED(hr) ? result : std::vector<BYTE>{};
}
