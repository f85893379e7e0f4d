// Helpers of the framework's tests.
#include "tests/framework/FrameworkTestSupport.h"

#include <control.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "tools/dxhost/GraphRunner.h"

namespace {

// COM on the test program's main thread, as a host's user-interface thread has it.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] const ::testing::Environment* const kComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

WavAudio MakeTestAudio(WORD formatTag, WORD bits, WORD channels, DWORD rate, int frames) {
    WavAudio audio;
    audio.format.wFormatTag = formatTag;
    audio.format.nChannels = channels;
    audio.format.nSamplesPerSec = rate;
    audio.format.wBitsPerSample = bits;
    audio.format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    audio.format.nAvgBytesPerSec = rate * audio.format.nBlockAlign;
    audio.data.resize(static_cast<std::size_t>(frames) * audio.format.nBlockAlign);
    BYTE* out = audio.data.data();
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const double t = static_cast<double>(frame) / rate;
            const double value =
                0.5 * std::sin(2 * std::numbers::pi * (220.0 + 110.0 * channel + 50 * t) * t) +
                0.25 * ((frame % 100) / 100.0 - 0.5);
            if (formatTag == WAVE_FORMAT_PCM) {
                const auto sample = static_cast<std::int16_t>(std::lround(value * 32767));
                std::memcpy(out, &sample, 2);
                out += 2;
            } else if (bits == 32) {
                const auto sample = static_cast<float>(value);
                std::memcpy(out, &sample, 4);
                out += 4;
            } else {
                std::memcpy(out, &value, 8);
                out += 8;
            }
        }
    }
    return audio;
}

ScopedFile::ScopedFile(const std::string& name) : path_(name) {
    DeleteFileA(path_.c_str());
}

ScopedFile::~ScopedFile() {
    DeleteFileA(path_.c_str());
}

bool ScopedFile::Exists() const {
    return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CTestObject::CTestObject(IUnknown* outer, bool* destroyed)
    : CUnknown(L"test object", outer), destroyed_(destroyed) {}

CTestObject::~CTestObject() {
    if (destroyed_ != nullptr) *destroyed_ = true;
}

HRESULT STDMETHODCALLTYPE CTestObject::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IPersist)) return GetInterface(static_cast<IPersist*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CTestObject::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_TestPassThrough;
    return S_OK;
}

ComPtr<IBaseFilter> MakeFilter(REFCLSID clsid) {
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     filter.PutVoid()));
    return filter;
}

ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction) {
    ComPtr<IPin> pin;
    EXPECT_EQ(S_OK, FindFilterPin(filter, direction, pin.Put()));
    return pin;
}

void WineParserChain::AddFilters(const std::string& wavPath, IBaseFilter* transform,
                                 const WCHAR* transformName, ISampleGrabberCB* callback,
                                 LONG callbackMethod) {
    WCHAR fullPath[MAX_PATH];
    const std::wstring wide(wavPath.begin(), wavPath.end());
    ASSERT_NE(0u, GetFullPathNameW(wide.c_str(), MAX_PATH, fullPath, nullptr));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    reader_ = MakeFilter(CLSID_AsyncReader);
    parser_ = MakeFilter(kWaveParser);
    grabberFilter_ = MakeFilter(kSampleGrabber);
    renderer_ = MakeFilter(kNullRenderer);
    ASSERT_TRUE(reader_ && parser_ && grabberFilter_ && renderer_);

    ComPtr<IFileSourceFilter> fileSource;
    ASSERT_EQ(S_OK, reader_->QueryInterface(IID_IFileSourceFilter, fileSource.PutVoid()));
    ASSERT_EQ(S_OK, fileSource->Load(fullPath, nullptr));
    ASSERT_EQ(S_OK, grabberFilter_->QueryInterface(kIidSampleGrabber, grabber.PutVoid()));
    CMediaType audio(&MEDIATYPE_Audio);
    ASSERT_EQ(S_OK, grabber->SetMediaType(&audio));
    ASSERT_EQ(S_OK, grabber->SetBufferSamples(FALSE));
    ASSERT_EQ(S_OK, grabber->SetCallback(callback, callbackMethod));

    ASSERT_EQ(S_OK, graph->AddFilter(reader_.Get(), L"File Source (Async)"));
    ASSERT_EQ(S_OK, graph->AddFilter(parser_.Get(), L"WAVE Parser"));
    ASSERT_EQ(S_OK, graph->AddFilter(transform, transformName));
    transform_ = transform;
    ASSERT_EQ(S_OK, graph->AddFilter(grabberFilter_.Get(), L"Sample Grabber"));
    ASSERT_EQ(S_OK, graph->AddFilter(renderer_.Get(), L"Null Renderer"));
}

void WineParserChain::Connect() {
    ASSERT_EQ(S_OK, graph->ConnectDirect(PinOf(reader_.Get(), PINDIR_OUTPUT).Get(),
                                         PinOf(parser_.Get(), PINDIR_INPUT).Get(), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(PinOf(parser_.Get(), PINDIR_OUTPUT).Get(),
                                         PinOf(transform_, PINDIR_INPUT).Get(), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(PinOf(transform_, PINDIR_OUTPUT).Get(),
                                         PinOf(grabberFilter_.Get(), PINDIR_INPUT).Get(), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(PinOf(grabberFilter_.Get(), PINDIR_OUTPUT).Get(),
                                         PinOf(renderer_.Get(), PINDIR_INPUT).Get(), nullptr));

    ComPtr<IMediaFilter> clockless;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaFilter, clockless.PutVoid()));
    ASSERT_EQ(S_OK, clockless->SetSyncSource(nullptr));
}

void WineParserChain::Build(const std::string& wavPath, IBaseFilter* transform,
                            const WCHAR* transformName, ISampleGrabberCB* callback,
                            LONG callbackMethod) {
    ASSERT_NO_FATAL_FAILURE(
        AddFilters(wavPath, transform, transformName, callback, callbackMethod));
    ASSERT_NO_FATAL_FAILURE(Connect());
}

LONG WineParserChain::RunToCompletion() {
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    EXPECT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.PutVoid()));
    EXPECT_EQ(S_OK, graph->QueryInterface(IID_IMediaEvent, events.PutVoid()));
    if (!control || !events) return 0;
    EXPECT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    EXPECT_EQ(S_OK, events->WaitForCompletion(kGraphTimeoutMs, &code));
    EXPECT_EQ(S_OK, control->Stop());
    return code;
}

void WineParserChain::Release() {
    if (grabber) grabber->SetCallback(nullptr, 0);
    grabber.Reset();
    reader_.Reset();
    parser_.Reset();
    transform_ = nullptr;
    grabberFilter_.Reset();
    renderer_.Reset();
    graph.Reset();
}
