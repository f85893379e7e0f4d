// The base of every pin: IPin with connection and media-type negotiation, and the hooks that
// input and output pins and their filters fill in. A pin is owned by its filter and counts on
// the filter's reference count; it answers QueryInterface itself.
//
// Connecting. The output pin's Connect tries the given type when it is complete, otherwise
// every type the receiving pin enumerates and then every type of its own that matches the
// given partial type: CheckConnect, CheckMediaType and SetMediaType here, ReceiveConnection on
// the other pin, then CompleteConnect; any failure undoes the attempt (BreakConnect). All of
// it runs on the connecting thread under the filter lock.
#pragma once

#include "framework/ComPtr.h"
#include "framework/MediaType.h"
#include "framework/Unknown.h"
#include "platform/CritSec.h"
#include "platform/Platform.h"

class CBaseFilter;

class CBasePin : public CUnknown, public IPin, public IQualityControl {
public:
    // `filter` owns the pin and `lock` is the filter lock; neither is counted. `hr` is left
    // as it is: nothing here can fail.
    CBasePin(const WCHAR* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* hr,
             const WCHAR* pinName, PIN_DIRECTION direction);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    // IPin, IQualityControl, then IUnknown.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // The filter's count.
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector,
                                                const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    // E_POINTER for a null count, else E_NOTIMPL: every pin connects to all the others.
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
    // Records the segment; derived pins pass it on.
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                         double rate) override;

    // IQualityControl: no quality management by default (E_NOTIMPL); the sink is not counted.
    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* sender, Quality quality) override;
    HRESULT STDMETHODCALLTYPE SetSink(IQualityControl* sink) override;

    // Negotiation hooks.
    // S_OK when the pin accepts `type`; any other value refuses it.
    virtual HRESULT CheckMediaType(const CMediaType* type) = 0;
    // Records the agreed type as the connection's type.
    virtual HRESULT SetMediaType(const CMediaType* type);
    // Checks the other pin before a type is tried: VFW_E_INVALID_DIRECTION for a pin of the
    // same direction.
    virtual HRESULT CheckConnect(IPin* pin);
    // Undoes CheckConnect and CompleteConnect when an attempt fails or the pin disconnects.
    virtual HRESULT BreakConnect();
    // Runs once both pins agree on the type.
    virtual HRESULT CompleteConnect(IPin* receivePin);
    // The pin's own preferred types for EnumMediaTypes: S_OK with `type` filled, or
    // VFW_S_NO_MORE_ITEMS past the last (the default has none).
    virtual HRESULT GetMediaType(int position, CMediaType* type);
    // Changes when the preferred types change; media type enumerators compare it.
    virtual LONG GetMediaTypeVersion();
    void IncrementTypeVersion();

    // Streaming state, called by the filter under the filter lock for connected pins.
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(REFERENCE_TIME start);

    bool IsConnected() const { return static_cast<bool>(connected_); }
    IPin* GetConnected() const { return connected_.Get(); }  // not counted
    const CMediaType& CurrentMediaType() const { return mediaType_; }
    PIN_DIRECTION Direction() const { return direction_; }
    const WCHAR* Name() const { return name_; }
    bool IsStopped() const;
    REFERENCE_TIME SegmentStart() const { return segmentStart_; }
    REFERENCE_TIME SegmentStop() const { return segmentStop_; }
    double SegmentRate() const { return segmentRate_; }

protected:
    // One connection attempt with a complete type.
    HRESULT AttemptConnection(IPin* receivePin, const CMediaType* type);
    // Complete type: that one. Otherwise the receiving pin's types, then this pin's.
    HRESULT AgreeMediaType(IPin* receivePin, const CMediaType* partial);
    // Tries every type of `types` matching `partial`. On failure *failure keeps the most
    // telling reason met (a refusal after the type was agreed beats "no acceptable types").
    HRESULT TryMediaTypes(IPin* receivePin, const CMediaType* partial, IEnumMediaTypes* types,
                          HRESULT* failure);
    // Forgets the other pin and the type after BreakConnect.
    void ClearConnection();

    CBaseFilter* const filter_;  // not counted: the filter owns the pin
    CCritSec* const lock_;       // not owned: the filter lock
    ComPtr<IPin> connected_;
    CMediaType mediaType_;                    // the connection's type
    IQualityControl* qualitySink_ = nullptr;  // not counted
    REFERENCE_TIME segmentStart_ = 0;
    REFERENCE_TIME segmentStop_ = 0x7FFFFFFFFFFFFFFF;
    double segmentRate_ = 1.0;

private:
    const PIN_DIRECTION direction_;
    WCHAR name_[MAX_PIN_NAME] = {};
    volatile LONG typeVersion_ = 1;
};
