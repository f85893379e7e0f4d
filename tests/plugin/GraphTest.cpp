// Graphs of Wine's filter graph manager: the pass-through and the registered reverb between our
// WAV source and sink in every sample format, channel count and rate they take (the output the
// input itself, or the engine's own, tail included); the reverb between Wine's own parser and
// sample grabber; a host's envelope added while the streaming thread is held inside a known
// delivery; a second run re-basing the automation clock; the failures a host reports; and the
// test server DLL made with the framework, hosted by dxhost.
#include <control.h>
#include <evcode.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ParameterTable.h"
#include "framework/Module.h"
#include "host/HqPlugInNames.h"
#include "tests/support/ComTestHarness.h"
#include "tests/support/FilterDoubles.h"
#include "tests/support/ReferenceChain.h"
#include "tools/dxhost/DxHost.h"
#include "tools/dxhost/GraphRunner.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

using Graphs = RegisteredFilterTest;

// Where two byte strings first differ, for a readable failure: -1 when they are equal.
long long FirstDifference(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return mismatch.first == a.end() && mismatch.second == b.end() ? -1
                                                                   : mismatch.first - a.begin();
}

ComPtr<IHqPlugInProp> EngineOf(IUnknown* filter) {
    ComPtr<IHqPlugInProp> engine;
    EXPECT_EQ(S_OK, filter->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()));
    return engine;
}

// Runs `input` through `filter` in our graph; the written audio, or empty after a failure.
WavAudio RunGraph(IBaseFilter* filter, const WavAudio& input, int blockFrames, HRESULT expected,
                  GraphRunResult* result, std::string* error) {
    ScopedFile output("graph-output.wav");
    GraphRunOptions options;
    options.blockFrames = blockFrames;
    options.timeoutMs = kGraphTimeoutMs;
    WavAudio written;
    EXPECT_EQ(expected, RunFilterGraph(filter, input, output.Path(), options, result, error))
        << *error;
    if (expected == S_OK) {
        EXPECT_TRUE(ReadWavFile(output.Path(), &written, error)) << *error;
    }
    EXPECT_EQ(1u, RefCount(filter)) << "the graph let the filter go";
    return written;
}

TEST_F(Graphs, EveryFormatThroughOurSourceAndSink) {
    const struct {
        WORD tag, bits, channels;
        DWORD rate;
        int frames, blockFrames;
    } kCases[] = {
        {WAVE_FORMAT_PCM, 16, 1, 44100, 11025, 4096},
        {WAVE_FORMAT_PCM, 16, 2, 96000, 24000, 1000},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 1, 96000, 20000, 3000},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, 12345, 512},
        {WAVE_FORMAT_IEEE_FLOAT, 64, 1, 44100, 9000, 2048},
        {WAVE_FORMAT_IEEE_FLOAT, 64, 2, 96000, 19200, 4096},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels");
        const WavAudio input = MakeTestAudio(c.tag, c.bits, c.channels, c.rate, c.frames);
        GraphRunResult result;
        std::string error;
        {
            ComPtr<CPassThroughFilter> pass(CPassThroughFilter::Create());
            const WavAudio same = RunGraph(pass.Get(), input, c.blockFrames, S_OK, &result, &error);
            EXPECT_EQ(0, std::memcmp(&input.format, &same.format, sizeof(WAVEFORMATEX)));
            EXPECT_EQ(-1, FirstDifference(input.data, same.data));
            EXPECT_EQ((c.frames + c.blockFrames - 1) / c.blockFrames, result.samplesDelivered);
            EXPECT_EQ((std::vector<int>{1, 1, 1}),
                      (std::vector<int>{pass->starts, pass->stops, pass->endsOfStream}));
        }
        ComPtr<IBaseFilter> filter;
        ASSERT_EQ(S_OK, CreateRegisteredFilter(filter.Put()));
        ASSERT_EQ(S_OK, EngineOf(filter.Get())->SetTail(1, FALSE));
        const WavAudio written =
            RunGraph(filter.Get(), input, c.blockFrames, S_OK, &result, &error);
        const WAVEFORMATEX stereo = {c.tag,  2, c.rate, c.rate * c.bits / 4, WORD(c.bits / 4),
                                     c.bits, 0};
        EXPECT_EQ(0, std::memcmp(&stereo, &written.format, sizeof(WAVEFORMATEX)));
        // The input, then one and a half seconds of tail (the default decay).
        EXPECT_EQ(c.frames + 15 * static_cast<std::int64_t>(c.rate) / 10, written.Frames());
        const std::vector<BYTE> expected = ExpectedOutput(
            input, c.blockFrames, [](ReferenceChain& chain) { chain.Engine().SetTail(1, FALSE); });
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(-1, FirstDifference(expected, written.data)) << "first differing byte";
    }
}

