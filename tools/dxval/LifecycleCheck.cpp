// Creation and release as hosts repeat them, the module's unload answer, and registration
// through the module's own exports (restored as it was found).
#include "engine/Identifiers.h"
#include "tools/dxval/Checks.h"

namespace {

// Creates and releases `cycles` objects of `clsid`; the module must stay loaded while each
// lives and may unload once all are gone.
void Cycle(CheckContext& context, REFCLSID clsid, const char* what, int cycles) {
    context.Step(std::string("create and release ") + what);
    for (int i = 0; i < cycles; ++i) {
        ComPtr<IUnknown> object;
        const HRESULT hr = context.module.Create(clsid, IID_IUnknown, object.PutVoid());
        if (FAILED(hr) || !object) {
            context.Fail(std::string("creating the ") + what + " failed: " + HrText(hr));
            return;
        }
        context.ExpectHr(context.module.canUnloadNow(), S_FALSE,
                         std::string("DllCanUnloadNow with a live ") + what);
        // Every interface a host asks for lives on the same count.
        ComPtr<IUnknown> again;
        object->QueryInterface(IID_IUnknown, again.PutVoid());
        object.Reset();
        context.ExpectHr(
            context.module.canUnloadNow(), S_FALSE,
            std::string("DllCanUnloadNow with a ") + what + " held by a second pointer");
        again.Reset();
        context.ExpectHr(context.module.canUnloadNow(), S_OK,
                         std::string("DllCanUnloadNow after the last ") + what + " is released");
        ++context.runs;
    }
}

}  // namespace

void CheckLifecycle(CheckContext& context) {
    const int cycles = context.options.quick ? 100 : 1000;
    Cycle(context, context.options.clsid, "filter", cycles);
    Cycle(context, CLSID_HqPlugInPropPage, "property page", cycles);

    // The class object keeps the module while a lock is held.
    context.Step("LockServer");
    {
        ComPtr<IClassFactory> factory;
        context.ExpectHr(context.module.getClassObject(context.options.clsid, IID_IClassFactory,
                                                       factory.PutVoid()),
                         S_OK, "DllGetClassObject");
        if (factory) {
            factory->LockServer(TRUE);
            factory.Reset();
            context.ExpectHr(context.module.canUnloadNow(), S_FALSE,
                             "DllCanUnloadNow with a server lock");
            context.module.getClassObject(context.options.clsid, IID_IClassFactory,
                                          factory.PutVoid());
            if (factory) factory->LockServer(FALSE);
        }
    }
    context.ExpectHr(context.module.canUnloadNow(), S_OK,
                     "DllCanUnloadNow after the lock is released");

    context.Step("registration");
    const bool wasRegistered = IsRegistered(context.options.clsid);
    for (int i = 0; i < 2; ++i) {
        context.ExpectHr(context.module.registerServer(), S_OK, "DllRegisterServer");
        if (!IsRegistered(context.options.clsid)) context.Fail("DllRegisterServer left no key");
    }
    {
        ComPtr<IBaseFilter> filter;
        context.ExpectHr(CoCreateInstance(context.options.clsid, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IBaseFilter, filter.PutVoid()),
                         S_OK, "CoCreateInstance of the registered filter");
        ComPtr<IUnknown> page;
        context.ExpectHr(CoCreateInstance(CLSID_HqPlugInPropPage, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IPropertyPage, page.PutVoid()),
                         S_OK, "CoCreateInstance of the registered property page");
    }
    for (int i = 0; i < 2; ++i) {
        const HRESULT hr = context.module.unregisterServer();
        if (FAILED(hr))
            context.Fail("DllUnregisterServer (" + std::to_string(i + 1) + ") returned " +
                         HrText(hr));
        if (IsRegistered(context.options.clsid)) context.Fail("DllUnregisterServer left the key");
    }
    if (wasRegistered) {
        context.ExpectHr(context.module.registerServer(), S_OK, "DllRegisterServer (restoring)");
    }
    context.runs += 4;
}
