// A renderer filter that writes the audio it receives to a WAV file: one input pin taking
// MEDIATYPE_Audio with a FORMAT_WaveFormatEx block (PCM or IEEE float, as the source and
// sink carry), the file written in the connection's format. End of stream finishes the file
// and completes the stream (EC_COMPLETE, once the graph runs); everything delivered before it,
// a reverb's tail included, is in the file. Used by dxhost and by the graph tests.
//
// Threads and locks. Receive and EndOfStream run on the upstream streaming thread under the
// receive lock only; state changes take the filter lock and then the receive lock (to open and
// close the file), never the other way round.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "framework/BaseFilter.h"
#include "framework/BaseInputPin.h"
#include "platform/CritSec.h"
#include "tools/dxhost/WavFile.h"

// The sink's class identifier (reported by GetClassID; the class is not registered).
inline constexpr CLSID CLSID_QvWavSink = {
    0x107317e4, 0xea16, 0x4215, {0xa5, 0xf4, 0x62, 0x53, 0xaf, 0x73, 0x0b, 0xd7}};

class CWavSinkFilter;

class CWavSinkPin final : public CBaseInputPin {
public:
    CWavSinkPin(CWavSinkFilter* filter, CCritSec* lock, HRESULT* hr);
    ~CWavSinkPin() override;

    // Writes the sample's data after the base checks; E_FAIL when the file cannot take it.
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    // Finishes the file and completes the stream.
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    // S_FALSE: writing never waits.
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

    HRESULT CheckMediaType(const CMediaType* type) override;
    // Opens the file for the connection's format (E_FAIL when it cannot be created); closes
    // it, unfinished, when stopped before end of stream.
    HRESULT Active() override;
    HRESULT Inactive() override;

private:
    CWavSinkFilter* const sink_;  // not counted: the filter owns the pin
    CCritSec receiveLock_;
    CWavWriter writer_;  // receive lock
};

class CWavSinkFilter final : public CBaseFilter, public IAMFilterMiscFlags {
public:
    // A new sink writing `path`, with one reference: E_POINTER, E_OUTOFMEMORY.
    static HRESULT Create(const std::string& path, CWavSinkFilter** out);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // A renderer: the graph counts it among the streams that must complete.
    ULONG STDMETHODCALLTYPE GetMiscFlags() override;

    // Sends a completion that arrived while paused.
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE Stop() override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    const std::string& Path() const { return path_; }
    // The file was finished at end of stream in the last run.
    bool IsComplete() const { return complete_; }
    // S_OK, or the failure met creating or writing the file.
    HRESULT WriteResult() const { return writeResult_; }
    std::uint64_t BytesWritten() const { return bytesWritten_; }

private:
    explicit CWavSinkFilter(std::string path);
    ~CWavSinkFilter() override;
    // From the streaming thread: the file is finished.
    void EndOfStreamReached();
    void SendCompletion();

    CCritSec filterLock_;
    const std::string path_;
    std::unique_ptr<CWavSinkPin> pin_;
    std::atomic<bool> complete_{false};
    std::atomic<bool> completionSent_{false};
    std::atomic<HRESULT> writeResult_{S_OK};
    std::atomic<std::uint64_t> bytesWritten_{0};

    friend class CWavSinkPin;
};
