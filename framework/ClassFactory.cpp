// Class objects from factory templates.
#include "framework/ClassFactory.h"

#include <new>

#include "framework/Module.h"

CClassFactory::CClassFactory(const CFactoryTemplate* factoryTemplate)
    : CBaseObject(L"class factory"), template_(factoryTemplate) {}

HRESULT STDMETHODCALLTYPE CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE CClassFactory::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    // An aggregated object can only hand its non-delegating unknown to its outer object.
    if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;

    HRESULT hr = S_OK;
    CUnknown* object = template_->createInstance(outer, &hr);
    if (object == nullptr) return FAILED(hr) ? hr : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        delete object;
        return hr;
    }
    object->NonDelegatingAddRef();
    hr = object->NonDelegatingQueryInterface(iid, out);
    object->NonDelegatingRelease();
    return hr;
}

HRESULT STDMETHODCALLTYPE CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        IncrementModuleLockCount();
    } else {
        DecrementModuleLockCount();
    }
    return S_OK;
}

HRESULT GetClassObjectFromTemplates(std::span<const CFactoryTemplate> templates, REFCLSID clsid,
                                    REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    for (const CFactoryTemplate& entry : templates) {
        if (!entry.IsClassID(clsid)) continue;
        auto* factory = new (std::nothrow) CClassFactory(&entry);
        if (factory == nullptr) return E_OUTOFMEMORY;
        factory->AddRef();
        *out = static_cast<IClassFactory*>(factory);
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

void AttachFrameworkModule(HINSTANCE instance, std::span<const CFactoryTemplate> templates) {
    SetModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
    for (const CFactoryTemplate& entry : templates) {
        if (entry.initRoutine != nullptr) entry.initRoutine(TRUE, entry.clsid);
    }
}

void DetachFrameworkModule(std::span<const CFactoryTemplate> templates) {
    for (const CFactoryTemplate& entry : templates) {
        if (entry.initRoutine != nullptr) entry.initRoutine(FALSE, entry.clsid);
    }
}
