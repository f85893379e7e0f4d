// The reverb filter made in the test program between the test source and the capture sink,
// pins connected without a graph, in lifecycle order: the types it takes, checks and proposes,
// the format records and buffers its connections leave, a new input type with the output
// connected, then the receive path with samples handed to its input pin: refusals, times and
// flags, a sample split over several buffers, a partial frame, the 16-bit conversion, the tail
// and the automation clock. Every output is compared with the engine's own, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "engine/ParameterTable.h"
#include "framework/Module.h"
#include "tests/support/ComTestHarness.h"
#include "tests/support/FilterDoubles.h"
#include "tests/support/ReferenceChain.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;

CMediaType Pcm16(WORD channels, DWORD rate) {
    return AudioType(WAVE_FORMAT_PCM, 16, channels, rate);
}
CMediaType Float(WORD bits, WORD channels, DWORD rate) {
    return AudioType(WAVE_FORMAT_IEEE_FLOAT, bits, channels, rate);
}
// 16-bit stereo 44.1 kHz with one thing changed: 0 no sub and format type, 1 video, 2 temporal
// compression, 3 a 15-byte format block, 4 none, 5 a 22-byte one with cbSize 4.
CMediaType Odd(int change) {
    CMediaType type = Pcm16(2, 44100);
    if (change == 0) type.SetSubtype(&GUID_NULL), type.SetFormatType(&GUID_NULL);
    if (change == 1) type.SetType(&MEDIATYPE_Video);
    if (change == 2) type.SetTemporalCompression(true);
    if (change == 3) type.cbFormat = 15;
    if (change == 4) type.ResetFormatBuffer();
    if (change == 5) type.ReallocFormatBuffer(22), WaveFormat(type)->cbSize = 4;
    return type;
}

// `frames` frames of the test audio in the type's format, from frame `offset`.
std::vector<BYTE> AudioBytes(const CMediaType& type, int frames, int offset = 0) {
    const WAVEFORMATEX* f = WaveFormat(type);
    const WavAudio audio = MakeTestAudio(f->wFormatTag, f->wBitsPerSample, f->nChannels,
                                         f->nSamplesPerSec, frames + offset);
    return std::vector<BYTE>(audio.data.begin() + offset * f->nBlockAlign, audio.data.end());
}

class ReverbFilter : public ::testing::Test {
protected:
    void SetUp() override {
        filter_ = CreateLocalFilter();
        ASSERT_TRUE(filter_);
        input_ = filter_->GetPin(0);
        output_ = filter_->GetPin(1);
    }
    void TearDown() override {
        StopAll();
        if (source_) source_->GetPin(0)->Disconnect();
        for (CBasePin* pin : {input_, output_, sink_->GetPin(0)}) pin->Disconnect();
        EXPECT_EQ(1u, RefCount(AsFilter(filter_.Get()))) << "disconnected, only the test holds it";
        source_.Reset();
        filter_.Reset();
        sink_.Reset();
        EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
    }
    // A new source presenting `type`, asking for buffers of `bytes`, connected to the input.
    HRESULT ConnectSource(const CMediaType& type, long bytes, long align = 1, long prefix = 0) {
        StopAll();
        if (source_) source_->GetPin(0)->Disconnect();
        input_->Disconnect();
        source_ = ComPtr<CTestSource>(new CTestSource(type, {3, bytes, align, prefix}));
        return source_->GetPin(0)->Connect(input_, nullptr);
    }
    HRESULT ConnectSink() {
        output_->Disconnect();
        sink_->GetPin(0)->Disconnect();
        return output_->Connect(sink_->GetPin(0), nullptr);
    }
    HRESULT Connect(const CMediaType& type, long bytes) {
        StopAll();
        output_->Disconnect();
        HRESULT hr = ConnectSource(type, bytes);
        if (SUCCEEDED(hr)) hr = ConnectSink();
        if (SUCCEEDED(hr)) hr = PauseAll();
        sink_->Clear();
        return hr;
    }
    HRESULT PauseAll() {
        HRESULT hr = sink_->Pause();
        if (SUCCEEDED(hr)) hr = filter_->Pause();
        return SUCCEEDED(hr) && source_ ? source_->Pause() : hr;
    }
    HRESULT StopAll() {
        if (source_) source_->Stop();
        const HRESULT hr = filter_->Stop();
        sink_->Stop();
        return hr;
    }
    HRESULT Deliver(IMediaSample* sample) {
        ComPtr<IMemInputPin> transport;
        const HRESULT hr = input_->QueryInterface(IID_IMemInputPin, transport.PutVoid());
        return FAILED(hr) ? hr : transport->Receive(sample);
    }
    IHqPlugInProp* Engine() const { return filter_.Get(); }
    ComPtr<IMediaParams> Params() {
        ComPtr<IMediaParams> params;
        EXPECT_EQ(S_OK,
                  AsFilter(filter_.Get())->QueryInterface(IID_IMediaParams, params.PutVoid()));
        return params;
    }
    static ComPtr<IMemAllocator> Allocator() {
        ComPtr<IMemAllocator> allocator;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IMemAllocator, allocator.PutVoid()));
        return allocator;
    }
    ALLOCATOR_PROPERTIES OutputBuffers() {
        ALLOCATOR_PROPERTIES props = {};
        if (IMemAllocator* allocator = static_cast<CBaseOutputPin*>(output_)->Allocator()) {
            allocator->GetProperties(&props);
        }
        return props;
    }

    ComPtr<CHqPlugIn> filter_;
    ComPtr<CTestSource> source_;
    ComPtr<CCaptureSink> sink_{new CCaptureSink};
    SamplePool pool_;
    CBasePin *input_ = nullptr, *output_ = nullptr;  // the filter's, not counted
};

