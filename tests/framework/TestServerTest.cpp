// A COM server DLL made with the framework (the pass-through transform's), as a host meets it:
// its four exports, its registration in the test prefix's registry, the class created through
// COM while DllCanUnloadNow follows it, and dxhost hosting the registered filter from a WAV
// file to a WAV file, then refusing what the filter does not offer.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "tests/framework/FrameworkTestSupport.h"
#include "tools/dxhost/DxHost.h"

namespace {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using ServerFunction = HRESULT(STDAPICALLTYPE*)();

constexpr const char* kPassThroughClsid = "{E7D40BA6-C039-4210-BE82-5676C4B8C0E2}";

std::wstring InprocServerPath() {
    WCHAR text[MAX_PATH] = {};
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CLASSES_ROOT,
                     L"CLSID\\{E7D40BA6-C039-4210-BE82-5676C4B8C0E2}\\InprocServer32", nullptr,
                     RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS) {
        return L"(missing)";
    }
    return text;
}

// The server DLL beside the test program, loaded for the whole test.
class TestServer : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryW(L"qv_framework_test_server.dll");
        ASSERT_NE(nullptr, module);
        getClassObject = reinterpret_cast<GetClassObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        canUnloadNow = Export("DllCanUnloadNow");
        registerServer = Export("DllRegisterServer");
        unregisterServer = Export("DllUnregisterServer");
        ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);
        ASSERT_EQ(S_OK, registerServer());
    }
    void TearDown() override {
        EXPECT_EQ(S_OK, unregisterServer());
        EXPECT_EQ(L"(missing)", InprocServerPath());
        CoFreeUnusedLibraries();
        FreeLibrary(module);
    }
    ServerFunction Export(const char* name) {
        return reinterpret_cast<ServerFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    HMODULE module = nullptr;
    GetClassObjectFunction getClassObject = nullptr;
    ServerFunction canUnloadNow = nullptr;
    ServerFunction registerServer = nullptr;
    ServerFunction unregisterServer = nullptr;
};

TEST_F(TestServer, RegistersItsOwnPathAndAnswersForItsClassOnly) {
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    EXPECT_EQ(std::wstring(path), InprocServerPath());

    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              getClassObject(CLSID_FilterGraph, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_NOINTERFACE, getClassObject(CLSID_TestPassThrough, IID_IBaseFilter, &out));
    EXPECT_EQ(E_POINTER, getClassObject(CLSID_TestPassThrough, IID_IClassFactory, nullptr));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject(CLSID_TestPassThrough, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "a class object is alive";
    factory.Reset();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(TestServer, DllCanUnloadNowFollowsALiveFilter) {
    EXPECT_EQ(S_OK, canUnloadNow());
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TestPassThrough, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IBaseFilter, filter.PutVoid()));
    EXPECT_EQ(1u, RefCount(filter.Get()));
    CLSID clsid = {};
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestPassThrough, clsid));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    filter.Reset();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(TestServer, DxHostRendersAFileThroughTheRegisteredFilter) {
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 48000, 48000);
    ScopedFile in("framework-host-in.wav");
    ScopedFile out("framework-host-out.wav");
    ScopedFile partial("framework-host-out.wav.partial");
    std::string error;
    ASSERT_TRUE(WriteWavFile(in.Path(), input, &error)) << error;

    std::ostringstream said, complained;
    ASSERT_EQ(0, RunDxHost({in.Path(), out.Path(), "--clsid", kPassThroughClsid, "--block", "1000"},
                           said, complained))
        << complained.str();
    EXPECT_EQ("", complained.str());
    EXPECT_EQ(
        "dxhost: framework-host-in.wav (32-bit float, 2 channels, 48000 Hz, 48000 frames) -> "
        "framework-host-out.wav (32-bit float, 2 channels, 48000 Hz, 48000 frames)\n",
        said.str());
    WavAudio written;
    ASSERT_TRUE(ReadWavFile(out.Path(), &written, &error)) << error;
    EXPECT_TRUE(input.data == written.data);
    EXPECT_FALSE(partial.Exists());
    EXPECT_EQ(S_OK, canUnloadNow()) << "dxhost released everything it made";
}

TEST_F(TestServer, DxHostRefusesWhatTheFilterDoesNotOffer) {
    ScopedFile in("framework-host-in.wav");
    ScopedFile out("framework-host-out.wav");
    ScopedFile partial("framework-host-out.wav.partial");
    ScopedFile state("framework-host.state");
    ScopedFile automation("framework-host.auto");
    std::string error;
    ASSERT_TRUE(
        WriteWavFile(in.Path(), MakeTestAudio(WAVE_FORMAT_PCM, 16, 1, 44100, 4000), &error));
    std::FILE* file = std::fopen(automation.Path().c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fputs("Decay 0 1 0 1 linear\n", file);
    std::fclose(file);

    struct Case {
        const char* option;
        std::string value;
        const char* message;
    } const cases[] = {
        {"--static-preset", "0",
         "dxhost: the filter has no built-in presets (no IStaticFilterPreset)\n"},
        {"--state", state.Path(), "dxhost: the filter cannot load a state (no IPersistStream)\n"},
        {"--automation", automation.Path(),
         "dxhost: the filter cannot be automated (no IMediaParams)\n"},
        {"--save-state", state.Path(),
         "dxhost: the filter cannot save its state (no IPersistStream)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        std::ostringstream said, complained;
        EXPECT_EQ(
            1, RunDxHost({in.Path(), out.Path(), "--clsid", kPassThroughClsid, c.option, c.value},
                         said, complained));
        EXPECT_EQ(c.message, complained.str());
        EXPECT_FALSE(out.Exists());
        EXPECT_FALSE(partial.Exists());
    }
    EXPECT_EQ(S_OK, canUnloadNow());
}

}  // namespace
