// The test doubles of the framework and plug-in tests (see FilterDoubles.h).
#include "tests/support/FilterDoubles.h"

#include <cstring>

namespace {

const AMOVIESETUP_MEDIATYPE kAudioType = {&MEDIATYPE_Audio, &MEDIASUBTYPE_NULL};
const AMOVIESETUP_PIN kPins[] = {
    {L"Input", FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, L"Output", 1, &kAudioType},
    {L"Output", FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, L"Input", 1, &kAudioType},
};

}  // namespace

CMediaType AudioType(WORD formatTag, WORD bits, WORD channels, DWORD rate) {
    CMediaType type(&MEDIATYPE_Audio);
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = formatTag;
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    const auto align = static_cast<WORD>(channels * bits / 8);
    const WAVEFORMATEX format = {formatTag, channels, rate, rate * align, align, bits, 0};
    type.SetSampleSize(align);
    type.SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof(format));
    return type;
}

const AMOVIESETUP_FILTER CPassThroughFilter::kSetup = {
    &CLSID_TestPassThrough, L"qv framework test pass-through", 0x200000, 2, kPins};

HRESULT CPassThroughFilter::DecideBufferSize(IMemAllocator* allocator,
                                             ALLOCATOR_PROPERTIES* properties) {
    ALLOCATOR_PROPERTIES request = *properties, in = {};
    if (IMemAllocator* upstream = InputPin()->Allocator();
        upstream != nullptr && SUCCEEDED(upstream->GetProperties(&in))) {
        request.cBuffers = std::max(request.cBuffers, in.cBuffers);
        request.cbBuffer = std::max(request.cbBuffer, in.cbBuffer);
    }
    request.cBuffers = std::max(request.cBuffers, 1L);
    request.cbBuffer = std::max(request.cbBuffer, 4096L);
    const HRESULT hr = allocator->SetProperties(&request, properties);
    return FAILED(hr) || properties->cbBuffer >= request.cbBuffer ? hr : E_FAIL;
}

HRESULT CPassThroughFilter::Transform(IMediaSample* in, IMediaSample* out) {
    if (++transforms == failingTransform) return E_UNEXPECTED;
    BYTE *from = nullptr, *to = nullptr;
    in->GetPointer(&from);
    out->GetPointer(&to);
    const long bytes = in->GetActualDataLength();
    if (bytes > out->GetSize()) return E_FAIL;
    std::memcpy(to, from, static_cast<std::size_t>(bytes));
    return out->SetActualDataLength(bytes);
}

CTestSource::CTestSource(const CMediaType& offered, const ALLOCATOR_PROPERTIES& buffers)
    : CBaseFilter(L"test source", nullptr, &lock_, GUID_NULL),
      type(offered),
      buffers_(buffers),
      pin_(this, &pinResult_) {
    NonDelegatingAddRef();
}

Delivery DescribeSample(IMediaSample* sample) {
    Delivery d;
    d.length = sample->GetActualDataLength();
    d.size = sample->GetSize();
    d.timeResult = sample->GetTime(&d.start, &d.stop);
    LONGLONG mediaStart = 0, mediaStop = 0;
    d.mediaTimeResult = sample->GetMediaTime(&mediaStart, &mediaStop);
    d.discontinuity = sample->IsDiscontinuity() == S_OK;
    d.syncPoint = sample->IsSyncPoint() == S_OK;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && d.length > 0) d.bytes.assign(data, data + d.length);
    return d;
}

HRESULT STDMETHODCALLTYPE CCaptureSink::Pin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    Delivery delivery = DescribeSample(sample);
    int index = 0;
    {
        CAutoLock lock(&sink_->recordLock_);
        index = static_cast<int>(sink_->deliveries_.size());
        sink_->deliveries_.push_back(std::move(delivery));
    }
    if (index == sink_->holdAt_) {
        SetEvent(sink_->held_);
        WaitForSingleObject(sink_->letGo_, 60000);  // longer means the test has failed
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCaptureSink::Pin::EndOfStream() {
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    CAutoLock lock(&sink_->recordLock_);
    sink_->endsOfStream_.push_back(static_cast<int>(sink_->deliveries_.size()));
    SetEvent(sink_->ended_);
    return S_OK;
}

HRESULT CCaptureSink::Pin::CheckMediaType(const CMediaType* type) {
    if (!IsWaveAudio(type)) return S_FALSE;
    const DWORD rate = sink_->acceptedRate_;
    return rate != 0 && WaveFormat(*type)->nSamplesPerSec != rate ? S_FALSE : S_OK;
}

CCaptureSink::CCaptureSink()
    : CBaseFilter(L"capture sink", nullptr, &lock_, GUID_NULL),
      pin_(this, &pinResult_),
      ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      held_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      letGo_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    NonDelegatingAddRef();
}

CCaptureSink::~CCaptureSink() {
    for (HANDLE event : {ended_, held_, letGo_}) CloseHandle(event);
}

std::vector<Delivery> CCaptureSink::Deliveries() const {
    CAutoLock lock(&recordLock_);
    return deliveries_;
}

std::vector<BYTE> CCaptureSink::Bytes() const {
    CAutoLock lock(&recordLock_);
    std::vector<BYTE> bytes;
    for (const Delivery& d : deliveries_) bytes.insert(bytes.end(), d.bytes.begin(), d.bytes.end());
    return bytes;
}

std::vector<int> CCaptureSink::EndsOfStream() const {
    CAutoLock lock(&recordLock_);
    return endsOfStream_;
}

bool CCaptureSink::WaitUntil(bool held, DWORD timeoutMs) const {
    return WaitForSingleObject(held ? held_ : ended_, timeoutMs) == WAIT_OBJECT_0;
}

void CCaptureSink::Clear() {
    CAutoLock lock(&recordLock_);
    deliveries_.clear();
    endsOfStream_.clear();
    for (HANDLE event : {ended_, held_, letGo_}) ResetEvent(event);
}