TEST_F(ReverbFilter, InputTypes) {
    const CMediaType stereo = Pcm16(2, 44100);
    const struct {
        const char* label;
        CMediaType type;
        HRESULT expected;
    } kCases[] = {
        {"16-bit mono", Pcm16(1, 44100), S_OK},
        {"16-bit stereo, any rate", Pcm16(2, 8000), S_OK},
        {"float32 mono", Float(32, 1, 44100), S_OK},
        {"float64 stereo", Float(64, 2, 192000), S_OK},
        {"sub and format type not examined", Odd(0), S_OK},
        {"8-bit", AudioType(WAVE_FORMAT_PCM, 8, 2, 44100), E_INVALIDARG},
        {"24-bit", AudioType(WAVE_FORMAT_PCM, 24, 2, 44100), E_INVALIDARG},
        {"32-bit integer", AudioType(WAVE_FORMAT_PCM, 32, 2, 44100), E_INVALIDARG},
        {"3 channels", Pcm16(3, 44100), E_INVALIDARG},
        {"no channels", Pcm16(0, 44100), E_INVALIDARG},
        {"16-bit float", Float(16, 2, 44100), E_INVALIDARG},
        {"extensible", AudioType(WAVE_FORMAT_EXTENSIBLE, 16, 2, 44100), E_INVALIDARG},
        {"video", Odd(1), E_INVALIDARG},
        {"compressed", Odd(2), E_INVALIDARG},
        {"15-byte format", Odd(3), E_INVALIDARG},
        {"no format", Odd(4), E_INVALIDARG},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, filter_->CheckInputType(&c.type));
        EXPECT_EQ(c.expected, filter_->InputPin()->CheckMediaType(&c.type));
        EXPECT_EQ(c.expected == S_OK ? S_OK : S_FALSE, input_->QueryAccept(&c.type));
    }
    EXPECT_EQ(E_POINTER, filter_->CheckInputType(nullptr));
    EXPECT_EQ(S_FALSE, output_->QueryAccept(&stereo)) << "nothing while the input is unconnected";

    const struct {
        const char* label;
        CMediaType input, output;
        HRESULT expected;
    } kTransforms[] = {
        {"stereo to stereo", stereo, stereo, S_OK},
        {"mono to stereo", Pcm16(1, 44100), stereo, S_OK},
        {"float64 mono to stereo", Float(64, 1, 96000), Float(64, 2, 96000), S_OK},
        {"another rate", stereo, Pcm16(2, 48000), E_INVALIDARG},
        {"another format", stereo, Float(16, 2, 44100), E_INVALIDARG},
        {"another depth", Float(64, 2, 44100), Float(32, 2, 44100), E_INVALIDARG},
        {"mono output", stereo, Pcm16(1, 44100), E_INVALIDARG},
        {"3-channel output", stereo, Pcm16(3, 44100), E_INVALIDARG},
        {"video output", stereo, Odd(1), E_INVALIDARG},
        {"compressed output", stereo, Odd(2), E_INVALIDARG},
        {"compressed input", Odd(2), stereo, E_INVALIDARG},
        {"short output format", stereo, Odd(3), E_INVALIDARG},
    };
    for (const auto& c : kTransforms) {
        EXPECT_EQ(c.expected, filter_->CheckTransform(&c.input, &c.output)) << c.label;
    }
    EXPECT_EQ(E_POINTER, filter_->CheckTransform(nullptr, &stereo));
    EXPECT_EQ(E_POINTER, filter_->CheckTransform(&stereo, nullptr));
}

