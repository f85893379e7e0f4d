// The base pin: connection, negotiation and the pin's queries.
#include "framework/BasePin.h"

#include <cstring>
#include <cwchar>

#include "framework/BaseFilter.h"
#include "framework/EnumMediaTypes.h"

CBasePin::CBasePin(const WCHAR* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT*,
                   const WCHAR* pinName, PIN_DIRECTION direction)
    : CUnknown(objectName, nullptr), filter_(filter), lock_(lock), direction_(direction) {
    if (pinName != nullptr) std::wcsncat(name_, pinName, MAX_PIN_NAME - 1);
}

CBasePin::~CBasePin() = default;

HRESULT STDMETHODCALLTYPE CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IPin)) return GetInterface(static_cast<IPin*>(this), ppv);
    if (IsEqualIID(riid, IID_IQualityControl)) {
        return GetInterface(static_cast<IQualityControl*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

ULONG STDMETHODCALLTYPE CBasePin::NonDelegatingAddRef() {
    return filter_->AddRef();
}

ULONG STDMETHODCALLTYPE CBasePin::NonDelegatingRelease() {
    return filter_->Release();
}

bool CBasePin::IsStopped() const {
    return filter_->IsStopped();
}

HRESULT STDMETHODCALLTYPE CBasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (receivePin == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    if (type == nullptr) return AgreeMediaType(receivePin, nullptr);
    CMediaType wanted;
    if (FAILED(wanted.Set(*type))) return E_OUTOFMEMORY;
    return AgreeMediaType(receivePin, &wanted);
}

HRESULT CBasePin::AgreeMediaType(IPin* receivePin, const CMediaType* partial) {
    if (partial != nullptr && !partial->IsPartiallySpecified()) {
        return AttemptConnection(receivePin, partial);
    }
    HRESULT failure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int side = 0; side < 2; ++side) {
        ComPtr<IEnumMediaTypes> types;
        const HRESULT hr =
            side == 0 ? receivePin->EnumMediaTypes(types.Put()) : EnumMediaTypes(types.Put());
        // A pin that cannot enumerate its types simply offers none.
        if (FAILED(hr) || !types) continue;
        if (SUCCEEDED(TryMediaTypes(receivePin, partial, types.Get(), &failure))) return S_OK;
    }
    return failure;
}

HRESULT CBasePin::TryMediaTypes(IPin* receivePin, const CMediaType* partial, IEnumMediaTypes* types,
                                HRESULT* failure) {
    if (FAILED(types->Reset())) return VFW_E_NO_ACCEPTABLE_TYPES;
    for (;;) {
        AM_MEDIA_TYPE* offered = nullptr;
        ULONG fetched = 0;
        if (types->Next(1, &offered, &fetched) != S_OK || offered == nullptr) break;
        CMediaType candidate;
        const HRESULT copied = candidate.Set(*offered);
        DeleteMediaType(offered);
        if (FAILED(copied)) return copied;
        if (partial != nullptr && !candidate.MatchesPartial(partial)) continue;

        const HRESULT hr = AttemptConnection(receivePin, &candidate);
        if (SUCCEEDED(hr)) return hr;
        // A refusal of the type itself says less than a failure once a type was agreed.
        if (hr != VFW_E_TYPE_NOT_ACCEPTED && hr != VFW_E_NO_ACCEPTABLE_TYPES) *failure = hr;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::AttemptConnection(IPin* receivePin, const CMediaType* type) {
    // On every failure below the attempt is undone and the failure that ended it returned;
    // what undoing it answers cannot change that answer.
    HRESULT hr = CheckConnect(receivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    if (CheckMediaType(type) != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    connected_ = ComPtr<IPin>::Borrow(receivePin);
    hr = SetMediaType(type);
    if (SUCCEEDED(hr)) {
        hr = receivePin->ReceiveConnection(this, type);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(receivePin);
            if (SUCCEEDED(hr)) return S_OK;
            receivePin->Disconnect();
        }
    }
    BreakConnect();
    ClearConnection();
    return hr;
}

HRESULT STDMETHODCALLTYPE CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (connector == nullptr || type == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    CMediaType offered;
    if (FAILED(offered.Set(*type))) return E_OUTOFMEMORY;

    // As in AttemptConnection, undoing a failed attempt cannot change the answer.
    HRESULT hr = CheckConnect(connector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    if (CheckMediaType(&offered) != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    connected_ = ComPtr<IPin>::Borrow(connector);
    hr = SetMediaType(&offered);
    if (SUCCEEDED(hr)) hr = CompleteConnect(connector);
    if (SUCCEEDED(hr)) return S_OK;
    BreakConnect();
    ClearConnection();
    return hr;
}

HRESULT STDMETHODCALLTYPE CBasePin::Disconnect() {
    CAutoLock lock(lock_);
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    if (!connected_) return S_FALSE;
    const HRESULT hr = BreakConnect();
    if (FAILED(hr)) return hr;
    ClearConnection();
    return S_OK;
}

void CBasePin::ClearConnection() {
    connected_.Reset();
    mediaType_.InitMediaType();
}

HRESULT STDMETHODCALLTYPE CBasePin::ConnectedTo(IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    *pin = connected_.Get();
    if (*pin == nullptr) return VFW_E_NOT_CONNECTED;
    (*pin)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    if (!connected_) {
        std::memset(type, 0, sizeof(*type));
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, &mediaType_);
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryPinInfo(PIN_INFO* info) {
    if (info == nullptr) return E_POINTER;
    info->pFilter = filter_;
    filter_->AddRef();
    info->dir = direction_;
    info->achName[0] = L'\0';
    std::wcsncat(info->achName, name_, MAX_PIN_NAME - 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryDirection(PIN_DIRECTION* direction) {
    if (direction == nullptr) return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryId(LPWSTR* id) {
    if (id == nullptr) return E_POINTER;
    const size_t bytes = (std::wcslen(name_) + 1) * sizeof(WCHAR);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*id == nullptr) return E_OUTOFMEMORY;
    std::memcpy(*id, name_, bytes);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (type == nullptr) return E_POINTER;
    CMediaType offered;
    if (FAILED(offered.Set(*type))) return E_OUTOFMEMORY;
    return CheckMediaType(&offered) == S_OK ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CBasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    return CEnumMediaTypes::Create(this, types);
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryInternalConnections(IPin**, ULONG* count) {
    if (count == nullptr) return E_POINTER;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                               double rate) {
    segmentStart_ = start;
    segmentStop_ = stop;
    segmentRate_ = rate;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::Notify(IBaseFilter*, Quality) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBasePin::SetSink(IQualityControl* sink) {
    CAutoLock lock(lock_);
    qualitySink_ = sink;
    return S_OK;
}

HRESULT CBasePin::SetMediaType(const CMediaType* type) {
    return mediaType_.Set(*type);
}

HRESULT CBasePin::CheckConnect(IPin* pin) {
    PIN_DIRECTION other;
    const HRESULT hr = pin->QueryDirection(&other);
    if (FAILED(hr)) return hr;
    return other == direction_ ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect() {
    return S_OK;
}

HRESULT CBasePin::CompleteConnect(IPin*) {
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int, CMediaType*) {
    return VFW_S_NO_MORE_ITEMS;
}

LONG CBasePin::GetMediaTypeVersion() {
    return typeVersion_;
}

void CBasePin::IncrementTypeVersion() {
    InterlockedIncrement(&typeVersion_);
}

HRESULT CBasePin::Active() {
    return S_OK;
}

HRESULT CBasePin::Inactive() {
    return S_OK;
}

HRESULT CBasePin::Run(REFERENCE_TIME) {
    return S_OK;
}
