// What the framework, plug-in and page tests under Wine share: COM on the main thread, reference
// counts and identities, test audio, samples and files, registry reads, the built
// HalvernqvReverb.dll with its exports and registration, and a chain of the platform's own
// filters around a transform.
#pragma once

#include <gtest/gtest.h>
#include <qedit.h>

#include <string>
#include <vector>

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

// Samples of a committed memory allocator of their own (64 KiB buffers), as an upstream filter
// hands them over; the allocator lives as long as the pool.
class SamplePool {
public:
    SamplePool();
    ComPtr<IMediaSample> Make(const std::vector<BYTE>& bytes, bool discontinuity = false);

private:
    ComPtr<IMemAllocator> allocator_;
};

// A file in the working directory, removed when made and when the test ends.
class ScopedFile {
public:
    explicit ScopedFile(std::string name) : path_(std::move(name)) { DeleteFileA(path_.c_str()); }
    ~ScopedFile() { DeleteFileA(path_.c_str()); }
    const std::string& Path() const { return path_; }
    bool Exists() const { return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    std::string path_;
};

// Registry reads under HKEY_CLASSES_ROOT: "(missing)" and -1 when a value is not there.
std::wstring GuidText(REFGUID guid);
bool KeyExists(const std::wstring& path);
std::wstring StringValue(const std::wstring& path, const WCHAR* name);
long long DwordValue(const std::wstring& path, const WCHAR* name);

// A Unix path as Wine's drive Z: shows it, and the built DLL's ("Z:\...\HalvernqvReverb.dll").
std::wstring WindowsPath(const char* unixPath);
std::wstring PluginDllPath();

// A DLL loaded into the test program with its four exports; unloaded with the object.
class PluginModule {
public:
    explicit PluginModule(const std::wstring& path = PluginDllPath());
    ~PluginModule() { FreeLibrary(module_); }
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    bool IsLoaded() const { return getClassObject_ && canUnload_ && register_ && unregister_; }
    HMODULE Handle() const { return module_; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
        return getClassObject_(clsid, iid, out);
    }
    HRESULT CanUnloadNow() const { return canUnload_(); }
    HRESULT RegisterServer() const { return register_(); }
    HRESULT UnregisterServer() const { return unregister_(); }

private:
    HMODULE module_;  // owned
    HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**);
    HRESULT(STDAPICALLTYPE* canUnload_)();
    HRESULT(STDAPICALLTYPE* register_)();
    HRESULT(STDAPICALLTYPE* unregister_)();
};

// The filter as a host makes it (CoCreateInstance), and as the class factory's creation
// function makes it in the test program (one reference, counted among this program's objects).
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

// The platform's own filters and the sample grabber's interfaces.
inline constexpr CLSID kWaveParser = {
    0xd51bd5a1, 0x7548, 0x11cf, {0xa5, 0x20, 0x00, 0x80, 0xc7, 0x7e, 0xf5, 0x8a}};
inline constexpr CLSID kSampleGrabber = {
    0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
inline constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
inline constexpr IID kIidSampleGrabber = {
    0x6b652fff, 0x11fe, 0x4fce, {0x92, 0xad, 0x02, 0x66, 0xb5, 0xd7, 0xc7, 0x8f}};
inline constexpr IID kIidSampleGrabberCallback = {
    0x0579154a, 0x2b53, 0x4994, {0xb0, 0xd0, 0xe7, 0x73, 0x14, 0x8e, 0xff, 0x85}};
constexpr LONG kGraphTimeoutMs = 60000;

ComPtr<IBaseFilter> MakeFilter(REFCLSID clsid);
ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction);

// "File Source (Async)" and "WAVE Parser" reading a WAV file, the transform, "Sample Grabber"
// (calling back with every sample) and "Null Renderer", connected in a clockless graph of the
// platform's filter graph manager. Failures are fatal test failures (ASSERT_NO_FATAL_FAILURE).
class WineParserChain {
public:
    void Build(const std::string& wavPath, IBaseFilter* transform, const WCHAR* transformName,
               ISampleGrabberCB* callback, LONG callbackMethod);
    // Runs the graph to completion and stops it: the completion event code.
    LONG RunToCompletion();
    void Release();

    ComPtr<IGraphBuilder> graph;
    ComPtr<ISampleGrabber> grabber;

private:
    ComPtr<IBaseFilter> reader_, parser_, grabberFilter_, renderer_;
};
