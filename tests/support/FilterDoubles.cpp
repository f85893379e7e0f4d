// The test doubles of the framework and plug-in tests (see FilterDoubles.h).
#include "tests/support/FilterDoubles.h"

#include <algorithm>
#include <cstring>

#include "framework/Module.h"

namespace {

bool IsWaveAudio(const CMediaType* type) {
    return IsEqualGUID(*type->Type(), MEDIATYPE_Audio) &&
           IsEqualGUID(*type->FormatType(), FORMAT_WaveFormatEx) && type->FormatLength() >= 16;
}

Delivery DescribeSample(IMediaSample* sample) {
    Delivery d;
    const long length = sample->GetActualDataLength();
    d.timeResult = sample->GetTime(&d.start, &d.stop);
    LONGLONG mediaStart = 0, mediaStop = 0;
    d.mediaTimeResult = sample->GetMediaTime(&mediaStart, &mediaStop);
    d.discontinuity = sample->IsDiscontinuity() == S_OK;
    d.syncPoint = sample->IsSyncPoint() == S_OK;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && length > 0) d.bytes.assign(data, data + length);
    return d;
}

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

HRESULT CPassThroughFilter::CheckInputType(const CMediaType* input) {
    return IsWaveAudio(input) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPassThroughFilter::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    return position > 0 ? VFW_S_NO_MORE_ITEMS : type->Set(InputPin()->CurrentMediaType());
}

HRESULT CPassThroughFilter::DecideBufferSize(IMemAllocator* allocator,
                                             ALLOCATOR_PROPERTIES* properties) {
    ALLOCATOR_PROPERTIES request = *properties, in = {};
    if (IMemAllocator* upstream = InputPin()->Allocator()) upstream->GetProperties(&in);
    request.cBuffers = std::max({request.cBuffers, in.cBuffers, 1L});
    request.cbBuffer = std::max({request.cbBuffer, in.cbBuffer, 4096L});
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

HRESULT STDMETHODCALLTYPE CCaptureSink::Pin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    sink_->deliveries.push_back(DescribeSample(sample));
    if (static_cast<int>(sink_->deliveries.size()) == sink_->holdAt_ + 1) {
        SetEvent(sink_->held_);
        WaitForSingleObject(sink_->letGo_, 60000);  // longer means the test has failed
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCaptureSink::Pin::EndOfStream() {
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    sink_->endsOfStream.push_back(static_cast<int>(sink_->deliveries.size()));
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

std::vector<BYTE> CCaptureSink::Bytes() const {
    std::vector<BYTE> bytes;
    for (const Delivery& d : deliveries) bytes.insert(bytes.end(), d.bytes.begin(), d.bytes.end());
    return bytes;
}

bool CCaptureSink::WaitUntil(bool held, DWORD timeoutMs) const {
    return WaitForSingleObject(held ? held_ : ended_, timeoutMs) == WAIT_OBJECT_0;
}

void CCaptureSink::Clear() {
    deliveries.clear();
    endsOfStream.clear();
    for (HANDLE event : {ended_, held_, letGo_}) ResetEvent(event);
}

TransformChain::TransformChain(CTransformFilter* transform)
    : filter_(transform), input_(transform->GetPin(0)), output_(transform->GetPin(1)) {}

void TransformChain::SetUp() {
    ALLOCATOR_PROPERTIES request = {4, 65536, 1, 0}, actual = {};
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IMemAllocator, samples_.PutVoid()));
    ASSERT_EQ(S_OK, samples_->SetProperties(&request, &actual));
    ASSERT_EQ(S_OK, samples_->Commit());
}

void TransformChain::TearDown() {
    if (source_) source_->Stop();
    StopAll();
    for (CBasePin* pin : {SourcePin(), input_, output_, SinkPin()}) {
        if (pin != nullptr) pin->Disconnect();
    }
    for (IBaseFilter* filter : {static_cast<IBaseFilter*>(source_.Get()), Filter(),
                                static_cast<IBaseFilter*>(sink_.Get())}) {
        if (filter == nullptr) continue;
        filter->AddRef();
        EXPECT_EQ(1u, filter->Release()) << "disconnected, held by the test alone";
    }
    source_.Reset();
    filter_.Reset();
    sink_.Reset();
    EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
}

HRESULT TransformChain::ConnectSource(const WavAudio& audio, int blockFrames) {
    StopAll();
    if (source_) SourcePin()->Disconnect();
    input_->Disconnect();
    EXPECT_EQ(S_OK, CWavSourceFilter::Create(audio, blockFrames, source_.Put()));
    return SourcePin()->Connect(input_, nullptr);
}

HRESULT TransformChain::ConnectSink() {
    output_->Disconnect();
    SinkPin()->Disconnect();
    return output_->Connect(SinkPin(), nullptr);
}

HRESULT TransformChain::PauseAll(bool withSource) {
    HRESULT hr = sink_->Pause();
    if (SUCCEEDED(hr)) hr = filter_->Pause();
    return SUCCEEDED(hr) && withSource ? source_->Pause() : hr;
}

HRESULT TransformChain::StopAll() {
    const HRESULT hr = filter_->Stop();
    sink_->Stop();
    return hr;
}

ComPtr<IMediaSample> TransformChain::Sample(const std::vector<BYTE>& bytes, bool discontinuity) {
    ComPtr<IMediaSample> sample;
    BYTE* data = nullptr;
    EXPECT_EQ(S_OK, samples_->GetBuffer(sample.Put(), nullptr, nullptr, 0));
    sample->GetPointer(&data);
    std::memcpy(data, bytes.data(), bytes.size());
    sample->SetActualDataLength(static_cast<long>(bytes.size()));
    sample->SetDiscontinuity(discontinuity);
    sample->SetSyncPoint(FALSE);
    sample->SetTime(nullptr, nullptr);
    sample->SetMediaTime(nullptr, nullptr);
    return sample;
}

ALLOCATOR_PROPERTIES TransformChain::OutputBuffers() const {
    ALLOCATOR_PROPERTIES props = {};
    if (IMemAllocator* allocator = static_cast<CBaseOutputPin*>(output_)->Allocator()) {
        allocator->GetProperties(&props);
    }
    return props;
}
