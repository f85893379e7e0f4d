// A transform filter and its pins without a graph, in lifecycle order: the filter's interfaces
// and queries, the pins and their queries, direct connection of a WAV source, the pass-through
// transform and a WAV sink (negotiation, allocators, reference counts), then state changes and
// the receive path (StartStreaming and StopStreaming, end of stream, flushing, segments, type
// changes, Stop waiting for a sample in progress).
#include <evcode.h>
#include <gtest/gtest.h>

#include <cstring>

#include "framework/BaseFilter.h"
#include "framework/Module.h"
#include "tests/framework/FrameworkTestSupport.h"
#include "tools/dxhost/WavSinkFilter.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

IBaseFilter* AsFilter(CBaseFilter* filter) {
    return filter;
}

CMediaType VideoType() {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_RGB32);
    type.SetFormatType(&FORMAT_VideoInfo);
    type.AllocFormatBuffer(88);  // the size of a VIDEOINFOHEADER
    return type;
}

// A WAV source, the pass-through transform and a WAV sink, not in a graph.
class Chain : public ::testing::Test {
protected:
    static constexpr int kFrames = 10000;
    static constexpr int kBlockFrames = 1024;

    void SetUp() override {
        ASSERT_EQ(0, ModuleObjectCount());
        input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, kFrames);
        ASSERT_EQ(S_OK, CWavSourceFilter::Create(input, kBlockFrames, source.Put()));
        transform = ComPtr<CPassThroughFilter>(CPassThroughFilter::Create());
        ASSERT_TRUE(transform);
        ASSERT_EQ(S_OK, CWavSinkFilter::Create(output.Path(), sink.Put()));
        sourceOut = source->GetPin(0);
        transformIn = transform->GetPin(0);
        transformOut = transform->GetPin(1);
        sinkIn = sink->GetPin(0);
    }
    void TearDown() override {
        source->Stop();
        transform->Stop();
        sink->Stop();
        for (CBasePin* pin : {sourceOut, transformIn, transformOut, sinkIn}) pin->Disconnect();
        // Disconnected, each filter is held by the test alone.
        EXPECT_EQ(1u, RefCount(AsFilter(source.Get())));
        EXPECT_EQ(1u, RefCount(AsFilter(transform.Get())));
        EXPECT_EQ(1u, RefCount(AsFilter(sink.Get())));
        source.Reset();
        transform.Reset();
        sink.Reset();
        EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
    }

    void ConnectAll() {
        ASSERT_EQ(S_OK, sourceOut->Connect(transformIn, nullptr));
        ASSERT_EQ(S_OK, transformOut->Connect(sinkIn, nullptr));
    }
    // Downstream first, as a graph does.
    HRESULT PauseAll() {
        HRESULT hr = sink->Pause();
        if (SUCCEEDED(hr)) hr = transform->Pause();
        if (SUCCEEDED(hr)) hr = source->Pause();
        return hr;
    }
    bool WaitForSink() {
        for (int i = 0; i < 1000 && !sink->IsComplete(); ++i) Sleep(10);
        return sink->IsComplete();
    }
    // A buffer from the transform's input allocator, committed for the purpose.
    ComPtr<IMediaSample> InputBuffer(long bytes) {
        IMemAllocator* allocator = static_cast<CBaseInputPin*>(transformIn)->Allocator();
        EXPECT_NE(nullptr, allocator);
        EXPECT_EQ(S_OK, allocator->Commit());
        ComPtr<IMediaSample> sample;
        EXPECT_EQ(S_OK, allocator->GetBuffer(sample.Put(), nullptr, nullptr, 0));
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        std::memcpy(data, input.data.data(), static_cast<std::size_t>(bytes));
        sample->SetActualDataLength(bytes);
        return sample;
    }
    ComPtr<IMemInputPin> TransportOf(CBasePin* pin) {
        ComPtr<IMemInputPin> transport;
        EXPECT_EQ(S_OK, pin->QueryInterface(IID_IMemInputPin, transport.PutVoid()));
        return transport;
    }

    WavAudio input;
    ScopedFile output{"framework-chain.wav"};
    ComPtr<CWavSourceFilter> source;
    ComPtr<CPassThroughFilter> transform;
    ComPtr<CWavSinkFilter> sink;
    CBasePin* sourceOut = nullptr;
    CBasePin* transformIn = nullptr;
    CBasePin* transformOut = nullptr;
    CBasePin* sinkIn = nullptr;
};