TEST_F(ReverbFilter, TheOutputTypeIsTheInputTypeInStereo) {
    CMediaType proposed;
    EXPECT_EQ(E_POINTER, filter_->GetMediaType(0, nullptr));
    for (int position : {0, -1, 1})
        EXPECT_EQ(E_UNEXPECTED, filter_->GetMediaType(position, &proposed));
    const struct {
        CMediaType input;
        WORD blockAlign;
        DWORD bytesPerSecond;
    } kCases[] = {
        {Pcm16(1, 44100), 4, 176400},
        {Pcm16(2, 22050), 4, 88200},
        {Float(32, 1, 96000), 8, 768000},
        {Float(64, 2, 48000), 16, 768000},
        {Odd(5), 4, 176400},
    };
    for (const auto& c : kCases) {
        ASSERT_EQ(S_OK, ConnectSource(c.input, 4096));
        const HRESULT answers[] = {
            filter_->GetMediaType(-1, &proposed), filter_->GetMediaType(1, &proposed),
            filter_->GetMediaType(2, &proposed), filter_->GetMediaType(0, nullptr),
            filter_->GetMediaType(0, &proposed)};
        const HRESULT expected[] = {E_INVALIDARG, VFW_S_NO_MORE_ITEMS, VFW_S_NO_MORE_ITEMS,
                                    E_POINTER, S_OK};
        EXPECT_TRUE(std::equal(answers, answers + 5, expected)) << c.input.cbFormat;
        CMediaType stereo = c.input;
        WAVEFORMATEX* format = WaveFormat(stereo);
        format->nChannels = 2;
        format->nBlockAlign = c.blockAlign;
        format->nAvgBytesPerSec = c.bytesPerSecond;
        format->cbSize = 0;
        EXPECT_TRUE(stereo == proposed) << "the whole format block";
        EXPECT_TRUE(IsEqualGUID(c.input.subtype, proposed.subtype));
        ComPtr<IEnumMediaTypes> types;  // the output pin proposes that type, and only that
        AM_MEDIA_TYPE* listed[2] = {};
        ULONG count = 0;
        ASSERT_EQ(S_OK, output_->EnumMediaTypes(types.Put()));
        EXPECT_EQ(S_FALSE, types->Next(2, listed, &count));
        ASSERT_EQ(1u, count);
        EXPECT_TRUE(CMediaType(*listed[0]) == proposed);
        DeleteMediaType(listed[0]);
        EXPECT_EQ(S_OK, output_->QueryAccept(&proposed));
    }
}

