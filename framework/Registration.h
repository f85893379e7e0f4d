// Self-registration of a module's classes: the COM server keys under HKEY_CLASSES_ROOT and the
// filters' registration with the DirectShow filter mapper. DllRegisterServer and
// DllUnregisterServer call RegisterFactoryTemplates; IAMovieSetup calls RegisterFilterSetup.
#pragma once

#include <span>

#include "framework/ClassFactory.h"
#include "framework/FilterSetup.h"
#include "platform/Platform.h"

// HKCR\CLSID\{clsid} with `name` as its default value, and its InprocServer32 key with the
// full path of `module` as default value and ThreadingModel "Both". Registry failures come
// back as HRESULT_FROM_WIN32.
HRESULT RegisterServerKeys(REFCLSID clsid, const WCHAR* name, HMODULE module);
// Removes HKCR\CLSID\{clsid} with all its subkeys; S_OK when it is not there.
HRESULT UnregisterServerKeys(REFCLSID clsid);

// Registers (or unregisters) a filter with IFilterMapper2 in the legacy DirectShow filter
// category (CLSID_LegacyAmFilterCategory) with its name, merit and pins, or with IFilterMapper
// where IFilterMapper2 cannot be created. Unregistering a filter that is not registered
// succeeds. COM must be initialised on the calling thread.
HRESULT RegisterFilterSetup(const AMOVIESETUP_FILTER& setup, bool doRegister);
// The fallback's work with a given IFilterMapper: the filter, each pin and each pin type; a
// failure part way unregisters the filter again.
HRESULT RegisterFilterSetupWithMapper(IFilterMapper* mapper, const AMOVIESETUP_FILTER& setup,
                                      bool doRegister);

// Registering: the server keys of every template (with `module`'s path), then every template
// that has a setup record with the filter mapper; the first failure ends it. Unregistering:
// the filters from the mapper, then the server keys. Initialises COM on the calling thread for
// the time of the call when it is not yet.
HRESULT RegisterFactoryTemplates(std::span<const CFactoryTemplate> templates, HMODULE module,
                                 bool doRegister);
