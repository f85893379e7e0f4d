// The generating source, the checking sink and the graph that runs a filter between them.
#include "tools/dxval/StreamFilters.h"

#include <control.h>
#include <evcode.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <random>
#include <thread>

#include "framework/BaseFilter.h"
#include "framework/BaseInputPin.h"
#include "framework/BaseOutputPin.h"
#include "framework/ComPtr.h"
#include "platform/CritSec.h"
#include "tools/dxhost/GraphRunner.h"
#include "tools/dxval/Harness.h"

namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10000000;
constexpr CLSID CLSID_DxvalSource = {
    0x5d2b8e61, 0x0c4f, 0x4a7e, {0x93, 0x1d, 0x6e, 0x52, 0xa8, 0x0b, 0x47, 0xc3}};
constexpr CLSID CLSID_DxvalSink = {
    0x9a4e13c7, 0x6b28, 0x4f05, {0x8d, 0x7e, 0x21, 0xc9, 0x3f, 0x60, 0xb5, 0x1a}};

REFERENCE_TIME FrameTime(std::int64_t frame, DWORD rate) {
    return frame * kUnitsPerSecond / static_cast<REFERENCE_TIME>(rate);
}

// The generated signal: two tones at fixed fractions of the rate (so every rate carries audio
// of the same shape) and a little noise, a function of the frame alone so that the cut into
// samples does not change it.
double Signal(std::int64_t frame, int channel, double level) {
    const double phase = static_cast<double>(frame) * (channel == 0 ? 0.0371 : 0.0113);
    std::uint32_t noise = static_cast<std::uint32_t>(frame) * 2654435761u + channel * 40503u;
    noise ^= noise >> 15;
    const double white = static_cast<double>(noise & 0xFFFF) / 32768.0 - 1.0;
    return level * (0.7 * std::sin(6.283185307179586 * phase) + 0.3 * white);
}

void WriteSample(BYTE* at, const WAVEFORMATEX& format, double value) {
    if (format.wFormatTag == WAVE_FORMAT_PCM) {
        const auto v = static_cast<std::int16_t>(std::clamp(value * 32768.0, -32768.0, 32767.0));
        std::memcpy(at, &v, sizeof v);
    } else if (format.wBitsPerSample == 32) {
        const auto v = static_cast<float>(value);
        std::memcpy(at, &v, sizeof v);
    } else {
        std::memcpy(at, &value, sizeof value);
    }
}

double ReadSample(const BYTE* at, const WAVEFORMATEX& format) {
    if (format.wFormatTag == WAVE_FORMAT_PCM) {
        std::int16_t v;
        std::memcpy(&v, at, sizeof v);
        return v / 32768.0;
    }
    if (format.wBitsPerSample == 32) {
        float v;
        std::memcpy(&v, at, sizeof v);
        return v;
    }
    double v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

HRESULT AudioMediaType(const WAVEFORMATEX& format, CMediaType* type) {
    type->InitMediaType();
    type->SetType(&MEDIATYPE_Audio);
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = format.wFormatTag;
    type->SetSubtype(&subtype);
    type->SetFormatType(&FORMAT_WaveFormatEx);
    type->SetTemporalCompression(false);
    type->SetSampleSize(format.nBlockAlign);
    return type->SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof format) ? S_OK
                                                                                  : E_OUTOFMEMORY;
}

class CGenSource;

class CGenSourcePin final : public CBaseOutputPin {
public:
    CGenSourcePin(CGenSource* source, CCritSec* lock, HRESULT* hr);
    ~CGenSourcePin() override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;
    HRESULT Active() override;
    HRESULT Inactive() override;

private:
    void Stream();
    // Bytes of the next sample: tiny, odd, partial-frame, whole-buffer or random sizes.
    long NextSampleBytes(std::mt19937& rng, long room) const;

    CGenSource* const source_;  // not counted: the filter owns the pin
    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

class CGenSource final : public CBaseFilter {
public:
    explicit CGenSource(const StreamSettings& settings)
        : CBaseFilter(L"dxval source", nullptr, &filterLock_, CLSID_DxvalSource),
          settings_(settings) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? pin_.get() : nullptr; }

    CCritSec filterLock_;
    const StreamSettings settings_;
    std::unique_ptr<CGenSourcePin> pin_;
    std::atomic<std::int64_t> framesSent_{0};
    std::atomic<long> samplesSent_{0};
    std::atomic<HRESULT> streamResult_{S_OK};
};

