// Construction, delay-memory lifecycle, format helpers, editor notices and built-in presets of
// the engine.
#include "engine/AudioTransform.h"

#include <algorithm>
#include <new>

#include "engine/BuiltinPresets.h"

CAudioTransform::CAudioTransform(HRESULT* status, AutomationFactory createAutomation) {
    if (status != nullptr && SUCCEEDED(*status) && createAutomation != nullptr) {
        IEngineAutomation* automation = nullptr;
        *status = createAutomation(&automation, this);
        automation_ = SUCCEEDED(*status) ? automation : nullptr;
    }
}

CAudioTransform::~CAudioTransform() {
    ReleaseBuffers();
    if (automation_ != nullptr) {
        IEngineAutomation* automation = automation_;
        automation_ = nullptr;
        automation->Release();
    }
}

// Coefficients need a rate even when none is agreed; a rate the engine refuses to stream gets the
// same stand-in, so that no derivation works with it.
int CAudioTransform::SampleRate() const {
    if (inputFormat_ == nullptr || !IsSupportedSampleRate(inputFormat_->nSamplesPerSec)) {
        return 44100;
    }
    return static_cast<int>(inputFormat_->nSamplesPerSec);
}

double* CAudioTransform::AllocateDelayMemory(std::size_t frames) {
    return new (std::nothrow) double[frames];
}

HRESULT CAudioTransform::AllocateMemory(int index, std::int32_t frames) {
    double* data = AllocateDelayMemory(static_cast<std::size_t>(frames));
    if (data == nullptr) {
        FreeBuffers();
        return E_OUTOFMEMORY;
    }
    core_.Attach(index, std::unique_ptr<double[]>(data), frames);
    return S_OK;
}

HRESULT CAudioTransform::AllocateBuffers(const WAVEFORMATEX* input, const WAVEFORMATEX* output) {
    // No rate, or one whose memories the engine cannot count.
    if (input != nullptr && input->nSamplesPerSec == 0) return E_INVALIDARG;
    if (input != nullptr && !IsSupportedSampleRate(input->nSamplesPerSec)) return E_OUTOFMEMORY;
    inputFormat_ = input;
    outputFormat_ = output;
    const std::int32_t fs = SampleRate();

    for (int i = 0; i < kReverbLineCount; ++i) {
        HRESULT hr =
            AllocateMemory(i, std::max(MinimumLineLength(i),
                                       ScaleFrames(kLineBaseLengths[i], fs, kLineReferenceRate)));
        if (FAILED(hr)) return hr;
    }
    HRESULT hr =
        AllocateMemory(kPredelayMemory, std::max(1, ScaleFrames(kPredelayCapacityMs, fs, 1000)));
    if (FAILED(hr)) return hr;

    // A power of two more than twice the longest reflection, so taps wrap by a mask (a
    // reflection is at least one frame long, so at least four frames).
    auto earlyFrames =
        static_cast<std::int32_t>(fs * kEarlyBufferReferenceFrames / kEarlyReferenceRate);
    int bits = 0;
    while (earlyFrames != 0) {
        earlyFrames >>= 1;
        ++bits;
    }
    hr = AllocateMemory(kEarlyMemory, std::int32_t{1} << std::max(bits + 1, 2));
    if (FAILED(hr)) return hr;

    for (int k = 0; k < kTankTapCount; ++k) {
        core_.Derived().tankTapsLeft[k] =
            ScaleFrames(kTankTapsLeft[k].offset, fs, kLineReferenceRate);
        core_.Derived().tankTapsRight[k] =
            ScaleFrames(kTankTapsRight[k].offset, fs, kLineReferenceRate);
    }
    lastClearedRoomSize_ = 0;
    ResetMeters();
    core_.ResetStates();

    SetupBlock snapshot;
    SyncFromAutomation(&snapshot);
    return RecalculateCoefficients(&snapshot, kModeContinue);
}

HRESULT CAudioTransform::ReleaseBuffers() {
    FreeBuffers();
    for (auto& meter : meters_) meter.store(0.0, std::memory_order_relaxed);
    return S_OK;
}

void CAudioTransform::FreeBuffers() {
    core_.Free();
}

void CAudioTransform::ResetMeters() {
    for (int k = 0; k < 4; ++k) {
        clipLeft_[k].store(0, std::memory_order_relaxed);
        clipRight_[k].store(0, std::memory_order_relaxed);
        meters_[k].store(0.0, std::memory_order_relaxed);
    }
}

int CAudioTransform::CheckOutputFormat(const WAVEFORMATEX* /*input*/, const WAVEFORMATEX* output) {
    int undetermined = -1;
    stereo_.compare_exchange_strong(undetermined, 1, std::memory_order_relaxed);
    return (output != nullptr && output->nChannels == 2) ? 0 : 1;
}

HRESULT CAudioTransform::DeriveOutputFormat(WAVEFORMATEX* format) {
    format->nChannels = 2;
    format->nBlockAlign = static_cast<WORD>((format->wBitsPerSample / 8) * 2);
    format->nAvgBytesPerSec = static_cast<DWORD>(format->nBlockAlign) * format->nSamplesPerSec;
    return S_OK;
}

HRESULT CAudioTransform::NegotiateBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* props) {
    if (inputFormat_ != nullptr && outputFormat_ != nullptr && inputFormat_->nChannels == 1 &&
        outputFormat_->nChannels == 2) {
        props->cbBuffer *= 2;
    }
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = allocator->SetProperties(props, &actual);
    if (FAILED(hr)) return hr;
    *props = actual;
    if (actual.cbBuffer < 512) return E_FAIL;
    return hr;
}

void CAudioTransform::SetFormatRecord(int direction, const WAVEFORMATEX* format) {
    if (direction == 0) {
        inputFormat_ = format;
    } else {
        outputFormat_ = format;
    }
}

void CAudioTransform::NotifyEditors(int code) {
    CAutoLock guard(&lock_);
    for (NotifySlot& slot : notifySlots_) {
        if (slot.window == nullptr) continue;
        if (IsWindow(slot.window)) {
            PostMessageA(slot.window, WM_COMMAND,
                         MAKEWPARAM(static_cast<WORD>(slot.commandId), static_cast<WORD>(code)), 0);
        } else {
            slot = NotifySlot{};
        }
    }
}

HRESULT CAudioTransform::ApplyPreset(DWORD index) {
    if (index >= kBuiltinPresetCount) return E_INVALIDARG;
    HRESULT hr = SetAllParams(&kBuiltinPresets[index].block);
    if (FAILED(hr)) return hr;
    // A preset always turns Stereo on; switching it cannot fail.
    SetStereo(1, FALSE);
    return hr;
}
