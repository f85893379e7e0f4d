// The two pins of a CTransformFilter. The input pin runs the receive path under the filter's
// receive lock and hands type checks, connections, flushes and segments to the filter; the
// output pin asks the filter for its types and buffer sizes, passes quality messages to it and
// passes seeking upstream.
#pragma once

#include "framework/BaseInputPin.h"
#include "framework/BaseOutputPin.h"
#include "framework/PosPassThru.h"

class CTransformFilter;

class CTransformInputPin : public CBaseInputPin {
public:
    // `filter` owns the pin; its filter lock is the pin's lock.
    CTransformInputPin(const WCHAR* objectName, CTransformFilter* filter, HRESULT* hr,
                       const WCHAR* pinName);
    ~CTransformInputPin() override;

    // Takes the receive lock, makes the base checks (pin state, sample, type change) and
    // calls the filter's Receive when they pass.
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    // Takes the receive lock, checks the pin's state and calls the filter's EndOfStream.
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    // Under the filter lock, with both pins connected (VFW_E_NOT_CONNECTED otherwise): the
    // pin's flushing state and the filter's BeginFlush or EndFlush.
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    // Records the segment and calls the filter's NewSegment.
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                         double rate) override;

    // The filter's CheckInputType, then, when the output is connected, its CheckTransform
    // with the output's type.
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;

protected:
    CTransformFilter* const transformFilter_;  // not counted: the filter owns the pin
};

class CTransformOutputPin : public CBaseOutputPin {
public:
    CTransformOutputPin(const WCHAR* objectName, CTransformFilter* filter, HRESULT* hr,
                        const WCHAR* pinName);
    ~CTransformOutputPin() override;

    // IMediaSeeking and IMediaPosition of the pin's CPosPassThru over the filter's input pin
    // (which the filter makes first), then the base pin's interfaces.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // The filter's AlterQuality; when it answers S_FALSE the message goes to the upstream
    // pin (VFW_E_NOT_FOUND when that pin takes none).
    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* sender, Quality quality) override;

    // E_UNEXPECTED while the input is not connected, else the filter's CheckTransform.
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;
    // The filter's proposals while the input is connected; none before.
    HRESULT GetMediaType(int position, CMediaType* type) override;

protected:
    CTransformFilter* const transformFilter_;  // not counted: the filter owns the pin

private:
    // Aggregated by the pin: its interfaces count on the pin, hence on the filter.
    CPosPassThru position_;
};
