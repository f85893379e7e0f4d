// The module's class objects: a table of factory templates (one per COM class the module
// serves) and the class factory that creates objects from one template. The module's
// DllGetClassObject and DllMain pass their table to the helpers below.
#pragma once

#include <span>

#include "framework/FilterSetup.h"
#include "framework/Unknown.h"
#include "platform/Platform.h"

// Creates an object aggregated by `outer` (or not, when null) with no reference taken yet. On
// failure returns null with the reason in *hr, or a non-null object with a failure in *hr
// that the factory deletes.
using LPFNNewCOMObject = CUnknown* (*)(IUnknown* outer, HRESULT* hr);
// Called at process attach (loading TRUE) and detach (FALSE) for the template's class.
using LPFNInitRoutine = void (*)(BOOL loading, const CLSID* clsid);

// One COM class of the module. `setup` is null for classes that are not filters.
struct CFactoryTemplate {
    const WCHAR* name;
    const CLSID* clsid;
    LPFNNewCOMObject createInstance;
    LPFNInitRoutine initRoutine;
    const AMOVIESETUP_FILTER* setup;

    bool IsClassID(REFCLSID other) const { return IsEqualCLSID(*clsid, other) != FALSE; }
};

// The class object of one template. Counts among the module's objects; LockServer keeps the
// module loaded.
class CClassFactory final : public IClassFactory, public CBaseObject {
public:
    explicit CClassFactory(const CFactoryTemplate* factoryTemplate);

    // IUnknown and IClassFactory only; the object's own interlocked count.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // E_POINTER for a null `out`; E_NOINTERFACE for an `outer` with an interface other than
    // IID_IUnknown; the creation function's failure (E_OUTOFMEMORY when it gives none); else
    // the new object's answer for `iid`, its creation reference released.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    // Counts locks up (TRUE) and down (FALSE).
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CClassFactory() override = default;

    const CFactoryTemplate* const template_;  // not owned: an entry of a static table
    volatile LONG references_ = 0;
};

// DllGetClassObject over a table: E_POINTER for a null `out`; E_NOINTERFACE for an `iid`
// other than IID_IUnknown and IID_IClassFactory; CLASS_E_CLASSNOTAVAILABLE when no template
// has `clsid`; E_OUTOFMEMORY; else S_OK with a new class object holding one reference.
HRESULT GetClassObjectFromTemplates(std::span<const CFactoryTemplate> templates, REFCLSID clsid,
                                    REFIID iid, void** out);

// The module entry's work at process attach: records the module handle and the Windows
// version, turns off thread notifications and runs the templates' initialisation routines.
// At detach the routines run again with FALSE.
void AttachFrameworkModule(HINSTANCE instance, std::span<const CFactoryTemplate> templates);
void DetachFrameworkModule(std::span<const CFactoryTemplate> templates);