CGenSourcePin::CGenSourcePin(CGenSource* source, CCritSec* lock, HRESULT* hr)
    : CBaseOutputPin(L"dxval source pin", source, lock, hr, L"Output"), source_(source) {}

CGenSourcePin::~CGenSourcePin() {
    stopping_ = true;
    if (allocator_) allocator_->Decommit();
    if (thread_.joinable()) thread_.join();
}

HRESULT CGenSourcePin::CheckMediaType(const CMediaType* type) {
    CMediaType own;
    const HRESULT hr = AudioMediaType(source_->settings_.format, &own);
    if (FAILED(hr)) return hr;
    return *type == own ? S_OK : S_FALSE;
}

HRESULT CGenSourcePin::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return AudioMediaType(source_->settings_.format, type);
}

HRESULT CGenSourcePin::DecideBufferSize(IMemAllocator* allocator,
                                        ALLOCATOR_PROPERTIES* properties) {
    ALLOCATOR_PROPERTIES request = *properties;
    request.cBuffers = std::max(request.cBuffers, 4L);
    request.cbBuffer = std::max(source_->settings_.maxSampleBytes, 512L);
    request.cbAlign = std::max(request.cbAlign, 1L);
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = allocator->SetProperties(&request, &actual);
    if (FAILED(hr)) return hr;
    *properties = actual;
    return S_OK;
}

HRESULT CGenSourcePin::Active() {
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    if (thread_.joinable()) thread_.join();
    stopping_ = false;
    try {
        thread_ = std::thread(&CGenSourcePin::Stream, this);
    } catch (...) {
        CBaseOutputPin::Inactive();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CGenSourcePin::Inactive() {
    stopping_ = true;
    const HRESULT hr = CBaseOutputPin::Inactive();
    if (thread_.joinable()) thread_.join();
    return hr;
}

long CGenSourcePin::NextSampleBytes(std::mt19937& rng, long room) const {
    const long frameBytes = source_->settings_.format.nBlockAlign;
    auto pick = [&rng](long low, long high) {
        return std::uniform_int_distribution<long>(low, high)(rng);
    };
    switch (pick(0, 9)) {
        case 0:
            return pick(0, 3 * frameBytes);  // less than a frame up to a few, partial ends
        case 1:
            return room;  // a whole buffer
        case 2:
            return pick(1, room) | 1;  // odd
        case 3:
            return frameBytes * pick(1, 5) + pick(1, frameBytes - 1 > 0 ? frameBytes - 1 : 1);
        default: {
            // Sizes spread evenly over their orders of magnitude, from one byte to the buffer.
            long order = 1;
            for (long top = pick(0, 20); top > 0 && order < room; --top) order *= 2;
            return pick(1, std::min(order, room));
        }
    }
}

void CGenSourcePin::Stream() {
    const StreamSettings& settings = source_->settings_;
    const WAVEFORMATEX& format = settings.format;
    const long frameBytes = format.nBlockAlign;
    const long sampleBytes = format.wBitsPerSample / 8;
    std::mt19937 rng(settings.seed);
    std::int64_t frame = 0;
    HRESULT hr = S_OK;
    while (!stopping_) {
        if (settings.endless ? (settings.stop != nullptr && settings.stop->load())
                             : frame >= settings.frames) {
            break;
        }
        ComPtr<IMediaSample> sample;
        hr = GetDeliveryBuffer(sample.Put(), nullptr, nullptr, 0);
        if (FAILED(hr)) break;
        BYTE* buffer = nullptr;
        sample->GetPointer(&buffer);
        const long room = sample->GetSize();
        long bytes = std::min(NextSampleBytes(rng, room), room);
        std::int64_t whole = bytes / frameBytes;
        if (!settings.endless && whole >= settings.frames - frame) {
            whole = settings.frames - frame;
            bytes = static_cast<long>(whole * frameBytes);
        }
        for (std::int64_t f = 0; f < whole; ++f) {
            for (int c = 0; c < format.nChannels; ++c) {
                WriteSample(buffer + f * frameBytes + c * sampleBytes, format,
                            Signal(frame + f, c, settings.level));
            }
        }
        // The bytes of a partial frame hold a loud pattern: a filter must drop them.
        std::memset(buffer + whole * frameBytes, 0x7E, bytes - whole * frameBytes);
        sample->SetActualDataLength(bytes);
        REFERENCE_TIME start = FrameTime(frame, format.nSamplesPerSec);
        REFERENCE_TIME stop = FrameTime(frame + whole, format.nSamplesPerSec);
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(source_->samplesSent_ == 0);
        hr = Deliver(sample.Get());
        if (hr != S_OK) break;
        ++source_->samplesSent_;
        frame += whole;
        source_->framesSent_ = frame;
    }
    if (stopping_) return;
    if (FAILED(hr)) {
        source_->streamResult_ = hr;
        source_->NotifyEvent(EC_ERRORABORT, hr, 0);
    }
    DeliverEndOfStream();
}

class CCheckSink;

class CCheckSinkPin final : public CBaseInputPin {
public:
    CCheckSinkPin(CCheckSink* sink, CCritSec* lock, HRESULT* hr);
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT Active() override;

    CCritSec receiveLock_;
    WAVEFORMATEX format_ = {};  // of the connection, set by Active
    StreamReport report_;       // receive lock

private:
    CCheckSink* const sink_;  // not counted: the filter owns the pin
};

class CCheckSink final : public CBaseFilter, public IAMFilterMiscFlags {
public:
    CCheckSink() : CBaseFilter(L"dxval sink", nullptr, &filterLock_, CLSID_DxvalSink) {}
    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IAMFilterMiscFlags)) {
            return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
        }
        return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override {
        const HRESULT hr = CBaseFilter::Run(start);
        if (SUCCEEDED(hr) && complete_) SendCompletion();
        return hr;
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? pin_.get() : nullptr; }

    void EndOfStreamReached() {
        complete_ = true;
        if (State() == State_Running) SendCompletion();
    }
    void SendCompletion() {
        if (completionSent_.exchange(true)) return;
        NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
    }

    CCritSec filterLock_;
    std::unique_ptr<CCheckSinkPin> pin_;
    std::atomic<bool> complete_{false};
    std::atomic<bool> completionSent_{false};
};

