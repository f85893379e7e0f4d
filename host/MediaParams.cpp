// The automation object (see MediaParams.h).
#include "host/MediaParams.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

bool ValidIndex(DWORD index) {
    return index < static_cast<DWORD>(kParamCount);
}
bool ValidIndexOrAll(DWORD index) {
    return ValidIndex(index) || index == DWORD_ALL;
}

// Characters of a fixed-size wide text up to its NUL (all of them when there is none).
std::size_t TextLength(const WCHAR* text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != 0) ++n;
    return n;
}

// Releases a pinned host callback at the end of a relay.
class CallbackPin {
public:
    explicit CallbackPin(IMediaParamsUICallback* callback) : callback_(callback) {}
    ~CallbackPin() {
        if (callback_ != nullptr) callback_->Release();
    }
    CallbackPin(const CallbackPin&) = delete;
    CallbackPin& operator=(const CallbackPin&) = delete;
    IMediaParamsUICallback* operator->() const { return callback_; }
    explicit operator bool() const { return callback_ != nullptr; }

private:
    IMediaParamsUICallback* callback_;  // one reference, released by the destructor
};

}  // namespace

HRESULT CMediaParams::Create(IEngineAutomation** out, IHqPlugInProp* owner) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (owner == nullptr) return E_POINTER;
    auto* object = new (std::nothrow) CMediaParams(owner);
    if (object == nullptr) return E_OUTOFMEMORY;
    object->AddRef();  // the engine's reference
    *out = object;
    return S_OK;
}

CMediaParams::CMediaParams(IHqPlugInProp* owner) : owner_(owner) {
    for (int i = 0; i < kParamCount; ++i) envelopes_[i].Initialise(kParamRecords[i]);
}

CMediaParams::~CMediaParams() {
    if (callback_ != nullptr) callback_->Release();
}

HRESULT CMediaParams::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown)) {
        *ppv = static_cast<IMediaParams*>(this);
        AddRef();
        return S_OK;
    }
    // The filter's interface map decides, so that every interface leads back to the filter.
    return owner_->QueryInterface(riid, ppv);
}

ULONG CMediaParams::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG CMediaParams::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

double CMediaParams::FramesPer100ns() const {
    return SampleRate() / 10000000.0;
}

void CMediaParams::SetSampleRate(int rate) {
    // A rate of 0 would make every time conversion divide by zero; keep the last good one.
    if (rate > 0) sampleRate_.store(rate, std::memory_order_relaxed);
}

HRESULT CMediaParams::GetParam(DWORD index, MP_DATA* value) {
    if (!ValidIndex(index)) return E_INVALIDARG;
    if (value == nullptr) return E_POINTER;
    const CParamEnvelope& envelope = envelopes_[index];
    *value = envelope.ToExternal(envelope.CurrentValue());
    return S_OK;
}

HRESULT CMediaParams::SetParam(DWORD index, MP_DATA value) {
    if (!ValidIndex(index)) return E_INVALIDARG;
    changed_.store(1, std::memory_order_relaxed);
    return envelopes_[index].SetValue(value);
}

HRESULT CMediaParams::AddEnvelope(DWORD index, DWORD count, MP_ENVELOPE_SEGMENT* segments) {
    if (!ValidIndexOrAll(index)) return E_INVALIDARG;
    if (count == 0) return S_OK;
    if (segments == nullptr) return E_POINTER;
    const double factor = FramesPer100ns();
    if (index != DWORD_ALL) return envelopes_[index].AddSegments(count, segments, factor);

    // Every envelope snaps the caller's own times (snapping a snapped time can move it by a
    // frame), and the snapped times are written back once, when any envelope took them.
    HRESULT result = S_OK;
    int added = 0;
    for (CParamEnvelope& envelope : envelopes_) {
        result = envelope.AddSnappedCopies(count, segments, factor);
        if (FAILED(result)) break;
        ++added;
    }
    if (added > 0) {
        for (DWORD k = 0; k < count; ++k) {
            segments[k].rtStart = CParamEnvelope::SnapToFrame(segments[k].rtStart, factor);
            segments[k].rtEnd = CParamEnvelope::SnapToFrame(segments[k].rtEnd, factor);
        }
    }
    return FAILED(result) ? result : S_OK;
}

