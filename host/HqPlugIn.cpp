// The reverb filter: identity, type negotiation, buffer sizing, the receive loop that may split
// one input sample over several output buffers, the tail at end of stream, and the routing of
// the host's interfaces to the engine.
#include "host/HqPlugIn.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>

#include "engine/SampleConversion.h"
#include "host/CountedMediaParams.h"
#include "host/HqPlugInInputPin.h"
#include "host/HqPlugInNames.h"
#include "host/HqPlugInSetup.h"

namespace {

const WAVEFORMATEX* WaveFormatOf(const CMediaType* type) {
    if (type->cbFormat < 16 || type->pbFormat == nullptr) return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(type->pbFormat);
}

// The floats of one conversion: the streaming run's array when it holds `count`, else an array
// of its own (null when that cannot be had).
class ConversionFloats {
public:
    ConversionFloats(float* prepared, std::size_t preparedCount, std::size_t count)
        : owned_(count > preparedCount ? new (std::nothrow) float[count] : nullptr),
          data_(count > preparedCount ? owned_.get() : prepared) {}
    float* Get() const { return data_; }

private:
    std::unique_ptr<float[]> owned_;
    float* data_;  // prepared (not owned) or owned_
};

// Samples of interleaved audio that one buffer of the allocator holds in the format; 0 without
// an allocator.
std::size_t SamplesPerBuffer(IMemAllocator* allocator, const WAVEFORMATEX& format) {
    ALLOCATOR_PROPERTIES props = {};
    if (allocator == nullptr || format.nBlockAlign == 0 ||
        FAILED(allocator->GetProperties(&props)) || props.cbBuffer <= 0) {
        return 0;
    }
    return std::size_t{format.nChannels} *
           (static_cast<std::size_t>(props.cbBuffer) / format.nBlockAlign);
}

// Owns one reference on a media sample.
class SampleHolder {
public:
    ~SampleHolder() { Reset(); }
    IMediaSample** Put() {
        Reset();
        return &sample_;
    }
    IMediaSample* Get() const { return sample_; }
    void Reset() {
        if (sample_ != nullptr) sample_->Release();
        sample_ = nullptr;
    }

private:
    IMediaSample* sample_ = nullptr;
};

}  // namespace

CUnknown* CHqPlugIn::CreateInstance(IUnknown* outer, HRESULT* hr) {
    auto* filter = new (std::nothrow) CHqPlugIn(nullptr, outer, hr);
    if (filter == nullptr && hr != nullptr) *hr = E_OUTOFMEMORY;
    return filter;
}

CHqPlugIn::CHqPlugIn(const WCHAR* name, IUnknown* outer, HRESULT* hr)
    : CTransformFilter(name, outer, CLSID_HqPlugIn),
      CAudioTransform(hr, &CCountedMediaParams::Create) {
    // A new filter starts from "(Default)" with the Stereo switch on.
    CAudioTransform::ApplyPreset(0);
}

CHqPlugIn::~CHqPlugIn() = default;

HRESULT CHqPlugIn::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IHqPlugInProp)) {
        return GetInterface(static_cast<IHqPlugInProp*>(this), ppv);
    }
    if (IsEqualIID(riid, IID_ISpecifyPropertyPages)) {
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    }
    if (IsEqualIID(riid, IID_IPersistStream)) {
        return GetInterface(static_cast<IPersistStream*>(this), ppv);
    }
    if (IsEqualIID(riid, IID_IStaticFilterPreset)) {
        return GetInterface(static_cast<IStaticFilterPreset*>(this), ppv);
    }
    // The automation object's interfaces carry its own reference count.
    if (CMediaParams* params = MediaParams()) {
        IUnknown* found = nullptr;
        if (IsEqualIID(riid, IID_IMediaParams)) {
            found = static_cast<IMediaParams*>(params);
        } else if (IsEqualIID(riid, IID_IMediaParamInfo)) {
            found = static_cast<IMediaParamInfo*>(params);
        } else if (IsEqualIID(riid, IID_IMediaParamsSetUICallback)) {
            found = static_cast<IMediaParamsSetUICallback*>(params);
        } else if (IsEqualIID(riid, IID_IMediaParamsUICallback)) {
            found = static_cast<IMediaParamsUICallback*>(params);
        }
        if (found != nullptr) {
            found->AddRef();
            *ppv = found;
            return S_OK;
        }
    }
    return CTransformFilter::NonDelegatingQueryInterface(riid, ppv);
}

