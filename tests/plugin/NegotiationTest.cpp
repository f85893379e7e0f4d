// The reverb filter's type negotiation and buffer sizing, in lifecycle order: the input types
// it takes and refuses, the transform check, the one output type it proposes, the format
// records its connections leave, a new input type with the output connected (the downstream
// verdict, and reconnection through a graph), and the output buffers it asks for.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/HqPlugInProp.h"
#include "framework/ComPtr.h"
#include "tests/plugin/LocalChain.h"

namespace {

using Negotiation = LocalChainTest;

using TypeEdit = std::function<void(CMediaType*)>;

CMediaType Edited(CMediaType type, const TypeEdit& edit) {
    if (edit) edit(&type);
    return type;
}

CMediaType Pcm16(WORD channels, DWORD rate) {
    return AudioType(WAVE_FORMAT_PCM, 16, channels, rate);
}

TEST_F(Negotiation, InputTypes) {
    const struct {
        const char* label;
        CMediaType type;
        HRESULT expected;
    } kCases[] = {
        {"16-bit mono 44.1 kHz", Pcm16(1, 44100), S_OK},
        {"16-bit stereo 96 kHz", Pcm16(2, 96000), S_OK},
        {"float32 mono 44.1 kHz", AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 44100), S_OK},
        {"float64 stereo 192 kHz", AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 2, 192000), S_OK},
        {"any rate: 8 kHz", Pcm16(2, 8000), S_OK},
        {"sub type and format type are not examined",
         Edited(Pcm16(2, 44100),
                [](CMediaType* t) {
                    t->SetSubtype(&GUID_NULL);
                    t->SetFormatType(&GUID_NULL);
                }),
         S_OK},
        {"8-bit integer", AudioType(WAVE_FORMAT_PCM, 8, 2, 44100), E_INVALIDARG},
        {"24-bit integer", AudioType(WAVE_FORMAT_PCM, 24, 2, 44100), E_INVALIDARG},
        {"32-bit integer", AudioType(WAVE_FORMAT_PCM, 32, 2, 44100), E_INVALIDARG},
        {"3 channels", Pcm16(3, 44100), E_INVALIDARG},
        {"no channels", Pcm16(0, 44100), E_INVALIDARG},
        {"16-bit float", AudioType(WAVE_FORMAT_IEEE_FLOAT, 16, 2, 44100), E_INVALIDARG},
        {"extensible", AudioType(WAVE_FORMAT_EXTENSIBLE, 16, 2, 44100), E_INVALIDARG},
        {"video", Edited(Pcm16(2, 44100), [](CMediaType* t) { t->SetType(&MEDIATYPE_Video); }),
         E_INVALIDARG},
        {"temporally compressed",
         Edited(Pcm16(2, 44100), [](CMediaType* t) { t->SetTemporalCompression(true); }),
         E_INVALIDARG},
        {"format block of 14 bytes",
         Edited(Pcm16(2, 44100), [](CMediaType* t) { t->cbFormat = 14; }), E_INVALIDARG},
        {"no format block", Edited(Pcm16(2, 44100), [](CMediaType* t) { t->ResetFormatBuffer(); }),
         E_INVALIDARG},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, filter_->CheckInputType(&c.type));
        EXPECT_EQ(c.expected, filter_->InputPin()->CheckMediaType(&c.type));
        EXPECT_EQ(c.expected == S_OK ? S_OK : S_FALSE, input_->QueryAccept(&c.type));
    }
    // The output takes nothing while the input is unconnected.
    const CMediaType stereo = Pcm16(2, 44100);
    EXPECT_EQ(S_FALSE, output_->QueryAccept(&stereo));
}

TEST_F(Negotiation, TransformCheck) {
    const CMediaType stereo = Pcm16(2, 44100);
    const struct {
        const char* label;
        CMediaType input;
        CMediaType output;
        HRESULT expected;
    } kCases[] = {
        {"stereo to stereo", stereo, stereo, S_OK},
        {"mono to stereo", Pcm16(1, 44100), stereo, S_OK},
        {"float64 mono to stereo", AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 1, 96000),
         AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 2, 96000), S_OK},
        {"a different rate", stereo, Pcm16(2, 48000), E_INVALIDARG},
        {"a different format", stereo, AudioType(WAVE_FORMAT_IEEE_FLOAT, 16, 2, 44100),
         E_INVALIDARG},
        {"a different depth", AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 2, 44100),
         AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100), E_INVALIDARG},
        {"1-channel output", stereo, Pcm16(1, 44100), E_INVALIDARG},
        {"mono to mono", Pcm16(1, 44100), Pcm16(1, 44100), E_INVALIDARG},
        {"3-channel output", stereo, Pcm16(3, 44100), E_INVALIDARG},
        {"video output", stereo,
         Edited(stereo, [](CMediaType* t) { t->SetType(&MEDIATYPE_Video); }), E_INVALIDARG},
        {"compressed output", stereo,
         Edited(stereo, [](CMediaType* t) { t->SetTemporalCompression(true); }), E_INVALIDARG},
        {"compressed input", Edited(stereo, [](CMediaType* t) { t->SetTemporalCompression(true); }),
         stereo, E_INVALIDARG},
        {"short output format", stereo, Edited(stereo, [](CMediaType* t) { t->cbFormat = 15; }),
         E_INVALIDARG},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, filter_->CheckTransform(&c.input, &c.output));
    }
}

