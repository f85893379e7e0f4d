// A transform filter and its pins without a graph, in lifecycle order: the answers to refused
// arguments and states, interfaces and queries, direct connection of a WAV source, the
// pass-through and a capture sink (negotiation, allocators, reference counts), then state
// changes and the receive path: start and stop, end of stream, flushing, segments, a refused
// type change, and Stop waiting for a sample in progress.
#include <evcode.h>
#include <gtest/gtest.h>

#include <cstring>

#include "framework/Module.h"
#include "tests/support/ComTestHarness.h"
#include "tests/support/FilterDoubles.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

class Chain : public ::testing::Test {
protected:
    static constexpr int kFrames = 10000, kBlockFrames = 1024;

    void SetUp() override {
        ASSERT_EQ(S_OK, CWavSourceFilter::Create(input, kBlockFrames, source.Put()));
        sourceOut = source->GetPin(0);
        in = transform->GetPin(0);
        out = transform->GetPin(1);
        sinkIn = sink->GetPin(0);
    }
    void TearDown() override {
        for (CBaseFilter* filter :
             {static_cast<CBaseFilter*>(source.Get()), static_cast<CBaseFilter*>(transform.Get()),
              static_cast<CBaseFilter*>(sink.Get())}) {
            filter->Stop();
        }
        for (CBasePin* pin : {sourceOut, in, out, sinkIn}) pin->Disconnect();
        EXPECT_EQ(1u, RefCount(AsFilter(source.Get())));
        EXPECT_EQ(1u, RefCount(Filter())) << "disconnected, held by the test alone";
        EXPECT_EQ(1u, RefCount(AsFilter(sink.Get())));
        source.Reset();
        transform.Reset();
        sink.Reset();
        EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
    }
    void ConnectAll() {
        ASSERT_EQ(S_OK, sourceOut->Connect(in, nullptr));
        ASSERT_EQ(S_OK, out->Connect(sinkIn, nullptr));
    }
    HRESULT PauseAll() {  // downstream first, as a graph does
        HRESULT hr = sink->Pause();
        if (SUCCEEDED(hr)) hr = transform->Pause();
        return SUCCEEDED(hr) ? source->Pause() : hr;
    }
    // A buffer of the transform's input allocator, committed for the purpose.
    ComPtr<IMediaSample> InputBuffer() {
        IMemAllocator* allocator = static_cast<CBaseInputPin*>(in)->Allocator();
        EXPECT_EQ(S_OK, allocator->Commit());
        ComPtr<IMediaSample> sample;
        BYTE* data = nullptr;
        EXPECT_EQ(S_OK, allocator->GetBuffer(sample.Put(), nullptr, nullptr, 0));
        sample->GetPointer(&data);
        std::memcpy(data, input.data.data(), 400);
        sample->SetActualDataLength(400);
        return sample;
    }
    ComPtr<IMemInputPin> Transport() {
        ComPtr<IMemInputPin> transport;
        EXPECT_EQ(S_OK, in->QueryInterface(IID_IMemInputPin, transport.PutVoid()));
        return transport;
    }
    IBaseFilter* Filter() const { return AsFilter(transform.Get()); }

    WavAudio input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, kFrames);
    ComPtr<CWavSourceFilter> source;
    ComPtr<CPassThroughFilter> transform{CPassThroughFilter::Create()};
    ComPtr<CCaptureSink> sink{new CCaptureSink};
    CBasePin *sourceOut = nullptr, *in = nullptr, *out = nullptr, *sinkIn = nullptr;
};

CMediaType VideoType() {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_RGB32);
    type.SetFormatType(&FORMAT_VideoInfo);
    type.AllocFormatBuffer(88);
    return type;
}