CBasePin* CHqPlugIn::GetPin(int n) {
    CAutoLock guard(&filterLock_);
    if (!inputPin_) {
        HRESULT hr = S_OK;
        inputPin_.reset(new (std::nothrow) CHqPlugInInputPin(L"Input pin", this, &hr, L"Input"));
        if (FAILED(hr)) inputPin_.reset();
    }
    if (inputPin_ && !outputPin_) {
        HRESULT hr = S_OK;
        outputPin_.reset(new (std::nothrow)
                             CTransformOutputPin(L"Output pin", this, &hr, L"Output"));
        if (FAILED(hr)) outputPin_.reset();
    }
    if (n == 0) return inputPin_.get();
    if (n == 1) return outputPin_.get();
    return nullptr;
}

const AMOVIESETUP_FILTER* CHqPlugIn::GetSetupData() {
    return &kHqPlugInSetup;
}

HRESULT CHqPlugIn::Transform(IMediaSample*, IMediaSample*) {
    return E_INVALIDARG;  // Receive does the work itself
}

HRESULT CHqPlugIn::CheckInputType(const CMediaType* input) {
    if (input == nullptr) return E_POINTER;
    if (!IsEqualGUID(input->majortype, MEDIATYPE_Audio) || input->bTemporalCompression) {
        return E_INVALIDARG;
    }
    const WAVEFORMATEX* format = WaveFormatOf(input);
    if (format == nullptr || (format->nChannels != 1 && format->nChannels != 2)) {
        return E_INVALIDARG;
    }
    const bool int16 = format->wFormatTag == WAVE_FORMAT_PCM && format->wBitsPerSample == 16;
    const bool floats = format->wFormatTag == WAVE_FORMAT_IEEE_FLOAT &&
                        (format->wBitsPerSample == 32 || format->wBitsPerSample == 64);
    // Any rate: one the engine cannot stream fails the start of streaming.
    return (int16 || floats) ? S_OK : E_INVALIDARG;
}

HRESULT CHqPlugIn::CheckTransform(const CMediaType* input, const CMediaType* output) {
    if (input == nullptr || output == nullptr) return E_POINTER;
    if (!IsEqualGUID(input->majortype, MEDIATYPE_Audio) ||
        !IsEqualGUID(output->majortype, MEDIATYPE_Audio) || input->bTemporalCompression ||
        output->bTemporalCompression) {
        return E_INVALIDARG;
    }
    const WAVEFORMATEX* in = WaveFormatOf(input);
    const WAVEFORMATEX* out = WaveFormatOf(output);
    if (in == nullptr || out == nullptr || in->wFormatTag != out->wFormatTag ||
        in->wBitsPerSample != out->wBitsPerSample || in->nSamplesPerSec != out->nSamplesPerSec) {
        return E_INVALIDARG;
    }
    return CheckOutputFormat(in, out) == 0 ? S_OK : E_INVALIDARG;
}

HRESULT CHqPlugIn::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* props) {
    if (allocator == nullptr || props == nullptr) return E_POINTER;
    // Output buffers follow the upstream buffers in count, size, alignment and prefix.
    if (InputConnected()) {
        IMemAllocator* upstream = nullptr;
        if (SUCCEEDED(inputPin_->GetAllocator(&upstream))) {
            ALLOCATOR_PROPERTIES given = {};
            if (SUCCEEDED(upstream->GetProperties(&given)) && given.cbBuffer > 0 &&
                given.cbAlign > 0) {
                *props = given;
                upstreamBuffers_ = given;
            } else if (upstreamBuffers_.cbBuffer > 0) {
                // The upstream filter has not chosen its buffers yet: the graph reconnects the
                // output from inside the input's connection (Wine's filter graph manager does
                // so at once, Windows later on a worker thread). The upstream buffers seen last
                // stand in; Receive splits a sample over as many output buffers as it needs.
                *props = upstreamBuffers_;
            }
            upstream->Release();
        }
    }
    return NegotiateBuffers(allocator, props);
}

