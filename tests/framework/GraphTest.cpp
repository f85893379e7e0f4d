// Graphs of Wine's own filter graph manager: WAV files of every supported format streamed from
// our source through the pass-through transform into our sink (the output equals the input);
// a 16-bit file through Wine's "File Source (Async)" and "WAVE Parser" upstream and Wine's
// "Sample Grabber" and "Null Renderer" downstream; reconnection through the graph; a transform
// without input completing the graph; and the failures a host reports: a refused type, a
// failing sample, and dxhost's refusals of bad input.
#include <control.h>
#include <evcode.h>
#include <gtest/gtest.h>
#include <qedit.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "framework/Module.h"
#include "tests/framework/FrameworkTestSupport.h"
#include "tools/dxhost/DxHost.h"
#include "tools/dxhost/GraphRunner.h"
#include "tools/dxhost/WavSinkFilter.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

constexpr LONG kTimeoutMs = kGraphTimeoutMs;

class WineGraphs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, ModuleObjectCount()); }
    void TearDown() override { EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked"; }
};

struct FormatCase {
    const char* label;
    WORD tag;
    WORD bits;
    WORD channels;
    DWORD rate;
    int frames;
    int blockFrames;
};

TEST_F(WineGraphs, OurSourceThroughThePassThroughIntoOurSinkKeepsEverySample) {
    const FormatCase cases[] = {
        {"16-bit mono 44.1 kHz", WAVE_FORMAT_PCM, 16, 1, 44100, 30000, 4096},
        {"16-bit stereo 44.1 kHz", WAVE_FORMAT_PCM, 16, 2, 44100, 30001, 4096},
        {"float32 stereo 96 kHz", WAVE_FORMAT_IEEE_FLOAT, 32, 2, 96000, 50000, 1000},
        {"float32 mono 44.1 kHz", WAVE_FORMAT_IEEE_FLOAT, 32, 1, 44100, 777, 4096},
        {"float64 stereo 48 kHz", WAVE_FORMAT_IEEE_FLOAT, 64, 2, 48000, 20000, 512},
        {"float64 mono 96 kHz", WAVE_FORMAT_IEEE_FLOAT, 64, 1, 96000, 12345, 3000},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.label);
        const WavAudio input = MakeTestAudio(c.tag, c.bits, c.channels, c.rate, c.frames);
        ScopedFile output("framework-graph.wav");
        ComPtr<CPassThroughFilter> filter(CPassThroughFilter::Create());
        GraphRunOptions options;
        options.blockFrames = c.blockFrames;
        options.timeoutMs = kTimeoutMs;
        GraphRunResult result;
        std::string error;
        ASSERT_EQ(S_OK,
                  RunFilterGraph(filter.Get(), input, output.Path(), options, &result, &error))
            << error;
        EXPECT_EQ("", error);
        EXPECT_EQ((c.frames + c.blockFrames - 1) / c.blockFrames, result.samplesDelivered);
        EXPECT_EQ(input.data.size(), result.bytesWritten);
        EXPECT_EQ(1, filter->starts);
        EXPECT_EQ(1, filter->stops);
        EXPECT_EQ(1, filter->endsOfStream);
        EXPECT_EQ(1u, RefCount(static_cast<IBaseFilter*>(filter.Get())))
            << "the graph let the filter go";

        WavAudio written;
        ASSERT_TRUE(ReadWavFile(output.Path(), &written, &error)) << error;
        EXPECT_EQ(0, std::memcmp(&input.format, &written.format, sizeof(WAVEFORMATEX)));
        EXPECT_TRUE(input.data == written.data);
    }
}

// Collects what Wine's Sample Grabber hands over, on the streaming thread.
class GrabbedBytes final : public ISampleGrabberCB {
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
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE* buffer, LONG length) override {
        CAutoLock lock(&lock_);
        bytes_.insert(bytes_.end(), buffer, buffer + length);
        ++buffers_;
        return S_OK;
    }
    std::vector<BYTE> Bytes() {
        CAutoLock lock(&lock_);
        return bytes_;
    }
    int Buffers() {
        CAutoLock lock(&lock_);
        return buffers_;
    }
    LONG References() const { return references_; }

private:
    CCritSec lock_;
    std::vector<BYTE> bytes_;
    int buffers_ = 0;
    volatile LONG references_ = 0;
};