TEST_F(Negotiation, TheOutputTypeIsTheInputTypeInStereo) {
    CMediaType proposed;
    EXPECT_EQ(E_UNEXPECTED, filter_->GetMediaType(0, &proposed));
    EXPECT_EQ(E_UNEXPECTED, filter_->GetMediaType(-1, &proposed));
    EXPECT_EQ(E_UNEXPECTED, filter_->GetMediaType(1, &proposed));

    const struct {
        const char* label;
        CMediaType input;
        WORD blockAlign;
        DWORD bytesPerSecond;
    } kCases[] = {
        {"16-bit mono 44.1 kHz", Pcm16(1, 44100), 4, 176400},
        {"16-bit stereo 22.05 kHz", Pcm16(2, 22050), 4, 88200},
        {"float32 mono 96 kHz", AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 96000), 8, 768000},
        {"float64 stereo 48 kHz", AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 2, 48000), 16, 768000},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(S_OK, ConnectSource(c.input, 4096));
        EXPECT_EQ(E_INVALIDARG, filter_->GetMediaType(-1, &proposed));
        EXPECT_EQ(VFW_S_NO_MORE_ITEMS, filter_->GetMediaType(1, &proposed));
        EXPECT_EQ(VFW_S_NO_MORE_ITEMS, filter_->GetMediaType(2, &proposed));
        ASSERT_EQ(S_OK, filter_->GetMediaType(0, &proposed));
        const WAVEFORMATEX* in = WaveFormat(c.input);
        const WAVEFORMATEX* out = WaveFormat(proposed);
        EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Audio, proposed.majortype));
        EXPECT_TRUE(IsEqualGUID(c.input.subtype, proposed.subtype));
        EXPECT_TRUE(IsEqualGUID(FORMAT_WaveFormatEx, proposed.formattype));
        ASSERT_EQ(c.input.cbFormat, proposed.cbFormat);
        EXPECT_EQ(in->wFormatTag, out->wFormatTag);
        EXPECT_EQ(2, out->nChannels);
        EXPECT_EQ(in->nSamplesPerSec, out->nSamplesPerSec);
        EXPECT_EQ(in->wBitsPerSample, out->wBitsPerSample);
        EXPECT_EQ(c.blockAlign, out->nBlockAlign);
        EXPECT_EQ(c.bytesPerSecond, out->nAvgBytesPerSec);
        EXPECT_EQ(0, out->cbSize);

        // The output pin proposes that type, and only that one.
        ComPtr<IEnumMediaTypes> types;
        ASSERT_EQ(S_OK, output_->EnumMediaTypes(types.Put()));
        AM_MEDIA_TYPE* listed[2] = {};
        ULONG count = 0;
        EXPECT_EQ(S_FALSE, types->Next(2, listed, &count));
        ASSERT_EQ(1u, count);
        EXPECT_TRUE(CMediaType(*listed[0]) == proposed);
        DeleteMediaType(listed[0]);
        EXPECT_EQ(S_OK, output_->QueryAccept(&proposed));
    }
}

TEST_F(Negotiation, ALongerFormatBlockIsProposedWithoutItsExtraBytes) {
    CMediaType input = Pcm16(2, 44100);
    ASSERT_NE(nullptr, input.ReallocFormatBuffer(22));
    WaveFormat(input)->cbSize = 4;
    ASSERT_EQ(S_OK, ConnectSource(input, 4096));
    CMediaType proposed;
    ASSERT_EQ(S_OK, filter_->GetMediaType(0, &proposed));
    EXPECT_EQ(22u, proposed.cbFormat);
    EXPECT_EQ(0, WaveFormat(proposed)->cbSize);
    EXPECT_EQ(4, WaveFormat(proposed)->nBlockAlign);
}

