// A pass-through transform built on CTransformFilter for the framework's tests: copies every
// input sample into an output sample of the same type and records what the framework calls on
// it. The graph tests use it directly; the test server DLL serves it as a registered class.
#pragma once

#include <atomic>

#include "framework/TransformFilter.h"
#include "framework/TransformPins.h"
#include "platform/Platform.h"

// The pass-through transform's class identifier.
inline constexpr CLSID CLSID_TestPassThrough = {
    0xe7d40ba6, 0xc039, 0x4210, {0xbe, 0x82, 0x56, 0x76, 0xc4, 0xb8, 0xc0, 0xe2}};

// Can hold a Transform until released (to watch Stop wait for it) and fail on request.
class CPassThroughFilter final : public CTransformFilter {
public:
    // A new filter with one reference, aggregated by `outer` when given.
    static CPassThroughFilter* Create(IUnknown* outer = nullptr);
    // The factory template's creation function: no reference taken yet.
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    // Any audio with a wave format block; the output is the input's type.
    HRESULT CheckInputType(const CMediaType* input) override;
    HRESULT CheckTransform(const CMediaType* input, const CMediaType* output) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    // The input allocator's buffers, at least one of 4096 bytes.
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    const AMOVIESETUP_FILTER* GetSetupData() override;

    // What the filter answers StartStreaming with.
    HRESULT startResult = S_OK;
    // Refuse floating-point input types.
    bool refuseFloat = false;
    // The Transform call (counted from 1) that fails with E_UNEXPECTED; 0 for none.
    int failingTransform = 0;
    std::atomic<int> starts{0}, stops{0}, transforms{0}, endsOfStream{0}, flushesBegun{0},
        flushesEnded{0}, segments{0};
    // Set while StopStreaming runs if a Transform was still in progress then.
    std::atomic<bool> stoppedDuringTransform{false};

    // Makes the next Transform signal `entered` and wait for `release` (events not owned).
    void HoldNextTransform(HANDLE entered, HANDLE release);

    static const AMOVIESETUP_FILTER kSetup;

private:
    explicit CPassThroughFilter(IUnknown* outer);

    std::atomic<bool> inTransform_{false};
    HANDLE holdEntered_ = nullptr;  // not owned
    HANDLE holdRelease_ = nullptr;  // not owned
};