TEST_F(Chain, RefusedArgumentsAndStates) {
    ComPtr<IMemInputPin> transport = Transport();
    ULONG count = 0;
    IPin* peer = reinterpret_cast<IPin*>(0x1);
    LPWSTR vendor = reinterpret_cast<LPWSTR>(0x1);
    const struct {
        const char* call;
        HRESULT result, expected;
    } kCases[] = {
        {"QueryInterface", Filter()->QueryInterface(IID_IBaseFilter, nullptr), E_POINTER},
        {"GetClassID", Filter()->GetClassID(nullptr), E_POINTER},
        {"GetState", Filter()->GetState(0, nullptr), E_POINTER},
        {"GetSyncSource", Filter()->GetSyncSource(nullptr), E_POINTER},
        {"EnumPins", Filter()->EnumPins(nullptr), E_POINTER},
        {"FindPin id", Filter()->FindPin(nullptr, &peer), E_POINTER},
        {"FindPin pin", Filter()->FindPin(L"Input", nullptr), E_POINTER},
        {"FindPin name", Filter()->FindPin(L"Out", &peer), VFW_E_NOT_FOUND},
        {"QueryFilterInfo", Filter()->QueryFilterInfo(nullptr), E_POINTER},
        {"QueryVendorInfo", Filter()->QueryVendorInfo(nullptr), E_POINTER},
        {"QueryVendorInfo", Filter()->QueryVendorInfo(&vendor), E_NOTIMPL},
        {"StreamTime", transform->StreamTime(nullptr), E_POINTER},
        {"ReconnectPin", transform->ReconnectPin(nullptr, nullptr), E_POINTER},
        {"ReconnectPin outside a graph", transform->ReconnectPin(out, nullptr), VFW_E_NOT_IN_GRAPH},
        {"NotifyEvent outside a graph", transform->NotifyEvent(EC_COMPLETE, 0, 0), E_NOTIMPL},
        {"Connect", sourceOut->Connect(nullptr, nullptr), E_POINTER},
        {"ReceiveConnection pin", in->ReceiveConnection(nullptr, nullptr), E_POINTER},
        {"ReceiveConnection type", in->ReceiveConnection(sourceOut, nullptr), E_POINTER},
        {"ConnectedTo", in->ConnectedTo(nullptr), E_POINTER},
        {"ConnectionMediaType", in->ConnectionMediaType(nullptr), E_POINTER},
        {"QueryPinInfo", out->QueryPinInfo(nullptr), E_POINTER},
        {"QueryDirection", in->QueryDirection(nullptr), E_POINTER},
        {"QueryId", in->QueryId(nullptr), E_POINTER},
        {"QueryAccept", in->QueryAccept(nullptr), E_POINTER},
        {"EnumMediaTypes", out->EnumMediaTypes(nullptr), E_POINTER},
        {"QueryInternalConnections", in->QueryInternalConnections(nullptr, nullptr), E_POINTER},
        {"QueryInternalConnections", in->QueryInternalConnections(nullptr, &count), E_NOTIMPL},
        {"output EndOfStream", out->EndOfStream(), E_UNEXPECTED},
        {"output BeginFlush", out->BeginFlush(), E_UNEXPECTED},
        {"output EndFlush", out->EndFlush(), E_UNEXPECTED},
        {"unconnected BeginFlush", in->BeginFlush(), VFW_E_NOT_CONNECTED},
        {"unconnected EndFlush", in->EndFlush(), VFW_E_NOT_CONNECTED},
        {"Receive", transport->Receive(nullptr), E_POINTER},
        {"GetAllocator", transport->GetAllocator(nullptr), E_POINTER},
        {"NotifyAllocator", transport->NotifyAllocator(nullptr, FALSE), E_POINTER},
        {"GetAllocatorRequirements", transport->GetAllocatorRequirements(nullptr), E_POINTER},
        {"ReceiveMultiple", transport->ReceiveMultiple(nullptr, 1, nullptr), E_POINTER},
        {"ReceiveCanBlock", transport->ReceiveCanBlock(), S_OK},
        {"Notify", out->Notify(AsFilter(sink.Get()), {Famine, 500, 0, 0}), VFW_E_NOT_FOUND},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.expected, c.result) << c.call;
    EXPECT_EQ(nullptr, peer);
    EXPECT_EQ(nullptr, vendor);
    EXPECT_EQ(2u, RefCount(Filter())) << "the test's and its transport's";
    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, Filter()->QueryInterface(IID_IPin, &none));
    EXPECT_EQ(nullptr, none);
    peer = reinterpret_cast<IPin*>(0x1);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, in->ConnectedTo(&peer));
    EXPECT_EQ(nullptr, peer);
    AM_MEDIA_TYPE type;
    std::memset(&type, 0xcc, sizeof(type));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, in->ConnectionMediaType(&type));
    EXPECT_TRUE(type.pbFormat == nullptr && IsEqualGUID(GUID_NULL, type.majortype));
}

