// A transform filter and its pins without a graph, in lifecycle order: refusals, queries,
// connection, state changes and the receive path between a WAV source and a capture sink.
#include <evcode.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <tuple>
#include <vector>

#include "tests/support/ComTestHarness.h"
#include "tests/support/FilterDoubles.h"

namespace {

class Chain : public TransformChain {
protected:
    static constexpr int kFrames = 10000, kBlockFrames = 1024;

    Chain() : TransformChain(CPassThroughFilter::Create()) {}
    void SetUp() override {
        TransformChain::SetUp();
        ASSERT_EQ(S_OK, CWavSourceFilter::Create(input, kBlockFrames, source_.Put()));
    }
    void ConnectAll() {
        ASSERT_EQ(S_OK, SourcePin()->Connect(input_, nullptr));
        ASSERT_EQ(S_OK, ConnectSink());
    }
    IMemInputPin* Transport() const { return static_cast<CBaseInputPin*>(input_); }
    ComPtr<IMediaSample> InputSample() { return Sample({&input.data[0], &input.data[400]}); }

    const WavAudio input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, kFrames);
    CPassThroughFilter* const pass_ = static_cast<CPassThroughFilter*>(filter_.Get());
};

CMediaType VideoType() {
    CMediaType type = AudioType(WAVE_FORMAT_PCM, 16, 2, 44100);
    type.SetType(&MEDIATYPE_Video);
    return type;
}

TEST_F(Chain, RefusedArgumentsAndStates) {
    IMemInputPin* transport = Transport();
    IPin* peer = reinterpret_cast<IPin*>(0x1);
    LPWSTR vendor = reinterpret_cast<LPWSTR>(0x1);
    const std::tuple<const char*, HRESULT, HRESULT> kCases[] = {
        {"GetClassID", Filter()->GetClassID(nullptr), E_POINTER},
        {"GetState", Filter()->GetState(0, nullptr), E_POINTER},
        {"GetSyncSource", Filter()->GetSyncSource(nullptr), E_POINTER},
        {"FindPin pin", Filter()->FindPin(L"Input", nullptr), E_POINTER},
        {"FindPin name", Filter()->FindPin(L"Out", &peer), VFW_E_NOT_FOUND},
        {"QueryFilterInfo", Filter()->QueryFilterInfo(nullptr), E_POINTER},
        {"QueryVendorInfo", Filter()->QueryVendorInfo(&vendor), E_NOTIMPL},
        {"StreamTime", pass_->StreamTime(nullptr), E_POINTER},
        {"ReconnectPin", pass_->ReconnectPin(nullptr, nullptr), E_POINTER},
        {"ReconnectPin outside a graph", pass_->ReconnectPin(output_, nullptr), VFW_E_NOT_IN_GRAPH},
        {"NotifyEvent outside a graph", pass_->NotifyEvent(EC_COMPLETE, 0, 0), E_NOTIMPL},
        {"Connect", SourcePin()->Connect(nullptr, nullptr), E_POINTER},
        {"ConnectedTo", input_->ConnectedTo(nullptr), E_POINTER},
        {"ConnectionMediaType", input_->ConnectionMediaType(nullptr), E_POINTER},
        {"QueryPinInfo", output_->QueryPinInfo(nullptr), E_POINTER},
        {"QueryDirection", input_->QueryDirection(nullptr), E_POINTER},
        {"QueryId", input_->QueryId(nullptr), E_POINTER},
        {"QueryAccept", input_->QueryAccept(nullptr), E_POINTER},
        {"EnumMediaTypes", output_->EnumMediaTypes(nullptr), E_POINTER},
        {"output EndOfStream", output_->EndOfStream(), E_UNEXPECTED},
        {"output BeginFlush", output_->BeginFlush(), E_UNEXPECTED},
        {"output EndFlush", output_->EndFlush(), E_UNEXPECTED},
        {"unconnected BeginFlush", input_->BeginFlush(), VFW_E_NOT_CONNECTED},
        {"unconnected EndFlush", input_->EndFlush(), VFW_E_NOT_CONNECTED},
        {"Receive", transport->Receive(nullptr), E_POINTER},
        {"GetAllocator", transport->GetAllocator(nullptr), E_POINTER},
        {"NotifyAllocator", transport->NotifyAllocator(nullptr, FALSE), E_POINTER},
        {"GetAllocatorRequirements", transport->GetAllocatorRequirements(nullptr), E_POINTER},
        {"ReceiveMultiple", transport->ReceiveMultiple(nullptr, 1, nullptr), E_POINTER},
        {"ReceiveCanBlock", transport->ReceiveCanBlock(), S_OK},
        {"Notify", output_->Notify(AsFilter(sink_.Get()), {Famine, 500, 0, 0}), VFW_E_NOT_FOUND},
    };
    for (const auto& [call, result, expected] : kCases) EXPECT_EQ(expected, result) << call;
    EXPECT_EQ(nullptr, peer);
    EXPECT_EQ(nullptr, vendor);
    EXPECT_EQ(1u, RefCount(Filter()));
    peer = reinterpret_cast<IPin*>(0x1);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, input_->ConnectedTo(&peer));
    EXPECT_EQ(nullptr, peer);
    AM_MEDIA_TYPE type;
    std::memset(&type, 0xcc, sizeof(type));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, input_->ConnectionMediaType(&type));
    EXPECT_TRUE(type.pbFormat == nullptr && IsEqualGUID(GUID_NULL, type.majortype));
}