// What Wine's Sample Grabber hands over, sample by sample, on the streaming thread.
class GrabbedSamples final : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, kIidSampleGrabberCallback)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references); }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample* sample) override {
        Delivery described = DescribeSample(sample);
        CAutoLock lock(&lock_);
        samples.push_back(std::move(described));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override { return E_NOTIMPL; }

    CCritSec lock_;
    std::vector<Delivery> samples;  // read once the graph has stopped
    volatile LONG references = 0;   // lives on the test's stack: only watched
};

TEST_F(Graphs, WinesParserUpstreamAndSampleGrabberDownstream) {
    const int kFrames = 22050;
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 1, 44100, kFrames);
    ScopedFile file("graph-parser.wav");
    std::string error;
    ASSERT_TRUE(WriteWavFile(file.Path(), input, &error)) << error;
    ASSERT_EQ(S_OK, EngineOf(filter_.Get())->SetTail(1, FALSE));
    ASSERT_EQ(S_OK, EngineOf(filter_.Get())->SetDecay(5, FALSE));  // half a second of tail
    GrabbedSamples grabbed;
    {
        WineParserChain chain;
        ASSERT_NO_FATAL_FAILURE(chain.Build(file.Path(), filter_.Get(), kFilterName, &grabbed, 0));
        FILTER_INFO info;  // the graph, with a reference for the caller
        const ULONG graphReferences = RefCount(chain.graph.Get());
        ASSERT_EQ(S_OK, filter_->QueryFilterInfo(&info));
        EXPECT_STREQ(kFilterName, info.achName);
        EXPECT_EQ(graphReferences + 1, RefCount(info.pGraph));
        info.pGraph->Release();
        AM_MEDIA_TYPE agreed = {};
        ASSERT_EQ(S_OK, PinOf(filter_.Get(), PINDIR_OUTPUT)->ConnectionMediaType(&agreed));
        EXPECT_TRUE(CMediaType(agreed) == AudioType(WAVE_FORMAT_PCM, 16, 2, 44100));
        FreeMediaType(agreed);
        EXPECT_EQ(EC_COMPLETE, chain.RunToCompletion()) << "end of stream after the tail";
        chain.Release();
    }
    EXPECT_EQ(0, grabbed.references) << "the grabber let the callback go";
    EXPECT_EQ(1u, RefCount(filter_.Get())) << "the graph let the filter go";

    // The parser's samples, each in one output buffer, then the tail.
    const std::vector<Delivery>& samples = grabbed.samples;
    ASSERT_FALSE(samples.empty());
    EXPECT_TRUE(samples[0].discontinuity);
    ReferenceChain reference(input.format);
    reference.Engine().SetTail(1, FALSE);
    reference.Engine().SetDecay(5, FALSE);
    ASSERT_EQ(S_OK, reference.Start());
    std::vector<BYTE> expected, delivered;
    std::size_t k = 0;
    for (int frame = 0; k < samples.size() && frame < kFrames; ++k) {
        const auto frames = static_cast<DWORD>(samples[k].length / 4);
        ASSERT_LE(frame + static_cast<int>(frames), kFrames);
        ASSERT_EQ(S_OK, reference.ProcessSample(samples[k].discontinuity, samples[k].start,
                                                input.data.data() + 2 * frame, frames, &expected));
        frame += static_cast<int>(frames);
    }
    ASSERT_LT(k, samples.size()) << "no tail";
    int tailBuffers = 0;
    ASSERT_EQ(S_OK, reference.RenderTail(samples[k].size / 4, &expected, &tailBuffers));
    EXPECT_EQ(samples.size() - k, static_cast<std::size_t>(tailBuffers));
    for (const Delivery& sample : samples) {
        delivered.insert(delivered.end(), sample.bytes.begin(), sample.bytes.end());
    }
    EXPECT_EQ(4u * (kFrames + 22050), delivered.size()) << "half a second of tail";
    EXPECT_EQ(-1, FirstDifference(expected, delivered)) << "first differing byte";
}

