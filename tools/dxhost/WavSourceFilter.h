// A source filter that pushes the audio of a WAV file into a graph: one output pin presenting
// the file's own format (MEDIATYPE_Audio, the sub type of its format tag, FORMAT_WaveFormatEx),
// media samples of a chosen number of frames with time stamps from 0, the first marked as a
// discontinuity, then end of stream. Used by dxhost and by the graph tests.
//
// Threads. The pin's streaming thread starts when the filter leaves the stopped state and is
// joined when it returns to it; it never takes the filter lock. Stop decommits the allocator
// first, so a thread waiting for a buffer returns.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "framework/BaseFilter.h"
#include "framework/BaseOutputPin.h"
#include "platform/CritSec.h"
#include "tools/dxhost/WavFile.h"

// The source's class identifier (reported by GetClassID; the class is not registered).
inline constexpr CLSID CLSID_QvWavSource = {
    0x2c0349bd, 0x7b03, 0x460f, {0x9e, 0x03, 0x9d, 0x42, 0x1d, 0xeb, 0x9f, 0xbb}};

class CWavSourceFilter;

class CWavSourcePin final : public CBaseOutputPin {
public:
    CWavSourcePin(CWavSourceFilter* filter, CCritSec* lock, HRESULT* hr);
    ~CWavSourcePin() override;

    // Only the file's own type.
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    // At least 4 buffers of one media sample each, with the downstream alignment and prefix.
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;
    // Commit the allocator and start streaming; stop streaming and decommit.
    HRESULT Active() override;
    HRESULT Inactive() override;

private:
    void Stream();

    CWavSourceFilter* const source_;  // not counted: the filter owns the pin
    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

class CWavSourceFilter final : public CBaseFilter {
public:
    // A new source with one reference: E_POINTER, E_INVALIDARG for an unsupported format or
    // a block of no frames, E_OUTOFMEMORY.
    static HRESULT Create(WavAudio audio, int blockFrames, CWavSourceFilter** out);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    const WavAudio& Audio() const { return audio_; }
    int BlockFrames() const { return blockFrames_; }
    // The media type the pin presents.
    HRESULT FileMediaType(CMediaType* type) const;
    // Media samples delivered in the last run, and the failure that ended it (S_OK if none;
    // a downstream refusal or a buffer that could not be had).
    LONG SamplesDelivered() const { return samplesDelivered_; }
    HRESULT StreamResult() const { return streamResult_; }

private:
    CWavSourceFilter(WavAudio audio, int blockFrames);
    ~CWavSourceFilter() override;

    CCritSec filterLock_;
    WavAudio audio_;
    const int blockFrames_;
    std::unique_ptr<CWavSourcePin> pin_;
    std::atomic<LONG> samplesDelivered_{0};
    std::atomic<HRESULT> streamResult_{S_OK};

    friend class CWavSourcePin;
};
