// The reverb engine outside any graph, driven the way the filter drives it, for the outputs the
// filter must deliver: a CStandaloneReverb with an automation object of its own, the stream's
// formats (the output always stereo), the automation clock moved once per input media sample,
// and 16-bit samples converted to float (s / 32768) and back (trunc(v x 32768), clamped)
// around the 32-bit block operation.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/StandaloneReverb.h"
#include "host/MediaParams.h"
#include "platform/Platform.h"
#include "tools/dxhost/WavFile.h"

class ReferenceChain {
public:
    explicit ReferenceChain(const WAVEFORMATEX& input);
    ~ReferenceChain();
    ReferenceChain(const ReferenceChain&) = delete;
    ReferenceChain& operator=(const ReferenceChain&) = delete;

    // The engine and its automation object were made.
    bool IsValid() const { return engine_ != nullptr && engine_->Automation() != nullptr; }
    CStandaloneReverb& Engine() const { return *engine_; }
    CMediaParams& Automation() const;
    const WAVEFORMATEX& InputFormat() const { return input_; }
    const WAVEFORMATEX& OutputFormat() const { return output_; }

    // Allocates the delay memories, as the filter does when the graph leaves the stopped state.
    HRESULT Start();

    // The start of one input media sample: a discontinuity with a start time re-bases the clock
    // (frames = start x rate / 10 000 000), then every envelope is evaluated at the clock.
    void BeginSample(bool discontinuity, const REFERENCE_TIME* start);
    // One block operation on sample bytes in the stream's formats; `in` and `inFrames` null in
    // mode 2. The counts come back as the engine reports them; the clock counts the consumed
    // input frames.
    HRESULT Process(int mode, const BYTE* in, DWORD* inFrames, BYTE* out, DWORD* outFrames);
    // One whole input sample into one output buffer that holds it, as Receive runs it (mode 0
    // for a discontinuity, else 1); appends the output bytes to *out.
    HRESULT ProcessSample(bool discontinuity, REFERENCE_TIME start, const BYTE* in, DWORD frames,
                          std::vector<BYTE>* out);
    // After end of stream: the tail in buffers of `bufferFrames` until the engine reports its
    // end; appends the output to *out and counts the buffers that carried any in *buffers.
    HRESULT RenderTail(DWORD bufferFrames, std::vector<BYTE>* out, int* buffers);

    std::int64_t Position() const { return position_; }

private:
    CStandaloneReverb* engine_ = nullptr;  // one reference
    WAVEFORMATEX input_;
    WAVEFORMATEX output_;
    std::int64_t position_ = 0;
};

// What the filter delivers for `input` pushed by the WAV source in media samples of
// `blockFrames` (the first a discontinuity at time 0, each stamped with its first frame's
// time) into output buffers of as many frames, followed by the tail in such buffers when the
// Tail switch is on. `prepare` sets the engine up before streaming starts (settings, the Tail
// switch, envelopes). Empty when the engine cannot be made.
std::vector<BYTE> ExpectedOutput(const WavAudio& input, int blockFrames,
                                 const std::function<void(ReferenceChain&)>& prepare = {});

// The media sample times the WAV source stamps on the sample starting at `frame`.
REFERENCE_TIME SourceTimeOfFrame(std::int64_t frame, DWORD rate);
