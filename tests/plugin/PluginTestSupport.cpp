// Helpers of the reverb filter's tests (see PluginTestSupport.h).
#include "tests/plugin/PluginTestSupport.h"

#include <string>
#include <vector>

namespace {

// Closes a handle on scope exit.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;  // owned
};

}  // namespace

std::wstring PluginDllPath() {
    // The build gives the Unix path of the DLL; Wine's drive Z: is the Unix root.
    const std::string unix = QV_PLUGIN_DLL;
    std::wstring path = L"Z:";
    for (char c : unix) path += c == '/' ? L'\\' : static_cast<WCHAR>(c);
    return path;
}

PluginModule::PluginModule() : module_(LoadLibraryW(PluginDllPath().c_str())) {
    if (module_ == nullptr) return;
    getClassObject_ = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    canUnloadNow_ = reinterpret_cast<ServerFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    registerServer_ = reinterpret_cast<ServerFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
    unregisterServer_ = reinterpret_cast<ServerFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
}

PluginModule::~PluginModule() {
    if (module_ != nullptr) FreeLibrary(module_);
}

bool PluginModule::IsLoaded() const {
    return module_ != nullptr && getClassObject_ != nullptr && canUnloadNow_ != nullptr &&
           registerServer_ != nullptr && unregisterServer_ != nullptr;
}

HRESULT PluginModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    return getClassObject_(clsid, iid, out);
}

HRESULT PluginModule::CanUnloadNow() const {
    return canUnloadNow_();
}

HRESULT PluginModule::RegisterServer() const {
    return registerServer_();
}

HRESULT PluginModule::UnregisterServer() const {
    return unregisterServer_();
}

long RunProgram(const std::wstring& commandLine, DWORD timeoutMs) {
    std::vector<WCHAR> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    if (WaitForSingleObject(processHandle.Get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.Get(), &exitCode)) return -1;
    return static_cast<long>(exitCode);
}

HRESULT CreateRegisteredFilter(IBaseFilter** filter) {
    return CoCreateInstance(CLSID_HqPlugIn, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                            reinterpret_cast<void**>(filter));
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

IBaseFilter* AsFilter(CHqPlugIn* filter) {
    return filter;
}

IUnknown* IdentityOf(IUnknown* object) {
    IUnknown* identity = nullptr;
    if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
        return nullptr;
    }
    identity->Release();
    return identity;
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

std::wstring StringValue(const std::wstring& path, const WCHAR* name) {
    WCHAR text[MAX_PATH] = {};
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS) {
        return L"(missing)";
    }
    return text;
}

long long DwordValue(const std::wstring& path, const WCHAR* name) {
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &bytes) != ERROR_SUCCESS) {
        return -1;
    }
    return value;
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