TEST_F(Chain, FilterPinsAndClockAnswerTheirQueries) {
    for (const IID* iid :
         {&IID_IBaseFilter, &IID_IMediaFilter, &IID_IPersist, &IID_IAMovieSetup, &IID_IUnknown}) {
        ComPtr<IUnknown> found;
        ASSERT_EQ(S_OK, Filter()->QueryInterface(*iid, found.PutVoid()));
        EXPECT_EQ(transform->GetOwner(), IdentityOf(found.Get()));
        EXPECT_EQ(2u, RefCount(Filter()));
    }
    CLSID clsid = {};
    FILTER_STATE state = State_Running;
    FILTER_INFO info;
    EXPECT_EQ(S_OK, Filter()->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestPassThrough, clsid));
    EXPECT_EQ(S_OK, Filter()->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    EXPECT_EQ(S_OK, Filter()->JoinFilterGraph(nullptr, L"Reverb"));
    EXPECT_EQ(S_OK, Filter()->QueryFilterInfo(&info));
    EXPECT_STREQ(L"Reverb", info.achName);
    EXPECT_EQ(nullptr, info.pGraph);

    // Pins: made once, objects of their own that count on the filter.
    EXPECT_EQ(2, transform->GetPinCount());
    EXPECT_EQ(nullptr, transform->GetPin(2));
    EXPECT_EQ(nullptr, transform->GetPin(-1));
    EXPECT_EQ(in, transform->GetPin(0));
    EXPECT_EQ(2u, in->AddRef());
    EXPECT_EQ(1u, in->Release());
    EXPECT_NE(transform->GetOwner(), IdentityOf(static_cast<IPin*>(in)));
    ComPtr<IUnknown> found;
    EXPECT_EQ(S_OK, in->QueryInterface(IID_IMemInputPin, found.PutVoid()));
    EXPECT_EQ(S_OK, out->QueryInterface(IID_IQualityControl, found.PutVoid()));
    EXPECT_EQ(E_NOINTERFACE, out->QueryInterface(IID_IMemInputPin, found.PutVoid()));
    EXPECT_EQ(1u, RefCount(Filter()));
    PIN_INFO pinInfo;
    ASSERT_EQ(S_OK, out->QueryPinInfo(&pinInfo));
    EXPECT_EQ(Filter(), pinInfo.pFilter);
    EXPECT_EQ(PINDIR_OUTPUT, pinInfo.dir);
    EXPECT_STREQ(L"Output", pinInfo.achName);
    EXPECT_EQ(2u, RefCount(Filter()));
    pinInfo.pFilter->Release();
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    EXPECT_EQ(S_OK, in->QueryDirection(&direction));
    EXPECT_EQ(PINDIR_INPUT, direction);
    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, in->QueryId(&id));
    EXPECT_STREQ(L"Input", id);
    CoTaskMemFree(id);
    ComPtr<IPin> pin;
    EXPECT_EQ(S_OK, Filter()->FindPin(L"Output", pin.Put()));
    EXPECT_EQ(static_cast<IPin*>(out), pin.Get());

    // The clock is counted while the filter holds it; stream time is measured from the run.
    REFERENCE_TIME now = 0, start = 0;
    EXPECT_EQ(VFW_E_NO_CLOCK, transform->StreamTime(&now));
    ComPtr<IReferenceClock> system, held;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IReferenceClock, system.PutVoid()));
    EXPECT_EQ(S_OK, Filter()->GetSyncSource(held.Put()));
    EXPECT_FALSE(held);
    EXPECT_EQ(S_OK, Filter()->SetSyncSource(system.Get()));
    EXPECT_EQ(2u, RefCount(system.Get()));
    EXPECT_EQ(S_OK, Filter()->GetSyncSource(held.Put()));
    EXPECT_EQ(system.Get(), held.Get());
    held.Reset();
    system->GetTime(&start);
    EXPECT_EQ(S_OK, Filter()->Run(start));
    EXPECT_EQ(S_OK, transform->StreamTime(&now));
    EXPECT_TRUE(now >= 0 && now < 10000000);
    EXPECT_EQ(S_OK, Filter()->Stop());
    EXPECT_EQ(S_OK, Filter()->SetSyncSource(nullptr));
    EXPECT_EQ(1u, RefCount(system.Get()));
}