TEST_F(Chain, FilterInterfacesAndQueries) {
    IBaseFilter* filter = AsFilter(transform.Get());
    void* out = nullptr;
    for (const IID* iid :
         {&IID_IBaseFilter, &IID_IMediaFilter, &IID_IPersist, &IID_IAMovieSetup, &IID_IUnknown}) {
        ASSERT_EQ(S_OK, filter->QueryInterface(*iid, &out));
        void* unknown = nullptr;
        ASSERT_EQ(S_OK, static_cast<IUnknown*>(out)->QueryInterface(IID_IUnknown, &unknown));
        EXPECT_EQ(static_cast<void*>(transform->GetOwner()), unknown);
        static_cast<IUnknown*>(unknown)->Release();
        static_cast<IUnknown*>(out)->Release();
    }
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(IID_IPin, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1u, RefCount(filter));

    CLSID clsid = {};
    EXPECT_EQ(E_POINTER, filter->GetClassID(nullptr));
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestPassThrough, clsid));
    FILTER_STATE state = State_Running;
    EXPECT_EQ(E_POINTER, filter->GetState(0, nullptr));
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    LPWSTR vendor = reinterpret_cast<LPWSTR>(0x1);
    EXPECT_EQ(E_NOTIMPL, filter->QueryVendorInfo(&vendor));
    EXPECT_EQ(nullptr, vendor);

    FILTER_INFO info;
    EXPECT_EQ(E_POINTER, filter->QueryFilterInfo(nullptr));
    EXPECT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_STREQ(L"", info.achName);
    EXPECT_EQ(nullptr, info.pGraph);
    EXPECT_EQ(S_OK, filter->JoinFilterGraph(nullptr, L"Reverb"));
    EXPECT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_STREQ(L"Reverb", info.achName);

    // Outside a graph there is no one to tell or to reconnect through.
    EXPECT_EQ(E_NOTIMPL, transform->NotifyEvent(EC_COMPLETE, S_OK, 0));
    EXPECT_EQ(VFW_E_NOT_IN_GRAPH, transform->ReconnectPin(transformOut, nullptr));
    EXPECT_EQ(E_POINTER, transform->ReconnectPin(nullptr, nullptr));
}

TEST_F(Chain, ClockAndStreamTime) {
    IBaseFilter* filter = AsFilter(transform.Get());
    REFERENCE_TIME now = 0;
    EXPECT_EQ(VFW_E_NO_CLOCK, transform->StreamTime(&now));
    EXPECT_EQ(E_POINTER, transform->StreamTime(nullptr));
    IReferenceClock* clock = reinterpret_cast<IReferenceClock*>(0x1);
    EXPECT_EQ(E_POINTER, filter->GetSyncSource(nullptr));
    EXPECT_EQ(S_OK, filter->GetSyncSource(&clock));
    EXPECT_EQ(nullptr, clock);

    ComPtr<IReferenceClock> system;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IReferenceClock, system.PutVoid()));
    EXPECT_EQ(1u, RefCount(system.Get()));
    EXPECT_EQ(S_OK, filter->SetSyncSource(system.Get()));
    EXPECT_EQ(2u, RefCount(system.Get()));
    EXPECT_EQ(S_OK, filter->GetSyncSource(&clock));
    EXPECT_EQ(system.Get(), clock);
    clock->Release();
    REFERENCE_TIME start = 0;
    system->GetTime(&start);
    EXPECT_EQ(S_OK, filter->Run(start));
    EXPECT_EQ(start, transform->StartTime());
    EXPECT_EQ(S_OK, transform->StreamTime(&now));
    EXPECT_GE(now, 0);
    EXPECT_LT(now, 10000000);
    EXPECT_EQ(S_OK, filter->Stop());
    EXPECT_EQ(S_OK, filter->SetSyncSource(nullptr));
    EXPECT_EQ(1u, RefCount(system.Get()));
}