HRESULT CHqPlugIn::GetMediaType(int position, CMediaType* type) {
    if (type == nullptr) return E_POINTER;
    if (!InputConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (FAILED(type->Set(inputPin_->CurrentMediaType()))) return E_OUTOFMEMORY;
    return DeriveStereoType(type);
}

HRESULT CHqPlugIn::DeriveStereoType(CMediaType* type) {
    if (type->cbFormat < 16 || type->pbFormat == nullptr) return E_UNEXPECTED;
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type->pbFormat);
    if (type->cbFormat > 16) format->cbSize = 0;
    const HRESULT hr = DeriveOutputFormat(format);
    format->nBlockAlign = static_cast<WORD>(format->nChannels * (format->wBitsPerSample / 8));
    format->nAvgBytesPerSec = format->nBlockAlign * format->nSamplesPerSec;
    return hr;
}

HRESULT CHqPlugIn::StartStreaming() {
    HRESULT hr = AllocateBuffers(&InputFormat, &OutputFormat);
    if (SUCCEEDED(hr) && InputFormat.wFormatTag == WAVE_FORMAT_PCM) {
        hr = PrepareConversion();
        if (FAILED(hr)) ReleaseBuffers();
    }
    return hr;
}

HRESULT CHqPlugIn::StopStreaming() {
    ReleaseBuffers();
    inFloats_.reset();
    outFloats_.reset();
    inFloatCount_ = outFloatCount_ = 0;
    return S_OK;
}

HRESULT CHqPlugIn::PrepareConversion() {
    // The input's buffers are the upstream allocator's, agreed when the input connected; the
    // output's those of the allocator its connection chose. Neither changes while streaming.
    const std::size_t inCount = SamplesPerBuffer(inputPin_->Allocator(), InputFormat);
    const std::size_t outCount = SamplesPerBuffer(outputPin_->Allocator(), OutputFormat);
    // At least one float each, so that a sample of less than a frame still has input.
    inFloats_.reset(new (std::nothrow) float[std::max<std::size_t>(inCount, 1)]);
    outFloats_.reset(new (std::nothrow) float[std::max<std::size_t>(outCount, 1)]);
    if (!inFloats_ || !outFloats_) {
        inFloats_.reset();
        outFloats_.reset();
        return E_OUTOFMEMORY;
    }
    inFloatCount_ = inCount;
    outFloatCount_ = outCount;
    return S_OK;
}

HRESULT CHqPlugIn::SetMediaType(PIN_DIRECTION direction, const CMediaType* type) {
    if (type == nullptr) return E_POINTER;
    const WAVEFORMATEX* given = WaveFormatOf(type);
    if (given == nullptr) return E_INVALIDARG;
    WAVEFORMATEX& record = direction == PINDIR_INPUT ? InputFormat : OutputFormat;
    record.wFormatTag = given->wFormatTag;
    record.nChannels = given->nChannels;
    record.nSamplesPerSec = given->nSamplesPerSec;
    record.nBlockAlign = given->nBlockAlign;
    record.wBitsPerSample = given->wBitsPerSample;
    record.nAvgBytesPerSec = (given->wBitsPerSample / 8) * given->nChannels * given->nSamplesPerSec;
    record.cbSize = 0;
    const HRESULT hr = CTransformFilter::SetMediaType(direction, type);
    if (FAILED(hr)) return hr;
    const int which = direction == PINDIR_INPUT ? 0 : 1;
    SetFormatRecord(which, &record);
    NotifyEditors(which);
    if (CMediaParams* params = MediaParams()) {
        params->SetSampleRate(static_cast<int>(InputFormat.nSamplesPerSec));
    }
    return S_OK;
}

