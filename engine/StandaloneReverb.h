// The engine as an object of its own, for programs that use it without a filter graph: the
// command-line renderer, the tests and the benchmarks. Starts, as the filter does, from
// built-in preset 0 with Stereo on.
#pragma once

#include <atomic>

#include "engine/AudioTransform.h"

class CStandaloneReverb : public CAudioTransform {
public:
    explicit CStandaloneReverb(HRESULT* status, AutomationFactory createAutomation = nullptr);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Points the engine at formats it keeps itself, as the filter does when its pins connect.
    void SetFormats(const WAVEFORMATEX& input, const WAVEFORMATEX& output);
    // AllocateBuffers with those formats, as the filter does when streaming starts.
    HRESULT StartStreaming() { return AllocateBuffers(&inputRecord_, &outputRecord_); }
    // Formats for interleaved samples of the given kind; output is always stereo.
    static WAVEFORMATEX MakeFormat(WORD formatTag, WORD bitsPerSample, WORD channels,
                                   DWORD sampleRate);

private:
    std::atomic<ULONG> references_{1};
    WAVEFORMATEX inputRecord_{};
    WAVEFORMATEX outputRecord_{};
};
