// Helpers of the reverb filter's tests under Wine: the built HalvernqvReverb.dll, its exports
// and its registration in the test prefix, filters made through COM or in the test program,
// COM identities, and the registry as the tests read it. The framework tests' helpers come
// with them: COM initialised on the main thread, RefCount, MakeTestAudio and ScopedFile.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "framework/ComPtr.h"
#include "host/HqPlugIn.h"
#include "host/HqPlugInNames.h"
#include "platform/Platform.h"
#include "tests/framework/FrameworkTestSupport.h"

// The built DLL as a Windows path ("Z:\...\HalvernqvReverb.dll").
std::wstring PluginDllPath();

// The DLL loaded into the test program, with its four exports; unloaded with the object.
class PluginModule {
public:
    PluginModule();
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // The DLL loaded and all four exports found.
    bool IsLoaded() const;
    HMODULE Handle() const { return module_; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
    HRESULT CanUnloadNow() const;
    HRESULT RegisterServer() const;
    HRESULT UnregisterServer() const;

private:
    using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using ServerFunction = HRESULT(STDAPICALLTYPE*)();

    HMODULE module_;  // owned: freed by the destructor
    GetClassObjectFunction getClassObject_ = nullptr;
    ServerFunction canUnloadNow_ = nullptr;
    ServerFunction registerServer_ = nullptr;
    ServerFunction unregisterServer_ = nullptr;
};

// Runs a program of the prefix (e.g. L"regsvr32 /s \"...\"") to its end: its exit code, or
// -1 when it could not be started or did not end within the timeout.
long RunProgram(const std::wstring& commandLine, DWORD timeoutMs = 30000);

// The filter as a host makes it: CoCreateInstance of the registered class.
HRESULT CreateRegisteredFilter(IBaseFilter** filter);

// A filter made in the test program by the class factory's creation function, with one
// reference; counted among this program's framework objects.
ComPtr<CHqPlugIn> CreateLocalFilter();
IBaseFilter* AsFilter(CHqPlugIn* filter);

// What QueryInterface(IID_IUnknown) on `object` gives, without keeping the reference.
IUnknown* IdentityOf(IUnknown* object);

// "{XXXXXXXX-...}" as StringFromGUID2 writes it.
std::wstring GuidText(REFGUID guid);
// Registry reads under HKEY_CLASSES_ROOT.
bool KeyExists(const std::wstring& path);
// A REG_SZ value, or "(missing)".
std::wstring StringValue(const std::wstring& path, const WCHAR* name);
// A REG_DWORD value, or -1 when it is missing or of another type.
long long DwordValue(const std::wstring& path, const WCHAR* name);

// Tests of the filter as a host makes it: the DLL registered in the prefix for the whole suite
// (through its DllRegisterServer) and unregistered after it; each test starts with a new filter
// from CoCreateInstance and ends with nothing of the DLL alive.
class RegisteredFilterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static PluginModule* module_;  // owned by the suite
    ComPtr<IBaseFilter> filter_;
};
