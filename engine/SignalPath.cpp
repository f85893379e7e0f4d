// The reverb's signal path and the block operations around it. The reverberator is a
// figure-of-eight plate tank after Dattorro, "Effect Design, Part 1: Reverberator and Other
// Filters" (J. Audio Eng. Soc., 1997), with this system's own line lengths, taps, signs and
// early-reflection pattern. Runs on the streaming thread; allocates nothing and takes the lock
// only inside SyncFromAutomation.
#include <algorithm>
#include <cmath>

#include "engine/AudioTransform.h"

namespace {

// Denormal guards: the single-precision values 1e-30 and 1e-20, added where a recursion would
// otherwise decay into subnormal numbers once the input falls silent.
constexpr double kE30 = static_cast<double>(1e-30f);
constexpr double kE20 = static_cast<double>(1e-20f);

// A delay memory in use: the write position moves down by one per frame; a tap at offset k
// reads k frames behind the next write, wrapping by one subtraction.
struct Line {
    double* data;
    std::int32_t length;
    std::int32_t position;

    double& Head() { return data[position]; }
    void Advance() { position = (position == 0 ? length : position) - 1; }
    double Tap(std::int32_t offset) const {
        std::int32_t i = position + offset;
        if (i >= length) i -= length;
        return data[i];
    }
};

// Allpass on a delay line: feed-forward coefficient `forward`, feedback coefficient `back`.
inline double Allpass(Line& line, double forward, double back, double x) {
    const double y = line.Head() - forward * x;
    line.Head() = back * y + x;
    line.Advance();
    return y;
}

// Low shelf (first-order allpass split) and one-pole damping of one tank half.
inline double ShelfAndDamp(double x, double& shelfIn, double& shelfOut, double& damp,
                           double shelfCoefficient, double shelfGain, double dampCoefficient,
                           double feed) {
    const double t = (x - shelfOut) * shelfCoefficient + shelfIn;
    shelfIn = x;
    shelfOut = t;
    x = x + (x + t) * shelfGain + feed;
    damp = (x - damp) * dampCoefficient + damp;
    return damp;
}

inline double Weight(double g, double k) { return (1.0 - g) * k + g; }

}  // namespace

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
            tailCounter_ = std::max(decay, bassDecay) * SampleRate() / 10;
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

    const double widthFactor = snapshot.words[SetupWord::kWidth] * 0.01;
    double peaks[4] = {0.0, 0.0, 0.0, 0.0};
    if (!hasInput) {
        RunFrames<Sample, 0>(nullptr, output, n, widthFactor, peaks);
    } else if (inputChannels == 1) {
        RunFrames<Sample, 1>(input, output, n, widthFactor, peaks);
    } else {
        RunFrames<Sample, 2>(input, output, n, widthFactor, peaks);
    }

    // A reading of the meters sees the highest peak since the previous reading.
    const bool read = metersRead_.exchange(0, std::memory_order_relaxed) != 0;
    for (int k = 0; k < 4; ++k) {
        const double previous = meters_[k].load(std::memory_order_relaxed);
        meters_[k].store(read ? peaks[k] : std::max(previous, peaks[k]),
                         std::memory_order_relaxed);
    }

    if (hasInput) *inputFrames = n;
    *outputFrames = n;
    return result;
}