TEST_F(Chain, PinsLiveOnTheFilterCountAndAnswerTheirQueries) {
    EXPECT_EQ(2, transform->GetPinCount());
    EXPECT_EQ(nullptr, transform->GetPin(2));
    EXPECT_EQ(nullptr, transform->GetPin(-1));
    EXPECT_EQ(transformIn, transform->GetPin(0)) << "pins are made once";

    IBaseFilter* filter = AsFilter(transform.Get());
    EXPECT_EQ(2u, transformIn->AddRef());
    EXPECT_EQ(2u, RefCount(filter));
    EXPECT_EQ(1u, transformIn->Release());

    void* out = nullptr;
    ASSERT_EQ(S_OK, transformIn->QueryInterface(IID_IUnknown, &out));
    EXPECT_NE(static_cast<void*>(transform->GetOwner()), out) << "a pin is an object of its own";
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(S_OK, transformIn->QueryInterface(IID_IMemInputPin, &out));
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(S_OK, transformOut->QueryInterface(IID_IQualityControl, &out));
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(E_NOINTERFACE, transformOut->QueryInterface(IID_IMemInputPin, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1u, RefCount(filter));

    PIN_INFO info;
    EXPECT_EQ(E_POINTER, transformOut->QueryPinInfo(nullptr));
    ASSERT_EQ(S_OK, transformOut->QueryPinInfo(&info));
    EXPECT_EQ(filter, info.pFilter);
    EXPECT_EQ(PINDIR_OUTPUT, info.dir);
    EXPECT_STREQ(L"Output", info.achName);
    EXPECT_EQ(2u, RefCount(filter));
    info.pFilter->Release();

    PIN_DIRECTION direction = PINDIR_OUTPUT;
    EXPECT_EQ(E_POINTER, transformIn->QueryDirection(nullptr));
    EXPECT_EQ(S_OK, transformIn->QueryDirection(&direction));
    EXPECT_EQ(PINDIR_INPUT, direction);
    LPWSTR id = nullptr;
    EXPECT_EQ(E_POINTER, transformIn->QueryId(nullptr));
    ASSERT_EQ(S_OK, transformIn->QueryId(&id));
    EXPECT_STREQ(L"Input", id);
    CoTaskMemFree(id);

    IPin* found = nullptr;
    EXPECT_EQ(E_POINTER, filter->FindPin(L"Output", nullptr));
    EXPECT_EQ(S_OK, filter->FindPin(L"Output", &found));
    EXPECT_EQ(static_cast<IPin*>(transformOut), found);
    found->Release();
    found = reinterpret_cast<IPin*>(0x1);
    EXPECT_EQ(VFW_E_NOT_FOUND, filter->FindPin(L"Out", &found));
    EXPECT_EQ(nullptr, found);

    IPin* peer = reinterpret_cast<IPin*>(0x1);
    EXPECT_EQ(E_POINTER, transformIn->ConnectedTo(nullptr));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, transformIn->ConnectedTo(&peer));
    EXPECT_EQ(nullptr, peer);
    AM_MEDIA_TYPE type;
    std::memset(&type, 0xcc, sizeof(type));
    EXPECT_EQ(E_POINTER, transformIn->ConnectionMediaType(nullptr));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, transformIn->ConnectionMediaType(&type));
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, type.majortype));
    EXPECT_EQ(nullptr, type.pbFormat);
    ULONG count = 0;
    EXPECT_EQ(E_NOTIMPL, transformIn->QueryInternalConnections(nullptr, &count));
    EXPECT_EQ(E_UNEXPECTED, transformOut->EndOfStream());
    EXPECT_EQ(E_UNEXPECTED, transformOut->BeginFlush());
    EXPECT_EQ(E_UNEXPECTED, transformOut->EndFlush());

    ComPtr<IMemInputPin> transport = TransportOf(transformIn);
    ALLOCATOR_PROPERTIES props;
    EXPECT_EQ(E_POINTER, transport->GetAllocatorRequirements(nullptr));
    EXPECT_EQ(E_NOTIMPL, transport->GetAllocatorRequirements(&props));
    EXPECT_EQ(S_OK, transport->ReceiveCanBlock());
    EXPECT_EQ(E_POINTER, transport->Receive(nullptr));
    EXPECT_EQ(E_POINTER, transport->NotifyAllocator(nullptr, FALSE));
    EXPECT_EQ(E_POINTER, transport->GetAllocator(nullptr));
}