TEST_F(ReverbFilter, ConnectionsFillTheFormatRecordsAndSizeTheOutputBuffers) {
    WAVEFORMATEX record = {};
    record.nSamplesPerSec = 7;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Engine()->GetWaveFormat(&record, 0));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Engine()->GetWaveFormat(&record, 1));
    EXPECT_EQ(7u, record.nSamplesPerSec) << "untouched";

    CMediaType input = Float(32, 1, 96000);
    WaveFormat(input)->nAvgBytesPerSec = 12345;  // recomputed
    ASSERT_EQ(S_OK, ConnectSource(input, 4096));
    ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 0));
    const WAVEFORMATEX inRecord = {WAVE_FORMAT_IEEE_FLOAT, 1, 96000, 384000, 4, 32, 0};
    EXPECT_EQ(0, std::memcmp(&inRecord, &record, sizeof record));
    EXPECT_EQ(96000, static_cast<CMediaParams*>(filter_->Automation())->SampleRate());
    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 1));
    const WAVEFORMATEX outRecord = {WAVE_FORMAT_IEEE_FLOAT, 2, 96000, 768000, 8, 32, 0};
    EXPECT_EQ(0, std::memcmp(&outRecord, &record, sizeof record));
    EXPECT_TRUE(sink_->GetPin(0)->CurrentMediaType() == output_->CurrentMediaType());

    // Output buffers follow the upstream ones in count, alignment and prefix, doubled in size
    // for mono input, and no smaller than 512 bytes.
    const struct {
        CMediaType input;
        long upstream, granted;
        HRESULT connected;
    } kCases[] = {
        {Pcm16(1, 44100), 4096, 8192, S_OK},     {Pcm16(2, 44100), 4096, 4096, S_OK},
        {Float(32, 1, 48000), 1008, 2016, S_OK}, {Float(64, 2, 96000), 16384, 16384, S_OK},
        {Pcm16(1, 44100), 256, 512, S_OK},       {Pcm16(1, 44100), 240, 480, E_FAIL},
        {Pcm16(2, 44100), 496, 496, E_FAIL},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.upstream << " bytes upstream");
        output_->Disconnect();
        ASSERT_EQ(S_OK, ConnectSource(c.input, c.upstream, 16, 8));
        EXPECT_EQ(c.connected, ConnectSink());
        const ALLOCATOR_PROPERTIES got = OutputBuffers();  // all zero when not connected
        const long ok = c.connected == S_OK;
        EXPECT_EQ((std::vector<long>{3 * ok, c.granted * ok, 16 * ok, 8 * ok}),
                  (std::vector<long>{got.cBuffers, got.cbBuffer, got.cbAlign, got.cbPrefix}));
        ALLOCATOR_PROPERTIES props = {1, 100000, 1, 0};  // asked with an allocator of its own
        EXPECT_EQ(c.connected, filter_->DecideBufferSize(Allocator().Get(), &props));
        EXPECT_EQ((std::vector<long>{3, c.granted}),
                  (std::vector<long>{props.cBuffers, props.cbBuffer}))
            << "the granted properties come back";
    }
    output_->Disconnect();
    input_->Disconnect();
    ComPtr<IMemAllocator> allocator = Allocator();
    ALLOCATOR_PROPERTIES props = {2, 2048, 1, 0};
    EXPECT_EQ(S_OK, filter_->DecideBufferSize(allocator.Get(), &props)) << "without an input";
    EXPECT_EQ(2048, props.cbBuffer);
    EXPECT_EQ(E_POINTER, filter_->DecideBufferSize(nullptr, &props));
    EXPECT_EQ(E_POINTER, filter_->DecideBufferSize(allocator.Get(), nullptr));
}

TEST_F(ReverbFilter, ANewInputTypeNeedsTheDownstreamVerdictOnItsStereoForm) {
    ASSERT_EQ(S_OK, ConnectSource(Pcm16(2, 44100), 4096));
    ASSERT_EQ(S_OK, ConnectSink());
    const struct {
        const char* label;
        CMediaType type;
        DWORD sinkRate;  // 0: any rate
        HRESULT expected;
    } kCases[] = {
        {"the connected type", Pcm16(2, 44100), 44100, S_OK},
        {"mono, which the output fits", Pcm16(1, 44100), 44100, S_OK},
        {"48 kHz, taken downstream", Pcm16(2, 48000), 0, S_OK},
        {"48 kHz, refused downstream", Pcm16(2, 48000), 44100, S_FALSE},
        {"float32, taken downstream", Float(32, 1, 44100), 0, S_OK},
        {"8-bit, refused by the filter", AudioType(WAVE_FORMAT_PCM, 8, 2, 44100), 0, E_INVALIDARG},
    };
    for (const auto& c : kCases) {
        sink_->AcceptOnlyRate(c.sinkRate);
        EXPECT_EQ(c.expected, filter_->InputPin()->CheckMediaType(&c.type)) << c.label;
    }
    sink_->AcceptOnlyRate(0);
    EXPECT_EQ(S_OK, filter_->CompleteConnect(PINDIR_OUTPUT, sink_->GetPin(0)));
    EXPECT_EQ(S_OK, filter_->CompleteConnect(PINDIR_INPUT, source_->GetPin(0)));
    // Outside a graph the output cannot be reconnected for a new rate.
    EXPECT_EQ(VFW_E_NOT_IN_GRAPH, ConnectSource(Pcm16(2, 48000), 4096));
    EXPECT_FALSE(input_->IsConnected());
    EXPECT_EQ(44100u, WaveFormat(output_->CurrentMediaType())->nSamplesPerSec);
}

