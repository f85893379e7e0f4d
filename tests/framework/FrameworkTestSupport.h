// Helpers of the framework's tests under Wine: COM for the test program, reference counts,
// test audio and files, a small framework object; the pass-through transform lives in
// PassThroughFilter.h.
#pragma once

#include <string>

#include "framework/ComPtr.h"
#include "framework/Unknown.h"
#include "platform/Platform.h"
#include "tests/framework/PassThroughFilter.h"
#include "tools/dxhost/WavFile.h"

// The object's reference count, read by one AddRef and Release.
ULONG RefCount(IUnknown* object);

// Deterministic audio: a sine sweep with a ramp, in the given format, `frames` long; every
// channel differs.
WavAudio MakeTestAudio(WORD formatTag, WORD bits, WORD channels, DWORD rate, int frames);

// A file in the test's working directory, removed when the test ends.
class ScopedFile {
public:
    explicit ScopedFile(const std::string& name);
    ~ScopedFile();
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    const std::string& Path() const { return path_; }
    bool Exists() const;

private:
    std::string path_;
};

// A framework object with one interface of its own (IPersist, answering
// CLSID_TestPassThrough); sets *destroyed when it is deleted.
class CTestObject final : public CUnknown, public IPersist {
public:
    CTestObject(IUnknown* outer, bool* destroyed);
    ~CTestObject() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;

private:
    bool* destroyed_;  // not owned
};