HRESULT CHqPlugIn::CompleteConnect(PIN_DIRECTION direction, IPin* /*receivePin*/) {
    if (direction == PINDIR_OUTPUT || !OutputConnected()) return S_OK;
    if (CheckTransform(&inputPin_->CurrentMediaType(), &outputPin_->CurrentMediaType()) == S_OK) {
        return S_OK;
    }
    // The output must follow the new input type: the graph reconnects it.
    return ReconnectPin(outputPin_.get(), nullptr);
}

HRESULT CHqPlugIn::ProcessBuffers(int mode, const BYTE* in, DWORD* inFrames, BYTE* out,
                                  DWORD* outFrames) {
    if (InputFormat.wFormatTag == WAVE_FORMAT_PCM) {
        const size_t inCount = inFrames != nullptr ? size_t{InputFormat.nChannels} * *inFrames : 0;
        const size_t outCount = size_t{OutputFormat.nChannels} * *outFrames;
        const ConversionFloats inFloats(inFloats_.get(), inFloatCount_, inCount);
        const ConversionFloats outFloats(outFloats_.get(), outFloatCount_, outCount);
        if (inFloats.Get() == nullptr || outFloats.Get() == nullptr) return E_OUTOFMEMORY;
        Int16ToFloat(reinterpret_cast<const short*>(in), inFloats.Get(), inCount);
        const HRESULT hr = ProcessFloat32(mode, in != nullptr ? inFloats.Get() : nullptr, inFrames,
                                          outFloats.Get(), outFrames);
        if (SUCCEEDED(hr)) {
            FloatToInt16(outFloats.Get(), reinterpret_cast<short*>(out),
                         size_t{OutputFormat.nChannels} * *outFrames);
        }
        return hr;
    }
    if (InputFormat.wBitsPerSample == 64) {
        return ProcessFloat64(mode, reinterpret_cast<const double*>(in), inFrames,
                              reinterpret_cast<double*>(out), outFrames);
    }
    return ProcessFloat32(mode, reinterpret_cast<const float*>(in), inFrames,
                          reinterpret_cast<float*>(out), outFrames);
}

HRESULT CHqPlugIn::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    long inBytes = sample->GetActualDataLength();
    BYTE* in = nullptr;
    HRESULT hr = sample->GetPointer(&in);
    if (FAILED(hr)) return hr;
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT timeResult = sample->GetTime(&start, &stop);
    const bool timed = SUCCEEDED(timeResult);
    const bool hasStop = timeResult == S_OK;

    SampleHolder out;
    hr = outputPin_->GetDeliveryBuffer(out.Put(), timed ? &start : nullptr, timed ? &stop : nullptr,
                                       0);
    if (FAILED(hr)) return hr;

    int mode = sample->IsDiscontinuity() == S_OK ? kModeDiscontinuity : kModeContinue;
    // A discontinuity re-bases the automation clock on the sample's start time.
    if (mode == kModeDiscontinuity && (timeResult == S_OK || timeResult == VFW_S_NO_STOP_TIME)) {
        SamplePosition = start * static_cast<std::int64_t>(InputFormat.nSamplesPerSec) / 10000000;
    }
    // Automation moves once per input sample, at its first frame. Whether any envelope holds
    // segments (its answer) does not matter here.
    if (CMediaParams* params = MediaParams()) params->UpdateToSamplePosition(SamplePosition);

    // A fresh buffer takes these properties; none of the setters fails for it.
    out.Get()->SetTime(timed ? &start : nullptr, hasStop ? &stop : nullptr);
    out.Get()->SetSyncPoint(sample->IsSyncPoint() == S_OK);
    out.Get()->SetDiscontinuity(mode == kModeDiscontinuity);
    LONGLONG mediaStart = 0, mediaStop = 0;
    if (sample->GetMediaTime(&mediaStart, &mediaStop) == S_OK) {
        out.Get()->SetMediaTime(&mediaStart, &mediaStop);
    }

    if (CheckOutputFormat(&InputFormat, &OutputFormat) != 0) {
        CMediaType stereo;
        hr = GetMediaType(0, &stereo);
        if (SUCCEEDED(hr)) hr = out.Get()->SetMediaType(&stereo);
        if (FAILED(hr)) return hr;
    }

    const long inAlign = InputFormat.nBlockAlign;
    const long outAlign = OutputFormat.nBlockAlign;
    for (;;) {
        BYTE* outData = nullptr;
        hr = out.Get()->GetPointer(&outData);
        if (FAILED(hr)) break;
        DWORD outFrames = static_cast<DWORD>(out.Get()->GetSize() / outAlign);
        DWORD inFrames = static_cast<DWORD>(inBytes / inAlign);
        hr = ProcessBuffers(mode, in, &inFrames, outData, &outFrames);
        const long outBytes = outAlign * static_cast<long>(outFrames);
        const long usedBytes = inAlign * static_cast<long>(inFrames);
        SamplePosition += inFrames;
        if (FAILED(hr)) break;

        hr = out.Get()->SetActualDataLength(outBytes);
        if (SUCCEEDED(hr)) hr = outputPin_->Deliver(out.Get());
        if (FAILED(hr)) break;
        // Done when the input is used up; a partial frame at its end is dropped.
        if (inBytes - usedBytes < inAlign) break;

        out.Reset();
        in += usedBytes;
        inBytes -= usedBytes;
        mode = kModeContinue;
        hr = outputPin_->GetDeliveryBuffer(out.Put(), nullptr, nullptr, 0);
        if (FAILED(hr)) break;
    }
    return hr;
}

