// The test's renderer (see CaptureSink.h).
#include "tests/plugin/CaptureSink.h"

#include <new>
#include <utility>

#include "framework/ComPtr.h"

namespace {

// Holding the streaming thread longer than this means the test has failed; it lets go then.
constexpr DWORD kLongestHoldMs = 60000;

// The platform's memory allocator with every SetProperties request written to a log.
class CLoggingAllocator final : public IMemAllocator {
public:
    static HRESULT Create(std::shared_ptr<AllocatorLog> log, IMemAllocator** out) {
        ComPtr<IMemAllocator> inner;
        HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IMemAllocator, inner.PutVoid());
        if (FAILED(hr)) return hr;
        auto* allocator = new (std::nothrow) CLoggingAllocator(std::move(inner), std::move(log));
        if (allocator == nullptr) return E_OUTOFMEMORY;
        *out = allocator;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMemAllocator)) {
            *ppv = static_cast<IMemAllocator*>(this);
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

    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request,
                                            ALLOCATOR_PROPERTIES* actual) override {
        if (request != nullptr) {
            CAutoLock lock(&log_->lock);
            ++log_->requests;
            log_->lastRequest = *request;
        }
        return inner_->SetProperties(request, actual);
    }
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* props) override {
        return inner_->GetProperties(props);
    }
    HRESULT STDMETHODCALLTYPE Commit() override { return inner_->Commit(); }
    HRESULT STDMETHODCALLTYPE Decommit() override { return inner_->Decommit(); }
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                        REFERENCE_TIME* stop, DWORD flags) override {
        return inner_->GetBuffer(sample, start, stop, flags);
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample* sample) override {
        return inner_->ReleaseBuffer(sample);
    }

private:
    CLoggingAllocator(ComPtr<IMemAllocator> inner, std::shared_ptr<AllocatorLog> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}
    ~CLoggingAllocator() = default;

    ComPtr<IMemAllocator> inner_;
    std::shared_ptr<AllocatorLog> log_;
    volatile LONG references_ = 1;
};

}  // namespace

Delivery DescribeSample(IMediaSample* sample) {
    Delivery delivery;
    delivery.length = sample->GetActualDataLength();
    delivery.size = sample->GetSize();
    delivery.timeResult = sample->GetTime(&delivery.start, &delivery.stop);
    LONGLONG mediaStart = 0, mediaStop = 0;
    delivery.mediaTimeResult = sample->GetMediaTime(&mediaStart, &mediaStop);
    delivery.discontinuity = sample->IsDiscontinuity() == S_OK;
    delivery.syncPoint = sample->IsSyncPoint() == S_OK;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && data != nullptr && delivery.length > 0) {
        delivery.bytes.assign(data, data + delivery.length);
    }
    return delivery;
}

CCapturePin::CCapturePin(CCaptureSink* sink, CCritSec* lock, HRESULT* hr)
    : CBaseInputPin(L"capture sink input pin", sink, lock, hr, L"Input"), sink_(sink) {}

CCapturePin::~CCapturePin() = default;

HRESULT STDMETHODCALLTYPE CCapturePin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    sink_->Record(sample);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCapturePin::EndOfStream() {
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    sink_->RecordEndOfStream();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCapturePin::GetAllocator(IMemAllocator** allocator) {
    if (allocator == nullptr) return E_POINTER;
    *allocator = nullptr;
    CAutoLock lock(lock_);
    if (!allocator_) {
        const HRESULT hr = CLoggingAllocator::Create(sink_->allocatorLog_, allocator_.Put());
        if (FAILED(hr)) return hr;
    }
    *allocator = allocator_.Get();
    (*allocator)->AddRef();
    return S_OK;
}

HRESULT CCapturePin::CheckMediaType(const CMediaType* type) {
    if (!IsEqualGUID(*type->Type(), MEDIATYPE_Audio) ||
        !IsEqualGUID(*type->FormatType(), FORMAT_WaveFormatEx) || type->FormatLength() < 16) {
        return S_FALSE;
    }
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type->Format());
    if (sink_->AcceptedRate() != 0 && format->nSamplesPerSec != sink_->AcceptedRate()) {
        return S_FALSE;
    }
    return S_OK;
}

