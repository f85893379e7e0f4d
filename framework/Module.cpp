// The module's counters and handle.
#include "framework/Module.h"

namespace {

// Written once at process attach, before any other thread can run the module's code.
HINSTANCE moduleInstance = nullptr;
DWORD windowsVersion = 0;

// Changed only with Interlocked operations.
LONG objectCount = 0;
LONG lockCount = 0;

}  // namespace

void SetModuleInstance(HINSTANCE instance) {
    moduleInstance = instance;
    windowsVersion = GetVersion();
}

HINSTANCE ModuleInstance() {
    return moduleInstance != nullptr ? moduleInstance : GetModuleHandleW(nullptr);
}

DWORD ModuleWindowsVersion() {
    return windowsVersion != 0 ? windowsVersion : GetVersion();
}

LONG ModuleObjectCount() {
    return InterlockedCompareExchange(&objectCount, 0, 0);
}
LONG ModuleLockCount() {
    return InterlockedCompareExchange(&lockCount, 0, 0);
}
void IncrementModuleObjectCount() {
    InterlockedIncrement(&objectCount);
}
void DecrementModuleObjectCount() {
    InterlockedDecrement(&objectCount);
}
void IncrementModuleLockCount() {
    InterlockedIncrement(&lockCount);
}
void DecrementModuleLockCount() {
    InterlockedDecrement(&lockCount);
}

HRESULT ModuleCanUnloadNow() {
    return ModuleObjectCount() == 0 && ModuleLockCount() == 0 ? S_OK : S_FALSE;
}
