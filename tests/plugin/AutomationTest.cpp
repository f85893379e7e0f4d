// Host automation of the registered filter while a graph of Wine's filter graph manager runs:
// with the streaming thread held inside a known delivery, an envelope added through the
// filter's IMediaParams takes effect at the first input media sample whose first frame lies in
// it (the clock moves once per sample, never inside one), and the whole output equals the
// engine driven the same way.
#include <control.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/ParameterTable.h"
#include "tests/plugin/CaptureSink.h"
#include "tests/plugin/PluginTestSupport.h"
#include "tests/plugin/ReferenceChain.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

constexpr LONG kTimeoutMs = 60000;

using HostAutomation = RegisteredFilterTest;

TEST_F(HostAutomation, AnEnvelopeAddedWhileRunningActsFromTheExpectedSample) {
    const int kBlockFrames = 1024;
    const int kSamples = 12;
    const int kHeldAt = 4;
    const DWORD kRate = 44100;
    const int kOutFrameBytes = 8;  // float32 stereo
    const WavAudio input =
        MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, kRate, kBlockFrames * kSamples);
    // Dry silenced from frame 7668, inside sample 7: sample 8 is the first whose first frame
    // lies in the segment.
    const std::int64_t kSegmentFrame = 7 * kBlockFrames + 500;
    const int kFirstChanged = 8;
    MP_ENVELOPE_SEGMENT segment = {SourceTimeOfFrame(kSegmentFrame, kRate) + 1,
                                   SourceTimeOfFrame(kBlockFrames * kSamples, kRate),
                                   0.0f,
                                   0.0f,
                                   MP_CURVE_JUMP,
                                   0};

    ComPtr<IMediaParams> params;
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IMediaParams, params.PutVoid()));
    ComPtr<CCaptureSink> sink;
    ASSERT_EQ(S_OK, CCaptureSink::Create(sink.Put()));
    sink->HoldAt(kHeldAt);
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IGraphBuilder, graph.PutVoid()));
        ComPtr<CWavSourceFilter> source;
        ASSERT_EQ(S_OK, CWavSourceFilter::Create(input, kBlockFrames, source.Put()));
        ASSERT_EQ(S_OK, graph->AddFilter(source.Get(), L"WAV Source"));
        ASSERT_EQ(S_OK, graph->AddFilter(filter_.Get(), L"Halvern:qv Reverb"));
        ASSERT_EQ(S_OK, graph->AddFilter(sink.Get(), L"Capture"));
        ComPtr<IPin> reverbIn, reverbOut;
        ASSERT_EQ(S_OK, filter_->FindPin(L"Input", reverbIn.Put()));
        ASSERT_EQ(S_OK, filter_->FindPin(L"Output", reverbOut.Put()));
        ASSERT_EQ(S_OK, graph->ConnectDirect(source->GetPin(0), reverbIn.Get(), nullptr));
        ASSERT_EQ(S_OK, graph->ConnectDirect(reverbOut.Get(), sink->GetPin(0), nullptr));
        ComPtr<IMediaFilter> clockless;
        ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaFilter, clockless.PutVoid()));
        ASSERT_EQ(S_OK, clockless->SetSyncSource(nullptr));
        ComPtr<IMediaControl> control;
        ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.PutVoid()));

        ASSERT_TRUE(SUCCEEDED(control->Run()));
        const bool held = sink->WaitUntilHeld(kTimeoutMs);
        // The streaming thread waits inside delivery 4: input samples 0 to 4 have been
        // processed, sample 5 has not been received yet.
        if (held) {
            EXPECT_EQ(static_cast<std::size_t>(kHeldAt + 1), sink->Deliveries().size());
            EXPECT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &segment));
        }
        sink->LetGo();
        ASSERT_TRUE(held);
        EXPECT_TRUE(sink->WaitForEndOfStream(kTimeoutMs));
        EXPECT_EQ(S_OK, control->Stop());
        EXPECT_EQ(kSamples, source->SamplesDelivered());
        for (IBaseFilter* member : {static_cast<IBaseFilter*>(source.Get()), filter_.Get(),
                                    static_cast<IBaseFilter*>(sink.Get())}) {
            EXPECT_EQ(S_OK, graph->RemoveFilter(member));
        }
    }
    MP_DATA dry = 1;
    EXPECT_EQ(S_OK, params->GetParam(Param::kDry, &dry));
    EXPECT_EQ(0.0f, dry);

    const std::vector<Delivery> deliveries = sink->Deliveries();
    ASSERT_EQ(static_cast<std::size_t>(kSamples), deliveries.size());
    const std::vector<BYTE> output = sink->Bytes();
    const std::vector<BYTE> expected =
        ExpectedOutput(input, kBlockFrames, [segment](ReferenceChain& chain) mutable {
            chain.Automation().AddEnvelope(Param::kDry, 1, &segment);
        });
    const std::vector<BYTE> unautomated = ExpectedOutput(input, kBlockFrames);
    ASSERT_EQ(expected.size(), output.size());
    EXPECT_TRUE(expected == output);
    const auto first = std::mismatch(output.begin(), output.end(), unautomated.begin());
    ASSERT_NE(output.end(), first.first) << "the envelope changed nothing";
    const auto firstFrame = (first.first - output.begin()) / kOutFrameBytes;
    EXPECT_EQ(kFirstChanged * kBlockFrames, firstFrame)
        << "the first frame of sample " << kFirstChanged << " is the first one changed";
}

}  // namespace
