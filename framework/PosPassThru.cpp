// The seeking pass-through: every call goes to the upstream output pin.
#include "framework/PosPassThru.h"

#include "framework/BasePin.h"
#include "framework/ComPtr.h"

namespace {

using Seeking = IMediaSeeking;
using Position = IMediaPosition;

}  // namespace

CPosPassThru::CPosPassThru(const WCHAR* name, IUnknown* owner, HRESULT*, CBasePin* input)
    : CUnknown(name, owner), input_(input) {}

CPosPassThru::~CPosPassThru() = default;

HRESULT STDMETHODCALLTYPE CPosPassThru::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IMediaSeeking)) {
        return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    }
    if (IsEqualIID(riid, IID_IMediaPosition)) {
        return GetInterface(static_cast<IMediaPosition*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

template <class Interface, class Call>
HRESULT CPosPassThru::Forward(REFIID iid, Call call) {
    // Not under the filter lock (see the header); the upstream pin is held while it is called.
    IPin* const connected = input_ != nullptr ? input_->GetConnected() : nullptr;
    const ComPtr<IPin> upstream = ComPtr<IPin>::Borrow(connected);
    ComPtr<Interface> seeking;
    if (!upstream || FAILED(upstream->QueryInterface(iid, seeking.PutVoid())) || !seeking) {
        return E_NOTIMPL;
    }
    return call(seeking.Get());
}

template <class Interface, class Value, class Call>
HRESULT CPosPassThru::ForwardGet(REFIID iid, Value* out, Call call) {
    if (out == nullptr) return E_POINTER;
    *out = Value{};
    return Forward<Interface>(iid, [&](Interface* seeking) { return call(seeking, out); });
}

// IMediaSeeking

HRESULT STDMETHODCALLTYPE CPosPassThru::GetCapabilities(DWORD* capabilities) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, capabilities,
                               [](Seeking* s, DWORD* out) { return s->GetCapabilities(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::CheckCapabilities(DWORD* capabilities) {
    // In and out: the capabilities asked for come in, those available go back.
    if (capabilities == nullptr) return E_POINTER;
    return Forward<Seeking>(IID_IMediaSeeking,
                            [=](Seeking* s) { return s->CheckCapabilities(capabilities); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::IsFormatSupported(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return Forward<Seeking>(IID_IMediaSeeking,
                            [=](Seeking* s) { return s->IsFormatSupported(format); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::QueryPreferredFormat(GUID* format) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, format,
                               [](Seeking* s, GUID* out) { return s->QueryPreferredFormat(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetTimeFormat(GUID* format) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, format,
                               [](Seeking* s, GUID* out) { return s->GetTimeFormat(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::IsUsingTimeFormat(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return Forward<Seeking>(IID_IMediaSeeking,
                            [=](Seeking* s) { return s->IsUsingTimeFormat(format); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::SetTimeFormat(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return Forward<Seeking>(IID_IMediaSeeking,
                            [=](Seeking* s) { return s->SetTimeFormat(format); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetDuration(LONGLONG* duration) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, duration,
                               [](Seeking* s, LONGLONG* out) { return s->GetDuration(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetStopPosition(LONGLONG* stop) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, stop,
                               [](Seeking* s, LONGLONG* out) { return s->GetStopPosition(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetCurrentPosition(LONGLONG* current) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, current, [](Seeking* s, LONGLONG* out) {
        return s->GetCurrentPosition(out);
    });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::ConvertTimeFormat(LONGLONG* target,
                                                          const GUID* targetFormat, LONGLONG source,
                                                          const GUID* sourceFormat) {
    // A null format names the current one.
    return ForwardGet<Seeking>(IID_IMediaSeeking, target, [=](Seeking* s, LONGLONG* out) {
        return s->ConvertTimeFormat(out, targetFormat, source, sourceFormat);
    });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::SetPositions(LONGLONG* current, DWORD currentFlags,
                                                     LONGLONG* stop, DWORD stopFlags) {
    return Forward<Seeking>(IID_IMediaSeeking, [=](Seeking* s) {
        return s->SetPositions(current, currentFlags, stop, stopFlags);
    });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetPositions(LONGLONG* current, LONGLONG* stop) {
    return Forward<Seeking>(IID_IMediaSeeking,
                            [=](Seeking* s) { return s->GetPositions(current, stop); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    return Forward<Seeking>(IID_IMediaSeeking,
                            [=](Seeking* s) { return s->GetAvailable(earliest, latest); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::SetRate(double rate) {
    return Forward<Seeking>(IID_IMediaSeeking, [=](Seeking* s) { return s->SetRate(rate); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetRate(double* rate) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, rate,
                               [](Seeking* s, double* out) { return s->GetRate(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetPreroll(LONGLONG* preroll) {
    return ForwardGet<Seeking>(IID_IMediaSeeking, preroll,
                               [](Seeking* s, LONGLONG* out) { return s->GetPreroll(out); });
}

// IDispatch

HRESULT STDMETHODCALLTYPE CPosPassThru::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CPosPassThru::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CPosPassThru::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                               EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// IMediaPosition

HRESULT STDMETHODCALLTYPE CPosPassThru::get_Duration(REFTIME* length) {
    return ForwardGet<Position>(IID_IMediaPosition, length,
                                [](Position* p, REFTIME* out) { return p->get_Duration(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::put_CurrentPosition(REFTIME time) {
    return Forward<Position>(IID_IMediaPosition,
                             [=](Position* p) { return p->put_CurrentPosition(time); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::get_CurrentPosition(REFTIME* time) {
    return ForwardGet<Position>(IID_IMediaPosition, time, [](Position* p, REFTIME* out) {
        return p->get_CurrentPosition(out);
    });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::get_StopTime(REFTIME* time) {
    return ForwardGet<Position>(IID_IMediaPosition, time,
                                [](Position* p, REFTIME* out) { return p->get_StopTime(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::put_StopTime(REFTIME time) {
    return Forward<Position>(IID_IMediaPosition,
                             [=](Position* p) { return p->put_StopTime(time); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::get_PrerollTime(REFTIME* time) {
    return ForwardGet<Position>(IID_IMediaPosition, time,
                                [](Position* p, REFTIME* out) { return p->get_PrerollTime(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::put_PrerollTime(REFTIME time) {
    return Forward<Position>(IID_IMediaPosition,
                             [=](Position* p) { return p->put_PrerollTime(time); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::put_Rate(double rate) {
    return Forward<Position>(IID_IMediaPosition, [=](Position* p) { return p->put_Rate(rate); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::get_Rate(double* rate) {
    return ForwardGet<Position>(IID_IMediaPosition, rate,
                                [](Position* p, double* out) { return p->get_Rate(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::CanSeekForward(LONG* canSeek) {
    return ForwardGet<Position>(IID_IMediaPosition, canSeek,
                                [](Position* p, LONG* out) { return p->CanSeekForward(out); });
}

HRESULT STDMETHODCALLTYPE CPosPassThru::CanSeekBackward(LONG* canSeek) {
    return ForwardGet<Position>(IID_IMediaPosition, canSeek,
                                [](Position* p, LONG* out) { return p->CanSeekBackward(out); });
}