TEST_F(WineGraphs, WinesParserUpstreamAndSampleGrabberDownstream) {
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, 44100);
    ScopedFile file("framework-parser.wav");
    std::string error;
    ASSERT_TRUE(WriteWavFile(file.Path(), input, &error)) << error;

    GrabbedBytes grabbed;
    {
        ComPtr<CPassThroughFilter> transform(CPassThroughFilter::Create());
        WineParserChain chain;
        ASSERT_NO_FATAL_FAILURE(
            chain.AddFilters(file.Path(), transform.Get(), L"Pass-through", &grabbed, 1));
        EXPECT_EQ(2u, RefCount(static_cast<IBaseFilter*>(transform.Get())))
            << "the graph holds the filter";
        FILTER_INFO info;
        ASSERT_EQ(S_OK, transform->QueryFilterInfo(&info));
        EXPECT_STREQ(L"Pass-through", info.achName);
        EXPECT_EQ(static_cast<IFilterGraph*>(chain.graph.Get()), info.pGraph);
        info.pGraph->Release();
        ASSERT_NO_FATAL_FAILURE(chain.Connect());
        const auto* agreed = reinterpret_cast<const WAVEFORMATEX*>(
            transform->GetPin(0)->CurrentMediaType().Format());
        EXPECT_EQ(WAVE_FORMAT_PCM, agreed->wFormatTag);
        EXPECT_EQ(2, agreed->nChannels);
        EXPECT_EQ(16, agreed->wBitsPerSample);
        EXPECT_TRUE(transform->GetPin(1)->CurrentMediaType() ==
                    transform->GetPin(0)->CurrentMediaType());

        EXPECT_EQ(EC_COMPLETE, chain.RunToCompletion());
        EXPECT_EQ(1, transform->starts);
        EXPECT_EQ(1, transform->stops);
        EXPECT_EQ(1, transform->endsOfStream);
        EXPECT_EQ(transform->transforms.load(), grabbed.Buffers());
        chain.Release();
    }
    EXPECT_EQ(0, grabbed.References()) << "the grabber let the callback go";
    EXPECT_TRUE(input.data == grabbed.Bytes());
}

// A graph of our source, the pass-through and our sink, run by hand.
class OurGraph : public WineGraphs {
protected:
    void Build(const WavAudio& input, bool connectInput) {
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IGraphBuilder, graph.PutVoid()));
        ASSERT_EQ(S_OK, CWavSourceFilter::Create(input, 1024, source.Put()));
        transform = ComPtr<CPassThroughFilter>(CPassThroughFilter::Create());
        ASSERT_EQ(S_OK, CWavSinkFilter::Create(output.Path(), sink.Put()));
        ASSERT_EQ(S_OK, graph->AddFilter(source.Get(), L"WAV Source"));
        ASSERT_EQ(S_OK, graph->AddFilter(transform.Get(), L"Pass-through"));
        ASSERT_EQ(S_OK, graph->AddFilter(sink.Get(), L"WAV Sink"));
        ASSERT_EQ(S_OK, graph->ConnectDirect(source->GetPin(0), transform->GetPin(0), nullptr));
        ASSERT_EQ(S_OK, graph->ConnectDirect(transform->GetPin(1), sink->GetPin(0), nullptr));
        if (!connectInput) {
            ASSERT_EQ(S_OK, graph->Disconnect(transform->GetPin(0)));
            ASSERT_EQ(S_OK, graph->Disconnect(source->GetPin(0)));
        }
        ComPtr<IMediaFilter> clockless;
        ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaFilter, clockless.PutVoid()));
        clockless->SetSyncSource(nullptr);
    }
    LONG RunToCompletion() {
        ComPtr<IMediaControl> control;
        ComPtr<IMediaEvent> events;
        EXPECT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.PutVoid()));
        EXPECT_EQ(S_OK, graph->QueryInterface(IID_IMediaEvent, events.PutVoid()));
        EXPECT_TRUE(SUCCEEDED(control->Run()));
        LONG code = 0;
        EXPECT_EQ(S_OK, events->WaitForCompletion(kTimeoutMs, &code));
        EXPECT_EQ(S_OK, control->Stop());
        return code;
    }
    void TearDown() override {
        graph.Reset();
        source.Reset();
        transform.Reset();
        sink.Reset();
        WineGraphs::TearDown();
    }

    ScopedFile output{"framework-our-graph.wav"};
    ComPtr<IGraphBuilder> graph;
    ComPtr<CWavSourceFilter> source;
    ComPtr<CPassThroughFilter> transform;
    ComPtr<CWavSinkFilter> sink;
};

TEST_F(OurGraph, ReconnectGoesThroughTheGraph) {
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 1, 22050, 5000);
    Build(input, true);
    EXPECT_EQ(S_OK, transform->ReconnectPin(transform->GetPin(1), nullptr));
    EXPECT_TRUE(transform->GetPin(1)->IsConnected());
    EXPECT_TRUE(sink->GetPin(0)->IsConnected());
    CMediaType type;
    ASSERT_EQ(S_OK, source->FileMediaType(&type));
    EXPECT_EQ(S_OK, transform->ReconnectPin(transform->GetPin(1), &type));
    EXPECT_TRUE(transform->GetPin(1)->CurrentMediaType() == type);
    EXPECT_EQ(EC_COMPLETE, RunToCompletion());
    WavAudio written;
    std::string error;
    ASSERT_TRUE(ReadWavFile(output.Path(), &written, &error)) << error;
    EXPECT_TRUE(input.data == written.data);
}

