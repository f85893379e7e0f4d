// The owning-unknown pattern and the module's object count.
#include "framework/Unknown.h"

#include "framework/Module.h"

CBaseObject::CBaseObject(const WCHAR* name) : name_(name) {
    IncrementModuleObjectCount();
}

CBaseObject::~CBaseObject() {
    DecrementModuleObjectCount();
}

LONG CBaseObject::ObjectsActive() {
    return ModuleObjectCount();
}

CUnknown::CUnknown(const WCHAR* name, IUnknown* outer)
    : CBaseObject(name),
      owner_(outer != nullptr
                 ? outer
                 : reinterpret_cast<IUnknown*>(static_cast<INonDelegatingUnknown*>(this))) {}

CUnknown::CUnknown(const WCHAR* name, IUnknown* outer, HRESULT*) : CUnknown(name, outer) {}

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<INonDelegatingUnknown*>(this);
        NonDelegatingAddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        // A destructor that takes and drops a reference of its own must not come back here.
        references_ = 1;
        delete this;
        return 0;
    }
    return static_cast<ULONG>(left);
}

HRESULT GetInterface(IUnknown* unknown, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = unknown;
    unknown->AddRef();
    return S_OK;
}