TEST_F(ReverbFilter, ANewInputTypeReconnectsTheOutputThroughTheGraph) {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    source_ = ComPtr<CTestSource>(new CTestSource(Pcm16(2, 44100), {3, 4096, 1, 0}));
    IBaseFilter* members[] = {AsFilter(source_.Get()), AsFilter(filter_.Get()),
                              AsFilter(sink_.Get())};
    for (IBaseFilter* member : members) ASSERT_EQ(S_OK, graph->AddFilter(member, nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(source_->GetPin(0), input_, nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(output_, sink_->GetPin(0), nullptr));
    const auto reconnectInput = [&](const CMediaType& type) {
        EXPECT_EQ(S_OK, graph->Disconnect(source_->GetPin(0)));
        EXPECT_EQ(S_OK, graph->Disconnect(input_));
        source_->type = type;
        return graph->ConnectDirect(source_->GetPin(0), input_, nullptr);
    };
    ASSERT_EQ(S_OK, reconnectInput(Float(32, 1, 48000)));
    CMediaType expected = Float(32, 2, 48000);
    EXPECT_TRUE(expected == output_->CurrentMediaType());
    EXPECT_TRUE(expected == sink_->GetPin(0)->CurrentMediaType());
    WAVEFORMATEX record = {};
    ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 1));
    EXPECT_EQ(0, std::memcmp(WaveFormat(expected), &record, sizeof record));
    // The graph reconnected the output before the source chose its buffers: the output kept
    // the upstream buffers seen before, doubled for the mono input, and the chain streams.
    EXPECT_EQ(8192, OutputBuffers().cbBuffer);
    ASSERT_EQ(S_OK, PauseAll());
    EXPECT_EQ(S_OK, Deliver(pool_.Make(std::vector<BYTE>(4000), true).Get()));
    ASSERT_EQ(1u, sink_->Deliveries().size());
    EXPECT_EQ(8000, sink_->Deliveries()[0].length);
    ASSERT_EQ(S_OK, StopAll());

    // Downstream refuses the new rate: the input refuses the type and keeps nothing.
    sink_->AcceptOnlyRate(48000);
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, reconnectInput(Pcm16(2, 44100)));
    EXPECT_FALSE(input_->IsConnected());
    for (IBaseFilter* member : members) EXPECT_EQ(S_OK, graph->RemoveFilter(member));
}

// One delivery's length, times (start, stop; none when start < 0) and discontinuity.
void ExpectDelivery(int line, const Delivery& d, long length, REFERENCE_TIME start,
                    REFERENCE_TIME stop, bool discontinuity) {
    SCOPED_TRACE(testing::Message() << "delivery checked at line " << line);
    EXPECT_EQ(length, static_cast<long>(d.bytes.size()));
    EXPECT_EQ(start < 0 ? VFW_E_SAMPLE_TIME_NOT_SET : S_OK, d.timeResult);
    EXPECT_EQ(start < 0 ? d.start : start, d.start);
    EXPECT_EQ(start < 0 ? d.stop : stop, d.stop);
    EXPECT_EQ(discontinuity, d.discontinuity);
}
#define EXPECT_DELIVERY(...) ExpectDelivery(__LINE__, __VA_ARGS__)

TEST_F(ReverbFilter, OnlyAStreamingFilterTakesSamplesAndKeepsNone) {
    ComPtr<IMediaSample> sample = pool_.Make(std::vector<BYTE>(4096));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Deliver(sample.Get()));
    ASSERT_EQ(S_OK, ConnectSource(Pcm16(2, 44100), 4096));
    ASSERT_EQ(S_OK, ConnectSink());
    EXPECT_EQ(VFW_E_WRONG_STATE, Deliver(sample.Get()));
    EXPECT_EQ(VFW_E_WRONG_STATE, input_->EndOfStream());
    ASSERT_EQ(S_OK, PauseAll());
    EXPECT_EQ(E_POINTER, Deliver(nullptr));
    EXPECT_EQ(S_OK, Deliver(sample.Get()));
    EXPECT_EQ(1u, RefCount(sample.Get())) << "the filter keeps no reference to the sample";
    ASSERT_EQ(S_OK, StopAll());
    EXPECT_EQ(VFW_E_WRONG_STATE, Deliver(sample.Get()));
    EXPECT_EQ(1u, sink_->Deliveries().size());
    EXPECT_EQ(E_INVALIDARG, filter_->Transform(sample.Get(), sample.Get())) << "Receive does it";
}