TEST_F(OurGraph, ATransformWithoutInputStillCompletesTheGraph) {
    Build(MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, 5000), false);
    EXPECT_EQ(EC_COMPLETE, RunToCompletion());
    EXPECT_EQ(0, transform->starts);
    EXPECT_TRUE(sink->IsComplete());
    EXPECT_EQ(0u, sink->BytesWritten());
}

TEST_F(WineGraphs, RunFilterGraphReportsWhatFailed) {
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, 20000);
    ScopedFile output("framework-failing.wav");
    GraphRunOptions options;
    options.timeoutMs = kTimeoutMs;
    GraphRunResult result;
    std::string error;

    ComPtr<CPassThroughFilter> refusing(CPassThroughFilter::Create());
    refusing->refuseFloat = true;
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES,
              RunFilterGraph(refusing.Get(), input, output.Path(), options, &result, &error));
    EXPECT_EQ(
        "the filter does not take 32-bit float, 2 channels, 44100 Hz: no media type could "
        "be agreed (0x80040207)",
        error);
    EXPECT_EQ(0, refusing->starts);

    ComPtr<CPassThroughFilter> failing(CPassThroughFilter::Create());
    failing->failingTransform = 3;
    EXPECT_EQ(E_UNEXPECTED,
              RunFilterGraph(failing.Get(), input, output.Path(), options, &result, &error));
    EXPECT_EQ("streaming stopped: unexpected failure (0x8000FFFF)", error);
    EXPECT_EQ(2, result.samplesDelivered);
    EXPECT_EQ(1, failing->stops);
}

TEST(DxHost, RefusesBadInputWithOneLineAndNoOutput) {
    ScopedFile input("framework-dxhost-in.wav");
    ScopedFile output("framework-dxhost-out.wav");
    ScopedFile partial("framework-dxhost-out.wav.partial");
    ScopedFile automation("framework-dxhost.auto");
    std::string error;
    ASSERT_TRUE(
        WriteWavFile(input.Path(), MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, 1000), &error));
    const std::string unregistered = "{23EA417A-0D04-4386-805C-A5461EBC70FF}";
    struct Case {
        const char* label;
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } const cases[] = {
        {"no files", {}, 2, "dxhost: give an input and an output file (see --help)\n"},
        {"unknown option",
         {"--fast", "a.wav", "b.wav"},
         2,
         "dxhost: unknown option --fast (see --help)\n"},
        {"bad block",
         {input.Path(), output.Path(), "--block", "0"},
         2,
         "dxhost: --block takes a number of frames from 1 to 1048576, not \"0\" (see --help)\n"},
        {"bad class",
         {input.Path(), output.Path(), "--clsid", "reverb"},
         2,
         "dxhost: --clsid takes a class identifier in braces, not \"reverb\" (see --help)\n"},
        {"missing input",
         {"framework-none.wav", output.Path()},
         1,
         "dxhost: framework-none.wav: cannot open the file\n"},
        {"not a WAV", {automation.Path(), output.Path()}, 1, nullptr},
        {"bad automation",
         {input.Path(), output.Path(), "--automation", automation.Path()},
         2,
         nullptr},
        {"unregistered filter", {input.Path(), output.Path(), "--clsid", unregistered}, 1, nullptr},
    };
    {
        std::FILE* file = std::fopen(automation.Path().c_str(), "wb");
        ASSERT_NE(nullptr, file);
        std::fputs("Decay 0 1 0 1 wobble\n", file);
        std::fclose(file);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::ostringstream out, err;
        EXPECT_EQ(c.exitCode, RunDxHost(c.args, out, err));
        EXPECT_EQ("", out.str());
        const std::string message = err.str();
        if (c.message != nullptr) {
            EXPECT_EQ(c.message, message);
        }
        EXPECT_EQ(0u, message.find("dxhost: ")) << message;
        EXPECT_EQ(message.size() - 1, message.find('\n')) << "one line: " << message;
        EXPECT_FALSE(output.Exists());
        EXPECT_FALSE(partial.Exists());
    }
    std::ostringstream out, err;
    EXPECT_EQ(1, RunDxHost({input.Path(), output.Path(), "--clsid", unregistered}, out, err));
    EXPECT_EQ(0u, err.str().find("dxhost: cannot create the filter " + unregistered + ": "))
        << err.str();
    EXPECT_EQ(0, RunDxHost({"--help"}, out, err));
    EXPECT_EQ(0u, out.str().find("usage: dxhost IN OUT"));
}

}  // namespace
