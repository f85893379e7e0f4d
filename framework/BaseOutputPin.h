// An output pin that delivers samples to an IMemInputPin: allocator choice at connection, the
// delivery buffer, and passing samples, end of stream, flushes and segments downstream.
//
// Threads. GetDeliveryBuffer and Deliver run on the streaming thread; the allocator and the
// downstream pin change only while the filter is stopped, so they need no lock there.
#pragma once

#include "framework/BasePin.h"

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(const WCHAR* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* hr,
                   const WCHAR* pinName);
    ~CBaseOutputPin() override;

    // IPin: only input pins take these (E_UNEXPECTED).
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    // The downstream pin must offer IMemInputPin (VFW_E_NO_TRANSPORT otherwise).
    HRESULT CheckConnect(IPin* pin) override;
    // Releases the allocator and the downstream pin.
    HRESULT BreakConnect() override;
    // Chooses the allocator (DecideAllocator).
    HRESULT CompleteConnect(IPin* receivePin) override;
    // Commits the allocator (VFW_E_NO_ALLOCATOR without one); Inactive decommits it.
    HRESULT Active() override;
    HRESULT Inactive() override;

    // Asks the downstream pin for its requirements and its allocator and sizes it with
    // DecideBufferSize; when the downstream pin offers none, or it cannot be used, the
    // platform's memory allocator (InitAllocator) is sized instead. The chosen allocator is
    // announced with NotifyAllocator. On success *allocator holds one reference.
    virtual HRESULT DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator);
    // Sets the allocator's properties from the requested ones.
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator,
                                     ALLOCATOR_PROPERTIES* properties) = 0;
    // A new instance of CLSID_MemoryAllocator.
    virtual HRESULT InitAllocator(IMemAllocator** allocator);

    // A free buffer from the allocator; the times are hints. VFW_E_NO_ALLOCATOR when not
    // connected.
    virtual HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                      REFERENCE_TIME* stop, DWORD flags);
    // Hands the sample to the downstream pin and returns its answer.
    virtual HRESULT Deliver(IMediaSample* sample);
    // Forward to the downstream pin: VFW_E_NOT_CONNECTED when not connected.
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();
    virtual HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    IMemAllocator* Allocator() const { return allocator_.Get(); }  // not counted
    IMemInputPin* InputPin() const { return inputPin_.Get(); }     // not counted

protected:
    ComPtr<IMemAllocator> allocator_;
    ComPtr<IMemInputPin> inputPin_;  // the downstream pin's transport
};
