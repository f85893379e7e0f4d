// The reverb filter's cost over the bare engine: the same audio streamed through a graph of the
// platform's filter graph manager (our WAV source, the filter, the platform's Null Renderer,
// no clock) and through the engine's block operation directly, side by side in one run.
// Windows build; run under Wine: graph-bench [SECONDS] [BLOCK-FRAMES] [null|wav] (the sink).
#include <control.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "engine/StandaloneReverb.h"
#include "framework/ComPtr.h"
#include "host/HqPlugIn.h"
#include "tools/dxhost/GraphRunner.h"
#include "tools/dxhost/WavSinkFilter.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

using Clock = std::chrono::steady_clock;

bool gWavSink = false;  // our WAV sink instead of the platform's Null Renderer

HRESULT MakeSink(IBaseFilter** out) {
    if (!gWavSink) {
        return CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                reinterpret_cast<void**>(out));
    }
    CWavSinkFilter* sink = nullptr;
    const HRESULT hr = CWavSinkFilter::Create("graph-bench-output.wav", &sink);
    *out = sink;
    return hr;
}

WavAudio MakeNoise(WORD tag, WORD bits, WORD channels, DWORD rate, int seconds) {
    WavAudio audio;
    audio.format.wFormatTag = tag;
    audio.format.nChannels = channels;
    audio.format.nSamplesPerSec = rate;
    audio.format.wBitsPerSample = bits;
    audio.format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    audio.format.nAvgBytesPerSec = audio.format.nBlockAlign * rate;
    const size_t samples = static_cast<size_t>(rate) * seconds * channels;
    audio.data.resize(samples * bits / 8);
    std::mt19937 generator(1);
    std::uniform_real_distribution<double> uniform(-0.5, 0.5);
    for (size_t i = 0; i < samples; ++i) {
        const double v = uniform(generator);
        if (bits == 16) {
            reinterpret_cast<short*>(audio.data.data())[i] = static_cast<short>(v * 32767);
        } else {
            reinterpret_cast<float*>(audio.data.data())[i] = static_cast<float>(v);
        }
    }
    return audio;
}

// Seconds to stream the audio through source, filter and Null Renderer, from Run to completion.
double TimeGraph(const WavAudio& audio, int blockFrames, bool bypass = false) {
    ComPtr<IGraphBuilder> graph;
    ComPtr<CWavSourceFilter> source;
    ComPtr<IBaseFilter> renderer;
    HRESULT hr = S_OK;
    ComPtr<IBaseFilter> filter;
    if (CUnknown* object = CHqPlugIn::CreateInstance(nullptr, &hr)) {
        object->NonDelegatingQueryInterface(IID_IBaseFilter, filter.PutVoid());
        static_cast<CHqPlugIn*>(object)->SetBypass(bypass ? 1 : 0);
    }
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph.PutVoid())) ||
        FAILED(CWavSourceFilter::Create(audio, blockFrames, source.Put())) ||
        FAILED(MakeSink(renderer.Put())) || !filter) {
        std::fprintf(stderr, "graph-bench: cannot create the graph's filters\n");
        std::exit(1);
    }
    graph->AddFilter(source.Get(), L"Source");
    graph->AddFilter(filter.Get(), L"Reverb");
    graph->AddFilter(renderer.Get(), L"Null Renderer");
    ComPtr<IPin> filterIn, filterOut, rendererIn;
    FindFilterPin(filter.Get(), PINDIR_INPUT, filterIn.Put());
    FindFilterPin(filter.Get(), PINDIR_OUTPUT, filterOut.Put());
    FindFilterPin(renderer.Get(), PINDIR_INPUT, rendererIn.Put());
    if (FAILED(graph->ConnectDirect(source->GetPin(0), filterIn.Get(), nullptr)) ||
        FAILED(graph->ConnectDirect(filterOut.Get(), rendererIn.Get(), nullptr))) {
        std::fprintf(stderr, "graph-bench: cannot connect the graph\n");
        std::exit(1);
    }
    ComPtr<IMediaFilter> clockless;
    graph->QueryInterface(IID_IMediaFilter, clockless.PutVoid());
    clockless->SetSyncSource(nullptr);
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    graph->QueryInterface(IID_IMediaControl, control.PutVoid());
    graph->QueryInterface(IID_IMediaEvent, events.PutVoid());
    control->Pause();  // allocates the delay memories outside the timed part
    const auto start = Clock::now();
    control->Run();
    LONG code = 0;
    events->WaitForCompletion(INFINITE, &code);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    control->Stop();
    return seconds;
}

