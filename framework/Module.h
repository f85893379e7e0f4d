// The module's bookkeeping that DllCanUnloadNow reads: the count of live framework objects and
// of outstanding LockServer(TRUE) calls, both changed with interlocked operations from any
// thread, and the module handle that registration and property pages use.
#pragma once

#include "platform/Platform.h"

// Recorded at process attach (AttachFrameworkModule). Until then, and in programs that link
// the framework directly, the process's own executable.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();

// The Windows version as GetVersion reports it, recorded with the module handle.
DWORD ModuleWindowsVersion();

// Every CBaseObject counts itself for its lifetime; every class object's lock counts once.
LONG ModuleObjectCount();
LONG ModuleLockCount();
void IncrementModuleObjectCount();
void DecrementModuleObjectCount();
void IncrementModuleLockCount();
void DecrementModuleLockCount();

// S_OK when no object is alive and no lock is held, else S_FALSE: DllCanUnloadNow's answer.
HRESULT ModuleCanUnloadNow();
