// The reverb engine outside any graph, driven as the filter drives it, for the output the filter
// must deliver bit for bit: a CStandaloneReverb with an automation object of its own, the
// stream's formats (the output always stereo), the automation clock moved once per input media
// sample, and 16-bit samples converted to float and back around the 32-bit block operation.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/StandaloneReverb.h"
#include "host/MediaParams.h"
#include "tools/dxhost/WavFile.h"

class ReferenceChain {
public:
    explicit ReferenceChain(const WAVEFORMATEX& input);
    ~ReferenceChain();
    ReferenceChain(const ReferenceChain&) = delete;
    ReferenceChain& operator=(const ReferenceChain&) = delete;

    CStandaloneReverb& Engine() const { return *engine_; }
    CMediaParams& Automation() const { return *static_cast<CMediaParams*>(engine_->Automation()); }
    // Allocates the delay memories, as the filter does when the graph leaves the stopped state.
    HRESULT Start() { return engine_->StartStreaming(); }

    // The start of one input media sample: a discontinuity with a start time re-bases the clock
    // (frames = start x rate / 10 000 000), then every envelope is evaluated at the clock.
    void BeginSample(bool discontinuity, const REFERENCE_TIME* start);
    // One block operation on sample bytes; `in` and `inFrames` null in mode 2. The clock counts
    // the consumed input frames.
    HRESULT Process(int mode, const BYTE* in, DWORD* inFrames, BYTE* out, DWORD* outFrames);
    // One input sample into one output buffer that holds it, as Receive runs it; appends.
    HRESULT ProcessSample(bool discontinuity, REFERENCE_TIME start, const BYTE* in, DWORD frames,
                          std::vector<BYTE>* out);
    // The tail in buffers of `bufferFrames` until the engine reports its end; appends the output
    // and counts the buffers that carried any.
    HRESULT RenderTail(DWORD bufferFrames, std::vector<BYTE>* out, int* buffers);

private:
    CStandaloneReverb* engine_;  // one reference
    WAVEFORMATEX input_, output_;
    std::int64_t position_ = 0;
};

// What the filter delivers for `input` pushed in media samples of `blockFrames` (the first a
// discontinuity at 0, each stamped with its first frame's time) into output buffers of as many
// frames, then the tail in such buffers. `prepare` sets the engine up before streaming starts.
// Empty when the engine fails.
std::vector<BYTE> ExpectedOutput(const WavAudio& input, int blockFrames,
                                 const std::function<void(ReferenceChain&)>& prepare = {});

// The time the WAV source stamps on the sample starting at `frame`.
inline REFERENCE_TIME SourceTimeOfFrame(std::int64_t frame, DWORD rate) {
    return frame * 10000000 / rate;
}