TEST_F(ReverbFilter, ASampleLargerThanTheOutputBufferIsSplit) {
    const struct {
        CMediaType type;
        long upstreamBytes;
        DWORD bufferFrames;  // of the output buffers
        int frames;          // of the input sample
    } kCases[] = {
        {Pcm16(2, 44100), 1024, 256, 625},
        {Pcm16(1, 44100), 1024, 512, 1300},
        {Float(32, 2, 96000), 2048, 256, 600},
        {Float(64, 1, 48000), 4096, 512, 1100},
    };
    for (const auto& c : kCases) {
        const WAVEFORMATEX* format = WaveFormat(c.type);
        SCOPED_TRACE(testing::Message() << format->wBitsPerSample << " bits");
        ASSERT_EQ(S_OK, Connect(c.type, c.upstreamBytes));
        const long outFrameBytes = 2 * format->wBitsPerSample / 8;
        const std::vector<BYTE> bytes = AudioBytes(c.type, c.frames);
        const REFERENCE_TIME start = 3 * kSecond;
        REFERENCE_TIME stop = start + c.frames * kSecond / format->nSamplesPerSec;
        LONGLONG mediaStart = 7, mediaStop = 8;
        // Dry silenced from 300 frames into the sample: never heard, as the envelopes are
        // evaluated once per input sample, at its first frame.
        const std::int64_t startFrame = 3 * static_cast<std::int64_t>(format->nSamplesPerSec);
        const MP_ENVELOPE_SEGMENT silence = {
            SourceTimeOfFrame(startFrame + 300, format->nSamplesPerSec),
            start + 10 * kSecond,
            0,
            0,
            MP_CURVE_JUMP,
            0};
        ComPtr<IMediaParams> params = Params();
        MP_DATA dry = 0, after = 0;
        ASSERT_EQ(S_OK, params->GetParam(Param::kDry, &dry));
        MP_ENVELOPE_SEGMENT added = silence;
        ASSERT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &added));
        ComPtr<IMediaSample> sample = pool_.Make(bytes, true);
        sample->SetTime(const_cast<REFERENCE_TIME*>(&start), &stop);
        sample->SetSyncPoint(TRUE);
        sample->SetMediaTime(&mediaStart, &mediaStop);
        ASSERT_EQ(S_OK, Deliver(sample.Get()));

        // Full buffers, then the rest; times, sync point, discontinuity on the first only.
        const std::vector<Delivery> d = sink_->Deliveries();
        const int full = c.frames / static_cast<int>(c.bufferFrames);
        ASSERT_EQ(static_cast<std::size_t>(full + 1), d.size());
        for (std::size_t k = 0; k < d.size(); ++k) {
            const int frames = k < static_cast<std::size_t>(full)
                                   ? static_cast<int>(c.bufferFrames)
                                   : c.frames - full * static_cast<int>(c.bufferFrames);
            EXPECT_DELIVERY(d[k], frames * outFrameBytes, k == 0 ? start : -1, stop, k == 0);
            EXPECT_EQ(k == 0, d[k].syncPoint);
            EXPECT_EQ(k == 0 ? S_OK : VFW_E_MEDIA_TIME_NOT_SET, d[k].mediaTimeResult);
            EXPECT_EQ(static_cast<long>(c.bufferFrames) * outFrameBytes, d[k].size);
        }
        EXPECT_EQ(S_OK, params->GetParam(Param::kDry, &after));
        EXPECT_EQ(dry, after) << "not evaluated again within the sample";
        ASSERT_EQ(S_OK, params->FlushEnvelope(DWORD_ALL, LLONG_MIN, LLONG_MAX));
        EXPECT_EQ(startFrame + c.frames, filter_->SamplePositionFrames());

        // The engine ran once per output buffer: mode 0, then 1.
        ReferenceChain reference(*format);
        added = silence;
        ASSERT_EQ(S_OK, reference.Automation().AddEnvelope(Param::kDry, 1, &added));
        ASSERT_EQ(S_OK, reference.Start());
        reference.BeginSample(true, &start);
        std::vector<BYTE> expected, buffer(c.bufferFrames * outFrameBytes);
        for (int done = 0, mode = kModeDiscontinuity; done < c.frames; mode = kModeContinue) {
            DWORD in = static_cast<DWORD>(c.frames - done), out = c.bufferFrames;
            ASSERT_EQ(S_OK, reference.Process(mode, bytes.data() + done * format->nBlockAlign, &in,
                                              buffer.data(), &out));
            expected.insert(expected.end(), buffer.begin(), buffer.begin() + out * outFrameBytes);
            done += static_cast<int>(in);
        }
        EXPECT_TRUE(expected == sink_->Bytes());
    }
}