HRESULT CMediaParams::FlushEnvelope(DWORD index, REFERENCE_TIME start, REFERENCE_TIME end) {
    if (!ValidIndexOrAll(index)) return E_INVALIDARG;
    if (start > end) return E_INVALIDARG;
    const double factor = FramesPer100ns();
    if (index != DWORD_ALL) {
        const HRESULT hr = envelopes_[index].Flush(start, end, factor);
        return FAILED(hr) ? hr : S_OK;
    }
    for (CParamEnvelope& envelope : envelopes_) {
        const HRESULT hr = envelope.Flush(start, end, factor);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CMediaParams::SetTimeFormat(GUID format, DWORD /*timeData*/) {
    return IsEqualGUID(format, GUID_TIME_REFERENCE) ? S_OK : E_INVALIDARG;
}

HRESULT CMediaParams::TestAndClearChanged() {
    return changed_.exchange(0, std::memory_order_relaxed) != 0 ? S_OK : S_FALSE;
}

HRESULT CMediaParams::MarkChanged() {
    changed_.store(1, std::memory_order_relaxed);
    return S_OK;
}

HRESULT CMediaParams::GetParamCount(DWORD* count) {
    if (count == nullptr) return E_POINTER;
    *count = kParamCount;
    return S_OK;
}

HRESULT CMediaParams::GetParamInfo(DWORD index, MP_PARAMINFO* info) {
    if (!ValidIndex(index)) return E_INVALIDARG;
    if (info == nullptr) return E_POINTER;
    std::memcpy(info, &envelopes_[index].Record().info, sizeof(MP_PARAMINFO));
    return S_OK;
}

HRESULT CMediaParams::GetParamText(DWORD index, WCHAR** text) {
    if (!ValidIndex(index)) return E_INVALIDARG;
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    // Label, NUL, unit, NUL, then each name of an enumeration list (one comma-separated text)
    // followed by NUL, and a final NUL.
    const ParamRecord& record = envelopes_[index].Record();
    const std::size_t labelLength = TextLength(record.info.szLabel, 32);
    const std::size_t unitLength = TextLength(record.info.szUnitText, 32);
    const WCHAR* list = record.enumerationText;
    const std::size_t listLength =
        list != nullptr ? TextLength(list, std::numeric_limits<std::size_t>::max()) : 0;
    const std::size_t total = labelLength + 1 + unitLength + 1 + (list ? listLength + 1 : 0) + 1;

    auto* out = static_cast<WCHAR*>(CoTaskMemAlloc(total * sizeof(WCHAR)));
    if (out == nullptr) return E_OUTOFMEMORY;
    WCHAR* at = out;
    for (std::size_t i = 0; i < labelLength; ++i) *at++ = record.info.szLabel[i];
    *at++ = 0;
    for (std::size_t i = 0; i < unitLength; ++i) *at++ = record.info.szUnitText[i];
    *at++ = 0;
    if (list != nullptr) {
        for (std::size_t i = 0; i < listLength; ++i) {
            *at++ = list[i] == static_cast<WCHAR>(',') ? WCHAR{0} : list[i];
        }
        *at++ = 0;
    }
    *at = 0;
    *text = out;
    return S_OK;
}

HRESULT CMediaParams::GetNumTimeFormats(DWORD* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT CMediaParams::GetSupportedTimeFormat(DWORD index, GUID* format) {
    if (format == nullptr) return E_POINTER;
    if (index != 0) return E_INVALIDARG;
    *format = GUID_TIME_REFERENCE;
    return S_OK;
}

HRESULT CMediaParams::GetCurrentTimeFormat(GUID* format, DWORD* /*timeData*/) {
    if (format == nullptr) return E_POINTER;
    *format = GUID_TIME_REFERENCE;
    return S_OK;
}

HRESULT CMediaParams::SetUICallback(IMediaParamsUICallback* callback) {
    if (callback != nullptr) callback->AddRef();
    IMediaParamsUICallback* previous = nullptr;
    {
        CAutoLock guard(&callbackLock_);
        previous = callback_;
        callback_ = callback;
    }
    if (previous != nullptr) previous->Release();
    return S_OK;
}

IMediaParamsUICallback* CMediaParams::PinCallback() {
    CAutoLock guard(&callbackLock_);
    if (callback_ != nullptr) callback_->AddRef();
    return callback_;
}

HRESULT CMediaParams::MarkCaptured(DWORD* indexes, DWORD count, bool captured) {
    if (count != 0 && indexes == nullptr) return E_POINTER;
    // The engine only passes indexes below 18. Anything else is refused whole, before any
    // envelope is marked or the host hears of it: a host must never be told about a
    // parameter it cannot look up.
    for (DWORD k = 0; k < count; ++k) {
        if (!ValidIndex(indexes[k])) return E_INVALIDARG;
    }
    for (DWORD k = 0; k < count; ++k) {
        if (captured) {
            envelopes_[indexes[k]].BeginCapture();
        } else {
            envelopes_[indexes[k]].EndCapture();
        }
    }
    return S_OK;
}

HRESULT CMediaParams::ParamsBeginCapture(DWORD* indexes, DWORD count) {
    const HRESULT hr = MarkCaptured(indexes, count, true);
    if (FAILED(hr)) return hr;
    CallbackPin host(PinCallback());
    return host ? host->ParamsBeginCapture(indexes, count) : S_OK;
}

HRESULT CMediaParams::ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) {
    if (count != 0 && (indexes == nullptr || values == nullptr)) return E_POINTER;
    // The entries before a bad index are set, as a host that sent them expects; the bad one
    // is answered at once and the host's callback hears of none of them.
    HRESULT hr = S_OK;
    for (DWORD k = 0; k < count; ++k) {
        hr = SetParam(indexes[k], values[k]);
        if (FAILED(hr)) return hr;
    }
    CallbackPin host(PinCallback());
    return host ? host->ParamsChanged(indexes, count, values) : hr;
}

HRESULT CMediaParams::ParamsEndCapture(DWORD* indexes, DWORD count) {
    const HRESULT hr = MarkCaptured(indexes, count, false);
    if (FAILED(hr)) return hr;
    CallbackPin host(PinCallback());
    return host ? host->ParamsEndCapture(indexes, count) : S_OK;
}

HRESULT CMediaParams::UpdateToSamplePosition(REFERENCE_TIME position) {
    // Frame position to REFERENCE_TIME, rounded: the same time that a segment starting at
    // this frame is snapped to, so a segment is entered exactly at its first frame.
    const double t = static_cast<double>(position) / FramesPer100ns() + 0.5;
    const REFERENCE_TIME time =
        t >= 9.2233720368547758e18    ? std::numeric_limits<REFERENCE_TIME>::max()
        : t <= -9.2233720368547758e18 ? std::numeric_limits<REFERENCE_TIME>::min()
                                      : static_cast<REFERENCE_TIME>(t);
    HRESULT result = S_FALSE;
    for (CParamEnvelope& envelope : envelopes_) {
        const HRESULT hr = envelope.Evaluate(time);
        if (FAILED(hr)) return hr;
        if (hr == S_OK) result = S_OK;
    }
    // The object is not marked changed here. Every reader of the flag compares the values
    // itself: the block operation maps each parameter to its setup word and recomputes when
    // a word moved, and it sets the editor's refresh flag when it does. Marking on every
    // update would only force a coefficient derivation per block while any segment exists.
    return result;
}
