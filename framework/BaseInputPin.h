// An input pin that takes samples through IMemInputPin: allocator negotiation, the streaming
// checks every Receive begins with, and flushing. Filters derive their input pins from it.
//
// Threads. Receive and EndOfStream come on the upstream filter's streaming thread; flushing
// and state changes on the graph's control thread under the filter lock. The flushing and
// run-time-error flags are atomics read by the streaming thread.
#pragma once

#include <atomic>

#include "framework/BasePin.h"

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(const WCHAR* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* hr,
                  const WCHAR* pinName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    // IMemInputPin, then the base pin's interfaces.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMemInputPin. Without an allocator from upstream, GetAllocator offers the platform's
    // memory allocator (CLSID_MemoryAllocator), created once per connection.
    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    // No requirements: E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
    // The checks only (CheckStreaming, then a type carried by the sample, which must pass
    // CheckMediaType or the stream ends with EC_ERRORABORT and VFW_E_INVALIDMEDIATYPE).
    // Derived pins call it first and process the sample when it returns S_OK.
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    // Receive for each sample until one does not return S_OK; E_INVALIDARG for a negative count.
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, LONG count,
                                              LONG* processed) override;
    // S_OK: Receive may block.
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

    // IPin
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    // Whether a sample may be processed now: VFW_E_NOT_CONNECTED, VFW_E_WRONG_STATE when the
    // filter is stopped, S_FALSE while flushing, VFW_E_RUNTIME_ERROR after a run-time error,
    // else S_OK.
    virtual HRESULT CheckStreaming();

    // Drops the allocator.
    HRESULT BreakConnect() override;
    // Clears flushing and the run-time error, and decommits the allocator so that an
    // upstream thread waiting for a buffer returns.
    HRESULT Inactive() override;

    bool IsFlushing() const { return flushing_; }
    bool IsReadOnly() const { return readOnly_; }
    IMemAllocator* Allocator() const { return allocator_.Get(); }  // not counted

protected:
    ComPtr<IMemAllocator> allocator_;
    bool readOnly_ = false;
    std::atomic<bool> flushing_{false};
    std::atomic<bool> runTimeError_{false};
};