TEST_F(Chain, ConnectionNegotiatesTypesAndAllocators) {
    CMediaType audio, partialVideo(&MEDIATYPE_Video), partialAudio(&MEDIATYPE_Audio);
    ASSERT_EQ(S_OK, source->FileMediaType(&audio));
    const CMediaType video = VideoType();
    EXPECT_EQ(S_OK, in->QueryAccept(&audio));
    EXPECT_EQ(S_FALSE, in->QueryAccept(&video));
    EXPECT_EQ(S_FALSE, out->QueryAccept(&audio)) << "nothing before the input connects";
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, sourceOut->Connect(out, nullptr));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, out->Connect(sinkIn, nullptr)) << "nothing proposed";
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, sourceOut->Connect(in, &video));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, sourceOut->Connect(in, &partialVideo));
    EXPECT_FALSE(sourceOut->IsConnected() || in->IsConnected());
    for (CBaseFilter* paused :
         {static_cast<CBaseFilter*>(transform.Get()), static_cast<CBaseFilter*>(source.Get())}) {
        ASSERT_EQ(S_OK, paused->Pause());
        EXPECT_EQ(VFW_E_NOT_STOPPED, sourceOut->Connect(in, nullptr));
        ASSERT_EQ(S_OK, paused->Stop());
    }

    ASSERT_EQ(S_OK, sourceOut->Connect(in, &partialAudio));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, sourceOut->Connect(in, nullptr));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, in->ReceiveConnection(sourceOut, &partialAudio));
    ComPtr<IPin> peer;
    ASSERT_EQ(S_OK, in->ConnectedTo(peer.Put()));
    EXPECT_EQ(static_cast<IPin*>(sourceOut), peer.Get());
    peer.Reset();
    AM_MEDIA_TYPE agreed;
    ASSERT_EQ(S_OK, in->ConnectionMediaType(&agreed));
    EXPECT_TRUE(CMediaType(agreed) == audio);
    FreeMediaType(agreed);
    ComPtr<IEnumMediaTypes> types;  // now the output proposes the input's type, and only that
    ASSERT_EQ(S_OK, out->EnumMediaTypes(types.Put()));
    AM_MEDIA_TYPE* proposed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, types->Next(2, proposed, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_TRUE(CMediaType(*proposed[0]) == audio);
    DeleteMediaType(proposed[0]);
    types.Reset();

    ASSERT_EQ(S_OK, out->Connect(sinkIn, nullptr));
    IMemAllocator* allocator = static_cast<CBaseOutputPin*>(out)->Allocator();
    EXPECT_EQ(allocator, static_cast<CBaseInputPin*>(sinkIn)->Allocator())
        << "the downstream pin's allocator, announced back to it";
    ALLOCATOR_PROPERTIES upstream = {}, downstream = {};
    static_cast<CBaseInputPin*>(in)->Allocator()->GetProperties(&upstream);
    allocator->GetProperties(&downstream);
    EXPECT_EQ(kBlockFrames * 4, upstream.cbBuffer);
    EXPECT_EQ(upstream.cbBuffer, downstream.cbBuffer);
    EXPECT_EQ(upstream.cBuffers, downstream.cBuffers);
    // Each connection holds the other side's pin (and an output pin its transport too).
    EXPECT_EQ(4u, RefCount(Filter()));
    EXPECT_EQ(2u, RefCount(AsFilter(source.Get())));
    EXPECT_EQ(3u, RefCount(AsFilter(sink.Get())));
    EXPECT_EQ(S_OK, transform->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, in->Disconnect());
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(S_OK, in->Disconnect());
    EXPECT_EQ(S_FALSE, in->Disconnect());
    EXPECT_EQ(S_OK, sourceOut->Disconnect());
    EXPECT_EQ(2u, RefCount(Filter()));
    EXPECT_EQ(1u, RefCount(AsFilter(source.Get())));
}

TEST_F(Chain, PauseStartsStreamingAndStopStopsIt) {
    ConnectAll();
    transform->startResult = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, transform->Pause()) << "a failed start leaves the filter stopped";
    EXPECT_EQ(State_Stopped, transform->State());
    EXPECT_EQ(0, transform->stops);
    ComPtr<IMediaSample> buffer;
    EXPECT_EQ(VFW_E_NOT_COMMITTED, static_cast<CBaseOutputPin*>(out)->GetDeliveryBuffer(
                                       buffer.Put(), nullptr, nullptr, 0));
    transform->startResult = S_OK;
    EXPECT_EQ(S_OK, PauseAll());
    EXPECT_EQ(S_OK, transform->Pause()) << "pausing again starts nothing";
    ASSERT_TRUE(sink->WaitUntil(false, kGraphTimeoutMs));
    EXPECT_EQ(S_OK, transform->Run(0));
    EXPECT_EQ(2, transform->starts);
    EXPECT_EQ((kFrames + kBlockFrames - 1) / kBlockFrames, transform->transforms);
    EXPECT_EQ(1, transform->endsOfStream);
    EXPECT_EQ(std::vector<int>{transform->transforms}, sink->EndsOfStream());
    EXPECT_TRUE(input.data == sink->Bytes());
    EXPECT_TRUE(sink->Deliveries()[0].discontinuity);
    EXPECT_EQ(S_OK, source->Stop());
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(1, transform->stops);

    // Without an input the pause only ends the stream downstream, once.
    ASSERT_EQ(S_OK, in->Disconnect());
    ASSERT_EQ(S_OK, sourceOut->Disconnect());
    sink->Clear();
    for (int round = 0; round < 2; ++round) EXPECT_EQ(S_OK, transform->Pause());
    EXPECT_EQ(std::vector<int>{0}, sink->EndsOfStream());
    EXPECT_EQ(S_OK, transform->Stop());
    EXPECT_EQ(2, transform->starts);
    EXPECT_EQ(1, transform->stops);
}

