// Runs one effect filter over a WAV file in a graph of the platform's filter graph manager, as
// an audio application hosting a DirectX plug-in does: our WAV source, the filter, our WAV
// sink, connected directly, run until the stream completes. Used by dxhost and the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "tools/dxhost/WavFile.h"

struct GraphRunOptions {
    int blockFrames = 4096;  // frames per media sample from the source
    LONG timeoutMs = -1;     // for the completion; -1 waits for ever (INFINITE)
};

struct GraphRunResult {
    WAVEFORMATEX outputFormat = {};  // of the sink's connection
    std::uint64_t bytesWritten = 0;  // sample bytes in the output file
    LONG samplesDelivered = 0;       // media samples the source delivered
};

// Streams `input` through `filter` into a WAV file at `outputPath`. S_OK once the sink has
// finished the file at end of stream; otherwise the failure, with a one-line *error saying
// which step failed (connecting either side, running, streaming, writing). COM must be
// initialised on the calling thread. The filter leaves the graph before this returns.
HRESULT RunFilterGraph(IBaseFilter* filter, const WavAudio& input, const std::string& outputPath,
                       const GraphRunOptions& options, GraphRunResult* result, std::string* error);

// What each step of running a connected graph to the end of its stream answered.
struct GraphCompletion {
    HRESULT interfaces = E_FAIL;  // the graph manager's IMediaControl and IMediaEvent
    HRESULT run = E_FAIL;         // IMediaControl::Run: the filters' start of streaming
    HRESULT wait = E_FAIL;        // WaitForCompletion; E_ABORT when the time ran out
    LONG code = 0;                // the event that ended the wait
};

// Runs a connected graph without a clock (nothing renders to a device, so it runs as fast as it
// can), calls onRunning once it runs, waits up to timeoutMs (-1: for ever) for the stream to
// complete and stops it again; a Run that fails is followed by Stop at once.
GraphCompletion RunToCompletion(IGraphBuilder* graph, LONG timeoutMs,
                                const std::function<void()>& onRunning = {});

// Filters added to a graph for a run, stopped and taken out again when this goes, whatever
// happened; the graph and the filters outlive it.
class GraphMembers {
public:
    explicit GraphMembers(IGraphBuilder* graph) : graph_(graph) {}
    ~GraphMembers();
    GraphMembers(const GraphMembers&) = delete;
    GraphMembers& operator=(const GraphMembers&) = delete;

    // The graph's AddFilter, remembering the filter when it joins.
    HRESULT Add(IBaseFilter* filter, const WCHAR* name);

private:
    static constexpr int kMaxMembers = 4;
    IGraphBuilder* graph_;
    IBaseFilter* filters_[kMaxMembers] = {};
    int count_ = 0;
};

// The first pin of a filter with the given direction, with one reference: VFW_E_NOT_FOUND.
HRESULT FindFilterPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);

// "text of the error (0x80040207)", with the platform's DirectShow error text where it has
// one, else the system's, else only the number.
std::string DescribeHResult(HRESULT hr);
