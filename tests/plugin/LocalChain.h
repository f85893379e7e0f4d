// The reverb filter made in the test program between the test source and the capture sink,
// connected pin to pin without a graph, as the type negotiation and receive path tests use it.
// Every test starts and ends with none of this program's framework objects alive.
#pragma once

#include <gtest/gtest.h>

#include "tests/plugin/CaptureSink.h"
#include "tests/plugin/FakeSample.h"
#include "tests/plugin/PluginTestSupport.h"
#include "tests/plugin/TestSource.h"

class LocalChainTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Connects a new source presenting `type` to the filter's input; the source asks the
    // filter's input allocator for `buffers` buffers of `bufferBytes` with that alignment and
    // prefix.
    HRESULT ConnectSource(const CMediaType& type, long bufferBytes, long buffers = 3,
                          long align = 1, long prefix = 0);
    // Connects the filter's output to the sink with the type the filter proposes.
    HRESULT ConnectSink();
    // Downstream first, as a graph does.
    HRESULT PauseAll();
    HRESULT StopAll();
    // The filter's input pin takes `sample` as an upstream pin hands it over.
    HRESULT Deliver(IMediaSample* sample);
    HRESULT DeliverEndOfStream();
    // The engine side of the filter.
    IHqPlugInProp* Engine() const { return filter_.Get(); }

    ComPtr<CHqPlugIn> filter_;
    ComPtr<CTestSource> source_;
    ComPtr<CCaptureSink> sink_;
    CBasePin* input_ = nullptr;   // the filter's, not counted
    CBasePin* output_ = nullptr;  // the filter's, not counted
};