TEST_F(Negotiation, ConnectionsFillTheFormatRecords) {
    WAVEFORMATEX record = {};
    record.nSamplesPerSec = 7;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Engine()->GetWaveFormat(&record, 0)) << "no type set yet";
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Engine()->GetWaveFormat(&record, 1));
    EXPECT_EQ(7u, record.nSamplesPerSec) << "untouched";

    // A byte rate that disagrees with the rest is recomputed.
    CMediaType input = AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 96000);
    WaveFormat(input)->nAvgBytesPerSec = 12345;
    ASSERT_EQ(S_OK, ConnectSource(input, 4096));
    ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 0));
    EXPECT_EQ(WAVE_FORMAT_IEEE_FLOAT, record.wFormatTag);
    EXPECT_EQ(1, record.nChannels);
    EXPECT_EQ(96000u, record.nSamplesPerSec);
    EXPECT_EQ(384000u, record.nAvgBytesPerSec);
    EXPECT_EQ(4, record.nBlockAlign);
    EXPECT_EQ(32, record.wBitsPerSample);
    EXPECT_EQ(0, record.cbSize);
    EXPECT_EQ(96000, static_cast<CMediaParams*>(filter_->Automation())->SampleRate())
        << "the automation object follows the input rate";

    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 1));
    EXPECT_EQ(2, record.nChannels);
    EXPECT_EQ(96000u, record.nSamplesPerSec);
    EXPECT_EQ(768000u, record.nAvgBytesPerSec);
    EXPECT_EQ(8, record.nBlockAlign);
    EXPECT_TRUE(sink_->GetPin(0)->CurrentMediaType() == output_->CurrentMediaType());
}

TEST_F(Negotiation, ANewInputTypeNeedsTheDownstreamVerdictOnItsStereoForm) {
    ASSERT_EQ(S_OK, ConnectSource(Pcm16(2, 44100), 4096));
    ASSERT_EQ(S_OK, ConnectSink());
    CTransformInputPin* pin = filter_->InputPin();
    const struct {
        const char* label;
        CMediaType type;
        DWORD sinkRate;  // 0: the sink takes any rate
        HRESULT expected;
    } kCases[] = {
        {"the connected type", Pcm16(2, 44100), 44100, S_OK},
        {"mono, which the output already fits", Pcm16(1, 44100), 44100, S_OK},
        {"48 kHz, taken downstream", Pcm16(2, 48000), 0, S_OK},
        {"48 kHz, refused downstream", Pcm16(2, 48000), 44100, S_FALSE},
        {"float32, taken downstream", AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 44100), 0, S_OK},
        {"8-bit, refused by the filter itself", AudioType(WAVE_FORMAT_PCM, 8, 2, 44100), 0,
         E_INVALIDARG},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        sink_->AcceptOnlyRate(c.sinkRate);
        EXPECT_EQ(c.expected, pin->CheckMediaType(&c.type));
    }
}

TEST_F(Negotiation, ANewInputTypeOutsideAGraphCannotReconnectTheOutput) {
    ASSERT_EQ(S_OK, ConnectSource(Pcm16(2, 44100), 4096));
    ASSERT_EQ(S_OK, ConnectSink());
    EXPECT_EQ(S_OK, filter_->CompleteConnect(PINDIR_OUTPUT, sink_->GetPin(0)));
    EXPECT_EQ(S_OK, filter_->CompleteConnect(PINDIR_INPUT, source_->GetPin(0)));
    EXPECT_EQ(VFW_E_NOT_IN_GRAPH, ConnectSource(Pcm16(2, 48000), 4096));
    EXPECT_FALSE(input_->IsConnected());
    EXPECT_EQ(44100u, WaveFormat(output_->CurrentMediaType())->nSamplesPerSec);
}

