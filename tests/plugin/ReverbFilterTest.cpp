// The reverb filter between a WAV source that is never started and the capture sink, in lifecycle
// order: types, format records, buffers, then samples the test hands to its input pin.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <tuple>
#include <vector>

#include "engine/ParameterTable.h"
#include "tests/support/ComTestHarness.h"
#include "tests/support/FilterDoubles.h"
#include "tests/support/ReferenceChain.h"

namespace {

// Counted (and made to fail) on the thread that sets them: the filter and the framework are
// linked into this program, so their every operator new comes here. The library's operator
// delete frees with free, as this takes with malloc.
thread_local bool countingAllocations = false, failingAllocations = false;
thread_local int allocationCount = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (countingAllocations) ++allocationCount;
    void* block = failingAllocations ? nullptr : std::malloc(size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;

CMediaType Pcm16(WORD channels, DWORD rate) {
    return AudioType(WAVE_FORMAT_PCM, 16, channels, rate);
}
CMediaType Float(WORD bits, WORD channels, DWORD rate) {
    return AudioType(WAVE_FORMAT_IEEE_FLOAT, bits, channels, rate);
}
// 16-bit stereo 44.1 kHz with one thing changed: 0 no sub and format type, 1 video, 2 temporal
// compression, 3 a 15-byte format block, 4 none.
CMediaType Odd(int change) {
    CMediaType type = Pcm16(2, 44100);
    if (change == 0) type.SetSubtype(&GUID_NULL), type.SetFormatType(&GUID_NULL);
    if (change == 1) type.SetType(&MEDIATYPE_Video);
    if (change == 2) type.SetTemporalCompression(true);
    if (change == 3) type.cbFormat = 15;
    if (change == 4) type.ResetFormatBuffer();
    return type;
}
// `frames` frames of the test audio in the type's format.
WavAudio Audio(const CMediaType& type, int frames) {
    const WAVEFORMATEX* f = WaveFormat(type);
    return MakeTestAudio(f->wFormatTag, f->wBitsPerSample, f->nChannels, f->nSamplesPerSec, frames);
}

class ReverbFilter : public TransformChain {
protected:
    ReverbFilter() : TransformChain(CreateLocalFilter().Detach()) {}
    HRESULT ConnectSource(const CMediaType& type, int frames) {
        return TransformChain::ConnectSource(Audio(type, 1), frames);
    }
    // Connected and paused with the sink, nothing recorded yet; the test delivers the samples.
    HRESULT Connect(const CMediaType& type, int frames) {
        StopAll();
        output_->Disconnect();
        HRESULT hr = ConnectSource(type, frames);
        if (SUCCEEDED(hr)) hr = ConnectSink();
        if (SUCCEEDED(hr)) hr = PauseAll(false);
        sink_->Clear();
        return hr;
    }
    HRESULT Deliver(IMediaSample* sample) { return reverb_->InputPin()->Receive(sample); }
    IHqPlugInProp* Engine() const { return reverb_; }
    CMediaParams* Params() const { return static_cast<CMediaParams*>(reverb_->Automation()); }

    CHqPlugIn* const reverb_ = static_cast<CHqPlugIn*>(filter_.Get());  // not counted
};

// The formats taken are streamed by the graph tests.
TEST_F(ReverbFilter, InputTypes) {
    const CMediaType stereo = Pcm16(2, 44100);
    const std::tuple<const char*, CMediaType, HRESULT> kCases[] = {
        {"sub and format type not examined", Odd(0), S_OK},
        {"8-bit", AudioType(WAVE_FORMAT_PCM, 8, 2, 44100), E_INVALIDARG},
        {"24-bit", AudioType(WAVE_FORMAT_PCM, 24, 2, 44100), E_INVALIDARG},
        {"3 channels", Pcm16(3, 44100), E_INVALIDARG},
        {"no channels", Pcm16(0, 44100), E_INVALIDARG},
        {"16-bit float", Float(16, 2, 44100), E_INVALIDARG},
        {"extensible", AudioType(WAVE_FORMAT_EXTENSIBLE, 16, 2, 44100), E_INVALIDARG},
        {"video", Odd(1), E_INVALIDARG},
        {"compressed", Odd(2), E_INVALIDARG},
        {"15-byte format", Odd(3), E_INVALIDARG},
        {"no format", Odd(4), E_INVALIDARG},
        {"any rate, none too", Pcm16(2, 0), S_OK},
        {"the largest rate", Float(64, 1, 4294967295), S_OK},
    };
    for (const auto& [label, type, expected] : kCases) {
        EXPECT_EQ(expected, reverb_->CheckInputType(&type)) << label;
        EXPECT_EQ(expected == S_OK ? S_OK : S_FALSE, input_->QueryAccept(&type)) << label;
    }
    EXPECT_EQ(S_FALSE, output_->QueryAccept(&stereo)) << "nothing while the input is unconnected";
    const std::tuple<const char*, CMediaType, CMediaType, HRESULT> kTransforms[] = {
        {"stereo to stereo", stereo, stereo, S_OK},
        {"another rate", stereo, Pcm16(2, 48000), E_INVALIDARG},
        {"another format", stereo, Float(16, 2, 44100), E_INVALIDARG},
        {"another depth", Float(64, 2, 44100), Float(32, 2, 44100), E_INVALIDARG},
        {"mono output", stereo, Pcm16(1, 44100), E_INVALIDARG},
        {"compressed output", stereo, Odd(2), E_INVALIDARG},
        {"short output format", stereo, Odd(3), E_INVALIDARG},
    };
    for (const auto& [label, from, to, expected] : kTransforms) {
        EXPECT_EQ(expected, reverb_->CheckTransform(&from, &to)) << label;
    }

    // The output type: the input's in stereo, without the record's extra bytes.
    CMediaType proposed, input = Pcm16(1, 22050);
    input.ReallocFormatBuffer(22);
    WaveFormat(input)->cbSize = 4;
    EXPECT_EQ(E_POINTER, reverb_->GetMediaType(0, nullptr));
    EXPECT_EQ(E_UNEXPECTED, reverb_->GetMediaType(0, &proposed));
    ASSERT_EQ(S_OK, CWavSourceFilter::Create(Audio(stereo, 1), 1, source_.Put()));
    ASSERT_EQ(S_OK, input_->ReceiveConnection(SourcePin(), &input));
    EXPECT_EQ(E_INVALIDARG, reverb_->GetMediaType(-1, &proposed));
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, reverb_->GetMediaType(1, &proposed)) << "only one type";
    EXPECT_EQ(S_OK, reverb_->GetMediaType(0, &proposed));
    *WaveFormat(input) = {WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    EXPECT_TRUE(input == proposed) << "the whole format block";
    EXPECT_EQ(S_OK, output_->QueryAccept(&proposed));
}

TEST_F(ReverbFilter, ConnectionsFillTheFormatRecordsAndSizeTheOutputBuffers) {
    WAVEFORMATEX record = {};
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Engine()->GetWaveFormat(&record, 1));
    CMediaType input = Float(32, 1, 96000);
    ASSERT_EQ(S_OK, CWavSourceFilter::Create(Audio(input, 1), 1, source_.Put()));
    WaveFormat(input)->nAvgBytesPerSec = 12345;  // recomputed
    ASSERT_EQ(S_OK, input_->ReceiveConnection(SourcePin(), &input));
    ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 0));
    const WAVEFORMATEX inRecord = {WAVE_FORMAT_IEEE_FLOAT, 1, 96000, 384000, 4, 32, 0};
    EXPECT_EQ(0, std::memcmp(&inRecord, &record, sizeof record));
    EXPECT_EQ(96000, Params()->SampleRate());

    // Output buffers follow the upstream ones in count and size, doubled in size for mono
    // input, and no smaller than 512 bytes; the output type is the sink's.
    const std::tuple<CMediaType, int, long, HRESULT> kCases[] = {
        {Pcm16(1, 44100), 2048, 8192, S_OK},    {Pcm16(2, 44100), 1024, 4096, S_OK},
        {Float(32, 1, 48000), 252, 2016, S_OK}, {Float(64, 2, 96000), 1024, 16384, S_OK},
        {Pcm16(1, 44100), 128, 512, S_OK},      {Pcm16(1, 44100), 120, 480, E_FAIL},
        {Pcm16(2, 44100), 124, 496, E_FAIL},
    };
    for (const auto& [type, upstreamFrames, granted, connected] : kCases) {
        SCOPED_TRACE(testing::Message() << upstreamFrames << " frames upstream");
        output_->Disconnect();
        ASSERT_EQ(S_OK, ConnectSource(type, upstreamFrames));
        EXPECT_EQ(connected, ConnectSink());
        const ALLOCATOR_PROPERTIES got = OutputBuffers();  // all zero when not connected
        const long ok = connected == S_OK;
        EXPECT_EQ(ok != 0, SinkPin()->IsConnected());
        EXPECT_EQ((std::vector<long>{4 * ok, granted * ok, ok, 0}),
                  (std::vector<long>{got.cBuffers, got.cbBuffer, got.cbAlign, got.cbPrefix}));
        if (!ok) continue;
        ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 1));
        EXPECT_EQ(0, std::memcmp(WaveFormat(output_->CurrentMediaType()), &record, sizeof record));
    }
}

