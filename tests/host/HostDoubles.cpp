// Test doubles for the host side (see HostDoubles.h).
#include "tests/host/HostDoubles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::vector<std::string> RecordingCallback::TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log_);
    return taken;
}

HRESULT RecordingCallback::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IMediaParamsUICallback)) {
        *ppv = static_cast<IMediaParamsUICallback*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG RecordingCallback::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG RecordingCallback::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&references_));
}

void RecordingCallback::Record(const char* what, DWORD* indexes, DWORD count,
                               const MP_DATA* values) {
    for (DWORD i = 0; i < count; ++i) {
        char line[64];
        if (values != nullptr) {
            std::snprintf(line, sizeof line, "%s %u %.6g", what, static_cast<unsigned>(indexes[i]),
                          static_cast<double>(values[i]));
        } else {
            std::snprintf(line, sizeof line, "%s %u", what, static_cast<unsigned>(indexes[i]));
        }
        log_.emplace_back(line);
    }
}

HRESULT RecordingCallback::ParamsBeginCapture(DWORD* indexes, DWORD count) {
    Record("Begin", indexes, count, nullptr);
    return answer;
}

HRESULT RecordingCallback::ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) {
    Record("Changed", indexes, count, values);
    return answer;
}

HRESULT RecordingCallback::ParamsEndCapture(DWORD* indexes, DWORD count) {
    Record("End", indexes, count, nullptr);
    return answer;
}

IStream* MemoryStream(const std::vector<BYTE>& bytes) {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
    if (!bytes.empty()) {
        ULONG written = 0;
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    }
    Rewind(stream);
    return stream;
}

void Rewind(IStream* stream) {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

std::vector<BYTE> StreamBytes(IStream* stream) {
    Rewind(stream);
    std::vector<BYTE> bytes;
    BYTE chunk[64];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &read)) && read > 0) {
        bytes.insert(bytes.end(), chunk, chunk + read);
    }
    return bytes;
}

HRESULT FailingStream::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IStream)) {
        *ppv = static_cast<IStream*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT FailingStream::Read(void* buffer, ULONG bytes, ULONG* bytesRead) {
    if (bytesRead != nullptr) *bytesRead = 0;
    if (++reads == failReadAt) return failure;
    const std::size_t count = std::min<std::size_t>(bytes, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    if (bytesRead != nullptr) *bytesRead = static_cast<ULONG>(count);
    return S_OK;
}

HRESULT FailingStream::Write(const void* buffer, ULONG bytes, ULONG* bytesWritten) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    if (++writes == failWriteAt) return failure;
    const ULONG count = shortWrites && bytes > 0 ? bytes - 1 : bytes;
    const auto* from = static_cast<const BYTE*>(buffer);
    written.insert(written.end(), from, from + count);
    if (bytesWritten != nullptr) *bytesWritten = count;
    return S_OK;
}

HRESULT FailingStream::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) {
    return E_NOTIMPL;
}