TEST_F(ReverbFilter, APartialFrameIsDroppedAndSixteenBitValuesComeBackExactly) {
    ASSERT_EQ(S_OK, Connect(Pcm16(2, 44100), 1024));
    std::vector<BYTE> bytes = AudioBytes(Pcm16(2, 44100), 625);
    bytes.insert(bytes.end(), {0x12, 0x34, 0x56});
    ASSERT_EQ(S_OK, Deliver(pool_.Make(bytes, true).Get()));
    std::vector<Delivery> d = sink_->Deliveries();
    ASSERT_EQ(3u, d.size()) << "no buffer is asked for the partial frame";
    EXPECT_DELIVERY(d[0], 1024, -1, 0, true);
    EXPECT_DELIVERY(d[1], 1024, -1, 0, false);
    EXPECT_DELIVERY(d[2], 452, -1, 0, false);
    EXPECT_EQ(625, filter_->SamplePositionFrames()) << "no times: the clock was not re-based";
    sink_->Clear();
    ASSERT_EQ(S_OK, Deliver(pool_.Make({1, 2, 3}).Get()));  // less than a frame: nothing used
    ASSERT_EQ(1u, sink_->Deliveries().size());
    EXPECT_EQ(0, sink_->Deliveries()[0].length);
    EXPECT_EQ(625, filter_->SamplePositionFrames());

    // Bypassed, the engine copies its input: every 16-bit value comes back as it was.
    ASSERT_EQ(S_OK, Connect(Pcm16(1, 44100), 8192));
    ASSERT_EQ(S_OK, Engine()->SetBypass(1));
    const short kValues[] = {-32768, -32767, -1, 0, 1, 2, 16384, 32766, 32767};
    const auto* raw = reinterpret_cast<const BYTE*>(kValues);
    ASSERT_EQ(S_OK, Deliver(pool_.Make({raw, raw + sizeof kValues}, true).Get()));
    const std::vector<BYTE> out = sink_->Bytes();
    ASSERT_EQ(2 * sizeof kValues, out.size());
    for (std::size_t i = 0; i < 2 * std::size(kValues); ++i) {
        EXPECT_EQ(kValues[i / 2], static_cast<short>(out[2 * i] | out[2 * i + 1] << 8));
    }
}

TEST_F(ReverbFilter, TheTailFollowsEndOfStreamAndEndOfStreamFollowsIt) {
    const CMediaType type = Pcm16(2, 44100);
    ASSERT_EQ(S_OK, Connect(type, 4096));
    ASSERT_EQ(S_OK, Engine()->SetTail(1, FALSE));
    ASSERT_EQ(S_OK, Engine()->SetDecay(5, FALSE));  // half a second of tail
    const std::vector<BYTE> bytes = AudioBytes(type, 1500);
    ASSERT_EQ(S_OK, Deliver(pool_.Make({bytes.begin(), bytes.begin() + 4000}, true).Get()));
    ASSERT_EQ(S_OK, Deliver(pool_.Make({bytes.begin() + 4000, bytes.end()}).Get()));
    EXPECT_TRUE(sink_->EndsOfStream().empty());
    ASSERT_EQ(S_OK, input_->EndOfStream());

    // 22 050 frames of tail in buffers of 1024 frames, without times, then end of stream.
    const std::vector<Delivery> d = sink_->Deliveries();
    ASSERT_EQ(2u + 22u, d.size());
    EXPECT_EQ(std::vector<int>{24}, sink_->EndsOfStream());
    for (std::size_t k = 2; k < d.size(); ++k) {
        EXPECT_DELIVERY(d[k], k + 1 < d.size() ? 4096 : 4 * (22050 - 21 * 1024), -1, 0, false);
    }
    ReferenceChain reference(*WaveFormat(type));
    reference.Engine().SetTail(1, FALSE);
    reference.Engine().SetDecay(5, FALSE);
    ASSERT_EQ(S_OK, reference.Start());
    std::vector<BYTE> expected;
    int buffers = 0;
    ASSERT_EQ(S_OK, reference.ProcessSample(true, 0, bytes.data(), 1000, &expected));
    ASSERT_EQ(S_OK, reference.ProcessSample(false, 0, bytes.data() + 4000, 500, &expected));
    ASSERT_EQ(S_OK, reference.RenderTail(1024, &expected, &buffers));
    EXPECT_TRUE(expected == sink_->Bytes());

    // With the tail off end of stream passes at once; without an output buffer (the sink
    // stopped and decommitted its allocator) it ends with that failure and nothing else.
    ASSERT_EQ(S_OK, Engine()->SetTail(0, FALSE));
    sink_->Clear();
    ASSERT_EQ(S_OK, input_->EndOfStream());
    ASSERT_EQ(S_OK, sink_->Stop());
    EXPECT_EQ(VFW_E_NOT_COMMITTED, input_->EndOfStream());
    EXPECT_EQ(std::vector<int>{0}, sink_->EndsOfStream());
}

