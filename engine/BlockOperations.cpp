// The block operations: bypass, the settings taken from automation, the tail, the signal path
// (CReverbCore) and the meters and clip indicators. Run on the streaming thread; allocate
// nothing and take the lock only inside SyncFromAutomation.
#include <algorithm>

#include "engine/AudioTransform.h"

HRESULT CAudioTransform::ProcessFloat32(int mode, const float* input, DWORD* inputFrames,
                                        float* output, DWORD* outputFrames) {
    return ProcessBlock(mode, input, inputFrames, output, outputFrames);
}

HRESULT CAudioTransform::ProcessFloat64(int mode, const double* input, DWORD* inputFrames,
                                        double* output, DWORD* outputFrames) {
    return ProcessBlock(mode, input, inputFrames, output, outputFrames);
}

template <typename Sample>
HRESULT CAudioTransform::ProcessBlock(int mode, const Sample* input, DWORD* inputFrames,
                                      Sample* output, DWORD* outputFrames) {
    const bool hasInput = input != nullptr && inputFrames != nullptr;
    std::uint32_t n = hasInput ? std::min(*inputFrames, *outputFrames) : *outputFrames;
    const int inputChannels = inputFormat_ != nullptr ? inputFormat_->nChannels : 2;

    if (bypass_.load(std::memory_order_relaxed)) {
        if (hasInput) {
            for (std::uint32_t i = 0; i < n; ++i) {
                output[2 * i] = input[inputChannels * i];
                output[2 * i + 1] = input[inputChannels * i + inputChannels - 1];
            }
            *inputFrames = n;
        }
        *outputFrames = n;
        for (auto& meter : meters_) meter.store(0.0, std::memory_order_relaxed);
        if (mode == kModeTail) {
            *outputFrames = 0;
            return S_FALSE;
        }
        return S_OK;
    }

    SetupBlock snapshot;
    bool changed = SyncFromAutomation(&snapshot) != 0;
    if (!changed && automation_ != nullptr) changed = automation_->TestAndClearChanged() == S_OK;
    if (changed || !coefficientsValid_.load(std::memory_order_acquire)) {
        const HRESULT hr = RecalculateCoefficients(&snapshot, mode);
        if (FAILED(hr)) return hr;
    }

    if (mode == kModeDiscontinuity) {
        if (snapshot.words[SetupWord::kTail] == 1) {
            // The longer of the decay time and the bass decay time, in tenths of a second.
            const std::int32_t decay = snapshot.words[SetupWord::kDecay];
            const std::int32_t bassDecay = decay * snapshot.words[SetupWord::kBassMult] / 10;
            tailCounter_ = static_cast<std::int32_t>(std::int64_t{std::max(decay, bassDecay)} *
                                                     SampleRate() / 10);
        } else {
            tailCounter_ = 0;
        }
    }
    HRESULT result = S_OK;
    if (mode == kModeTail) {
        n = std::min<std::uint32_t>(n, static_cast<std::uint32_t>(tailCounter_));
        tailCounter_ -= static_cast<std::int32_t>(n);
        if (tailCounter_ == 0) result = S_FALSE;
    }

    if (!core_.Allocated()) return E_UNEXPECTED;  // not streaming

    const double widthFactor = snapshot.words[SetupWord::kWidth] * 0.01;
    const BlockPeaks p =
        core_.Run(hasInput ? input : nullptr, inputChannels, output, n, widthFactor);
    const double peaks[4] = {p.inputLeft, p.inputRight, p.outputLeft, p.outputRight};
    // A sample beyond full scale on a side is a peak above 1.0 there. (Without an input the
    // input side carries only the denormal guard.)
    if (p.inputLeft > 1.0) clipLeft_[0].store(3, std::memory_order_relaxed);
    if (p.inputRight > 1.0) clipRight_[0].store(3, std::memory_order_relaxed);
    if (p.outputLeft > 1.0) clipLeft_[2].store(3, std::memory_order_relaxed);
    if (p.outputRight > 1.0) clipRight_[2].store(3, std::memory_order_relaxed);

    // A reading of the meters sees the highest peak since the previous reading.
    // (A plain load first: the exchange, a locked instruction, only when there was a reading.)
    const bool read = metersRead_.load(std::memory_order_relaxed) != 0 &&
                      metersRead_.exchange(0, std::memory_order_relaxed) != 0;
    for (int k = 0; k < 4; ++k) {
        const double previous = meters_[k].load(std::memory_order_relaxed);
        meters_[k].store(read ? peaks[k] : std::max(previous, peaks[k]), std::memory_order_relaxed);
    }

    if (hasInput) *inputFrames = n;
    *outputFrames = n;
    return result;
}

template HRESULT CAudioTransform::ProcessBlock<float>(int, const float*, DWORD*, float*, DWORD*);
template HRESULT CAudioTransform::ProcessBlock<double>(int, const double*, DWORD*, double*, DWORD*);