TEST_F(Chain, TypeQueriesBeforeConnection) {
    CMediaType audio;
    ASSERT_EQ(S_OK, source->FileMediaType(&audio));
    EXPECT_EQ(E_POINTER, transformIn->QueryAccept(nullptr));
    EXPECT_EQ(S_OK, transformIn->QueryAccept(&audio));
    const CMediaType video = VideoType();
    EXPECT_EQ(S_FALSE, transformIn->QueryAccept(&video));
    // The output has nothing to propose or accept while its input is unconnected.
    EXPECT_EQ(S_FALSE, transformOut->QueryAccept(&audio));
    ComPtr<IEnumMediaTypes> types;
    EXPECT_EQ(E_POINTER, transformOut->EnumMediaTypes(nullptr));
    ASSERT_EQ(S_OK, transformOut->EnumMediaTypes(types.Put()));
    AM_MEDIA_TYPE* proposed = nullptr;
    ULONG fetched = 7;
    EXPECT_EQ(S_FALSE, types->Next(1, &proposed, &fetched));
    EXPECT_EQ(0u, fetched);
}

TEST_F(Chain, ConnectionNegotiatesTypesAndAllocators) {
    EXPECT_EQ(E_POINTER, sourceOut->Connect(nullptr, nullptr));
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, sourceOut->Connect(transformOut, nullptr));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, transformOut->Connect(sinkIn, nullptr))
        << "the output proposes nothing before its input is connected";
    const CMediaType video = VideoType();
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, sourceOut->Connect(transformIn, &video));
    CMediaType partialVideo(&MEDIATYPE_Video);
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, sourceOut->Connect(transformIn, &partialVideo));
    EXPECT_FALSE(sourceOut->IsConnected());
    EXPECT_FALSE(transformIn->IsConnected());

    CMediaType partialAudio(&MEDIATYPE_Audio);
    ASSERT_EQ(S_OK, sourceOut->Connect(transformIn, &partialAudio));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, sourceOut->Connect(transformIn, nullptr));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, transformIn->ReceiveConnection(sourceOut, &partialAudio));
    IPin* peer = nullptr;
    ASSERT_EQ(S_OK, transformIn->ConnectedTo(&peer));
    EXPECT_EQ(static_cast<IPin*>(sourceOut), peer);
    peer->Release();
    CMediaType fileType;
    ASSERT_EQ(S_OK, source->FileMediaType(&fileType));
    AM_MEDIA_TYPE agreed;
    ASSERT_EQ(S_OK, transformIn->ConnectionMediaType(&agreed));
    EXPECT_TRUE(CMediaType(agreed) == fileType);
    FreeMediaType(agreed);

    // Now the output proposes the input's type, and only that.
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, transformOut->EnumMediaTypes(types.Put()));
    AM_MEDIA_TYPE* proposed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, types->Next(2, proposed, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_TRUE(CMediaType(*proposed[0]) == fileType);
    DeleteMediaType(proposed[0]);
    types.Reset();

    ASSERT_EQ(S_OK, transformOut->Connect(sinkIn, nullptr));
    auto* output = static_cast<CBaseOutputPin*>(transformOut);
    ASSERT_NE(nullptr, output->Allocator());
    EXPECT_EQ(output->Allocator(), static_cast<CBaseInputPin*>(sinkIn)->Allocator())
        << "the downstream pin's allocator, announced back to it";
    ALLOCATOR_PROPERTIES in = {}, out = {};
    static_cast<CBaseInputPin*>(transformIn)->Allocator()->GetProperties(&in);
    output->Allocator()->GetProperties(&out);
    EXPECT_EQ(kBlockFrames * 4, in.cbBuffer);
    EXPECT_EQ(4, in.cBuffers);
    EXPECT_EQ(in.cbBuffer, out.cbBuffer);
    EXPECT_EQ(in.cBuffers, out.cBuffers);

    // Each connection holds the other side's pin (and an output pin its transport too).
    EXPECT_EQ(4u, RefCount(AsFilter(transform.Get())));
    EXPECT_EQ(2u, RefCount(AsFilter(source.Get())));
    EXPECT_EQ(3u, RefCount(AsFilter(sink.Get())));

    EXPECT_EQ(S_OK, transform->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, transformIn->Disconnect());
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, transformOut->Connect(sinkIn, nullptr));
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(S_OK, transformIn->Disconnect());
    EXPECT_EQ(S_FALSE, transformIn->Disconnect());
    EXPECT_EQ(S_OK, sourceOut->Disconnect());
    EXPECT_EQ(2u, RefCount(AsFilter(transform.Get())));
    EXPECT_EQ(1u, RefCount(AsFilter(source.Get())));
}