TEST_F(Negotiation, ANewInputTypeReconnectsTheOutputThroughTheGraph) {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    const CMediaType first = Pcm16(2, 44100);
    ALLOCATOR_PROPERTIES buffers = {3, 4096, 1, 0};
    ASSERT_EQ(S_OK, CTestSource::Create(first, buffers, source_.Put()));
    ASSERT_EQ(S_OK, graph->AddFilter(source_.Get(), L"Source"));
    ASSERT_EQ(S_OK, graph->AddFilter(AsFilter(filter_.Get()), L"Reverb"));
    ASSERT_EQ(S_OK, graph->AddFilter(sink_.Get(), L"Sink"));
    ASSERT_EQ(S_OK, graph->ConnectDirect(source_->GetPin(0), input_, nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(output_, sink_->GetPin(0), nullptr));

    ASSERT_EQ(S_OK, graph->Disconnect(source_->GetPin(0)));
    ASSERT_EQ(S_OK, graph->Disconnect(input_));
    source_->SetOfferedType(AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 48000));
    ASSERT_EQ(S_OK, graph->ConnectDirect(source_->GetPin(0), input_, nullptr));
    const WAVEFORMATEX* out = WaveFormat(output_->CurrentMediaType());
    EXPECT_EQ(WAVE_FORMAT_IEEE_FLOAT, out->wFormatTag);
    EXPECT_EQ(2, out->nChannels);
    EXPECT_EQ(48000u, out->nSamplesPerSec);
    EXPECT_TRUE(sink_->GetPin(0)->CurrentMediaType() == output_->CurrentMediaType());
    WAVEFORMATEX record = {};
    ASSERT_EQ(S_OK, Engine()->GetWaveFormat(&record, 1));
    EXPECT_EQ(48000u, record.nSamplesPerSec);
    EXPECT_EQ(8, record.nBlockAlign);
    // The graph reconnected the output before the source chose its buffers: the output kept
    // the upstream buffers seen before, doubled for the mono input, and the chain streams.
    EXPECT_EQ(8192, sink_->LastAllocatorRequest().cbBuffer);
    ASSERT_EQ(S_OK, PauseAll());
    CFakeSample sample(std::vector<BYTE>(4000));
    sample.SetDiscontinuity(TRUE);
    EXPECT_EQ(S_OK, Deliver(&sample));
    ASSERT_EQ(1u, sink_->Deliveries().size());
    EXPECT_EQ(8000, sink_->Deliveries()[0].length);
    ASSERT_EQ(S_OK, StopAll());

    // Downstream refuses the new rate: the input refuses the type and keeps nothing.
    ASSERT_EQ(S_OK, graph->Disconnect(source_->GetPin(0)));
    ASSERT_EQ(S_OK, graph->Disconnect(input_));
    sink_->AcceptOnlyRate(48000);
    source_->SetOfferedType(Pcm16(2, 44100));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, graph->ConnectDirect(source_->GetPin(0), input_, nullptr));
    EXPECT_FALSE(input_->IsConnected());

    for (IBaseFilter* member : {static_cast<IBaseFilter*>(source_.Get()), AsFilter(filter_.Get()),
                                static_cast<IBaseFilter*>(sink_.Get())}) {
        EXPECT_EQ(S_OK, graph->RemoveFilter(member));
    }
}

TEST_F(Negotiation, OutputBuffersFollowTheUpstreamOnesDoubledForMonoInput) {
    const struct {
        const char* label;
        CMediaType input;
        long upstreamBytes;
        long requestedBytes;
        HRESULT connected;
    } kCases[] = {
        {"16-bit mono, 4096 bytes", Pcm16(1, 44100), 4096, 8192, S_OK},
        {"16-bit stereo, 4096 bytes", Pcm16(2, 44100), 4096, 4096, S_OK},
        {"float32 mono, 1000 bytes", AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 48000), 1000, 2000,
         S_OK},
        {"float64 stereo, 16384 bytes", AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 2, 96000), 16384,
         16384, S_OK},
        {"mono, 256 bytes doubled to the smallest size", Pcm16(1, 44100), 256, 512, S_OK},
        {"mono, 255 bytes doubled is too small", Pcm16(1, 44100), 255, 510, E_FAIL},
        {"stereo, 508 bytes is too small", Pcm16(2, 44100), 508, 508, E_FAIL},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        output_->Disconnect();
        sink_->GetPin(0)->Disconnect();
        ASSERT_EQ(S_OK, ConnectSource(c.input, c.upstreamBytes, 3, 16, 8));
        const int requestsBefore = sink_->AllocatorRequests();
        EXPECT_EQ(c.connected, ConnectSink());
        EXPECT_EQ(c.connected == S_OK, output_->IsConnected());
        ASSERT_LT(requestsBefore, sink_->AllocatorRequests());
        const ALLOCATOR_PROPERTIES asked = sink_->LastAllocatorRequest();
        EXPECT_EQ(3, asked.cBuffers);
        EXPECT_EQ(c.requestedBytes, asked.cbBuffer);
        EXPECT_EQ(16, asked.cbAlign);
        EXPECT_EQ(8, asked.cbPrefix);

        // The same sizing asked directly of the filter, with an allocator of its own.
        ComPtr<IMemAllocator> allocator;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IMemAllocator, allocator.PutVoid()));
        ALLOCATOR_PROPERTIES props = {1, 100000, 1, 0};
        EXPECT_EQ(c.connected, filter_->DecideBufferSize(allocator.Get(), &props));
        EXPECT_EQ(3, props.cBuffers);
        EXPECT_EQ(c.requestedBytes, props.cbBuffer) << "the granted properties come back";
    }
}

TEST_F(Negotiation, WithoutAnInputTheGivenPropertiesAreAsked) {
    ComPtr<IMemAllocator> allocator;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IMemAllocator, allocator.PutVoid()));
    ALLOCATOR_PROPERTIES props = {2, 2048, 1, 0};
    EXPECT_EQ(S_OK, filter_->DecideBufferSize(allocator.Get(), &props));
    EXPECT_EQ(2, props.cBuffers);
    EXPECT_EQ(2048, props.cbBuffer);
    props = {2, 511, 1, 0};
    EXPECT_EQ(E_FAIL, filter_->DecideBufferSize(allocator.Get(), &props));
}

}  // namespace