HRESULT CCaptureSink::Create(CCaptureSink** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    auto* sink = new (std::nothrow) CCaptureSink();
    if (sink == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    sink->pin_.reset(new (std::nothrow) CCapturePin(sink, &sink->filterLock_, &hr));
    if (!sink->pin_ || sink->endOfStream_ == nullptr || sink->held_ == nullptr ||
        sink->letGo_ == nullptr) {
        delete sink;
        return E_OUTOFMEMORY;
    }
    sink->NonDelegatingAddRef();
    *out = sink;
    return S_OK;
}

CCaptureSink::CCaptureSink()
    : CBaseFilter(L"capture sink", nullptr, &filterLock_, CLSID_QvCaptureSink),
      allocatorLog_(std::make_shared<AllocatorLog>()),
      endOfStream_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      held_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      letGo_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CCaptureSink::~CCaptureSink() {
    pin_.reset();
    for (HANDLE event : {endOfStream_, held_, letGo_}) {
        if (event != nullptr) CloseHandle(event);
    }
}

CBasePin* CCaptureSink::GetPin(int n) {
    return n == 0 ? pin_.get() : nullptr;
}

void CCaptureSink::Record(IMediaSample* sample) {
    Delivery delivery = DescribeSample(sample);
    int index = 0;
    {
        CAutoLock lock(&recordLock_);
        index = static_cast<int>(deliveries_.size());
        deliveries_.push_back(std::move(delivery));
    }
    if (index == holdAt_) {
        SetEvent(held_);
        WaitForSingleObject(letGo_, kLongestHoldMs);
    }
}

void CCaptureSink::RecordEndOfStream() {
    {
        CAutoLock lock(&recordLock_);
        if (endsOfStream_++ == 0) deliveriesAtEndOfStream_ = static_cast<int>(deliveries_.size());
    }
    SetEvent(endOfStream_);
}

std::vector<Delivery> CCaptureSink::Deliveries() const {
    CAutoLock lock(&recordLock_);
    return deliveries_;
}

std::vector<BYTE> CCaptureSink::Bytes() const {
    CAutoLock lock(&recordLock_);
    std::vector<BYTE> bytes;
    for (const Delivery& delivery : deliveries_) {
        bytes.insert(bytes.end(), delivery.bytes.begin(), delivery.bytes.end());
    }
    return bytes;
}

int CCaptureSink::EndsOfStream() const {
    CAutoLock lock(&recordLock_);
    return endsOfStream_;
}

int CCaptureSink::DeliveriesAtEndOfStream() const {
    CAutoLock lock(&recordLock_);
    return deliveriesAtEndOfStream_;
}

bool CCaptureSink::WaitForEndOfStream(DWORD timeoutMs) const {
    return WaitForSingleObject(endOfStream_, timeoutMs) == WAIT_OBJECT_0;
}

void CCaptureSink::Clear() {
    CAutoLock lock(&recordLock_);
    deliveries_.clear();
    endsOfStream_ = 0;
    deliveriesAtEndOfStream_ = -1;
    ResetEvent(endOfStream_);
    ResetEvent(held_);
    ResetEvent(letGo_);
}

int CCaptureSink::AllocatorRequests() const {
    CAutoLock lock(&allocatorLog_->lock);
    return allocatorLog_->requests;
}

ALLOCATOR_PROPERTIES CCaptureSink::LastAllocatorRequest() const {
    CAutoLock lock(&allocatorLog_->lock);
    return allocatorLog_->lastRequest;
}

bool CCaptureSink::WaitUntilHeld(DWORD timeoutMs) const {
    return WaitForSingleObject(held_, timeoutMs) == WAIT_OBJECT_0;
}

void CCaptureSink::LetGo() {
    SetEvent(letGo_);
}
