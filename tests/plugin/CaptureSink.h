// A renderer for the reverb filter's tests: one input pin "Input" that records every sample
// delivered to it (length, times, flags, bytes) and end of stream in arrival order, logs what
// the upstream pin asks of its allocator, and can hold the streaming thread inside one delivery
// until the test lets it go.
//
// Threads. Receive and EndOfStream come on the upstream streaming thread; the test reads the
// records on its own thread. The records are guarded by recordLock_, which is never held while
// the streaming thread waits at the hold.
#pragma once

#include <memory>
#include <vector>

#include "framework/BaseFilter.h"
#include "framework/BaseInputPin.h"
#include "platform/CritSec.h"

// The sink's class identifier (GetClassID only; never registered).
inline constexpr CLSID CLSID_QvCaptureSink = {
    0x8a3e5d17, 0x2c4b, 0x4f09, {0x91, 0x6d, 0x3b, 0x7a, 0xe2, 0x05, 0xc8, 0x44}};

// One delivered sample as it arrived.
struct Delivery {
    long length = 0;  // actual data length
    long size = 0;    // buffer size
    HRESULT timeResult = S_OK;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    HRESULT mediaTimeResult = S_OK;
    bool discontinuity = false;
    bool syncPoint = false;
    std::vector<BYTE> bytes;
};

// What a sample carries: its length, size, times, media times, flags and data bytes.
Delivery DescribeSample(IMediaSample* sample);

// What the upstream pin asked of the allocator the sink offered.
struct AllocatorLog {
    CCritSec lock;
    int requests = 0;
    ALLOCATOR_PROPERTIES lastRequest = {};
};

class CCaptureSink;

class CCapturePin final : public CBaseInputPin {
public:
    CCapturePin(CCaptureSink* sink, CCritSec* lock, HRESULT* hr);
    ~CCapturePin() override;

    // The base checks, then the record (and the hold, when this is the delivery to hold at).
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    // The platform's memory allocator behind a wrapper that logs SetProperties requests.
    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;

    // Audio with a wave format record of at least 16 bytes; only one rate when one is set.
    HRESULT CheckMediaType(const CMediaType* type) override;

private:
    CCaptureSink* const sink_;  // not counted: the filter owns the pin
};

class CCaptureSink final : public CBaseFilter {
public:
    // A new sink with one reference: E_POINTER, E_OUTOFMEMORY.
    static HRESULT Create(CCaptureSink** out);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;
    CCapturePin* Pin() const { return pin_.get(); }

    // Types with another sample rate are refused from now on (0: any rate).
    void AcceptOnlyRate(DWORD rate) { acceptedRate_ = rate; }
    DWORD AcceptedRate() const { return acceptedRate_; }

    std::vector<Delivery> Deliveries() const;
    // The data of every delivery, in order.
    std::vector<BYTE> Bytes() const;
    int EndsOfStream() const;
    // Deliveries that had arrived when the first end of stream came (-1: none came).
    int DeliveriesAtEndOfStream() const;
    bool WaitForEndOfStream(DWORD timeoutMs) const;
    // Forgets every record (not the allocator log).
    void Clear();

    int AllocatorRequests() const;
    ALLOCATOR_PROPERTIES LastAllocatorRequest() const;

    // The streaming thread stops inside delivery `index` (counted from 0 since the last Clear)
    // after recording it, until LetGo.
    void HoldAt(int index) { holdAt_ = index; }
    bool WaitUntilHeld(DWORD timeoutMs) const;
    void LetGo();

private:
    CCaptureSink();
    ~CCaptureSink() override;
    void Record(IMediaSample* sample);
    void RecordEndOfStream();

    CCritSec filterLock_;
    std::unique_ptr<CCapturePin> pin_;
    std::shared_ptr<AllocatorLog> allocatorLog_;
    DWORD acceptedRate_ = 0;

    mutable CCritSec recordLock_;
    std::vector<Delivery> deliveries_;  // recordLock_
    int endsOfStream_ = 0;              // recordLock_
    int deliveriesAtEndOfStream_ = -1;  // recordLock_
    int holdAt_ = -1;
    HANDLE endOfStream_;  // owned; manual reset
    HANDLE held_;         // owned; manual reset
    HANDLE letGo_;        // owned; manual reset

    friend class CCapturePin;
};
