// Graphs of Wine's filter graph manager streaming audio through the reverb filter: the
// registered DLL between our WAV source and sink in every sample format, channel count and
// rate it takes; between Wine's own "File Source (Async)" and "WAVE Parser" and Wine's
// "Sample Grabber" and "Null Renderer" for 16-bit audio; each output equal to the engine's,
// tail included. Then a new run of the same filter re-basing the automation clock.
#include <control.h>
#include <evcode.h>
#include <gtest/gtest.h>
#include <qedit.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/HqPlugInProp.h"
#include "engine/ParameterTable.h"
#include "framework/Module.h"
#include "tests/plugin/CaptureSink.h"
#include "tests/plugin/PluginTestSupport.h"
#include "tests/plugin/ReferenceChain.h"
#include "tools/dxhost/GraphRunner.h"

namespace {

constexpr LONG kTimeoutMs = kGraphTimeoutMs;

using Streaming = RegisteredFilterTest;

// Where two byte strings first differ, for a readable failure: -1 when they are equal.
long long FirstDifference(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (mismatch.first == a.end() && mismatch.second == b.end()) return -1;
    return mismatch.first - a.begin();
}

ComPtr<IHqPlugInProp> EngineOf(IUnknown* filter) {
    ComPtr<IHqPlugInProp> engine;
    EXPECT_EQ(S_OK, filter->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()));
    return engine;
}

TEST_F(Streaming, EveryFormatThroughOurSourceAndSinkEqualsTheEngine) {
    const struct {
        const char* label;
        WORD tag;
        WORD bits;
        WORD channels;
        DWORD rate;
        int frames;
        int blockFrames;
    } kCases[] = {
        {"16-bit mono 44.1 kHz", WAVE_FORMAT_PCM, 16, 1, 44100, 11025, 4096},
        {"16-bit stereo 96 kHz", WAVE_FORMAT_PCM, 16, 2, 96000, 24000, 1000},
        {"float32 mono 96 kHz", WAVE_FORMAT_IEEE_FLOAT, 32, 1, 96000, 20000, 3000},
        {"float32 stereo 44.1 kHz", WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, 12345, 512},
        {"float64 mono 44.1 kHz", WAVE_FORMAT_IEEE_FLOAT, 64, 1, 44100, 9000, 2048},
        {"float64 stereo 96 kHz", WAVE_FORMAT_IEEE_FLOAT, 64, 2, 96000, 19200, 4096},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        ComPtr<IBaseFilter> filter;
        ASSERT_EQ(S_OK, CreateRegisteredFilter(filter.Put()));
        ASSERT_EQ(S_OK, EngineOf(filter.Get())->SetTail(1, FALSE));
        const WavAudio input = MakeTestAudio(c.tag, c.bits, c.channels, c.rate, c.frames);
        ScopedFile output("plugin-graph.wav");
        GraphRunOptions options;
        options.blockFrames = c.blockFrames;
        options.timeoutMs = kTimeoutMs;
        GraphRunResult result;
        std::string error;
        ASSERT_EQ(S_OK,
                  RunFilterGraph(filter.Get(), input, output.Path(), options, &result, &error))
            << error;
        EXPECT_EQ((c.frames + c.blockFrames - 1) / c.blockFrames, result.samplesDelivered);
        EXPECT_EQ(1u, RefCount(filter.Get())) << "the graph let the filter go";

        WavAudio written;
        ASSERT_TRUE(ReadWavFile(output.Path(), &written, &error)) << error;
        EXPECT_EQ(c.tag, written.format.wFormatTag);
        EXPECT_EQ(2, written.format.nChannels);
        EXPECT_EQ(c.rate, written.format.nSamplesPerSec);
        EXPECT_EQ(c.bits, written.format.wBitsPerSample);
        // The input, then one and a half seconds of tail (the default decay).
        const std::int64_t tailFrames = 15 * static_cast<std::int64_t>(c.rate) / 10;
        EXPECT_EQ(c.frames + tailFrames, written.Frames());

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
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidSampleGrabberCallback)) {
            *ppv = static_cast<ISampleGrabberCB*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack: the count is only watched.
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references_); }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample* sample) override {
        Delivery described = DescribeSample(sample);
        CAutoLock lock(&lock_);
        samples_.push_back(std::move(described));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override { return E_NOTIMPL; }

    std::vector<Delivery> Samples() {
        CAutoLock lock(&lock_);
        return samples_;
    }
    LONG References() const { return references_; }

private:
    CCritSec lock_;
    std::vector<Delivery> samples_;
    volatile LONG references_ = 0;
};