TEST_F(ReverbFilter, DiscontinuitiesWithTimesReBaseTheClockBeforeTheEnvelopes) {
    const CMediaType type = Float(32, 2, 48000);
    ASSERT_EQ(S_OK, Connect(type, 8192));
    ComPtr<IMediaParams> params = Params();
    MP_DATA before = 0, value = 0;
    ASSERT_EQ(S_OK, params->GetParam(Param::kDry, &before));
    MP_ENVELOPE_SEGMENT segment = {kSecond, 2 * kSecond, 0.2f, 0.2f, MP_CURVE_JUMP, 0};
    ASSERT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &segment));
    enum Times { kNone, kStartOnly, kBoth };
    const struct {
        bool discontinuity;
        Times times;
        REFERENCE_TIME start;
        std::int64_t position;  // after the sample's 1000 frames
        MP_DATA dry;            // 0: the value before the segment
    } kSteps[] = {
        {true, kBoth, 0, 1000, 0},                     // the first, at 0
        {false, kBoth, 5 * kSecond, 2000, 0},          // continuing: times do not re-base
        {true, kBoth, kSecond, 49000, 0.2f},           // a seek to 1 s enters the segment at once
        {true, kNone, 0, 50000, 0.2f},                 // a discontinuity without times
        {true, kStartOnly, kSecond / 2, 25000, 0.2f},  // a seek with a start time only
        {true, kBoth, 2083, 1009, 0.2f},               // 2083 x 48000 / 10^7 = 9.9984: truncated
        {true, kBoth, -kSecond, -47000, 0.2f},         // before zero
        {false, kStartOnly, 0, -46000, 0.2f},          // continuing with a start time only
    };
    for (const auto& step : kSteps) {
        SCOPED_TRACE(testing::Message() << "sample at " << step.start);
        ComPtr<IMediaSample> sample = pool_.Make(AudioBytes(type, 1000), step.discontinuity);
        REFERENCE_TIME start = step.start, stop = start + 208333;
        if (step.times != kNone) sample->SetTime(&start, step.times == kBoth ? &stop : nullptr);
        sink_->Clear();
        ASSERT_EQ(S_OK, Deliver(sample.Get()));
        EXPECT_EQ(step.position, filter_->SamplePositionFrames());
        ASSERT_EQ(S_OK, params->GetParam(Param::kDry, &value));
        EXPECT_EQ(step.dry != 0 ? step.dry : before, value);
        const Delivery d = sink_->Deliveries().at(0);  // the times and flags go along
        const HRESULT timed[] = {VFW_E_SAMPLE_TIME_NOT_SET, VFW_S_NO_STOP_TIME, S_OK};
        EXPECT_EQ(timed[step.times], d.timeResult);
        EXPECT_EQ(step.times != kNone ? start : d.start, d.start);
        EXPECT_EQ(step.discontinuity, d.discontinuity);
        EXPECT_FALSE(d.syncPoint);
        EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, d.mediaTimeResult);
    }
    ASSERT_EQ(S_OK, StopAll());  // stopping and starting again does not reset the clock
    ASSERT_EQ(S_OK, PauseAll());
    ASSERT_EQ(S_OK, Deliver(pool_.Make(AudioBytes(type, 1000)).Get()));
    EXPECT_EQ(-45000, filter_->SamplePositionFrames());
}

}  // namespace
