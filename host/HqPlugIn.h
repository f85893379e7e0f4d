// The reverb filter: the one COM object a host inserts in its graph. It is the framework's
// transform filter and the reverb engine at once, and hands out the engine control interface,
// the property page, persistence, the built-in presets and (through the engine's automation
// object) the parameter interfaces, all sharing its identity and reference count.
//
// Threads. Receive and EndOfStream run on the upstream streaming thread inside the framework's
// receive lock; state changes and type negotiation on the graph's thread inside the filter
// lock; persistence, presets and the control interface on the host's and the editor's threads,
// serialised by the engine's own lock. The filter adds no lock of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/AudioTransform.h"
#include "engine/StaticFilterPreset.h"
#include "framework/TransformFilter.h"
#include "framework/TransformPins.h"
#include "host/MediaParams.h"

class CHqPlugIn : public CTransformFilter,
                  public CAudioTransform,
                  public ISpecifyPropertyPages,
                  public IPersistStream,
                  public IStaticFilterPreset {
public:
    // The class factory's creation function: E_OUTOFMEMORY when the filter cannot be had.
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // CTransformFilter.
    CBasePin* GetPin(int n) override;
    const AMOVIESETUP_FILTER* GetSetupData() override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT CheckInputType(const CMediaType* input) override;
    HRESULT CheckTransform(const CMediaType* input, const CMediaType* output) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* props) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT SetMediaType(PIN_DIRECTION direction, const CMediaType* type) override;
    HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* receivePin) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;

    // IPersist (of IBaseFilter and of IPersistStream).
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    // ISpecifyPropertyPages: the editor page.
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;
    // IPersistStream: the engine's saved state.
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    // IStaticFilterPreset: the engine's built-in presets.
    HRESULT STDMETHODCALLTYPE GetPresetCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetPresetName(DWORD index, LPWSTR name, int nameLength) override;
    HRESULT STDMETHODCALLTYPE ApplyPreset(DWORD index) override;

    // Turns an audio type into its stereo form in place (the one output type proposed).
    HRESULT DeriveStereoType(CMediaType* type);

    // The agreed formats, as the engine reads them; the automation clock in input frames.
    const WAVEFORMATEX& InputFormatRecord() const { return InputFormat; }
    const WAVEFORMATEX& OutputFormatRecord() const { return OutputFormat; }
    std::int64_t SamplePositionFrames() const { return SamplePosition; }

private:
    CHqPlugIn(const WCHAR* name, IUnknown* outer, HRESULT* hr);
    ~CHqPlugIn() override;

    CMediaParams* MediaParams() const { return static_cast<CMediaParams*>(Automation()); }
    // Runs one block operation in the input's sample format over raw buffers, converting
    // 16-bit samples to and from float around it. in and inFrames are null in mode 2.
    HRESULT ProcessBuffers(int mode, const BYTE* in, DWORD* inFrames, BYTE* out, DWORD* outFrames);
    // The 16-bit path's float arrays, for as many samples as the agreed input and output
    // buffers hold; on the graph's thread when streaming starts.
    HRESULT PrepareConversion();

    WAVEFORMATEX InputFormat{};       // copy of the agreed input type; all zero until set
    WAVEFORMATEX OutputFormat{};      // copy of the agreed output type
    std::int64_t SamplePosition = 0;  // running count of input frames: the automation clock
    // The upstream allocator's properties when the output last sized its buffers from them.
    ALLOCATOR_PROPERTIES upstreamBuffers_{};
    // The 16-bit path's float arrays, held while streaming (null otherwise) so that Receive and
    // EndOfStream allocate nothing; only a sample beyond the agreed buffers gets arrays of its
    // own. Written on the graph's thread while no sample is processed.
    std::unique_ptr<float[]> inFloats_, outFloats_;
    std::size_t inFloatCount_ = 0, outFloatCount_ = 0;

    friend class CHqPlugInInputPin;
};
