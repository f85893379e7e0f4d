// The automation object counted among the module's objects (see CountedMediaParams.h).
#include "host/CountedMediaParams.h"

#include <new>

HRESULT CCountedMediaParams::Create(IEngineAutomation** out, IHqPlugInProp* owner) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (owner == nullptr) return E_POINTER;
    auto* object = new (std::nothrow) CCountedMediaParams(owner);
    if (object == nullptr) return E_OUTOFMEMORY;
    object->AddRef();  // the engine's reference
    *out = object;
    return S_OK;
}

CCountedMediaParams::CCountedMediaParams(IHqPlugInProp* owner)
    : CMediaParams(owner), CBaseObject(L"automation parameters") {}

CCountedMediaParams::~CCountedMediaParams() = default;
