// The test's upstream filter (see TestSource.h).
#include "tests/plugin/TestSource.h"

#include <new>

CMediaType AudioType(WORD formatTag, WORD bits, WORD channels, DWORD rate) {
    CMediaType type(&MEDIATYPE_Audio);
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = formatTag;
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    type.SetTemporalCompression(false);
    WAVEFORMATEX format = {};
    format.wFormatTag = formatTag;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    format.cbSize = 0;
    type.SetSampleSize(format.nBlockAlign);
    type.SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof(format));
    return type;
}

WAVEFORMATEX* WaveFormat(const CMediaType& type) {
    return reinterpret_cast<WAVEFORMATEX*>(type.Format());
}

CTestSourcePin::CTestSourcePin(CTestSource* source, CCritSec* lock, HRESULT* hr)
    : CBaseOutputPin(L"test source output pin", source, lock, hr, L"Output"), source_(source) {}

CTestSourcePin::~CTestSourcePin() = default;

HRESULT CTestSourcePin::CheckMediaType(const CMediaType* type) {
    return *type == source_->OfferedType() ? S_OK : S_FALSE;
}

HRESULT CTestSourcePin::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return type->Set(source_->OfferedType());
}

HRESULT CTestSourcePin::DecideBufferSize(IMemAllocator* allocator,
                                         ALLOCATOR_PROPERTIES* properties) {
    ALLOCATOR_PROPERTIES request = source_->Buffers();
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = allocator->SetProperties(&request, &actual);
    if (FAILED(hr)) return hr;
    if (actual.cbBuffer < request.cbBuffer) return E_FAIL;
    *properties = actual;
    return S_OK;
}

HRESULT CTestSource::Create(const CMediaType& type, const ALLOCATOR_PROPERTIES& buffers,
                            CTestSource** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    auto* source = new (std::nothrow) CTestSource(type, buffers);
    if (source == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    source->pin_.reset(new (std::nothrow) CTestSourcePin(source, &source->filterLock_, &hr));
    if (!source->pin_ || !source->type_.IsValid()) {
        delete source;
        return E_OUTOFMEMORY;
    }
    source->NonDelegatingAddRef();
    *out = source;
    return S_OK;
}

CTestSource::CTestSource(const CMediaType& type, const ALLOCATOR_PROPERTIES& buffers)
    : CBaseFilter(L"test source", nullptr, &filterLock_, CLSID_QvTestSource),
      type_(type),
      buffers_(buffers) {}

CTestSource::~CTestSource() = default;

CBasePin* CTestSource::GetPin(int n) {
    return n == 0 ? pin_.get() : nullptr;
}