TEST_F(Streaming, WinesParserUpstreamAndSampleGrabberDownstream) {
    const int kFrames = 22050;
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 1, 44100, kFrames);
    ScopedFile file("plugin-parser.wav");
    std::string error;
    ASSERT_TRUE(WriteWavFile(file.Path(), input, &error)) << error;
    ASSERT_EQ(S_OK, EngineOf(filter_.Get())->SetTail(1, FALSE));
    ASSERT_EQ(S_OK, EngineOf(filter_.Get())->SetDecay(5, FALSE));  // half a second of tail

    GrabbedSamples grabbed;
    {
        WineParserChain chain;
        ASSERT_NO_FATAL_FAILURE(
            chain.Build(file.Path(), filter_.Get(), L"Halvern:qv Reverb", &grabbed, 0));
        AM_MEDIA_TYPE agreed = {};
        ASSERT_EQ(S_OK, PinOf(filter_.Get(), PINDIR_OUTPUT)->ConnectionMediaType(&agreed));
        const auto* format = reinterpret_cast<const WAVEFORMATEX*>(agreed.pbFormat);
        EXPECT_EQ(WAVE_FORMAT_PCM, format->wFormatTag);
        EXPECT_EQ(2, format->nChannels);
        EXPECT_EQ(44100u, format->nSamplesPerSec);
        EXPECT_EQ(4, format->nBlockAlign);
        FreeMediaType(agreed);

        EXPECT_EQ(EC_COMPLETE, chain.RunToCompletion())
            << "end of stream reached the renderer after the tail";
        chain.Release();
    }
    EXPECT_EQ(0, grabbed.References()) << "the grabber let the callback go";
    EXPECT_EQ(1u, RefCount(filter_.Get())) << "the graph let the filter go";

    // The parser's samples, each in one output buffer, then the tail.
    const std::vector<Delivery> samples = grabbed.Samples();
    ASSERT_FALSE(samples.empty());
    EXPECT_TRUE(samples[0].discontinuity);
    ReferenceChain reference(input.format);
    reference.Engine().SetTail(1, FALSE);
    reference.Engine().SetDecay(5, FALSE);
    ASSERT_EQ(S_OK, reference.Start());
    std::vector<BYTE> expected;
    std::size_t k = 0;
    int frame = 0;
    for (; k < samples.size() && frame < kFrames; ++k) {
        SCOPED_TRACE(testing::Message() << "sample " << k);
        const auto frames = static_cast<DWORD>(samples[k].length / 4);
        ASSERT_LE(frame + static_cast<int>(frames), kFrames);
        ASSERT_EQ(S_OK, reference.ProcessSample(samples[k].discontinuity, samples[k].start,
                                                input.data.data() + 2 * frame, frames, &expected));
        frame += static_cast<int>(frames);
    }
    EXPECT_EQ(kFrames, frame);
    ASSERT_LT(k, samples.size()) << "no tail";
    const auto tailBuffer = static_cast<DWORD>(samples[k].size / 4);
    int tailBuffers = 0;
    ASSERT_EQ(S_OK, reference.RenderTail(tailBuffer, &expected, &tailBuffers));
    EXPECT_EQ(samples.size() - k, static_cast<std::size_t>(tailBuffers));
    long tailBytes = 0;
    for (std::size_t t = k; t < samples.size(); ++t) tailBytes += samples[t].length;
    EXPECT_EQ(4 * 22050, tailBytes) << "half a second of tail";

    std::vector<BYTE> delivered;
    for (const Delivery& sample : samples) {
        delivered.insert(delivered.end(), sample.bytes.begin(), sample.bytes.end());
    }
    EXPECT_EQ(-1, FirstDifference(expected, delivered)) << "first differing byte";
}

// The filter made in the test program, to read its automation clock after each run.
class LocalGraphs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, ModuleObjectCount()); }
    void TearDown() override { EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked"; }
};

TEST_F(LocalGraphs, ANewRunStartsTheAutomationClockAgain) {
    const int kFrames = 13230;  // 0.3 s
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, kFrames);
    // Dry falls to silence at 0.1 s and comes back to its value by 0.2 s.
    auto automate = [](IMediaParams* params) {
        MP_DATA dry = 0;
        EXPECT_EQ(S_OK, params->GetParam(Param::kDry, &dry));
        MP_ENVELOPE_SEGMENT segment = {1000000, 2000000, 0.0f, dry, MP_CURVE_LINEAR, 0};
        EXPECT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &segment));
    };
    const std::vector<BYTE> expected = ExpectedOutput(
        input, 1024, [&automate](ReferenceChain& chain) { automate(&chain.Automation()); });
    ASSERT_FALSE(expected.empty());
    EXPECT_NE(-1, FirstDifference(expected, ExpectedOutput(input, 1024)))
        << "the envelope changes the output";

    ComPtr<CHqPlugIn> filter = CreateLocalFilter();
    ASSERT_TRUE(filter);
    {
        ComPtr<IMediaParams> params;
        ASSERT_EQ(S_OK, AsFilter(filter.Get())->QueryInterface(IID_IMediaParams, params.PutVoid()));
        automate(params.Get());
    }
    GraphRunOptions options;
    options.blockFrames = 1024;
    options.timeoutMs = kTimeoutMs;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run + 1);
        ScopedFile output("plugin-rerun.wav");
        GraphRunResult result;
        std::string error;
        ASSERT_EQ(S_OK, RunFilterGraph(AsFilter(filter.Get()), input, output.Path(), options,
                                       &result, &error))
            << error;
        EXPECT_EQ(kFrames, filter->SamplePositionFrames())
            << "the first sample, a discontinuity at 0, re-based the clock";
        WavAudio written;
        ASSERT_TRUE(ReadWavFile(output.Path(), &written, &error)) << error;
        EXPECT_EQ(-1, FirstDifference(expected, written.data)) << "first differing byte";
    }
    EXPECT_EQ(1u, RefCount(AsFilter(filter.Get())));
}

}  // namespace
