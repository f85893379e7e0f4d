// The base filter: state machine, graph membership, clock, events and setup.
#include "framework/BaseFilter.h"

#include <evcode.h>

#include <cwchar>

#include "framework/BasePin.h"
#include "framework/ComPtr.h"
#include "framework/EnumPins.h"
#include "framework/Registration.h"

namespace {

void CopyName(WCHAR (&target)[MAX_FILTER_NAME], const WCHAR* source) {
    target[0] = L'\0';
    if (source != nullptr) std::wcsncat(target, source, MAX_FILTER_NAME - 1);
}

}  // namespace

CBaseFilter::CBaseFilter(const WCHAR* name, IUnknown* outer, CCritSec* lock, REFCLSID clsid)
    : CUnknown(name, outer), lock_(lock), clsid_(clsid) {}

CBaseFilter::CBaseFilter(const WCHAR* name, IUnknown* outer, CCritSec* lock, REFCLSID clsid,
                         HRESULT*)
    : CBaseFilter(name, outer, lock, clsid) {}

CBaseFilter::~CBaseFilter() {
    if (clock_ != nullptr) clock_->Release();
}

HRESULT STDMETHODCALLTYPE CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IBaseFilter)) {
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    }
    if (IsEqualIID(riid, IID_IMediaFilter)) {
        return GetInterface(static_cast<IMediaFilter*>(this), ppv);
    }
    if (IsEqualIID(riid, IID_IPersist)) return GetInterface(static_cast<IPersist*>(this), ppv);
    if (IsEqualIID(riid, IID_IAMovieSetup)) {
        return GetInterface(static_cast<IAMovieSetup*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CBaseFilter::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::Stop() {
    CAutoLock lock(lock_);
    HRESULT result = S_OK;
    if (!IsStopped()) {
        for (int n = 0; n < GetPinCount(); ++n) {
            CBasePin* pin = GetPin(n);
            if (pin == nullptr || !pin->IsConnected()) continue;
            const HRESULT hr = pin->Inactive();
            if (FAILED(hr) && SUCCEEDED(result)) result = hr;
        }
    }
    state_ = State_Stopped;
    return result;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::Pause() {
    CAutoLock lock(lock_);
    if (IsStopped()) {
        for (int n = 0; n < GetPinCount(); ++n) {
            CBasePin* pin = GetPin(n);
            if (pin == nullptr || !pin->IsConnected()) continue;
            const HRESULT hr = pin->Active();
            if (FAILED(hr)) {
                // Stay stopped: the pins activated so far go back to inactive. Their answers
                // cannot change the failure reported.
                while (n-- > 0) {
                    CBasePin* active = GetPin(n);
                    if (active != nullptr && active->IsConnected()) active->Inactive();
                }
                return hr;
            }
        }
    }
    state_ = State_Paused;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::Run(REFERENCE_TIME start) {
    CAutoLock lock(lock_);
    start_ = start;
    if (IsStopped()) {
        const HRESULT hr = Pause();
        if (FAILED(hr)) return hr;
    }
    if (state_ != State_Running) {
        for (int n = 0; n < GetPinCount(); ++n) {
            CBasePin* pin = GetPin(n);
            if (pin == nullptr || !pin->IsConnected()) continue;
            const HRESULT hr = pin->Run(start);
            if (FAILED(hr)) return hr;
        }
    }
    state_ = State_Running;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (state == nullptr) return E_POINTER;
    *state = state_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::SetSyncSource(IReferenceClock* clock) {
    CAutoLock lock(lock_);
    if (clock != nullptr) clock->AddRef();
    if (clock_ != nullptr) clock_->Release();
    clock_ = clock;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (clock == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    *clock = clock_;
    if (clock_ != nullptr) clock_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::EnumPins(IEnumPins** pins) {
    return CEnumPins::Create(this, pins);
}

HRESULT STDMETHODCALLTYPE CBaseFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (id == nullptr || pin == nullptr) return E_POINTER;
    *pin = nullptr;
    CAutoLock lock(lock_);
    for (int n = 0; n < GetPinCount(); ++n) {
        CBasePin* candidate = GetPin(n);
        if (candidate == nullptr || std::wcscmp(candidate->Name(), id) != 0) continue;
        candidate->AddRef();
        *pin = candidate;
        return S_OK;
    }
    return VFW_E_NOT_FOUND;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (info == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    CopyName(info->achName, name_);
    info->pGraph = graph_;
    if (graph_ != nullptr) graph_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    CAutoLock lock(lock_);
    graph_ = graph;
    eventSink_ = nullptr;
    if (graph != nullptr) {
        // The graph owns this filter: keep its event sink without a reference, as graph_.
        ComPtr<IMediaEventSink> sink;
        if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, sink.PutVoid()))) {
            eventSink_ = sink.Get();
        }
    }
    CopyName(name_, name);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::QueryVendorInfo(LPWSTR* vendorInfo) {
    if (vendorInfo == nullptr) return E_POINTER;
    *vendorInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::Register() {
    const AMOVIESETUP_FILTER* setup = GetSetupData();
    return setup != nullptr ? RegisterFilterSetup(*setup, true) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CBaseFilter::Unregister() {
    const AMOVIESETUP_FILTER* setup = GetSetupData();
    return setup != nullptr ? RegisterFilterSetup(*setup, false) : S_FALSE;
}

LONG CBaseFilter::GetPinVersion() {
    return pinVersion_;
}

void CBaseFilter::IncrementPinVersion() {
    InterlockedIncrement(&pinVersion_);
}

HRESULT CBaseFilter::StreamTime(REFERENCE_TIME* streamTime) {
    if (streamTime == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    if (clock_ == nullptr) return VFW_E_NO_CLOCK;
    REFERENCE_TIME now = 0;
    const HRESULT hr = clock_->GetTime(&now);
    if (FAILED(hr)) return hr;
    *streamTime = now - start_;
    return S_OK;
}

const AMOVIESETUP_FILTER* CBaseFilter::GetSetupData() {
    return nullptr;
}

HRESULT CBaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
    IMediaEventSink* sink = eventSink_;
    if (sink == nullptr) return E_NOTIMPL;
    if (code == EC_COMPLETE && param2 == 0) {
        param2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    }
    return sink->Notify(code, param1, param2);
}

HRESULT CBaseFilter::ReconnectPin(IPin* pin, const AM_MEDIA_TYPE* type) {
    if (pin == nullptr) return E_POINTER;
    if (graph_ == nullptr) return VFW_E_NOT_IN_GRAPH;
    if (type == nullptr) return graph_->Reconnect(pin);
    ComPtr<IFilterGraph2> graph2;
    const HRESULT hr = graph_->QueryInterface(IID_IFilterGraph2, graph2.PutVoid());
    if (FAILED(hr)) return hr;
    return graph2->ReconnectEx(pin, type);
}
