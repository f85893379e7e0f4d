// Seeking for a filter with one input: IMediaSeeking and IMediaPosition answered by the output
// pin of the upstream filter, the pin connected to the filter's input pin, looked up at every
// call. The transform filter's output pin aggregates it, so that a seek the graph gives the
// renderer travels upstream through each filter to the one that can carry it out.
//
// Threads. Seeking comes on the application's thread, and on a streaming thread too: a renderer
// may ask for the stop position when the end of the stream reaches it, while Stop holds the
// filter lock and waits for that thread. So the input's connection is read without the filter
// lock; it changes only while the filter is stopped, when no streaming thread runs, and the
// graph manager does not seek while it connects. The upstream pin is called with no lock held.
#pragma once

#include <control.h>

#include "framework/Unknown.h"

class CBasePin;

class CPosPassThru : public CUnknown, public IMediaSeeking, public IMediaPosition {
public:
    // `owner` is the unknown that aggregates the object (the output pin's), `input` the
    // filter's input pin; neither is counted. `hr` is left as it is: nothing here can fail.
    CPosPassThru(const WCHAR* name, IUnknown* owner, HRESULT* hr, CBasePin* input);
    ~CPosPassThru() override;

    DECLARE_IUNKNOWN
    // IMediaSeeking and IMediaPosition, then IUnknown.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMediaSeeking and IMediaPosition: E_POINTER for a null pointer the method must write or
    // read; E_NOTIMPL (not supported) while the input is not connected or the upstream pin
    // does not offer the interface, with any value to be returned cleared; otherwise the
    // upstream pin's answer.
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat,
                                                LONGLONG source, const GUID* sourceFormat) override;
    // The position pointers may be null as the flags allow: the upstream pin judges them.
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
    HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

    // IDispatch: no type information (a count of 0); the rest E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // IMediaPosition: times (REFTIME) in seconds.
    HRESULT STDMETHODCALLTYPE get_Duration(REFTIME* length) override;
    HRESULT STDMETHODCALLTYPE put_CurrentPosition(REFTIME time) override;
    HRESULT STDMETHODCALLTYPE get_CurrentPosition(REFTIME* time) override;
    HRESULT STDMETHODCALLTYPE get_StopTime(REFTIME* time) override;
    HRESULT STDMETHODCALLTYPE put_StopTime(REFTIME time) override;
    HRESULT STDMETHODCALLTYPE get_PrerollTime(REFTIME* time) override;
    HRESULT STDMETHODCALLTYPE put_PrerollTime(REFTIME time) override;
    HRESULT STDMETHODCALLTYPE put_Rate(double rate) override;
    HRESULT STDMETHODCALLTYPE get_Rate(double* rate) override;
    HRESULT STDMETHODCALLTYPE CanSeekForward(LONG* canSeek) override;
    HRESULT STDMETHODCALLTYPE CanSeekBackward(LONG* canSeek) override;

private:
    // `call` with the upstream pin's `Interface` (IMediaSeeking or IMediaPosition, named by
    // `iid`), or E_NOTIMPL without one.
    template <class Interface, class Call>
    HRESULT Forward(REFIID iid, Call call);
    // The same for a method that returns a value: E_POINTER for a null `out`, which is cleared
    // before the upstream pin fills it.
    template <class Interface, class Value, class Call>
    HRESULT ForwardGet(REFIID iid, Value* out, Call call);

    CBasePin* const input_;  // not counted: the filter owns both pins
};
