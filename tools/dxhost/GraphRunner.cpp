// The host program's graph: source, effect, sink.
#include "tools/dxhost/GraphRunner.h"

#include <control.h>
#include <errors.h>
#include <evcode.h>

#include <cstdio>
#include <cstring>

#include "framework/ComPtr.h"
#include "tools/dxhost/WavSinkFilter.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

std::string TrimmedLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

GraphCompletion RunToCompletion(IGraphBuilder* graph, LONG timeoutMs,
                                const std::function<void()>& onRunning) {
    GraphCompletion result;
    ComPtr<IMediaFilter> graphFilter;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaFilter, graphFilter.PutVoid()))) {
        graphFilter->SetSyncSource(nullptr);
    }
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    result.interfaces = graph->QueryInterface(IID_IMediaControl, control.PutVoid());
    if (SUCCEEDED(result.interfaces)) {
        result.interfaces = graph->QueryInterface(IID_IMediaEvent, events.PutVoid());
    }
    if (FAILED(result.interfaces)) return result;
    result.run = control->Run();
    if (FAILED(result.run)) {
        control->Stop();
        return result;
    }
    if (onRunning) onRunning();
    result.wait = events->WaitForCompletion(timeoutMs, &result.code);
    control->Stop();
    return result;
}

GraphMembers::~GraphMembers() {
    // A Run that fails leaves the filters it had paused paused while the graph manager counts
    // itself stopped (so its Stop does nothing), and a paused filter's pins cannot disconnect:
    // each filter is stopped itself first.
    for (int k = 0; k < count_; ++k) filters_[k]->Stop();
    for (int k = 0; k < count_; ++k) graph_->RemoveFilter(filters_[k]);
}

HRESULT GraphMembers::Add(IBaseFilter* filter, const WCHAR* name) {
    if (count_ == kMaxMembers) return E_OUTOFMEMORY;
    const HRESULT hr = graph_->AddFilter(filter, name);
    if (SUCCEEDED(hr)) filters_[count_++] = filter;
    return hr;
}

std::string DescribeHResult(HRESULT hr) {
    char number[16];
    std::snprintf(number, sizeof(number), "0x%08lX", static_cast<unsigned long>(hr));
    std::string described;
    // The failures a host meets most, in words of our own: not every platform's DirectShow
    // carries their texts.
    static const struct {
        HRESULT hr;
        const char* text;
    } kKnown[] = {
        {VFW_E_NO_ACCEPTABLE_TYPES, "no media type could be agreed"},
        {VFW_E_TYPE_NOT_ACCEPTED, "the media type is not accepted"},
        {VFW_E_INVALIDMEDIATYPE, "invalid media type"},
        {VFW_E_NOT_CONNECTED, "the pin is not connected"},
        {VFW_E_NO_ALLOCATOR, "no allocator"},
        {VFW_E_NOT_COMMITTED, "the allocator is not committed"},
        {VFW_E_RUNTIME_ERROR, "a run-time error occurred"},
        {VFW_E_WRONG_STATE, "the operation is not allowed in this state"},
        {REGDB_E_CLASSNOTREG, "class not registered"},
        {E_OUTOFMEMORY, "out of memory"},
        {E_FAIL, "unspecified failure"},
        {E_UNEXPECTED, "unexpected failure"},
    };
    for (const auto& known : kKnown) {
        if (known.hr == hr) described = known.text;
    }
    char text[MAX_ERROR_TEXT_LEN] = {};
    if (described.empty() && AMGetErrorTextA(hr, text, MAX_ERROR_TEXT_LEN) != 0) {
        described = TrimmedLine(text);
        // A text that only repeats the number says nothing.
        if (described.find("0x") != std::string::npos) described.clear();
    }
    if (described.empty() &&
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(hr), 0, text, sizeof(text), nullptr) != 0) {
        described = TrimmedLine(text);
    }
    return described.empty() ? number : described + " (" + number + ")";
}