TEST_F(Chain, FilterPinsAndClockAnswerTheirQueries) {
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

    // Pins: objects of their own that count on the filter.
    EXPECT_NE(pass_->GetOwner(), IdentityOf(static_cast<IPin*>(input_)));
    EXPECT_EQ(2u, input_->AddRef());
    EXPECT_EQ(1u, input_->Release());
    PIN_INFO pinInfo;
    ASSERT_EQ(S_OK, output_->QueryPinInfo(&pinInfo));
    EXPECT_EQ(Filter(), pinInfo.pFilter);
    EXPECT_EQ(PINDIR_OUTPUT, pinInfo.dir);
    EXPECT_STREQ(L"Output", pinInfo.achName);
    EXPECT_EQ(2u, RefCount(Filter()));
    pinInfo.pFilter->Release();
    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, input_->QueryId(&id));
    EXPECT_STREQ(L"Input", id);
    CoTaskMemFree(id);

    // The clock is counted while the filter holds it.
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
    EXPECT_EQ(S_OK, Filter()->SetSyncSource(nullptr));
    EXPECT_EQ(1u, RefCount(system.Get()));
}

// The output pin's seeking is the upstream pin's: with the input unconnected, or connected to a
// source that cannot seek, nothing is supported and nothing is returned.
TEST_F(Chain, OutputPinPassesSeekingUpstream) {
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IMediaPosition> position;
    ComPtr<IPin> pin;
    ASSERT_EQ(S_OK, output_->QueryInterface(IID_IMediaSeeking, seeking.PutVoid()));
    ASSERT_EQ(S_OK, seeking->QueryInterface(IID_IMediaPosition, position.PutVoid()));
    ASSERT_EQ(S_OK, position->QueryInterface(IID_IPin, pin.PutVoid()));
    EXPECT_EQ(static_cast<IPin*>(output_), pin.Get());
    EXPECT_EQ(IdentityOf(pin.Get()), IdentityOf(seeking.Get()));
    EXPECT_EQ(4u, RefCount(Filter())) << "on the filter's count";
    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, input_->QueryInterface(IID_IMediaSeeking, &none));
    EXPECT_EQ(nullptr, none);
    UINT typeInfos = 9;
    EXPECT_EQ(S_OK, position->GetTypeInfoCount(&typeInfos));
    EXPECT_EQ(0u, typeInfos);

    for (const bool connected : {false, true}) {
        if (connected) {
            ASSERT_EQ(S_OK, SourcePin()->Connect(input_, nullptr));
        }
        LONGLONG time = 7;
        REFTIME seconds = 7;
        double rate = 7;
        GUID format = MEDIASUBTYPE_PCM;
        LONG can = 7;
        DWORD caps = AM_SEEKING_CanSeekAbsolute;
        const std::tuple<const char*, HRESULT, HRESULT> kCases[] = {
            {"GetCapabilities", seeking->GetCapabilities(nullptr), E_POINTER},
            {"CheckCapabilities", seeking->CheckCapabilities(&caps), E_NOTIMPL},
            {"GetTimeFormat", seeking->GetTimeFormat(&format), E_NOTIMPL},
            {"IsFormatSupported", seeking->IsFormatSupported(nullptr), E_POINTER},
            {"GetDuration", seeking->GetDuration(&time), E_NOTIMPL},
            {"SetPositions",
             seeking->SetPositions(&time, AM_SEEKING_AbsolutePositioning, nullptr,
                                   AM_SEEKING_NoPositioning),
             E_NOTIMPL},
            {"GetRate", seeking->GetRate(&rate), E_NOTIMPL},
            {"get_Duration", position->get_Duration(&seconds), E_NOTIMPL},
            {"put_CurrentPosition", position->put_CurrentPosition(1.5), E_NOTIMPL},
            {"CanSeekForward", position->CanSeekForward(&can), E_NOTIMPL},
            {"get_Rate", position->get_Rate(nullptr), E_POINTER},
            {"Invoke", position->Invoke(1, IID_NULL, 0, 0, nullptr, nullptr, nullptr, nullptr),
             E_NOTIMPL},
        };
        for (const auto& [call, result, expected] : kCases) EXPECT_EQ(expected, result) << call;
        EXPECT_EQ((std::vector<double>{0, 0, 0, 0}),
                  (std::vector<double>{double(time), seconds, rate, double(can)}));
        EXPECT_TRUE(IsEqualGUID(GUID_NULL, format));
        EXPECT_EQ(DWORD{AM_SEEKING_CanSeekAbsolute}, caps) << "asked, not answered";
    }
    EXPECT_EQ(S_OK, SourcePin()->Disconnect());
    EXPECT_EQ(S_OK, input_->Disconnect());
}

