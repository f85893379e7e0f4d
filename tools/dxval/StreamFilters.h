// The validator's own graph ends: a source that generates audio in any wave format and cuts it
// into media samples of random sizes (odd sizes, partial frames, very small and very large),
// and a sink that checks what arrives (finite samples, whole frames, continuous stream times)
// and counts it. RunStream puts a filter between the two in the platform's filter graph
// manager and runs it to the end. Used by the format, parameter and editor checks.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"

struct StreamSettings {
    WAVEFORMATEX format = {};     // of the source: PCM 16-bit or IEEE float 32/64-bit
    std::int64_t frames = 0;      // whole frames the source sends; ignored while `endless`
    long maxSampleBytes = 65536;  // the source's buffer size (at least 512)
    std::uint32_t seed = 1;       // of the sample sizes and the signal
    bool endless = false;         // sends until *stop is set
    const std::atomic<bool>* stop = nullptr;
    double level = 0.5;       // peak of the generated signal, full scale 1.0
    DWORD timeoutMs = 60000;  // for the stream to complete
};

struct StreamReport {
    HRESULT connectInput = E_FAIL;           // source to filter
    HRESULT connectOutput = E_FAIL;          // filter to sink
    HRESULT run = E_FAIL;                    // the graph's Run: the start of streaming
    HRESULT result = E_FAIL;                 // the run as a whole (S_OK: completed)
    std::string error;                       // what went wrong, one line
    std::int64_t framesIn = 0;               // whole frames the source sent
    std::int64_t framesOut = 0;              // frames the sink received
    std::int64_t framesBeforeLastInput = 0;  // output frames up to the end of the input's time
    long samplesIn = 0;
    long samplesOut = 0;
    double peak = 0;             // largest absolute output sample
    std::int64_t nonFinite = 0;  // NaN or infinite output samples
    std::string timeFault;       // first discontinuity of the stream times, if any
    std::uint64_t hash = 0;      // of all output bytes
    WAVEFORMATEX outputFormat = {};
};

// Streams through `filter` in a new graph; `onRunning` (if given) runs on the calling thread
// once the graph runs, before waiting for completion. COM must be initialised.
StreamReport RunStream(IBaseFilter* filter, const StreamSettings& settings,
                       const std::function<void()>& onRunning = {});

// A wave format record: tag 1 (PCM) or 3 (IEEE float).
WAVEFORMATEX MakeWaveFormat(WORD tag, WORD bits, WORD channels, DWORD rate);
// "44100 Hz float32 stereo".
std::string DescribeFormat(const WAVEFORMATEX& format);