HRESULT FindFilterPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
    if (filter == nullptr || pin == nullptr) return E_POINTER;
    *pin = nullptr;
    ComPtr<IEnumPins> pins;
    HRESULT hr = filter->EnumPins(pins.Put());
    if (FAILED(hr)) return hr;
    for (;;) {
        ComPtr<IPin> candidate;
        if (pins->Next(1, candidate.Put(), nullptr) != S_OK) break;
        PIN_DIRECTION found;
        if (SUCCEEDED(candidate->QueryDirection(&found)) && found == direction) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT RunFilterGraph(IBaseFilter* filter, const WavAudio& input, const std::string& outputPath,
                       const GraphRunOptions& options, GraphRunResult* result, std::string* error) {
    *result = GraphRunResult{};
    auto fail = [error](HRESULT hr, const std::string& what) {
        *error = what + ": " + DescribeHResult(hr);
        return hr;
    };

    ComPtr<IGraphBuilder> graph;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IGraphBuilder, graph.PutVoid());
    if (FAILED(hr)) return fail(hr, "cannot create the filter graph manager");

    ComPtr<CWavSourceFilter> source;
    hr = CWavSourceFilter::Create(input, options.blockFrames, source.Put());
    if (FAILED(hr)) return fail(hr, "cannot create the WAV source");
    ComPtr<CWavSinkFilter> sink;
    hr = CWavSinkFilter::Create(outputPath, sink.Put());
    if (FAILED(hr)) return fail(hr, "cannot create the WAV sink");

    GraphMembers members(graph.Get());
    if (FAILED(hr = members.Add(source.Get(), L"WAV Source")) ||
        FAILED(hr = members.Add(filter, L"Effect")) ||
        FAILED(hr = members.Add(sink.Get(), L"WAV Sink"))) {
        return fail(hr, "cannot add the filters to the graph");
    }

    ComPtr<IPin> sourceOut, effectIn, effectOut, sinkIn;
    if (FAILED(hr = FindFilterPin(filter, PINDIR_INPUT, effectIn.Put())) ||
        FAILED(hr = FindFilterPin(filter, PINDIR_OUTPUT, effectOut.Put()))) {
        return fail(hr, "the filter lacks an input or an output pin");
    }
    FindFilterPin(source.Get(), PINDIR_OUTPUT, sourceOut.Put());
    FindFilterPin(sink.Get(), PINDIR_INPUT, sinkIn.Put());

    hr = graph->ConnectDirect(sourceOut.Get(), effectIn.Get(), nullptr);
    if (FAILED(hr)) {
        return fail(hr, "the filter does not take " + DescribeWaveFormat(input.format));
    }
    hr = graph->ConnectDirect(effectOut.Get(), sinkIn.Get(), nullptr);
    if (FAILED(hr)) return fail(hr, "the filter's output cannot be written to a WAV file");
    std::memcpy(&result->outputFormat, sink->GetPin(0)->CurrentMediaType().Format(), 16);

    const GraphCompletion run = RunToCompletion(graph.Get(), options.timeoutMs);
    if (FAILED(run.interfaces)) {
        return fail(run.interfaces, "the filter graph manager lacks its control interfaces");
    }
    if (FAILED(run.run)) {
        return fail(run.run,
                    "the filter cannot start streaming " + DescribeWaveFormat(input.format));
    }
    hr = run.wait;
    const LONG code = run.code;

    result->bytesWritten = sink->BytesWritten();
    result->samplesDelivered = source->SamplesDelivered();
    if (hr == E_ABORT) return fail(hr, "the stream did not complete in time");
    if (FAILED(hr)) return fail(hr, "waiting for the stream failed");
    if (FAILED(source->StreamResult())) {
        return fail(source->StreamResult(), "streaming stopped");
    }
    if (FAILED(sink->WriteResult())) return fail(sink->WriteResult(), "cannot write " + outputPath);
    if (code != EC_COMPLETE || !sink->IsComplete()) {
        return fail(E_FAIL,
                    "the stream ended without completing (event " + std::to_string(code) + ")");
    }
    error->clear();
    return S_OK;
}
