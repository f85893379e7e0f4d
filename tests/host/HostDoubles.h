// Test doubles for the host side of the automation and persistence interfaces: a host's
// user-interface callback that records what reaches it, streams in memory (the system's own
// under Windows) and a stream that fails on request. Shared by the tests of host/.
#pragma once

#include <string>
#include <vector>

#include "engine/AutomationInterfaces.h"
#include "platform/Platform.h"

// A host's IMediaParamsUICallback: records "Begin 8", "Changed 8 0.5", "End 8" in order and
// answers every call with `answer`.
class RecordingCallback final : public IMediaParamsUICallback {
public:
    RecordingCallback() = default;
    ~RecordingCallback() = default;
    RecordingCallback(const RecordingCallback&) = delete;
    RecordingCallback& operator=(const RecordingCallback&) = delete;

    HRESULT answer = S_OK;
    std::vector<std::string> TakeLog();
    LONG References() const { return references_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD* indexes, DWORD count) override;
    HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) override;
    HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD* indexes, DWORD count) override;

private:
    void Record(const char* what, DWORD* indexes, DWORD count, const MP_DATA* values);

    volatile LONG references_ = 0;  // the test owns the object; the count is only watched
    std::vector<std::string> log_;
};

// Owns one reference to a stream.
class StreamRef {
public:
    explicit StreamRef(IStream* stream = nullptr) : stream_(stream) {}
    ~StreamRef() {
        if (stream_ != nullptr) stream_->Release();
    }
    StreamRef(const StreamRef&) = delete;
    StreamRef& operator=(const StreamRef&) = delete;
    IStream* operator->() const { return stream_; }
    IStream* Get() const { return stream_; }

private:
    IStream* stream_;
};

// A memory stream (CreateStreamOnHGlobal) holding `bytes`, positioned at its start.
IStream* MemoryStream(const std::vector<BYTE>& bytes = {});
// Everything in a stream, read from its start; leaves it positioned at its end.
std::vector<BYTE> StreamBytes(IStream* stream);
// Rewinds a stream to its start.
void Rewind(IStream* stream);

// A stream over fixed bytes whose reads and writes answer `failure` from the given call on
// (counting from 1; 0 never fails). A write may also be cut short: `shortWrites` makes every
// write report one byte fewer than asked, with S_OK.
class FailingStream final : public IStream {
public:
    explicit FailingStream(std::vector<BYTE> bytes = {}) : bytes_(std::move(bytes)) {}
    ~FailingStream() = default;
    FailingStream(const FailingStream&) = delete;
    FailingStream& operator=(const FailingStream&) = delete;

    HRESULT failure = E_FAIL;
    int failReadAt = 0;
    int failWriteAt = 0;
    bool shortWrites = false;
    int reads = 0;
    int writes = 0;
    std::vector<BYTE> written;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG bytes, ULONG* bytesRead) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG bytes, ULONG* bytesWritten) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    std::vector<BYTE> bytes_;
    std::size_t position_ = 0;
};