TEST_F(Graphs, AnEnvelopeAddedWhileRunningActsFromTheFirstSampleStartingInIt) {
    const int kBlockFrames = 1024, kSamples = 12, kHeldAt = 4;
    const DWORD kRate = 44100;
    const WavAudio input =
        MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, kRate, kBlockFrames * kSamples);
    // Dry silenced from inside sample 7: sample 8 is the first whose first frame lies in it.
    MP_ENVELOPE_SEGMENT segment = {SourceTimeOfFrame(7 * kBlockFrames + 500, kRate) + 1,
                                   SourceTimeOfFrame(kBlockFrames * kSamples, kRate),
                                   0,
                                   0,
                                   MP_CURVE_JUMP,
                                   0};
    ComPtr<IMediaParams> params;
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IMediaParams, params.PutVoid()));
    ComPtr<CCaptureSink> sink(new CCaptureSink);
    sink->HoldAt(kHeldAt);
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IGraphBuilder, graph.PutVoid()));
        ComPtr<CWavSourceFilter> source;
        ASSERT_EQ(S_OK, CWavSourceFilter::Create(input, kBlockFrames, source.Put()));
        IBaseFilter* members[] = {source.Get(), filter_.Get(), sink.Get()};
        for (IBaseFilter* member : members) ASSERT_EQ(S_OK, graph->AddFilter(member, nullptr));
        ASSERT_EQ(S_OK, graph->ConnectDirect(source->GetPin(0),
                                             PinOf(filter_.Get(), PINDIR_INPUT).Get(), nullptr));
        ASSERT_EQ(S_OK, graph->ConnectDirect(PinOf(filter_.Get(), PINDIR_OUTPUT).Get(),
                                             sink->GetPin(0), nullptr));
        ComPtr<IMediaFilter> clockless;
        ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaFilter, clockless.PutVoid()));
        ASSERT_EQ(S_OK, clockless->SetSyncSource(nullptr));
        ComPtr<IMediaControl> control;
        ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.PutVoid()));
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        const bool held = sink->WaitUntil(true, kGraphTimeoutMs);
        // Waiting inside delivery 4: samples 0 to 4 are processed, sample 5 is not received.
        if (held) {
            EXPECT_EQ(static_cast<std::size_t>(kHeldAt + 1), sink->Deliveries().size());
            EXPECT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &segment));
        }
        sink->LetGo();
        ASSERT_TRUE(held);
        EXPECT_TRUE(sink->WaitUntil(false, kGraphTimeoutMs));
        EXPECT_EQ(S_OK, control->Stop());
        EXPECT_EQ(kSamples, source->SamplesDelivered());
        for (IBaseFilter* member : members) EXPECT_EQ(S_OK, graph->RemoveFilter(member));
    }
    const std::vector<BYTE> output = sink->Bytes();
    const std::vector<BYTE> expected =
        ExpectedOutput(input, kBlockFrames, [segment](ReferenceChain& chain) mutable {
            chain.Automation().AddEnvelope(Param::kDry, 1, &segment);
        });
    EXPECT_EQ(-1, FirstDifference(expected, output));
    EXPECT_EQ(8 * kBlockFrames * 8, FirstDifference(ExpectedOutput(input, kBlockFrames), output))
        << "the first frame of sample 8 is the first one changed";
}

TEST(LocalGraphs, ANewRunStartsTheAutomationClockAgain) {
    ASSERT_EQ(0, ModuleObjectCount());
    const int kFrames = 13230;  // 0.3 s
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, kFrames);
    // Dry falls to silence at 0.1 s and comes back to its value by 0.2 s.
    auto automate = [](IMediaParams* params) {
        MP_DATA dry = 0;
        EXPECT_EQ(S_OK, params->GetParam(Param::kDry, &dry));
        MP_ENVELOPE_SEGMENT segment = {1000000, 2000000, 0.0f, dry, MP_CURVE_LINEAR, 0};
        EXPECT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &segment));
    };
    const std::vector<BYTE> expected =
        ExpectedOutput(input, 1024, [&](ReferenceChain& chain) { automate(&chain.Automation()); });
    EXPECT_NE(-1, FirstDifference(expected, ExpectedOutput(input, 1024))) << "the envelope acts";
    {
        ComPtr<CHqPlugIn> filter = CreateLocalFilter();
        ComPtr<IMediaParams> params;
        ASSERT_EQ(S_OK, AsFilter(filter.Get())->QueryInterface(IID_IMediaParams, params.PutVoid()));
        automate(params.Get());
        params.Reset();
        for (int run = 0; run < 2; ++run) {
            GraphRunResult result;
            std::string error;
            const WavAudio written =
                RunGraph(AsFilter(filter.Get()), input, 1024, S_OK, &result, &error);
            EXPECT_EQ(kFrames, filter->SamplePositionFrames()) << "re-based by the first sample";
            EXPECT_EQ(-1, FirstDifference(expected, written.data)) << "run " << run + 1;
        }
    }
    EXPECT_EQ(0, ModuleObjectCount());
}

