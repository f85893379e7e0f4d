// The transform filter: pins, state changes and the default sample path.
#include "framework/TransformFilter.h"

#include <new>

#include "framework/ComPtr.h"
#include "framework/TransformPins.h"

CTransformFilter::CTransformFilter(const WCHAR* name, IUnknown* outer, REFCLSID clsid)
    : CBaseFilter(name, outer, &filterLock_, clsid) {}

CTransformFilter::~CTransformFilter() = default;

int CTransformFilter::GetPinCount() {
    return 2;
}

CBasePin* CTransformFilter::GetPin(int n) {
    {
        CAutoLock lock(&filterLock_);
        if (!inputPin_) {
            HRESULT hr = S_OK;
            inputPin_.reset(new (std::nothrow)
                                CTransformInputPin(L"transform input pin", this, &hr, L"Input"));
            if (FAILED(hr)) inputPin_.reset();
        }
        if (inputPin_ && !outputPin_) {
            HRESULT hr = S_OK;
            outputPin_.reset(new (std::nothrow) CTransformOutputPin(L"transform output pin", this,
                                                                    &hr, L"Output"));
            if (FAILED(hr)) outputPin_.reset();
            // Both pins or neither.
            if (!outputPin_) inputPin_.reset();
        }
    }
    if (n == 0) return inputPin_.get();
    if (n == 1) return outputPin_.get();
    return nullptr;
}

bool CTransformFilter::InputConnected() const {
    return inputPin_ && inputPin_->IsConnected();
}

bool CTransformFilter::OutputConnected() const {
    return outputPin_ && outputPin_->IsConnected();
}

HRESULT STDMETHODCALLTYPE CTransformFilter::Stop() {
    CAutoLock lock(&filterLock_);
    if (IsStopped()) return S_OK;
    // The filter stops whatever the pins answer; the first failure is reported.
    HRESULT hr = S_OK;
    const auto keep = [&hr](HRESULT result) {
        if (SUCCEEDED(hr)) hr = result;
    };
    if (!InputConnected() || !OutputConnected()) {
        // Streaming never started (Pause only marked the state).
        if (InputConnected()) keep(inputPin_->Inactive());
        state_ = State_Stopped;
        eosDelivered_ = false;
        return hr;
    }
    // An upstream thread waiting for an input buffer returns once the allocator is
    // decommitted; a sample in progress finishes before the receive lock is ours.
    keep(inputPin_->Inactive());
    CAutoLock receiving(&receiveLock_);
    keep(outputPin_->Inactive());
    keep(StopStreaming());
    state_ = State_Stopped;
    eosDelivered_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE CTransformFilter::Pause() {
    CAutoLock lock(&filterLock_);
    HRESULT hr = S_OK;
    if (!InputConnected()) {
        // Nothing will ever arrive: tell downstream at once so that the graph can complete.
        // A downstream pin that refuses it (not paused yet) is no reason to refuse the pause.
        if (OutputConnected() && !eosDelivered_) {
            outputPin_->DeliverEndOfStream();
            eosDelivered_ = true;
        }
        state_ = State_Paused;
    } else if (!OutputConnected()) {
        state_ = State_Paused;
    } else {
        const bool starting = IsStopped();
        if (starting) {
            CAutoLock receiving(&receiveLock_);
            hr = StartStreaming();
        }
        if (SUCCEEDED(hr)) {
            hr = CBaseFilter::Pause();
            if (FAILED(hr) && starting) {
                // Undone; the failure to report is the pins'.
                CAutoLock receiving(&receiveLock_);
                StopStreaming();
            }
        }
    }
    sampleSkipped_ = false;
    return hr;
}

HRESULT CTransformFilter::Transform(IMediaSample*, IMediaSample*) {
    return E_UNEXPECTED;
}

HRESULT CTransformFilter::StartStreaming() {
    return S_OK;
}

HRESULT CTransformFilter::StopStreaming() {
    return S_OK;
}

HRESULT CTransformFilter::AlterQuality(Quality) {
    return S_FALSE;
}

HRESULT CTransformFilter::SetMediaType(PIN_DIRECTION, const CMediaType*) {
    return S_OK;
}

HRESULT CTransformFilter::CheckConnect(PIN_DIRECTION, IPin*) {
    return S_OK;
}

HRESULT CTransformFilter::BreakConnect(PIN_DIRECTION) {
    return S_OK;
}

HRESULT CTransformFilter::CompleteConnect(PIN_DIRECTION, IPin*) {
    return S_OK;
}

HRESULT CTransformFilter::InitializeOutputSample(IMediaSample* sample, IMediaSample** out) {
    *out = nullptr;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const HRESULT timed = sample->GetTime(&start, &stop);
    const bool hasStart = timed == S_OK || timed == VFW_S_NO_STOP_TIME;
    const bool hasStop = timed == S_OK;
    ComPtr<IMediaSample> buffer;
    HRESULT hr = outputPin_->GetDeliveryBuffer(buffer.Put(), hasStart ? &start : nullptr,
                                               hasStop ? &stop : nullptr,
                                               sampleSkipped_ ? AM_GBF_PREVFRAMESKIPPED : 0);
    if (FAILED(hr)) return hr;

    // A fresh buffer takes these properties; none of the setters fails for it.
    buffer->SetTime(hasStart ? &start : nullptr, hasStop ? &stop : nullptr);
    buffer->SetSyncPoint(sample->IsSyncPoint() == S_OK);
    buffer->SetDiscontinuity(sample->IsDiscontinuity() == S_OK || sampleSkipped_);
    buffer->SetPreroll(sample->IsPreroll() == S_OK);
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    if (sample->GetMediaTime(&mediaStart, &mediaStop) == S_OK) {
        buffer->SetMediaTime(&mediaStart, &mediaStop);
    } else {
        buffer->SetMediaTime(nullptr, nullptr);
    }
    *out = buffer.Detach();
    return S_OK;
}

HRESULT CTransformFilter::Receive(IMediaSample* sample) {
    ComPtr<IMediaSample> out;
    HRESULT hr = InitializeOutputSample(sample, out.Put());
    if (FAILED(hr)) return hr;
    hr = Transform(sample, out.Get());
    if (hr == S_OK) {
        sampleSkipped_ = false;
        return outputPin_->Deliver(out.Get());
    }
    if (hr == S_FALSE) {
        // Skipped on purpose: the next delivered sample is marked as a discontinuity.
        sampleSkipped_ = true;
        return S_OK;
    }
    return hr;
}

HRESULT CTransformFilter::EndOfStream() {
    eosDelivered_ = true;
    return outputPin_->DeliverEndOfStream();
}

HRESULT CTransformFilter::BeginFlush() {
    return outputPin_->DeliverBeginFlush();
}

HRESULT CTransformFilter::EndFlush() {
    return outputPin_->DeliverEndFlush();
}

HRESULT CTransformFilter::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    return OutputConnected() ? outputPin_->DeliverNewSegment(start, stop, rate) : S_OK;
}