HRESULT CHqPlugIn::EndOfStream() {
    if (!outputPin_) return S_OK;
    HRESULT failure = S_OK;
    const long outAlign = OutputFormat.nBlockAlign;
    for (;;) {
        SampleHolder out;
        HRESULT hr = outputPin_->GetDeliveryBuffer(out.Put(), nullptr, nullptr, 0);
        if (FAILED(hr)) return hr;
        BYTE* outData = nullptr;
        DWORD outFrames = static_cast<DWORD>(out.Get()->GetSize() / outAlign);
        hr = out.Get()->GetPointer(&outData);
        if (SUCCEEDED(hr)) hr = ProcessBuffers(kModeTail, nullptr, nullptr, outData, &outFrames);
        const long outBytes = outAlign * static_cast<long>(outFrames);
        if (hr == S_FALSE) {  // the tail is finished
            if (outBytes != 0) {
                failure = out.Get()->SetActualDataLength(outBytes);
                if (SUCCEEDED(failure)) failure = outputPin_->Deliver(out.Get());
                if (SUCCEEDED(failure)) failure = S_OK;
            }
            break;
        }
        if (FAILED(hr)) {
            failure = hr;
            break;
        }
        hr = out.Get()->SetActualDataLength(outBytes);
        if (SUCCEEDED(hr)) hr = outputPin_->Deliver(out.Get());
        if (FAILED(hr)) {
            failure = hr;
            break;
        }
    }
    eosDelivered_ = true;
    const HRESULT delivered = outputPin_->DeliverEndOfStream();
    return FAILED(failure) ? failure : delivered;
}

HRESULT CHqPlugIn::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_HqPlugIn;
    return S_OK;
}

HRESULT CHqPlugIn::GetPages(CAUUID* pages) {
    if (pages == nullptr) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (pages->pElems == nullptr) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_HqPlugInPropPage;
    return S_OK;
}

HRESULT CHqPlugIn::IsDirty() {
    return CAudioTransform::IsDirty();
}
HRESULT CHqPlugIn::Load(IStream* stream) {
    return CAudioTransform::Load(stream);
}
HRESULT CHqPlugIn::Save(IStream* stream, BOOL clearDirty) {
    return CAudioTransform::Save(stream, clearDirty);
}
HRESULT CHqPlugIn::GetSizeMax(ULARGE_INTEGER* size) {
    return CAudioTransform::GetSizeMax(size);
}
HRESULT CHqPlugIn::GetPresetCount(DWORD* count) {
    return CAudioTransform::GetPresetCount(count);
}
HRESULT CHqPlugIn::GetPresetName(DWORD index, LPWSTR name, int nameLength) {
    return CAudioTransform::GetPresetName(index, name, nameLength);
}
HRESULT CHqPlugIn::ApplyPreset(DWORD index) {
    return CAudioTransform::ApplyPreset(index);
}