TEST(FrameworkGraphs, FailuresAreReportedAndReconnectionGoesThroughTheGraph) {
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, 20000);
    GraphRunResult result;
    std::string error;
    ComPtr<CPassThroughFilter> refusing(CPassThroughFilter::Create());
    refusing->refuseFloat = true;
    RunGraph(refusing.Get(), input, 4096, VFW_E_NO_ACCEPTABLE_TYPES, &result, &error);
    EXPECT_EQ(
        "the filter does not take 32-bit float, 2 channels, 44100 Hz: no media type could "
        "be agreed (0x80040207)",
        error);
    EXPECT_EQ(0, refusing->starts);
    ComPtr<CPassThroughFilter> failing(CPassThroughFilter::Create());
    failing->failingTransform = 3;
    RunGraph(failing.Get(), input, 4096, E_UNEXPECTED, &result, &error);
    EXPECT_EQ("streaming stopped: unexpected failure (0x8000FFFF)", error);
    EXPECT_EQ(2, result.samplesDelivered);
    EXPECT_EQ(1, failing->stops);

    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    ComPtr<CWavSourceFilter> source;
    ASSERT_EQ(S_OK, CWavSourceFilter::Create(input, 1024, source.Put()));
    ComPtr<CPassThroughFilter> pass(CPassThroughFilter::Create());
    ComPtr<CCaptureSink> sink(new CCaptureSink);
    IBaseFilter* members[] = {source.Get(), pass.Get(), sink.Get()};
    for (IBaseFilter* member : members) ASSERT_EQ(S_OK, graph->AddFilter(member, nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(source->GetPin(0), pass->GetPin(0), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(pass->GetPin(1), sink->GetPin(0), nullptr));
    CMediaType type;
    ASSERT_EQ(S_OK, source->FileMediaType(&type));
    EXPECT_EQ(S_OK, pass->ReconnectPin(pass->GetPin(1), nullptr));
    EXPECT_EQ(S_OK, pass->ReconnectPin(pass->GetPin(1), &type));
    EXPECT_TRUE(pass->GetPin(1)->CurrentMediaType() == type);
    EXPECT_TRUE(sink->GetPin(0)->IsConnected());
    for (IBaseFilter* member : members) EXPECT_EQ(S_OK, graph->RemoveFilter(member));
}

TEST(DxHost, RefusesBadInputWithOneLineAndNoOutput) {
    ScopedFile in("host-in.wav"), out("host-out.wav"), partial("host-out.wav.partial");
    ScopedFile automation("host.auto");
    std::string error;
    ASSERT_TRUE(WriteWavFile(in.Path(), MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, 100), &error));
    std::FILE* file = std::fopen(automation.Path().c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fputs("Decay 0 1 0 1 wobble\n", file);
    std::fclose(file);
    const std::string unregistered = "{23EA417A-0D04-4386-805C-A5461EBC70FF}";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;  // the start of it
    } kCases[] = {
        {{}, 2, "dxhost: give an input and an output file (see --help)\n"},
        {{"--fast", "a.wav", "b.wav"}, 2, "dxhost: unknown option --fast (see --help)\n"},
        {{in.Path(), out.Path(), "--block", "0"},
         2,
         "dxhost: --block takes a number of frames from 1 to 1048576, not \"0\" (see --help)\n"},
        {{in.Path(), out.Path(), "--clsid", "reverb"},
         2,
         "dxhost: --clsid takes a class identifier in braces, not \"reverb\" (see --help)\n"},
        {{"none.wav", out.Path()}, 1, "dxhost: none.wav: cannot open the file\n"},
        {{automation.Path(), out.Path()}, 1, "dxhost: "},
        {{in.Path(), out.Path(), "--automation", automation.Path()}, 2, "dxhost: "},
        {{in.Path(), out.Path(), "--clsid", unregistered},
         1,
         "dxhost: cannot create the filter " + unregistered + ": "},
    };
    for (const auto& c : kCases) {
        std::ostringstream said, complained;
        EXPECT_EQ(c.exitCode, RunDxHost(c.args, said, complained)) << complained.str();
        EXPECT_EQ("", said.str());
        EXPECT_EQ(0u, complained.str().find(c.message)) << complained.str();
        EXPECT_EQ(complained.str().size() - 1, complained.str().find('\n')) << "one line";
        EXPECT_FALSE(out.Exists() || partial.Exists());
    }
}

}  // namespace