CCheckSinkPin::CCheckSinkPin(CCheckSink* sink, CCritSec* lock, HRESULT* hr)
    : CBaseInputPin(L"dxval sink pin", sink, lock, hr, L"Input"), sink_(sink) {}

HRESULT CCheckSinkPin::CheckMediaType(const CMediaType* type) {
    if (!IsEqualGUID(*type->Type(), MEDIATYPE_Audio) ||
        !IsEqualGUID(*type->FormatType(), FORMAT_WaveFormatEx) || type->FormatLength() < 16) {
        return S_FALSE;
    }
    WAVEFORMATEX format = {};
    std::memcpy(&format, type->Format(), 16);
    const bool pcm16 = format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16;
    const bool real = format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT &&
                      (format.wBitsPerSample == 32 || format.wBitsPerSample == 64);
    const bool framed =
        format.nChannels > 0 && format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8;
    return (pcm16 || real) && framed && format.nSamplesPerSec > 0 ? S_OK : S_FALSE;
}

HRESULT CCheckSinkPin::Active() {
    CAutoLock receiving(&receiveLock_);
    std::memcpy(&format_, mediaType_.Format(), 16);
    report_ = StreamReport{};
    report_.outputFormat = format_;
    report_.hash = 14695981039346656037ull;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCheckSinkPin::Receive(IMediaSample* sample) {
    CAutoLock receiving(&receiveLock_);
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return E_FAIL;
    const long bytes = sample->GetActualDataLength();
    StreamReport& r = report_;
    ++r.samplesOut;
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT timed = sample->GetTime(&start, &stop);
    if ((timed == S_OK || timed == VFW_S_NO_STOP_TIME) && r.timeFault.empty()) {
        const REFERENCE_TIME expected = FrameTime(r.framesOut, format_.nSamplesPerSec);
        if (start != expected) {
            r.timeFault = "an output sample after " + std::to_string(r.framesOut) +
                          " frames starts at " + std::to_string(start) + ", expected " +
                          std::to_string(expected);
        }
    }
    if (bytes < 0 || bytes % format_.nBlockAlign != 0) {
        if (r.timeFault.empty()) {
            r.timeFault =
                "an output sample of " + std::to_string(bytes) + " bytes, not whole frames";
        }
        return S_OK;
    }
    const int sampleBytes = format_.wBitsPerSample / 8;
    for (long at = 0; at < bytes; at += sampleBytes) {
        const double v = ReadSample(data + at, format_);
        if (!std::isfinite(v)) {
            ++r.nonFinite;
        } else {
            r.peak = std::max(r.peak, std::fabs(v));
        }
    }
    for (long at = 0; at < bytes; ++at) {
        r.hash = (r.hash ^ data[at]) * 1099511628211ull;
    }
    r.framesOut += bytes / format_.nBlockAlign;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCheckSinkPin::EndOfStream() {
    CAutoLock receiving(&receiveLock_);
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    sink_->EndOfStreamReached();
    return S_OK;
}

}  // namespace

StreamReport RunStream(IBaseFilter* filter, const StreamSettings& settings,
                       const std::function<void()>& onRunning) {
    StreamReport report;
    auto fail = [&report](HRESULT hr, const std::string& what) {
        report.result = hr;
        report.error = what + ": " + HrText(hr);
        return report;
    };
    ComPtr<IGraphBuilder> graph;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IGraphBuilder, graph.PutVoid());
    if (FAILED(hr)) return fail(hr, "cannot create the filter graph manager");

    ComPtr<CGenSource> source(new (std::nothrow) CGenSource(settings));
    if (source) source->NonDelegatingAddRef();
    ComPtr<CCheckSink> sink(new (std::nothrow) CCheckSink());
    if (sink) sink->NonDelegatingAddRef();
    if (!source || !sink) return fail(E_OUTOFMEMORY, "cannot create the source or the sink");
    HRESULT pinHr = S_OK;
    source->pin_.reset(new (std::nothrow)
                           CGenSourcePin(source.Get(), &source->filterLock_, &pinHr));
    sink->pin_.reset(new (std::nothrow) CCheckSinkPin(sink.Get(), &sink->filterLock_, &pinHr));
    if (!source->pin_ || !sink->pin_) return fail(E_OUTOFMEMORY, "cannot create the pins");

    GraphMembers members(graph.Get());
    if (FAILED(hr = members.Add(source.Get(), L"Source")) ||
        FAILED(hr = members.Add(filter, L"Filter")) ||
        FAILED(hr = members.Add(sink.Get(), L"Sink"))) {
        return fail(hr, "cannot add the filters to the graph");
    }

    ComPtr<IPin> filterIn, filterOut;
    if (FAILED(hr = FindFilterPin(filter, PINDIR_INPUT, filterIn.Put())) ||
        FAILED(hr = FindFilterPin(filter, PINDIR_OUTPUT, filterOut.Put()))) {
        return fail(hr, "the filter lacks an input or an output pin");
    }
    report.connectInput = graph->ConnectDirect(source->pin_.get(), filterIn.Get(), nullptr);
    if (FAILED(report.connectInput)) {
        return fail(report.connectInput,
                    "the input pin refuses " + DescribeFormat(settings.format));
    }
    report.connectOutput = graph->ConnectDirect(filterOut.Get(), sink->pin_.get(), nullptr);
    if (FAILED(report.connectOutput)) {
        return fail(report.connectOutput, "the output pin does not connect");
    }

    const GraphCompletion run =
        RunToCompletion(graph.Get(), static_cast<LONG>(settings.timeoutMs), onRunning);
    report.run = run.run;
    if (FAILED(run.interfaces)) {
        return fail(run.interfaces, "the filter graph manager lacks its control interfaces");
    }
    if (FAILED(run.run)) return fail(run.run, "cannot run the graph");
    hr = run.wait;
    const LONG code = run.code;
    {
        CAutoLock receiving(&sink->pin_->receiveLock_);
        // What the sink saw, with the connections' and the run's answers kept.
        StreamReport received = sink->pin_->report_;
        received.connectInput = report.connectInput;
        received.connectOutput = report.connectOutput;
        received.run = report.run;
        report = received;
    }
    report.framesIn = source->framesSent_;
    report.samplesIn = source->samplesSent_;
    if (hr == E_ABORT) return fail(hr, "the stream did not complete in time");
    if (FAILED(hr)) return fail(hr, "waiting for the stream failed");
    if (FAILED(source->streamResult_)) return fail(source->streamResult_, "streaming stopped");
    if (code != EC_COMPLETE || !sink->complete_) {
        return fail(E_FAIL, "the stream ended with event " + std::to_string(code));
    }
    report.result = S_OK;
    return report;
}

WAVEFORMATEX MakeWaveFormat(WORD tag, WORD bits, WORD channels, DWORD rate) {
    WAVEFORMATEX format = {};
    format.wFormatTag = tag;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * rate;
    return format;
}

std::string DescribeFormat(const WAVEFORMATEX& format) {
    const char* sample = format.wFormatTag == WAVE_FORMAT_PCM ? "int16"
                         : format.wBitsPerSample == 32        ? "float32"
                                                              : "float64";
    return std::to_string(format.nSamplesPerSec) + " Hz " + sample +
           (format.nChannels == 1 ? " mono" : " stereo");
}