TEST_F(Chain, ConnectionNegotiatesTypesAndAllocators) {
    CMediaType audio, partialVideo(&MEDIATYPE_Video), partialAudio(&MEDIATYPE_Audio);
    ASSERT_EQ(S_OK, source_->FileMediaType(&audio));
    const CMediaType video = VideoType();
    EXPECT_EQ(S_OK, input_->QueryAccept(&audio));
    EXPECT_EQ(S_FALSE, input_->QueryAccept(&video));
    EXPECT_EQ(S_FALSE, output_->QueryAccept(&audio)) << "nothing before the input connects";
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, SourcePin()->Connect(output_, nullptr));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, output_->Connect(SinkPin(), nullptr))
        << "nothing proposed";
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, SourcePin()->Connect(input_, &video));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, SourcePin()->Connect(input_, &partialVideo));
    EXPECT_FALSE(SourcePin()->IsConnected() || input_->IsConnected());
    for (CBaseFilter* paused :
         {static_cast<CBaseFilter*>(pass_), static_cast<CBaseFilter*>(source_.Get())}) {
        ASSERT_EQ(S_OK, paused->Pause());
        EXPECT_EQ(VFW_E_NOT_STOPPED, SourcePin()->Connect(input_, nullptr));
        ASSERT_EQ(S_OK, paused->Stop());
    }

    ASSERT_EQ(S_OK, SourcePin()->Connect(input_, &partialAudio));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, SourcePin()->Connect(input_, nullptr));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, input_->ReceiveConnection(SourcePin(), &partialAudio));
    ComPtr<IPin> peer;
    ASSERT_EQ(S_OK, input_->ConnectedTo(peer.Put()));
    EXPECT_EQ(static_cast<IPin*>(SourcePin()), peer.Get());
    peer.Reset();
    AM_MEDIA_TYPE agreed;
    ASSERT_EQ(S_OK, input_->ConnectionMediaType(&agreed));
    EXPECT_TRUE(CMediaType(agreed) == audio);
    FreeMediaType(agreed);
    ComPtr<IEnumMediaTypes> types;  // now the output proposes the input's type, and only that
    ASSERT_EQ(S_OK, output_->EnumMediaTypes(types.Put()));
    AM_MEDIA_TYPE* proposed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, types->Next(2, proposed, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_TRUE(CMediaType(*proposed[0]) == audio);
    DeleteMediaType(proposed[0]);
    types.Reset();

    ASSERT_EQ(S_OK, output_->Connect(SinkPin(), nullptr));
    IMemAllocator* allocator = static_cast<CBaseOutputPin*>(output_)->Allocator();
    EXPECT_EQ(allocator, static_cast<CBaseInputPin*>(SinkPin())->Allocator());
    EXPECT_EQ(1, sink_->allocatorsNotified) << "the downstream pin's allocator, announced to it";
    ALLOCATOR_PROPERTIES upstream = {}, downstream = {};
    static_cast<CBaseInputPin*>(input_)->Allocator()->GetProperties(&upstream);
    allocator->GetProperties(&downstream);
    EXPECT_EQ(kBlockFrames * 4, upstream.cbBuffer);
    EXPECT_EQ((std::vector<long>{upstream.cBuffers, upstream.cbBuffer}),
              (std::vector<long>{downstream.cBuffers, downstream.cbBuffer}));
    // Each connection holds the other side's pin (and an output pin its transport too).
    EXPECT_EQ(4u, RefCount(Filter()));
    EXPECT_EQ(2u, RefCount(AsFilter(source_.Get())));
    EXPECT_EQ(3u, RefCount(AsFilter(sink_.Get())));
    EXPECT_EQ(S_OK, pass_->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, input_->Disconnect());
    EXPECT_EQ(S_OK, pass_->Stop());
    EXPECT_EQ(S_OK, input_->Disconnect());
    EXPECT_EQ(S_FALSE, input_->Disconnect());
    EXPECT_EQ(S_OK, SourcePin()->Disconnect());
    EXPECT_EQ(2u, RefCount(Filter()));
    EXPECT_EQ(1u, RefCount(AsFilter(source_.Get())));
}

