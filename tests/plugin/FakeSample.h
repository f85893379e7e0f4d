// A media sample that the test owns and hands to a pin's IMemInputPin::Receive: its data,
// times, flags and media times are whatever the test sets, and its reference count is watched
// (it lives on the test's stack, so nothing may keep it after Receive returns).
#pragma once

#include <vector>

#include "platform/Platform.h"

class CFakeSample final : public IMediaSample {
public:
    // Data of `bytes.size()` bytes, all of them actual data; no times, no flags.
    explicit CFakeSample(std::vector<BYTE> bytes);
    CFakeSample(const CFakeSample&) = delete;
    CFakeSample& operator=(const CFakeSample&) = delete;

    // Start and stop; or the start only (GetTime then answers VFW_S_NO_STOP_TIME).
    void SetTimes(REFERENCE_TIME start, REFERENCE_TIME stop);
    void SetStartOnly(REFERENCE_TIME start);
    LONG References() const { return references_; }

    // IUnknown: IMediaSample only (no IMediaSample2, so a carried type would come through
    // GetMediaType, which has none).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IMediaSample
    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** buffer) override;
    long STDMETHODCALLTYPE GetSize() override;
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override;
    HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL syncPoint) override;
    HRESULT STDMETHODCALLTYPE IsPreroll() override;
    HRESULT STDMETHODCALLTYPE SetPreroll(BOOL preroll) override;
    long STDMETHODCALLTYPE GetActualDataLength() override;
    HRESULT STDMETHODCALLTYPE SetActualDataLength(long length) override;
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** type) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override;
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL discontinuity) override;
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* start, LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* start, LONGLONG* stop) override;

private:
    std::vector<BYTE> bytes_;
    long actualLength_;
    volatile LONG references_ = 1;  // the test's own
    enum class Times { kNone, kStartOnly, kBoth } times_ = Times::kNone;
    REFERENCE_TIME start_ = 0;
    REFERENCE_TIME stop_ = 0;
    bool mediaTimes_ = false;
    LONGLONG mediaStart_ = 0;
    LONGLONG mediaStop_ = 0;
    bool syncPoint_ = false;
    bool preroll_ = false;
    bool discontinuity_ = false;
};
