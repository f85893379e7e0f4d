// The WAV source filter and its streaming thread.
#include "tools/dxhost/WavSourceFilter.h"

#include <evcode.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "framework/ComPtr.h"

namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10000000;
constexpr long kBufferCount = 4;

// The sub type of a wave format tag: the tag in the first field of the audio base GUID.
GUID SubtypeOfTag(WORD tag) {
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = tag;
    return subtype;
}

}  // namespace

CWavSourcePin::CWavSourcePin(CWavSourceFilter* filter, CCritSec* lock, HRESULT* hr)
    : CBaseOutputPin(L"WAV source output pin", filter, lock, hr, L"Output"), source_(filter) {}

CWavSourcePin::~CWavSourcePin() {
    stopping_ = true;
    if (allocator_) allocator_->Decommit();
    if (thread_.joinable()) thread_.join();
}

HRESULT CWavSourcePin::CheckMediaType(const CMediaType* type) {
    CMediaType own;
    const HRESULT hr = source_->FileMediaType(&own);
    if (FAILED(hr)) return hr;
    return *type == own ? S_OK : S_FALSE;
}

HRESULT CWavSourcePin::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return source_->FileMediaType(type);
}

HRESULT CWavSourcePin::DecideBufferSize(IMemAllocator* allocator,
                                        ALLOCATOR_PROPERTIES* properties) {
    const WORD frameBytes = source_->audio_.format.nBlockAlign;
    ALLOCATOR_PROPERTIES request = *properties;
    request.cBuffers = std::max(request.cBuffers, kBufferCount);
    request.cbBuffer = source_->blockFrames_ * frameBytes;
    request.cbAlign = std::max(request.cbAlign, 1L);
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = allocator->SetProperties(&request, &actual);
    if (FAILED(hr)) return hr;
    // A buffer must hold at least one frame; smaller buffers than asked only make more
    // samples.
    if (actual.cbBuffer < frameBytes) return E_FAIL;
    *properties = actual;
    return S_OK;
}

HRESULT CWavSourcePin::Active() {
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    if (thread_.joinable()) thread_.join();  // a finished run's thread
    stopping_ = false;
    source_->samplesDelivered_ = 0;
    source_->streamResult_ = S_OK;
    try {
        thread_ = std::thread(&CWavSourcePin::Stream, this);
    } catch (...) {
        CBaseOutputPin::Inactive();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CWavSourcePin::Inactive() {
    stopping_ = true;
    // Wakes the thread if it waits for a buffer; it sees stopping_ and ends.
    const HRESULT hr = CBaseOutputPin::Inactive();
    if (thread_.joinable()) thread_.join();
    return hr;
}

void CWavSourcePin::Stream() {
    const WavAudio& audio = source_->audio_;
    const std::size_t frameBytes = audio.format.nBlockAlign;
    const std::size_t blockBytes = static_cast<std::size_t>(source_->blockFrames_) * frameBytes;
    const REFERENCE_TIME rate = audio.format.nSamplesPerSec;
    std::size_t offset = 0;
    REFERENCE_TIME frame = 0;
    HRESULT hr = S_OK;
    while (!stopping_ && offset < audio.data.size()) {
        ComPtr<IMediaSample> sample;
        hr = GetDeliveryBuffer(sample.Put(), nullptr, nullptr, 0);
        if (FAILED(hr)) break;
        BYTE* buffer = nullptr;
        sample->GetPointer(&buffer);
        std::size_t room = static_cast<std::size_t>(sample->GetSize());
        room -= room % frameBytes;
        const std::size_t bytes = std::min({room, blockBytes, audio.data.size() - offset});
        if (bytes == 0) {
            hr = VFW_E_BUFFER_OVERFLOW;
            break;
        }
        std::memcpy(buffer, audio.data.data() + offset, bytes);
        sample->SetActualDataLength(static_cast<long>(bytes));
        const auto frames = static_cast<REFERENCE_TIME>(bytes / frameBytes);
        REFERENCE_TIME start = frame * kUnitsPerSecond / rate;
        REFERENCE_TIME stop = (frame + frames) * kUnitsPerSecond / rate;
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(offset == 0);
        hr = Deliver(sample.Get());
        if (hr != S_OK) break;  // a failure, or S_FALSE: downstream takes no more
        ++source_->samplesDelivered_;
        offset += bytes;
        frame += frames;
    }
    if (stopping_) return;  // stopped by the graph: nothing more to say downstream
    if (FAILED(hr)) {
        source_->streamResult_ = hr;
        source_->NotifyEvent(EC_ERRORABORT, hr, 0);
    }
    DeliverEndOfStream();
}

HRESULT CWavSourceFilter::Create(WavAudio audio, int blockFrames, CWavSourceFilter** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!CheckWaveFormat(audio.format).empty() || blockFrames <= 0) return E_INVALIDARG;
    auto* filter = new (std::nothrow) CWavSourceFilter(std::move(audio), blockFrames);
    if (filter == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    filter->pin_.reset(new (std::nothrow) CWavSourcePin(filter, &filter->filterLock_, &hr));
    if (!filter->pin_) {
        delete filter;
        return E_OUTOFMEMORY;
    }
    filter->NonDelegatingAddRef();
    *out = filter;
    return S_OK;
}

CWavSourceFilter::CWavSourceFilter(WavAudio audio, int blockFrames)
    : CBaseFilter(L"WAV source", nullptr, &filterLock_, CLSID_QvWavSource),
      audio_(std::move(audio)),
      blockFrames_(blockFrames) {}

CWavSourceFilter::~CWavSourceFilter() = default;

CBasePin* CWavSourceFilter::GetPin(int n) {
    return n == 0 ? pin_.get() : nullptr;
}

HRESULT CWavSourceFilter::FileMediaType(CMediaType* type) const {
    type->InitMediaType();
    type->SetType(&MEDIATYPE_Audio);
    const GUID subtype = SubtypeOfTag(audio_.format.wFormatTag);
    type->SetSubtype(&subtype);
    type->SetFormatType(&FORMAT_WaveFormatEx);
    type->SetTemporalCompression(false);
    type->SetSampleSize(audio_.format.nBlockAlign);
    WAVEFORMATEX format = audio_.format;
    format.cbSize = 0;
    if (!type->SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof(format))) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