TEST_F(Chain, PauseStartsStreamingAndStopStopsIt) {
    ConnectAll();
    pass_->startResult = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, pass_->Pause()) << "a failed start leaves the filter stopped";
    EXPECT_EQ(State_Stopped, pass_->State());
    EXPECT_EQ(0, pass_->stops);
    ComPtr<IMediaSample> buffer;
    EXPECT_EQ(VFW_E_NOT_COMMITTED, static_cast<CBaseOutputPin*>(output_)->GetDeliveryBuffer(
                                       buffer.Put(), nullptr, nullptr, 0));
    pass_->startResult = S_OK;
    EXPECT_EQ(S_OK, PauseAll(true));
    EXPECT_EQ(S_OK, pass_->Pause()) << "pausing again starts nothing";
    ASSERT_TRUE(sink_->WaitUntil(false, kGraphTimeoutMs));
    EXPECT_EQ(S_OK, pass_->Run(0));
    EXPECT_EQ(2, pass_->starts);
    EXPECT_EQ((kFrames + kBlockFrames - 1) / kBlockFrames, pass_->transforms);
    EXPECT_EQ(1, pass_->endsOfStream);
    EXPECT_EQ(std::vector<int>{pass_->transforms}, sink_->endsOfStream);
    EXPECT_TRUE(input.data == sink_->Bytes());
    EXPECT_TRUE(sink_->deliveries[0].discontinuity);
    EXPECT_EQ(S_OK, source_->Stop());
    EXPECT_EQ(S_OK, pass_->Stop());
    EXPECT_EQ(S_OK, pass_->Stop());
    EXPECT_EQ(1, pass_->stops);

    // Without an input the pause only ends the stream downstream, once.
    ASSERT_EQ(S_OK, input_->Disconnect());
    ASSERT_EQ(S_OK, SourcePin()->Disconnect());
    sink_->Clear();
    for (int round = 0; round < 2; ++round) EXPECT_EQ(S_OK, pass_->Pause());
    EXPECT_EQ(std::vector<int>{0}, sink_->endsOfStream);
    EXPECT_EQ(S_OK, pass_->Stop());
    EXPECT_EQ(S_OK, pass_->Pause());
    EXPECT_EQ((std::vector<int>{0, 0}), sink_->endsOfStream) << "again after a stop";
    EXPECT_EQ(S_OK, pass_->Stop());
    EXPECT_EQ(2, pass_->starts);
    EXPECT_EQ(1, pass_->stops);
}