TEST_F(Chain, ReceivePathChecksStateFlushingSegmentsAndTypeChanges) {
    ConnectAll();
    ComPtr<IMemInputPin> transport = Transport();
    ComPtr<IMediaSample> sample = InputBuffer();
    EXPECT_EQ(VFW_E_WRONG_STATE, transport->Receive(sample.Get()));
    EXPECT_EQ(VFW_E_WRONG_STATE, in->EndOfStream());
    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, transform->Pause());
    EXPECT_EQ(S_OK, transport->Receive(sample.Get()));
    EXPECT_EQ(S_OK, in->BeginFlush());
    EXPECT_TRUE(static_cast<CBaseInputPin*>(sinkIn)->IsFlushing()) << "passed downstream";
    EXPECT_EQ(S_FALSE, transport->Receive(sample.Get()));
    EXPECT_EQ(S_OK, in->EndFlush());
    EXPECT_FALSE(static_cast<CBaseInputPin*>(sinkIn)->IsFlushing());
    EXPECT_EQ(S_OK, in->NewSegment(10, 20, 1.5));
    EXPECT_EQ(10, sinkIn->SegmentStart());
    EXPECT_EQ(20, sinkIn->SegmentStop());
    EXPECT_EQ(1.5, sinkIn->SegmentRate());
    LONG processed = 9;
    IMediaSample* samples[] = {sample.Get(), sample.Get()};
    EXPECT_EQ(E_INVALIDARG, transport->ReceiveMultiple(samples, -1, &processed));
    EXPECT_EQ(S_OK, transport->ReceiveMultiple(samples, 2, &processed));
    EXPECT_EQ(2, processed);
    EXPECT_EQ(3, transform->transforms);
    EXPECT_EQ(1200u, sink->Bytes().size());

    // A sample carrying a type the pin refuses ends the stream downstream, then every sample
    // and end of stream fails until the filter stops.
    const CMediaType video = VideoType();
    ASSERT_EQ(S_OK, sample->SetMediaType(const_cast<CMediaType*>(&video)));
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, transport->Receive(sample.Get()));
    EXPECT_EQ(1, transform->endsOfStream);
    ASSERT_EQ(S_OK, sample->SetMediaType(nullptr));
    EXPECT_EQ(VFW_E_RUNTIME_ERROR, transport->Receive(sample.Get()));
    EXPECT_EQ(VFW_E_RUNTIME_ERROR, in->EndOfStream());
    EXPECT_EQ(3, transform->transforms);
    ASSERT_EQ(S_OK, transform->Stop());
    ASSERT_EQ(S_OK, transform->Pause());
    sample = InputBuffer();
    EXPECT_EQ(S_OK, transport->Receive(sample.Get()));
    EXPECT_EQ(S_OK, in->EndOfStream());
    EXPECT_EQ((std::vector<int>{3, 4}), sink->EndsOfStream());
    // The source pin takes no quality messages.
    EXPECT_EQ(E_NOTIMPL, out->Notify(AsFilter(sink.Get()), {Famine, 500, 0, 0}));
}

TEST_F(Chain, StopWaitsForTheSampleInProgress) {
    ConnectAll();
    sink->HoldAt(2);
    ASSERT_EQ(S_OK, PauseAll());
    ASSERT_TRUE(sink->WaitUntil(true, kGraphTimeoutMs));
    const HANDLE stopper = CreateThread(
        nullptr, 0,
        [](void* filter) -> DWORD {
            return static_cast<DWORD>(static_cast<CPassThroughFilter*>(filter)->Stop());
        },
        transform.Get(), 0, nullptr);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(stopper, 300))
        << "Stop returned while a sample was being processed";
    EXPECT_EQ(0, transform->stops);
    sink->LetGo();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(stopper, kGraphTimeoutMs));
    DWORD stopResult = 1;
    GetExitCodeThread(stopper, &stopResult);
    CloseHandle(stopper);
    EXPECT_EQ(static_cast<DWORD>(S_OK), stopResult);
    EXPECT_EQ(1, transform->stops);
    EXPECT_EQ(State_Stopped, transform->State());
}

}  // namespace
