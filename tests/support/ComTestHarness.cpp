// The shared harness of the tests under Wine (see ComTestHarness.h).
#include "tests/support/ComTestHarness.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "framework/MediaType.h"
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

// The platform's own filters.
constexpr CLSID kWaveParser = {
    0xd51bd5a1, 0x7548, 0x11cf, {0xa5, 0x20, 0x00, 0x80, 0xc7, 0x7e, 0xf5, 0x8a}};
constexpr CLSID kSampleGrabber = {
    0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction) {
    ComPtr<IPin> pin;
    EXPECT_EQ(S_OK, FindFilterPin(filter, direction, pin.Put()));
    return pin;
}

}  // namespace

WavAudio MakeTestAudio(WORD formatTag, WORD bits, WORD channels, DWORD rate, int frames) {
    WavAudio audio;
    const auto align = static_cast<WORD>(channels * bits / 8);
    audio.format = {formatTag, channels, rate, rate * align, align, bits, 0};
    audio.data.resize(static_cast<std::size_t>(frames) * align);
    BYTE* out = audio.data.data();
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const double t = static_cast<double>(frame) / rate;
            const double value =
                0.5 * std::sin(2 * std::numbers::pi * (220.0 + 110.0 * channel + 50 * t) * t) +
                0.25 * ((frame % 100) / 100.0 - 0.5);
            const auto int16 = static_cast<std::int16_t>(std::lround(value * 32767));
            const auto float32 = static_cast<float>(value);
            const void* sample = formatTag == WAVE_FORMAT_PCM ? static_cast<const void*>(&int16)
                                 : bits == 32                 ? static_cast<const void*>(&float32)
                                                              : static_cast<const void*>(&value);
            std::memcpy(out, sample, bits / 8);
            out += bits / 8;
        }
    }
    return audio;
}

std::wstring GuidText(REFGUID guid) {
    WCHAR text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::wstring RegistryValue(const std::wstring& path, const WCHAR* name) {
    WCHAR value[MAX_PATH] = {};
    DWORD type = 0, bytes = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type,
                     value, &bytes) != ERROR_SUCCESS) {
        return L"(missing)";
    }
    DWORD number = 0;
    std::memcpy(&number, value, sizeof number);
    return type == REG_DWORD ? std::to_wstring(number) : value;
}

std::wstring PluginDllPath() {
    std::wstring path = L"Z:";
    for (const char* c = QV_PLUGIN_DLL; *c != 0; ++c) path += *c == '/' ? L'\\' : WCHAR(*c);
    return path;
}

bool PluginModule::IsLoaded() const {
    return module_ != nullptr && Export<Call>("DllGetClassObject") &&
           Export<Call>("DllCanUnloadNow") && Export<Call>("DllRegisterServer") &&
           Export<Call>("DllUnregisterServer");
}

ComPtr<CHqPlugIn> CreateLocalFilter() {
    HRESULT hr = S_OK;
    CUnknown* created = CHqPlugIn::CreateInstance(nullptr, &hr);
    if (created == nullptr || FAILED(hr)) {
        delete created;
        return ComPtr<CHqPlugIn>();
    }
    created->NonDelegatingAddRef();
    return ComPtr<CHqPlugIn>(static_cast<CHqPlugIn*>(created));
}

PluginModule* RegisteredFilterTest::module_ = nullptr;

void RegisteredFilterTest::SetUpTestSuite() {
    module_ = new PluginModule;
    if (module_->IsLoaded()) module_->RegisterServer();
}

void RegisteredFilterTest::TearDownTestSuite() {
    if (module_->IsLoaded()) module_->UnregisterServer();
    delete module_;
    module_ = nullptr;
}

void RegisteredFilterTest::SetUp() {
    ASSERT_TRUE(module_->IsLoaded()) << "cannot load the DLL or find its exports";
    ASSERT_EQ(S_OK, CreateRegisteredFilter(filter_.Put()));
}

void RegisteredFilterTest::TearDown() {
    filter_.Reset();
    EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "an object of the DLL is still alive";
}

void WineParserChain::Build(const std::string& wavPath, IBaseFilter* transform,
                            const WCHAR* transformName, ISampleGrabberCB* callback,
                            LONG callbackMethod) {
    WCHAR fullPath[MAX_PATH];
    const std::wstring wide(wavPath.begin(), wavPath.end());
    ASSERT_NE(0u, GetFullPathNameW(wide.c_str(), MAX_PATH, fullPath, nullptr));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    const CLSID* const classes[] = {&CLSID_AsyncReader, &kWaveParser, &kSampleGrabber,
                                    &kNullRenderer};
    ComPtr<IBaseFilter>* const made[] = {&reader_, &parser_, &grabberFilter_, &renderer_};
    for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(S_OK, CoCreateInstance(*classes[k], nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IBaseFilter, made[k]->PutVoid()));
    }
    ComPtr<IFileSourceFilter> fileSource;
    ASSERT_EQ(S_OK, reader_->QueryInterface(IID_IFileSourceFilter, fileSource.PutVoid()));
    ASSERT_EQ(S_OK, fileSource->Load(fullPath, nullptr));
    ASSERT_EQ(S_OK, grabberFilter_->QueryInterface(__uuidof(ISampleGrabber), grabber.PutVoid()));
    CMediaType audio(&MEDIATYPE_Audio);
    ASSERT_EQ(S_OK, grabber->SetMediaType(&audio));
    ASSERT_EQ(S_OK, grabber->SetBufferSamples(FALSE));
    ASSERT_EQ(S_OK, grabber->SetCallback(callback, callbackMethod));

    IBaseFilter* const line[] = {reader_.Get(), parser_.Get(), transform, grabberFilter_.Get(),
                                 renderer_.Get()};
    const WCHAR* const names[] = {L"File Source (Async)", L"WAVE Parser", transformName,
                                  L"Sample Grabber", L"Null Renderer"};
    for (int k = 0; k < 5; ++k) ASSERT_EQ(S_OK, graph->AddFilter(line[k], names[k]));
    for (int k = 0; k + 1 < 5; ++k) {
        ASSERT_EQ(S_OK, graph->ConnectDirect(PinOf(line[k], PINDIR_OUTPUT).Get(),
                                             PinOf(line[k + 1], PINDIR_INPUT).Get(), nullptr));
    }
    ComPtr<IMediaFilter> clockless;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaFilter, clockless.PutVoid()));
    ASSERT_EQ(S_OK, clockless->SetSyncSource(nullptr));
}

void WineParserChain::Release() {
    if (grabber) grabber->SetCallback(nullptr, 0);
    *this = WineParserChain();
}
