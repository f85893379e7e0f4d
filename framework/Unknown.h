// The owning-unknown pattern every COM object of the framework is built on. An object derives
// from CUnknown and answers NonDelegatingQueryInterface; each of its interfaces forwards
// QueryInterface, AddRef and Release to the owner (DECLARE_IUNKNOWN), which is the outer
// object when aggregated and the object's own non-delegating unknown otherwise, so all its
// interfaces share one identity and one reference count.
#pragma once

#include "platform/Platform.h"

// The object's own IUnknown, distinct from the one its interfaces forward to the owner. The
// slot order is IUnknown's, so a pointer to it is handed out as the object's IUnknown.
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

// Counts itself among the module's live objects for its whole lifetime (DllCanUnloadNow).
class CBaseObject {
public:
    // `name` is static text naming the object for debugging; not owned, may be null.
    explicit CBaseObject(const WCHAR* name);
    virtual ~CBaseObject();
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    const WCHAR* ObjectName() const { return name_; }
    // The module's count of live objects.
    static LONG ObjectsActive();

private:
    const WCHAR* name_;  // not owned
};

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    // `outer` is the controlling unknown when the object is aggregated, else null. The object
    // starts with no reference; its creator takes the first one.
    CUnknown(const WCHAR* name, IUnknown* outer);
    // The form the factory templates' creation functions use; `hr` is left as it is.
    CUnknown(const WCHAR* name, IUnknown* outer, HRESULT* hr);

    // The unknown every interface of the object forwards to. Not counted.
    IUnknown* GetOwner() const { return owner_; }

    // IID_IUnknown: the non-delegating unknown itself. Derived classes answer their own
    // interfaces first and defer to this for the rest (E_NOINTERFACE, *ppv null).
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // Interlocked; the object deletes itself when its count returns to zero.
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

protected:
    // The object's own count, for objects (pins) that forward their counting elsewhere.
    LONG References() const { return references_; }

private:
    IUnknown* const owner_;  // not counted: the outer object or this object's own unknown
    volatile LONG references_ = 0;
};

// Hands out `unknown` through `ppv` with one reference added: E_POINTER for a null `ppv`.
HRESULT GetInterface(IUnknown* unknown, void** ppv);

// Declares the IUnknown methods of a class deriving from CUnknown and COM interfaces: each
// forwards to the owner.
#define DECLARE_IUNKNOWN                                                         \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override { \
        return GetOwner()->QueryInterface(riid, ppv);                            \
    }                                                                            \
    ULONG STDMETHODCALLTYPE AddRef() override {                                  \
        return GetOwner()->AddRef();                                             \
    }                                                                            \
    ULONG STDMETHODCALLTYPE Release() override {                                 \
        return GetOwner()->Release();                                            \
    }