TEST_F(Chain, PinsConnectOnlyWhileTheirFilterIsStopped) {
    ASSERT_EQ(S_OK, transform->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, sourceOut->Connect(transformIn, nullptr));
    EXPECT_FALSE(sourceOut->IsConnected());
    ASSERT_EQ(S_OK, transform->Stop());
    ASSERT_EQ(S_OK, source->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, sourceOut->Connect(transformIn, nullptr));
    ASSERT_EQ(S_OK, source->Stop());
    EXPECT_EQ(S_OK, sourceOut->Connect(transformIn, nullptr));
}

TEST_F(Chain, PauseStartsStreamingAndStopStopsIt) {
    ConnectAll();
    EXPECT_EQ(S_OK, PauseAll());
    EXPECT_EQ(1, transform->starts);
    EXPECT_EQ(State_Paused, transform->State());
    EXPECT_EQ(S_OK, transform->Pause()) << "pausing again starts nothing";
    EXPECT_EQ(1, transform->starts);
    ASSERT_TRUE(WaitForSink());
    EXPECT_EQ(S_OK, transform->Run(0));
    EXPECT_EQ(1, transform->starts);
    EXPECT_EQ((kFrames + kBlockFrames - 1) / kBlockFrames, transform->transforms);
    EXPECT_EQ(1, transform->endsOfStream);
    EXPECT_EQ(S_OK, source->Stop());
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(1, transform->stops);
    EXPECT_EQ(S_OK, sink->Stop());

    WavAudio written;
    std::string error;
    ASSERT_TRUE(ReadWavFile(output.Path(), &written, &error)) << error;
    EXPECT_EQ(0, std::memcmp(&input.format, &written.format, sizeof(WAVEFORMATEX)));
    EXPECT_TRUE(input.data == written.data);
}

TEST_F(Chain, AFailedStartLeavesTheFilterStopped) {
    ConnectAll();
    transform->startResult = E_OUTOFMEMORY;
    EXPECT_EQ(S_OK, sink->Pause());
    EXPECT_EQ(E_OUTOFMEMORY, transform->Pause());
    EXPECT_EQ(State_Stopped, transform->State());
    EXPECT_EQ(1, transform->starts);
    EXPECT_EQ(0, transform->stops);
    ComPtr<IMediaSample> sample;
    EXPECT_EQ(VFW_E_NOT_COMMITTED, static_cast<CBaseOutputPin*>(transformOut)
                                       ->GetDeliveryBuffer(sample.Put(), nullptr, nullptr, 0));
    transform->startResult = S_OK;
    EXPECT_EQ(S_OK, transform->Pause());
    EXPECT_EQ(2, transform->starts);
}

TEST_F(Chain, PauseWithoutInputEndsTheStreamDownstream) {
    ConnectAll();
    ASSERT_EQ(S_OK, transformIn->Disconnect());
    ASSERT_EQ(S_OK, sourceOut->Disconnect());
    EXPECT_EQ(S_OK, sink->Pause());
    EXPECT_EQ(S_OK, transform->Pause());
    EXPECT_TRUE(sink->IsComplete());
    EXPECT_EQ(0, transform->starts) << "nothing to stream";
    EXPECT_EQ(0, transform->endsOfStream);
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(0, transform->stops);
}

TEST_F(Chain, ReceivePathChecksStateFlushingAndSegments) {
    ConnectAll();
    ComPtr<IMemInputPin> transport = TransportOf(transformIn);
    ComPtr<IMediaSample> sample = InputBuffer(400);
    EXPECT_EQ(VFW_E_WRONG_STATE, transport->Receive(sample.Get()));
    EXPECT_EQ(VFW_E_WRONG_STATE, transformIn->EndOfStream());
    EXPECT_EQ(0, transform->transforms);

    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, transform->Pause());
    EXPECT_EQ(S_OK, transport->Receive(sample.Get()));
    EXPECT_EQ(1, transform->transforms);
    EXPECT_EQ(400u, sink->BytesWritten());

    EXPECT_EQ(S_OK, transformIn->BeginFlush());
    EXPECT_EQ(1, transform->flushesBegun);
    EXPECT_TRUE(static_cast<CBaseInputPin*>(sinkIn)->IsFlushing()) << "passed downstream";
    EXPECT_EQ(S_FALSE, transport->Receive(sample.Get()));
    EXPECT_EQ(1, transform->transforms);
    EXPECT_EQ(S_OK, transformIn->EndFlush());
    EXPECT_EQ(1, transform->flushesEnded);
    EXPECT_FALSE(static_cast<CBaseInputPin*>(sinkIn)->IsFlushing());

    EXPECT_EQ(S_OK, transformIn->NewSegment(10, 20, 1.5));
    EXPECT_EQ(1, transform->segments);
    EXPECT_EQ(10, sinkIn->SegmentStart());
    EXPECT_EQ(20, sinkIn->SegmentStop());
    EXPECT_EQ(1.5, sinkIn->SegmentRate());

    LONG processed = 9;
    IMediaSample* samples[] = {sample.Get(), sample.Get()};
    EXPECT_EQ(E_POINTER, transport->ReceiveMultiple(samples, 2, nullptr));
    EXPECT_EQ(S_OK, transport->ReceiveMultiple(samples, 2, &processed));
    EXPECT_EQ(2, processed);
    EXPECT_EQ(1200u, sink->BytesWritten());

    EXPECT_EQ(S_OK, transformIn->EndOfStream());
    EXPECT_EQ(1, transform->endsOfStream);
    EXPECT_TRUE(sink->IsComplete());
}