TEST_F(ReverbFilter, ANewInputTypeNeedsTheDownstreamVerdictAndTheGraphToReconnect) {
    ASSERT_EQ(S_OK, ConnectSource(Pcm16(2, 44100), 1024));
    ASSERT_EQ(S_OK, ConnectSink());
    const std::tuple<const char*, CMediaType, DWORD, HRESULT> kCases[] = {
        // sink rate 0: any
        {"mono, which the output fits", Pcm16(1, 44100), 44100, S_OK},
        {"48 kHz, taken downstream", Pcm16(2, 48000), 0, S_OK},
        {"48 kHz, refused downstream", Pcm16(2, 48000), 44100, S_FALSE},
        {"8-bit, refused by the filter", AudioType(WAVE_FORMAT_PCM, 8, 2, 44100), 0, E_INVALIDARG},
    };
    for (const auto& [label, type, sinkRate, expected] : kCases) {
        sink_->AcceptOnlyRate(sinkRate);
        EXPECT_EQ(expected, reverb_->InputPin()->CheckMediaType(&type)) << label;
    }
    sink_->AcceptOnlyRate(0);
    EXPECT_EQ(VFW_E_NOT_IN_GRAPH, ConnectSource(Pcm16(2, 48000), 1024));
    EXPECT_FALSE(input_->IsConnected());
    EXPECT_EQ(44100u, WaveFormat(output_->CurrentMediaType())->nSamplesPerSec);

    // In a graph the output is reconnected before the source chooses its buffers: it keeps the
    // upstream buffers seen before, doubled for the mono input.
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    for (IBaseFilter* member : {AsFilter(source_.Get()), Filter(), AsFilter(sink_.Get())}) {
        ASSERT_EQ(S_OK, graph->AddFilter(member, nullptr));
    }
    FILTER_INFO info;  // the graph, with a reference for the caller
    const ULONG graphReferences = RefCount(graph.Get());
    ASSERT_EQ(S_OK, Filter()->QueryFilterInfo(&info));
    EXPECT_EQ(graphReferences + 1, RefCount(info.pGraph));
    info.pGraph->Release();
    const CMediaType expected = Float(32, 2, 48000);
    ASSERT_EQ(S_OK, graph->RemoveFilter(AsFilter(source_.Get())));
    ASSERT_EQ(S_OK, CWavSourceFilter::Create(Audio(Float(32, 1, 48000), 1), 1000, source_.Put()));
    ASSERT_EQ(S_OK, graph->AddFilter(AsFilter(source_.Get()), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(SourcePin(), input_, nullptr));
    EXPECT_TRUE(expected == SinkPin()->CurrentMediaType());
    EXPECT_EQ(8192, OutputBuffers().cbBuffer);
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

TEST_F(ReverbFilter, ASampleLargerThanTheOutputBufferIsSplit) {
    ComPtr<IMediaSample> early = Sample(std::vector<BYTE>(4096));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Deliver(early.Get()));
    ASSERT_EQ(S_OK, ConnectSource(Pcm16(2, 44100), 1024));
    ASSERT_EQ(S_OK, ConnectSink());
    EXPECT_EQ(VFW_E_WRONG_STATE, Deliver(early.Get()));
    EXPECT_EQ(VFW_E_WRONG_STATE, input_->EndOfStream());
    EXPECT_EQ(E_INVALIDARG, reverb_->Transform(early.Get(), early.Get())) << "Receive does it";
    ASSERT_EQ(S_OK, PauseAll(false));
    EXPECT_EQ(E_POINTER, Deliver(nullptr));
    EXPECT_EQ(S_OK, Deliver(early.Get()));
    EXPECT_EQ(1u, RefCount(early.Get())) << "the filter keeps no reference to the sample";

    // The type, the frames of the upstream and output buffers and of the input sample.
    const std::tuple<CMediaType, int, int> kCases[] = {
        {Pcm16(2, 44100), 256, 625},
        {Pcm16(1, 44100), 512, 1300},
        {Float(32, 2, 96000), 256, 600},
        {Float(64, 1, 48000), 512, 1100},
    };
    for (const auto& [type, bufferFrames, frames] : kCases) {
        const WAVEFORMATEX* format = WaveFormat(type);
        SCOPED_TRACE(testing::Message() << format->wBitsPerSample << " bits");
        ASSERT_EQ(S_OK, Connect(type, bufferFrames));
        const long outFrameBytes = 2 * format->wBitsPerSample / 8;
        const WavAudio audio = Audio(type, frames);
        REFERENCE_TIME start = 3 * kSecond, stop = start + kSecond;
        LONGLONG mediaStart = 7, mediaStop = 8;
        // Dry silenced from 300 frames into the sample: never heard, as the envelopes are
        // evaluated once per input sample, at its first frame.
        const std::int64_t startFrame = 3 * static_cast<std::int64_t>(format->nSamplesPerSec);
        MP_ENVELOPE_SEGMENT silence = {(startFrame + 300) * kSecond / format->nSamplesPerSec,
                                       start + 10 * kSecond,
                                       0,
                                       0,
                                       MP_CURVE_JUMP,
                                       0};
        ASSERT_EQ(S_OK, Params()->AddEnvelope(Param::kDry, 1, &silence));
        std::vector<BYTE> bytes = audio.data;
        bytes.push_back(0x12);  // a partial frame, dropped
        ComPtr<IMediaSample> sample = Sample(bytes, true);
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(TRUE);
        sample->SetMediaTime(&mediaStart, &mediaStop);
        ASSERT_EQ(S_OK, Deliver(sample.Get()));

        // Full buffers, then the rest (no buffer for the partial frame); times, sync point,
        // discontinuity on the first only.
        const std::vector<Delivery>& d = sink_->deliveries;
        const int full = frames / bufferFrames;
        ASSERT_EQ(static_cast<std::size_t>(full + 1), d.size());
        for (int k = 0; k <= full; ++k) {
            const int count = k < full ? bufferFrames : frames - full * bufferFrames;
            ExpectDelivery(__LINE__, d[k], count * outFrameBytes, k == 0 ? start : -1, stop,
                           k == 0);
            EXPECT_EQ(k == 0, d[k].syncPoint);
            EXPECT_EQ(k == 0 ? S_OK : VFW_E_MEDIA_TIME_NOT_SET, d[k].mediaTimeResult);
        }
        ASSERT_EQ(S_OK, Params()->FlushEnvelope(DWORD_ALL, LLONG_MIN, LLONG_MAX));
        EXPECT_EQ(startFrame + frames, reverb_->SamplePositionFrames());
        std::vector<BYTE> expected = ExpectedOutput(audio, frames, {}, bufferFrames);
        expected.resize(static_cast<std::size_t>(frames * outFrameBytes));  // without the tail
        EXPECT_TRUE(expected == sink_->Bytes());
    }
    sink_->Clear();
    ASSERT_EQ(S_OK, Deliver(Sample({1, 2, 3}).Get()));  // less than a frame: nothing used
    EXPECT_TRUE(sink_->deliveries.at(0).bytes.empty());
    EXPECT_EQ(48000 * 3 + 1100, reverb_->SamplePositionFrames());
}

// Once the filter streams, samples within the agreed buffers and the tail allocate nothing in any
// format: the 16-bit path converts in arrays prepared when streaming starts. The capture sink's
// copy of each delivery is all that is counted (its lists reserved first). A sample beyond the
// agreed buffers has arrays of its own, and without memory fails with E_OUTOFMEMORY.
TEST_F(ReverbFilter, StreamingAllocatesNothingButForASampleBeyondTheAgreedBuffers) {
    const CMediaType kTypes[] = {Pcm16(1, 44100),     Pcm16(2, 44100),     Float(32, 1, 48000),
                                 Float(32, 2, 48000), Float(64, 1, 96000), Float(64, 2, 96000)};
    constexpr int kFrames = 512;  // of the upstream and output buffers and of a sample
    for (const CMediaType& type : kTypes) {
        const WAVEFORMATEX* format = WaveFormat(type);
        SCOPED_TRACE(testing::Message()
                     << format->wBitsPerSample << " bits, " << format->nChannels << " channels");
        ASSERT_EQ(S_OK, Connect(type, kFrames));
        ASSERT_EQ(S_OK, Engine()->SetTail(1, FALSE));
        ASSERT_EQ(S_OK, Engine()->SetDecay(1, FALSE));
        const WavAudio audio = Audio(type, 2 * kFrames);
        const auto half = audio.data.begin() + kFrames * format->nBlockAlign;
        const ComPtr<IMediaSample> samples[] = {Sample({audio.data.begin(), half}, true),
                                                Sample({half, audio.data.end()})};
        sink_->deliveries.reserve(64);
        sink_->endsOfStream.reserve(1);
        allocationCount = 0;
        countingAllocations = true;
        for (const ComPtr<IMediaSample>& sample : samples) EXPECT_EQ(S_OK, Deliver(sample.Get()));
        EXPECT_EQ(S_OK, input_->EndOfStream());
        countingAllocations = false;
        EXPECT_EQ(sink_->deliveries.size(), static_cast<std::size_t>(allocationCount));
        EXPECT_TRUE(sink_->Bytes() ==
                    ExpectedOutput(audio, kFrames, [](CStandaloneReverb& engine, CMediaParams&) {
                        engine.SetTail(1, FALSE);
                        engine.SetDecay(1, FALSE);
                    }));

        const bool pcm = format->wFormatTag == WAVE_FORMAT_PCM;
        std::vector<BYTE> beyond = audio.data;
        beyond.insert(beyond.end(), audio.data.begin(), audio.data.end());
        const ComPtr<IMediaSample> large = Sample(beyond);
        sink_->Clear();
        allocationCount = 0;
        countingAllocations = true;
        EXPECT_EQ(S_OK, Deliver(large.Get()));
        countingAllocations = false;
        EXPECT_EQ(pcm, sink_->deliveries.size() < static_cast<std::size_t>(allocationCount));
        if (!pcm) continue;
        sink_->Clear();
        failingAllocations = true;
        EXPECT_EQ(E_OUTOFMEMORY, Deliver(large.Get()));
        failingAllocations = false;
        EXPECT_TRUE(sink_->deliveries.empty());
    }
}

TEST_F(ReverbFilter, TheTailFollowsEndOfStreamAndEndOfStreamFollowsIt) {
    const CMediaType type = Pcm16(2, 44100);
    ASSERT_EQ(S_OK, Connect(type, 1024));
    ASSERT_EQ(S_OK, Engine()->SetTail(1, FALSE));
    ASSERT_EQ(S_OK, Engine()->SetDecay(5, FALSE));  // half a second of tail
    const WavAudio audio = Audio(type, 1500);
    ASSERT_EQ(S_OK, Deliver(Sample({audio.data.begin(), audio.data.begin() + 4096}, true).Get()));
    ASSERT_EQ(S_OK, Deliver(Sample({audio.data.begin() + 4096, audio.data.end()}).Get()));
    EXPECT_TRUE(sink_->endsOfStream.empty());
    ASSERT_EQ(S_OK, input_->EndOfStream());

    // 22 050 frames of tail in buffers of 1024 frames, without times, then end of stream.
    const std::vector<Delivery>& d = sink_->deliveries;
    ASSERT_EQ(2u + 22u, d.size());
    EXPECT_EQ(std::vector<int>{24}, sink_->endsOfStream);
    for (std::size_t k = 2; k < d.size(); ++k) {
        ExpectDelivery(__LINE__, d[k], k + 1 < d.size() ? 4096 : 4 * (22050 - 21 * 1024), -1, 0,
                       false);
    }
    EXPECT_TRUE(sink_->Bytes() ==
                ExpectedOutput(audio, 1024, [](CStandaloneReverb& engine, CMediaParams&) {
                    engine.SetTail(1, FALSE);
                    engine.SetDecay(5, FALSE);
                }));

    // With the tail off end of stream passes at once; without an output buffer (the sink
    // stopped and decommitted its allocator) it ends with that failure and nothing else.
    ASSERT_EQ(S_OK, Engine()->SetTail(0, FALSE));
    sink_->Clear();
    ASSERT_EQ(S_OK, input_->EndOfStream());
    ASSERT_EQ(S_OK, sink_->Stop());
    EXPECT_EQ(VFW_E_NOT_COMMITTED, input_->EndOfStream());
    EXPECT_EQ(std::vector<int>{0}, sink_->endsOfStream);
}

TEST_F(ReverbFilter, DiscontinuitiesWithTimesReBaseTheClockBeforeTheEnvelopes) {
    const CMediaType type = Float(32, 2, 48000);
    ASSERT_EQ(S_OK, Connect(type, 1024));
    MP_DATA before = 0, value = 0;
    ASSERT_EQ(S_OK, Params()->GetParam(Param::kDry, &before));
    MP_ENVELOPE_SEGMENT segment = {kSecond, 2 * kSecond, 0.2f, 0.2f, MP_CURVE_JUMP, 0};
    ASSERT_EQ(S_OK, Params()->AddEnvelope(Param::kDry, 1, &segment));
    enum Times { kNone, kStartOnly, kBoth };
    // Discontinuity, times, start, the position after the sample's 1000 frames, and the value of
    // Dry (0: the value before the segment).
    const std::tuple<bool, Times, REFERENCE_TIME, std::int64_t, MP_DATA> kSteps[] = {
        {true, kBoth, 0, 1000, 0},                     // the first, at 0
        {false, kBoth, 5 * kSecond, 2000, 0},          // continuing: times do not re-base
        {true, kBoth, kSecond, 49000, 0.2f},           // a seek to 1 s enters the segment at once
        {true, kNone, 0, 50000, 0.2f},                 // a discontinuity without times
        {true, kStartOnly, kSecond / 2, 25000, 0.2f},  // a seek with a start time only
        {true, kBoth, 2083, 1009, 0.2f},               // 2083 x 48000 / 10^7 = 9.9984: truncated
        {true, kBoth, -kSecond, -47000, 0.2f},         // before zero
        {false, kStartOnly, 0, -46000, 0.2f},          // continuing with a start time only
    };
    const std::vector<BYTE> bytes = Audio(type, 1000).data;
    for (const auto& [discontinuity, times, at, position, dry] : kSteps) {
        SCOPED_TRACE(testing::Message() << "sample at " << at);
        ComPtr<IMediaSample> sample = Sample(bytes, discontinuity);
        REFERENCE_TIME start = at, stop = at + 208333;
        if (times != kNone) sample->SetTime(&start, times == kBoth ? &stop : nullptr);
        sink_->Clear();
        ASSERT_EQ(S_OK, Deliver(sample.Get()));
        EXPECT_EQ(position, reverb_->SamplePositionFrames());
        ASSERT_EQ(S_OK, Params()->GetParam(Param::kDry, &value));
        EXPECT_EQ(dry != 0 ? dry : before, value);
        const Delivery& d = sink_->deliveries.at(0);  // the times and flags go along
        const HRESULT timed[] = {VFW_E_SAMPLE_TIME_NOT_SET, VFW_S_NO_STOP_TIME, S_OK};
        EXPECT_EQ(timed[times], d.timeResult);
        EXPECT_EQ(times != kNone ? start : d.start, d.start);
        EXPECT_EQ(discontinuity, d.discontinuity);
        EXPECT_FALSE(d.syncPoint);
        EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, d.mediaTimeResult);
    }
    ASSERT_EQ(S_OK, StopAll());  // stopping and starting again does not reset the clock
    ASSERT_EQ(S_OK, PauseAll(false));
    ASSERT_EQ(S_OK, Deliver(Sample(bytes).Get()));
    EXPECT_EQ(-45000, reverb_->SamplePositionFrames());
}

}  // namespace