// Seconds for the engine alone over the same audio in the same blocks (16-bit audio converted
// to float as the filter does).
double TimeEngine(const WavAudio& audio, int blockFrames) {
    HRESULT status = S_OK;
    auto* engine = new CStandaloneReverb(&status);
    const WAVEFORMATEX& f = audio.format;
    engine->SetFormats(
        CStandaloneReverb::MakeFormat(f.wFormatTag, f.wBitsPerSample, f.nChannels,
                                      f.nSamplesPerSec),
        CStandaloneReverb::MakeFormat(f.wFormatTag, f.wBitsPerSample, 2, f.nSamplesPerSec));
    engine->StartStreaming();
    const int channels = f.nChannels;
    std::vector<float> in(static_cast<size_t>(blockFrames) * channels);
    std::vector<float> out(static_cast<size_t>(blockFrames) * 2);
    const auto frames = static_cast<size_t>(audio.Frames());
    const auto start = Clock::now();
    for (size_t at = 0; at < frames; at += blockFrames) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(blockFrames, frames - at));
        DWORD o = static_cast<DWORD>(blockFrames);
        const float* input;
        if (f.wBitsPerSample == 16) {
            const short* s = reinterpret_cast<const short*>(audio.data.data()) + at * channels;
            for (DWORD i = 0; i < n * channels; ++i) in[i] = static_cast<float>(s[i] / 32768.0);
            input = in.data();
        } else {
            input = reinterpret_cast<const float*>(audio.data.data()) + at * channels;
        }
        engine->ProcessFloat32(at == 0 ? kModeDiscontinuity : kModeContinue, input, &n, out.data(),
                               &o);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    engine->Release();
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int blockFrames = argc > 2 ? std::atoi(argv[2]) : 4096;
    gWavSink = argc > 3 && std::string(argv[3]) == "wav";
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::printf("%-20s %14s %14s %10s %18s\n", "input (48 kHz)", "engine fps", "graph fps",
                "overhead", "bypassed graph fps");
    const struct {
        const char* label;
        WORD tag, bits, channels;
    } kCases[] = {{"float32 stereo", WAVE_FORMAT_IEEE_FLOAT, 32, 2},
                  {"16-bit stereo", WAVE_FORMAT_PCM, 16, 2},
                  {"float32 mono", WAVE_FORMAT_IEEE_FLOAT, 32, 1}};
    for (const auto& c : kCases) {
        const WavAudio audio = MakeNoise(c.tag, c.bits, c.channels, 48000, seconds);
        const double frames = static_cast<double>(audio.Frames());
        double engine = 1e9, graph = 1e9, bypassed = 1e9;
        for (int run = 0; run < 3; ++run) {  // best of three
            engine = std::min(engine, TimeEngine(audio, blockFrames));
            graph = std::min(graph, TimeGraph(audio, blockFrames));
            bypassed = std::min(bypassed, TimeGraph(audio, blockFrames, true));
        }
        std::printf("%-20s %14.0f %14.0f %9.1f%% %18.0f\n", c.label, frames / engine,
                    frames / graph, 100.0 * (graph - engine) / engine, frames / bypassed);
    }
    CoUninitialize();
    return 0;
}
