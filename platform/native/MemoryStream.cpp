// The native in-memory stream behind CreateStreamOnHGlobal (see Streams.h): a byte vector, a
// seek position and an interlocked reference count. Reads past the end return what there is
// with S_OK, as the system's memory stream does; writes past the end grow the memory.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/native/Streams.h"

namespace {

class CMemoryStream final : public IStream {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ISequentialStream) ||
            IsEqualGUID(riid, IID_IStream)) {
            *ppv = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG bytes, ULONG* bytesRead) override {
        if (buffer == nullptr && bytes != 0) return STG_E_INVALIDPOINTER;
        const std::size_t available = position_ < data_.size() ? data_.size() - position_ : 0;
        const auto count = static_cast<ULONG>(std::min<std::size_t>(bytes, available));
        if (count != 0) std::memcpy(buffer, data_.data() + position_, count);
        position_ += count;
        if (bytesRead != nullptr) *bytesRead = count;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG bytes, ULONG* bytesWritten) override {
        if (bytesWritten != nullptr) *bytesWritten = 0;
        if (buffer == nullptr && bytes != 0) return STG_E_INVALIDPOINTER;
        if (bytes == 0) return S_OK;
        if (!Grow(position_ + bytes)) return STG_E_MEDIUMFULL;
        std::memcpy(data_.data() + position_, buffer, bytes);
        position_ += bytes;
        if (bytesWritten != nullptr) *bytesWritten = bytes;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* newPosition) override {
        LONGLONG base = 0;
        switch (origin) {
            case STREAM_SEEK_SET:
                base = 0;
                break;
            case STREAM_SEEK_CUR:
                base = static_cast<LONGLONG>(position_);
                break;
            case STREAM_SEEK_END:
                base = static_cast<LONGLONG>(data_.size());
                break;
            default:
                return STG_E_INVALIDFUNCTION;
        }
        const LONGLONG target = base + move.QuadPart;
        if (target < 0) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<std::size_t>(target);
        if (newPosition != nullptr) newPosition->QuadPart = static_cast<ULONGLONG>(target);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override {
        if (newSize.QuadPart > data_.max_size()) return STG_E_MEDIUMFULL;
        const auto size = static_cast<std::size_t>(newSize.QuadPart);
        if (size < data_.size()) {
            data_.resize(size);
            return S_OK;
        }
        return Grow(size) ? S_OK : STG_E_MEDIUMFULL;
    }

    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER bytes,
                                     ULARGE_INTEGER* bytesRead,
                                     ULARGE_INTEGER* bytesWritten) override {
        if (target == nullptr) return STG_E_INVALIDPOINTER;
        const std::size_t available = position_ < data_.size() ? data_.size() - position_ : 0;
        const auto count =
            static_cast<ULONG>(std::min<ULONGLONG>({bytes.QuadPart, available, 0xFFFFFFFFull}));
        ULONG written = 0;
        const HRESULT hr = target->Write(data_.data() + position_, count, &written);
        position_ += count;
        if (bytesRead != nullptr) bytesRead->QuadPart = count;
        if (bytesWritten != nullptr) bytesWritten->QuadPart = written;
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Commit(DWORD /*flags*/) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD /*flags*/) override {
        if (stat == nullptr) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = data_.size();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override {
        if (clone != nullptr) *clone = nullptr;
        return STG_E_INVALIDFUNCTION;
    }

private:
    ~CMemoryStream() = default;

    // Makes the memory at least `size` bytes long, new bytes zero; false when it cannot grow.
    bool Grow(std::size_t size) {
        if (size <= data_.size()) return true;
        try {
            data_.resize(size);
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }

    volatile LONG references_ = 1;
    std::vector<BYTE> data_;
    std::size_t position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL /*deleteOnRelease*/, IStream** stream) {
    if (stream == nullptr) return E_INVALIDARG;
    *stream = nullptr;
    if (memory != nullptr) return E_INVALIDARG;
    *stream = new (std::nothrow) CMemoryStream();
    return *stream != nullptr ? S_OK : E_OUTOFMEMORY;
}
