// What the framework, plug-in and page tests under Wine share: COM, counts, test audio, registry
// reads, the built HalvernqvReverb.dll, and a chain of the platform's own filters.
#pragma once

#include <gtest/gtest.h>
#include <qedit.h>

#include <string>

#include "framework/ComPtr.h"
#include "host/HqPlugIn.h"
#include "tools/dxhost/WavFile.h"

inline ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}
// What QueryInterface(IID_IUnknown) gives, without keeping the reference.
inline IUnknown* IdentityOf(IUnknown* object) {
    ComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, identity.PutVoid());
    return identity.Get();
}
inline IBaseFilter* AsFilter(CBaseFilter* filter) {
    return filter;
}

// A sine sweep with a ramp, different in every channel.
WavAudio MakeTestAudio(WORD formatTag, WORD bits, WORD channels, DWORD rate, int frames);

// Registry reads under HKEY_CLASSES_ROOT: a value's text (a DWORD in decimal), "(missing)" when
// it is not there.
std::wstring GuidText(REFGUID guid);
bool KeyExists(const std::wstring& path);
std::wstring RegistryValue(const std::wstring& path, const WCHAR* name);

// The built DLL as Wine's drive Z: shows it ("Z:\...\HalvernqvReverb.dll").
std::wstring PluginDllPath();

// The DLL loaded into the test program with its four exports; unloaded with the object.
class PluginModule {
public:
    PluginModule() : module_(LoadLibraryW(PluginDllPath().c_str())) {}
    ~PluginModule() { FreeLibrary(module_); }
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    bool IsLoaded() const;
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
        using Get = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        return Export<Get>("DllGetClassObject")(clsid, iid, out);
    }
    HRESULT CanUnloadNow() const { return Export<Call>("DllCanUnloadNow")(); }
    HRESULT RegisterServer() const { return Export<Call>("DllRegisterServer")(); }
    HRESULT UnregisterServer() const { return Export<Call>("DllUnregisterServer")(); }

private:
    using Call = HRESULT(STDAPICALLTYPE*)();
    template <class F>
    F Export(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    HMODULE module_;  // owned
};

// The filter as a host makes it, and as the class factory's creation function makes it in the
// test program (one reference, counted among this program's objects).
inline HRESULT CreateRegisteredFilter(IBaseFilter** filter) {
    return CoCreateInstance(CLSID_HqPlugIn, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                            reinterpret_cast<void**>(filter));
}
ComPtr<CHqPlugIn> CreateLocalFilter();

// The DLL registered through its DllRegisterServer for the suite; every test starts with a
// new filter from CoCreateInstance and ends with nothing of the DLL alive.
class RegisteredFilterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static PluginModule* module_;  // owned by the suite
    ComPtr<IBaseFilter> filter_;
};

constexpr LONG kGraphTimeoutMs = 60000;

// "File Source (Async)" and "WAVE Parser" reading a WAV file, the transform, "Sample Grabber"
// (calling back with every sample) and "Null Renderer", connected in a clockless graph of the
// platform's filter graph manager. Failures are fatal test failures (ASSERT_NO_FATAL_FAILURE).
class WineParserChain {
public:
    void Build(const std::string& wavPath, IBaseFilter* transform, const WCHAR* transformName,
               ISampleGrabberCB* callback, LONG callbackMethod);
    void Release();

    ComPtr<IGraphBuilder> graph;
    ComPtr<ISampleGrabber> grabber;

private:
    ComPtr<IBaseFilter> reader_, parser_, grabberFilter_, renderer_;
};