TEST_F(Chain, ReceivePathChecksStateFlushingSegmentsAndTypeChanges) {
    ConnectAll();
    IMemInputPin* transport = Transport();
    ComPtr<IMediaSample> sample = InputSample();
    EXPECT_EQ(VFW_E_WRONG_STATE, transport->Receive(sample.Get()));
    EXPECT_EQ(VFW_E_WRONG_STATE, input_->EndOfStream());
    ASSERT_EQ(S_OK, sink_->Pause());
    ASSERT_EQ(S_OK, pass_->Pause());
    EXPECT_EQ(S_OK, transport->Receive(sample.Get()));
    EXPECT_EQ(S_OK, input_->BeginFlush());
    EXPECT_TRUE(static_cast<CBaseInputPin*>(SinkPin())->IsFlushing()) << "passed downstream";
    EXPECT_EQ(S_FALSE, transport->Receive(sample.Get()));
    EXPECT_EQ(S_OK, input_->EndFlush());
    EXPECT_FALSE(static_cast<CBaseInputPin*>(SinkPin())->IsFlushing());
    EXPECT_EQ(S_OK, input_->NewSegment(10, 20, 1.5));
    EXPECT_EQ(10, SinkPin()->SegmentStart());
    EXPECT_EQ(20, SinkPin()->SegmentStop());
    EXPECT_EQ(1.5, SinkPin()->SegmentRate());
    LONG processed = 9;
    IMediaSample* samples[] = {sample.Get(), sample.Get()};
    EXPECT_EQ(E_INVALIDARG, transport->ReceiveMultiple(samples, -1, &processed));
    EXPECT_EQ(S_OK, transport->ReceiveMultiple(samples, 2, &processed));
    EXPECT_EQ(2, processed);
    EXPECT_EQ(3, pass_->transforms);
    EXPECT_EQ(1200u, sink_->Bytes().size());

    // A sample carrying a type the pin refuses ends the stream downstream, then every sample
    // and end of stream fails until a flush or a stop.
    const CMediaType video = VideoType();
    for (int round = 0; round < 2; ++round) {
        ComPtr<IMediaSample> refused = InputSample();
        ASSERT_EQ(S_OK, refused->SetMediaType(const_cast<CMediaType*>(&video)));
        EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, transport->Receive(refused.Get()));
        EXPECT_EQ(VFW_E_RUNTIME_ERROR, transport->Receive(sample.Get()));
        EXPECT_EQ(VFW_E_RUNTIME_ERROR, input_->EndOfStream());
        ASSERT_EQ(S_OK, round == 0 ? input_->BeginFlush() : pass_->Stop());
        ASSERT_EQ(S_OK, round == 0 ? input_->EndFlush() : pass_->Pause());
        EXPECT_EQ(S_OK, transport->Receive(sample.Get()));
    }
    EXPECT_EQ(S_OK, input_->EndOfStream());
    EXPECT_EQ(5, pass_->transforms);
    EXPECT_EQ((std::vector<int>{3, 4, 5}), sink_->endsOfStream);
    // The source pin takes no quality messages.
    EXPECT_EQ(E_NOTIMPL, output_->Notify(AsFilter(sink_.Get()), {Famine, 500, 0, 0}));
}

TEST_F(Chain, StopWaitsForTheSampleInProgress) {
    ConnectAll();
    sink_->HoldAt(2);
    ASSERT_EQ(S_OK, PauseAll(true));
    ASSERT_TRUE(sink_->WaitUntil(true, kGraphTimeoutMs));
    auto stopped = std::async(std::launch::async, [this] { return pass_->Stop(); });
    EXPECT_EQ(std::future_status::timeout, stopped.wait_for(std::chrono::milliseconds(300)))
        << "Stop returned while a sample was being processed";
    EXPECT_EQ(0, pass_->stops);
    sink_->LetGo();
    EXPECT_EQ(S_OK, stopped.get());
    EXPECT_EQ(1, pass_->stops);
    EXPECT_EQ(State_Stopped, pass_->State());
}

}  // namespace
