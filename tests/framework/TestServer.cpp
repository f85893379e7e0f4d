// A COM server DLL built on the framework's factory templates, serving the pass-through test
// transform: the tests register it, create the filter through COM and host it with dxhost as
// a plug-in would be hosted.
#include "framework/ClassFactory.h"
#include "framework/Module.h"
#include "framework/Registration.h"
#include "tests/framework/PassThroughFilter.h"

namespace {

const CFactoryTemplate kTemplates[] = {
    {L"qv framework test pass-through", &CLSID_TestPassThrough, CPassThroughFilter::CreateInstance,
     nullptr, &CPassThroughFilter::kSetup},
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) AttachFrameworkModule(instance, kTemplates);
    if (reason == DLL_PROCESS_DETACH) DetachFrameworkModule(kTemplates);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return GetClassObjectFromTemplates(kTemplates, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
    return ModuleCanUnloadNow();
}

STDAPI DllRegisterServer() {
    return RegisterFactoryTemplates(kTemplates, ModuleInstance(), true);
}

STDAPI DllUnregisterServer() {
    return RegisterFactoryTemplates(kTemplates, ModuleInstance(), false);
}
