// A filter with one input and one output pin that turns each input sample into output: the
// base of the reverb filter and of the test transforms. The derived filter checks and proposes
// types, sizes the output buffers and processes samples through the hooks below; the input
// pin's receive path, the state changes and the pins' negotiation come from here.
//
// Threads and locks. The filter lock (filterLock_) guards state changes and connections, on
// the graph's control thread. The receive lock (receiveLock_) is held by the input pin around
// Receive and EndOfStream, on the upstream filter's streaming thread, so that processing never
// overlaps a stop: Stop takes the filter lock, decommits the input allocator (an upstream
// thread waiting for a buffer returns), then takes the receive lock, waiting for a sample in
// progress, before it deactivates the output and calls StopStreaming. Pause from stopped
// calls StartStreaming under both locks. The streaming thread never takes the filter lock.
// Overrides must not throw: their callers are COM methods.
#pragma once

#include <atomic>
#include <memory>

#include "framework/BaseFilter.h"
#include "framework/MediaType.h"
#include "platform/CritSec.h"

class CTransformInputPin;
class CTransformOutputPin;

class CTransformFilter : public CBaseFilter {
public:
    CTransformFilter(const WCHAR* name, IUnknown* outer, REFCLSID clsid);
    ~CTransformFilter() override;

    // Two pins. GetPin creates missing pins first (an input pin "Input" and an output pin
    // "Output"); a filter with pins of its own overrides it and fills inputPin_ and
    // outputPin_ the same way, the input first: the output pin's seeking goes through it.
    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // Pause from stopped calls StartStreaming when both pins are connected (and undoes it if
    // the pins cannot be activated). With the input unconnected it only sends end of stream
    // downstream, once, so that the renderer completes. Stop is described above.
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;

    // Processes one sample into an output buffer for the default Receive: S_OK delivers it,
    // S_FALSE skips it. E_UNEXPECTED unless overridden.
    virtual HRESULT Transform(IMediaSample* in, IMediaSample* out);
    // S_OK when the input pin may take `input`.
    virtual HRESULT CheckInputType(const CMediaType* input) = 0;
    // S_OK when `input` can be turned into `output`.
    virtual HRESULT CheckTransform(const CMediaType* input, const CMediaType* output) = 0;
    // Sets the output allocator's properties (the output pin's DecideAllocator calls it).
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator,
                                     ALLOCATOR_PROPERTIES* properties) = 0;
    // The output types proposed, by position: S_OK, VFW_S_NO_MORE_ITEMS past the last.
    virtual HRESULT GetMediaType(int position, CMediaType* type) = 0;
    // Leaving and entering the stopped state; no sample is in progress during either.
    virtual HRESULT StartStreaming();
    virtual HRESULT StopStreaming();
    // A quality message from downstream: S_FALSE passes it upstream.
    virtual HRESULT AlterQuality(Quality quality);
    // A pin's type has been agreed (after the pin recorded it).
    virtual HRESULT SetMediaType(PIN_DIRECTION direction, const CMediaType* type);
    // Connection hooks of the two pins, before their own work.
    virtual HRESULT CheckConnect(PIN_DIRECTION direction, IPin* pin);
    virtual HRESULT BreakConnect(PIN_DIRECTION direction);
    virtual HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* receivePin);
    // One input sample, under the receive lock after the input pin's checks. The default gets
    // an output buffer carrying the input's properties (InitializeOutputSample), calls
    // Transform and delivers the result.
    virtual HRESULT Receive(IMediaSample* sample);
    // Under the receive lock: the default delivers end of stream downstream.
    virtual HRESULT EndOfStream();
    // Under the filter lock: the defaults pass flushes and segments downstream.
    virtual HRESULT BeginFlush();
    virtual HRESULT EndFlush();
    virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    CTransformInputPin* InputPin() const { return inputPin_.get(); }
    CTransformOutputPin* OutputPin() const { return outputPin_.get(); }

protected:
    // An output buffer with the input sample's times, sync point, discontinuity (also after a
    // skipped sample), preroll and media times. One reference in *out on success.
    HRESULT InitializeOutputSample(IMediaSample* sample, IMediaSample** out);
    bool InputConnected() const;
    bool OutputConnected() const;

    CCritSec filterLock_;
    CCritSec receiveLock_;
    // Created by GetPin, owned by the filter, counted on the filter's count.
    std::unique_ptr<CTransformInputPin> inputPin_;
    std::unique_ptr<CTransformOutputPin> outputPin_;
    // Set by Pause (filter lock) and EndOfStream (receive lock): end of stream went downstream.
    std::atomic<bool> eosDelivered_{false};
    // Set by Receive (receive lock) when Transform skipped a sample; cleared by Pause.
    std::atomic<bool> sampleSkipped_{false};

    friend class CTransformInputPin;
    friend class CTransformOutputPin;
};
