// The filter between the test source and the capture sink (see LocalChain.h).
#include "tests/plugin/LocalChain.h"

#include "framework/Module.h"

void LocalChainTest::SetUp() {
    ASSERT_EQ(0, ModuleObjectCount());
    filter_ = CreateLocalFilter();
    ASSERT_TRUE(filter_);
    input_ = filter_->GetPin(0);
    output_ = filter_->GetPin(1);
    ASSERT_NE(nullptr, input_);
    ASSERT_NE(nullptr, output_);
    ASSERT_EQ(S_OK, CCaptureSink::Create(sink_.Put()));
}

void LocalChainTest::TearDown() {
    StopAll();
    if (source_) source_->GetPin(0)->Disconnect();
    input_->Disconnect();
    output_->Disconnect();
    sink_->GetPin(0)->Disconnect();
    EXPECT_EQ(1u, RefCount(AsFilter(filter_.Get()))) << "disconnected, only the test holds it";
    source_.Reset();
    filter_.Reset();
    sink_.Reset();
    EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
}

HRESULT LocalChainTest::ConnectSource(const CMediaType& type, long bufferBytes, long buffers,
                                      long align, long prefix) {
    ALLOCATOR_PROPERTIES properties = {buffers, bufferBytes, align, prefix};
    if (source_) {
        source_->GetPin(0)->Disconnect();
        input_->Disconnect();
    }
    const HRESULT hr = CTestSource::Create(type, properties, source_.Put());
    if (FAILED(hr)) return hr;
    return source_->GetPin(0)->Connect(input_, nullptr);
}

HRESULT LocalChainTest::ConnectSink() {
    return output_->Connect(sink_->GetPin(0), nullptr);
}

HRESULT LocalChainTest::PauseAll() {
    HRESULT hr = sink_->Pause();
    if (SUCCEEDED(hr)) hr = filter_->Pause();
    if (SUCCEEDED(hr) && source_) hr = source_->Pause();
    return hr;
}

HRESULT LocalChainTest::StopAll() {
    HRESULT hr = S_OK;
    if (source_) hr = source_->Stop();
    const HRESULT filterStopped = filter_->Stop();
    const HRESULT sinkStopped = sink_->Stop();
    if (SUCCEEDED(hr)) hr = filterStopped;
    if (SUCCEEDED(hr)) hr = sinkStopped;
    return hr;
}

HRESULT LocalChainTest::Deliver(IMediaSample* sample) {
    ComPtr<IMemInputPin> transport;
    const HRESULT hr = input_->QueryInterface(IID_IMemInputPin, transport.PutVoid());
    if (FAILED(hr)) return hr;
    return transport->Receive(sample);
}

HRESULT LocalChainTest::DeliverEndOfStream() {
    return input_->EndOfStream();
}