template <typename Sample, int kInputChannels>
void CAudioTransform::RunFrames(const Sample* input, Sample* output, std::uint32_t frames,
                                double widthFactor, double peaks[4]) {
    const Coefficients& c = coefficients_;
    const double inputGain = c.inputGain, dryGain = c.dryGain, reverbGain = c.reverbGain;
    const double earlyGain = c.earlyGain;
    const double lowCut = c.lowCut, highCut = c.highCut, highDamping = c.highDamping;
    const double g = c.loopGain, c1 = c.c1, c2 = c.c2, t1 = c.t1, t2 = c.t2;
    const double shelfGain = c.shelfGain, shelfCoefficient = c.shelfCoefficient;
    const double w25 = Weight(g, 0.25), w50 = Weight(g, 0.5), w60 = Weight(g, 0.6);
    const double w70 = Weight(g, 0.7), w20 = Weight(g, 0.2);
    const std::int32_t* aL = c.tankTapsLeft;
    const std::int32_t* aR = c.tankTapsRight;
    const std::int32_t* dL = c.earlyDelaysLeft;
    const std::int32_t* dR = c.earlyDelaysRight;
    const double* gL = c.earlyGainsLeft;
    const double* gR = c.earlyGainsRight;

    FilterStates s = states_;
    Line L[kReverbLineCount];
    for (int i = 0; i < kReverbLineCount; ++i) {
        L[i] = Line{memories_[i].data, memories_[i].length, memories_[i].position};
    }
    Line predelay{memories_[kPredelayMemory].data, memories_[kPredelayMemory].length,
                  memories_[kPredelayMemory].position};
    double* early = memories_[kEarlyMemory].data;
    const std::int32_t mask = memories_[kEarlyMemory].capacity - 1;
    std::int32_t pE = memories_[kEarlyMemory].position;

    double pinL = 0, pinR = 0, poutL = 0, poutR = 0;
    bool clipInL = false, clipInR = false, clipOutL = false, clipOutR = false;

    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        double inL, inR, sum;
        if constexpr (kInputChannels == 2) {
            inL = input[0] * inputGain;
            inR = input[1] * inputGain;
            sum = (inL + inR) * 0.5 + kE30;
            input += 2;
        } else if constexpr (kInputChannels == 1) {
            sum = input[0] * inputGain + kE30;
            inL = inR = sum;
            input += 1;
        } else {
            inL = inR = sum = kE30;
        }
        if constexpr (kInputChannels != 0) {
            clipInL |= inL > 1.0 || inL < -1.0;
            clipInR |= inR > 1.0 || inR < -1.0;
        }
        pinL = std::max(pinL, std::fabs(inL));
        pinR = std::max(pinR, std::fabs(inR));

        // Band limit: one-pole high cut, then a first-order allpass split as the low cut.
        s.highCut = (sum - s.highCut) * highCut + s.highCut;
        s.lowCutOut = (s.highCut - s.lowCutOut) * lowCut + s.lowCutIn;
        s.lowCutIn = s.highCut;
        const double u = lowCut != 0.0 ? (s.highCut - s.lowCutOut) * 0.5 + kE30 : s.highCut;

        // Early reflections, read before this frame enters their buffer.
        double erL = 0.0, erR = 0.0;
        if (earlyGain != 0.0) {
            auto tap = [early, mask, pE](std::int32_t d) { return early[(pE + d) & mask]; };
            erL = (+tap(dL[0]) * gL[0] + tap(dL[1]) * gL[1] - tap(dL[2]) * gL[2] +
                   tap(dL[3]) * gL[3] + tap(dL[4]) * gL[4] + tap(dL[5]) * gL[5] +
                   tap(dL[6]) * gL[6]) *
                  earlyGain;
            erR = (+tap(dR[0]) * gR[0] - tap(dR[1]) * gR[1] + tap(dR[2]) * gR[2] +
                   tap(dR[3]) * gR[3] - tap(dR[4]) * gR[4] + tap(dR[5]) * gR[5] +
                   tap(dR[6]) * gR[6] - tap(dR[7]) * gR[7]) *
                  earlyGain;
        }

        // Input diffusers; the early-reflection buffer takes the signal between the pairs.
        const double y0 = Allpass(L[0], c1, c1, u);
        const double y1 = Allpass(L[1], c2, c1, y0);
        early[pE] = y1;
        pE = (pE - 1) & mask;
        const double y2 = Allpass(L[2], c1, c1, y1);
        const double y3 = Allpass(L[3], c2, c1, y2);

        double q = predelay.Head();
        predelay.Head() = y3;
        predelay.Advance();
        q += kE20;

        // Tank half A: fed back from the end of half B (L11, read before it is written).
        double a = ShelfAndDamp(L[11].Head() * g, s.shelfAIn, s.shelfAOut, s.dampA,
                                shelfCoefficient, shelfGain, highDamping, q);
        double y = Allpass(L[4], t1, t1, a);
        a = L[5].Head();
        L[5].Head() = y;
        L[5].Advance();
        y = Allpass(L[6], t2, t2, a * g);
        L[7].Head() = y;
        L[7].Advance();

        // Tank half B: fed from the end of half A (L7, at the slot written next frame).
        double b = ShelfAndDamp(L[7].Head() * g, s.shelfBIn, s.shelfBOut, s.dampB,
                                shelfCoefficient, shelfGain, highDamping, q);
        y = Allpass(L[8], t1, t1, b);
        b = L[9].Head();
        L[9].Head() = y;
        L[9].Advance();
        y = Allpass(L[10], t2, t2, b * g);
        L[11].Head() = y;
        L[11].Advance();

        const double wetL = +L[9].Tap(aL[0]) - w25 * L[9].Tap(aL[1]) - w70 * L[10].Tap(aL[2]) -
                            w20 * L[11].Tap(aL[3]) + w60 * L[5].Tap(aL[4]) + L[6].Tap(aL[5]) +
                            w50 * L[7].Tap(aL[6]);
        const double wetR = +L[5].Tap(aR[0]) + w25 * L[5].Tap(aR[1]) - w70 * L[6].Tap(aR[2]) -
                            w20 * L[7].Tap(aR[3]) - w60 * L[9].Tap(aR[4]) + L[10].Tap(aR[5]) +
                            w50 * L[11].Tap(aR[6]);

        // Mid/side mix of the wet signal with the dry one.
        const double mixA = wetL * reverbGain + erL;
        const double mixB = wetR * reverbGain + erR;
        const double mid = mixA + mixB;
        const double side = (mixA - mixB) * widthFactor;
        const double outL = inL * dryGain + mid + side;
        const double outR = inR * dryGain + mid - side;

        clipOutL |= outL > 1.0 || outL < -1.0;
        clipOutR |= outR > 1.0 || outR < -1.0;
        output[0] = static_cast<Sample>(outL);
        output[1] = static_cast<Sample>(outR);
        output += 2;
        poutL = std::max(poutL, std::fabs(outL));
        poutR = std::max(poutR, std::fabs(outR));
    }

    states_ = s;
    for (int i = 0; i < kReverbLineCount; ++i) memories_[i].position = L[i].position;
    memories_[kPredelayMemory].position = predelay.position;
    memories_[kEarlyMemory].position = pE;

    peaks[0] = pinL;
    peaks[1] = pinR;
    peaks[2] = poutL;
    peaks[3] = poutR;
    if (clipInL) clipLeft_[0].store(3, std::memory_order_relaxed);
    if (clipInR) clipRight_[0].store(3, std::memory_order_relaxed);
    if (clipOutL) clipLeft_[2].store(3, std::memory_order_relaxed);
    if (clipOutR) clipRight_[2].store(3, std::memory_order_relaxed);
}

template HRESULT CAudioTransform::ProcessBlock<float>(int, const float*, DWORD*, float*, DWORD*);
template HRESULT CAudioTransform::ProcessBlock<double>(int, const double*, DWORD*, double*,
                                                       DWORD*);