TEST_F(Chain, FlushingNeedsBothPinsConnected) {
    ASSERT_EQ(S_OK, sourceOut->Connect(transformIn, nullptr));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, transformIn->BeginFlush());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, transformIn->EndFlush());
    EXPECT_EQ(0, transform->flushesBegun);
}

TEST_F(Chain, ARefusedTypeChangeEndsTheStream) {
    ConnectAll();
    ComPtr<IMemInputPin> transport = TransportOf(transformIn);
    ComPtr<IMediaSample> sample = InputBuffer(400);
    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, transform->Pause());
    const CMediaType video = VideoType();
    ASSERT_EQ(S_OK, sample->SetMediaType(const_cast<CMediaType*>(&video)));
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, transport->Receive(sample.Get()));
    EXPECT_EQ(1, transform->endsOfStream) << "end of stream went downstream first";
    EXPECT_TRUE(sink->IsComplete());
    ASSERT_EQ(S_OK, sample->SetMediaType(nullptr));
    EXPECT_EQ(VFW_E_RUNTIME_ERROR, transport->Receive(sample.Get()));
    EXPECT_EQ(0, transform->transforms);

    // Stopping clears the error (and the sink, finished, starts a new file).
    ASSERT_EQ(S_OK, transform->Stop());
    ASSERT_EQ(S_OK, sink->Stop());
    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, transform->Pause());
    ComPtr<IMediaSample> fresh = InputBuffer(400);
    EXPECT_EQ(S_OK, transport->Receive(fresh.Get()));
    EXPECT_EQ(1, transform->transforms);
}

TEST_F(Chain, QualityMessagesGoUpstreamWhenTheFilterPassesThem) {
    Quality quality = {Famine, 500, 0, 0};
    EXPECT_EQ(VFW_E_NOT_FOUND, transformOut->Notify(AsFilter(sink.Get()), quality));
    ConnectAll();
    // The source pin takes no quality messages.
    EXPECT_EQ(E_NOTIMPL, transformOut->Notify(AsFilter(sink.Get()), quality));
    EXPECT_EQ(S_OK, transformOut->SetSink(nullptr));
}

TEST_F(Chain, StopWaitsForTheSampleInProgress) {
    ConnectAll();
    const HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    transform->HoldNextTransform(entered, release);
    ASSERT_EQ(S_OK, PauseAll());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered, 5000));

    const HANDLE stopper = CreateThread(
        nullptr, 0,
        [](void* filter) -> DWORD {
            return static_cast<DWORD>(static_cast<CPassThroughFilter*>(filter)->Stop());
        },
        transform.Get(), 0, nullptr);
    ASSERT_NE(nullptr, stopper);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(stopper, 300))
        << "Stop returned while a sample was being processed";
    EXPECT_EQ(0, transform->stops);

    SetEvent(release);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(stopper, 5000));
    DWORD stopResult = 1;
    GetExitCodeThread(stopper, &stopResult);
    EXPECT_EQ(static_cast<DWORD>(S_OK), stopResult);
    EXPECT_EQ(1, transform->stops);
    EXPECT_FALSE(transform->stoppedDuringTransform);
    EXPECT_EQ(State_Stopped, transform->State());
    CloseHandle(stopper);
    CloseHandle(entered);
    CloseHandle(release);
}

}  // namespace
