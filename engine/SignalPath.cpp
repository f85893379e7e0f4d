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

// Runs of frames. Every delay position moves down by one per frame, so for a stretch of frames
// in which no position or tap wraps, every access is a fixed pointer minus the frame number. The
// block is cut into such runs; each run sets its pointers up once (with the wrap applied) and
// computes how many frames they stay valid, at least one.
constexpr std::uint32_t kMaxRun = 256;  // frames; bounds the run's scratch arrays on the stack

inline std::uint32_t Bound(std::int32_t frames) {
    return static_cast<std::uint32_t>(frames);
}

// Pointer to the tank output tap `offset` frames behind a line's advanced position, limiting
// the run so that stepping it down stays inside the line, and so that a wrapped tap, read after
// the run, never meets a slot the run writes after the frame that reads it.
inline const double* TapPointer(const DelayMemory& m, std::int32_t advanced, std::int32_t offset,
                                std::uint32_t* run) {
    std::int32_t index = advanced + offset;
    if (index >= m.length) {
        index -= m.length;
        *run = std::min({*run, Bound(index + 1), Bound(m.length - offset + 1)});
    }
    return m.data + index;
}

// Allpass on a delay line: y = M - forward x; M := back y + x.
inline double Allpass(double* slot, double forward, double back, double x) {
    const double y = *slot - forward * x;
    *slot = back * y + x;
    return y;
}

// Low shelf (first-order allpass split), the predelayed input, and one-pole damping: the head
// of one tank half.
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

inline double Weight(double g, double k) {
    return (1.0 - g) * k + g;
}

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

    if (memories_[0].data == nullptr) return E_UNEXPECTED;  // not streaming

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
        meters_[k].store(read ? peaks[k] : std::max(previous, peaks[k]), std::memory_order_relaxed);
    }

    if (hasInput) *inputFrames = n;
    *outputFrames = n;
    return result;
}

template <typename Sample, int kInputChannels>
void CAudioTransform::RunFrames(const Sample* input, Sample* output, std::uint32_t frames,
                                double widthFactor, double peaks[4]) {
    if (coefficients_.earlyGain != 0.0) {
        RunTank<Sample, kInputChannels, true>(input, output, frames, widthFactor, peaks);
    } else {
        RunTank<Sample, kInputChannels, false>(input, output, frames, widthFactor, peaks);
    }
}

template <typename Sample, int kInputChannels, bool kWithEarly>
void CAudioTransform::RunTank(const Sample* input, Sample* output, std::uint32_t frames,
                              double widthFactor, double peaks[4]) {
    const Coefficients& c = coefficients_;
    const double inputGain = c.inputGain, dryGain = c.dryGain, reverbGain = c.reverbGain;
    const double earlyGain = c.earlyGain;
    const double lowCut = c.lowCut, highCut = c.highCut, highDamping = c.highDamping;
    const double g = c.loopGain, c1 = c.c1, c2 = c.c2, t1 = c.t1, t2 = c.t2;
    const double shelfGain = c.shelfGain, shelfCoefficient = c.shelfCoefficient;
    const double w25 = Weight(g, 0.25), w50 = Weight(g, 0.5), w60 = Weight(g, 0.6);
    const double w70 = Weight(g, 0.7), w20 = Weight(g, 0.2);
    // With the low cut on, u = (hc - ly) x 0.5 + e30 (a first-order high-pass); off, u = hc.
    // Written as one weighted sum so the loop needs no branch; scaling by 0.5 and 1 is exact.
    const bool withLowCut = lowCut != 0.0;
    const double passWeight = withLowCut ? 0.5 : 1.0;
    const double allpassWeight = withLowCut ? -0.5 : 0.0;
    const double lowCutGuard = withLowCut ? kE30 : 0.0;

    FilterStates s = states_;
    DelayMemory* m = memories_;
    DelayMemory& predelay = memories_[kPredelayMemory];
    DelayMemory& early = memories_[kEarlyMemory];
    const std::int32_t earlyMask = early.capacity - 1;
    // A one-frame predelay (the usual 0 ms setting) is kept in a register.
    const bool unitPredelay = predelay.length == 1;
    double predelayed = predelay.data[0];

    // The reflections of a run are read before the run writes their buffer, and the tank
    // outputs after it has written the lines. Both are exact as long as no tap reads a slot
    // that the run writes on the wrong side of its read: reflections need run <= the shortest
    // delay (any run of one frame is fine), tank taps need a non-zero offset.
    std::uint32_t tapRunLimit = kMaxRun;
    if constexpr (kWithEarly) {
        for (std::int32_t d : c.earlyDelaysLeft) tapRunLimit = std::min(tapRunLimit, Bound(d));
        for (std::int32_t d : c.earlyDelaysRight) tapRunLimit = std::min(tapRunLimit, Bound(d));
    }
    for (int k = 0; k < kTankTapCount; ++k) {
        if (c.tankTapsLeft[k] == 0 || c.tankTapsRight[k] == 0) tapRunLimit = 1;
    }
    tapRunLimit = std::max<std::uint32_t>(tapRunLimit, 1);

    double inLeft[kMaxRun], inRight[kMaxRun];
    double earlyLeft[kMaxRun], earlyRight[kMaxRun];
    double outLeft[kMaxRun], outRight[kMaxRun];

    double pinL = 0, pinR = 0, poutL = 0, poutR = 0;

    for (std::uint32_t done = 0; done < frames;) {
        std::uint32_t run = std::min(frames - done, tapRunLimit);
        // Each line's write position at the run's first frame; the taps and half B read the
        // position after the frame's advance.
        double* head[kReverbLineCount];
        for (int i = 0; i < kReverbLineCount; ++i) {
            const std::int32_t p = m[i].position;
            head[i] = m[i].data + p;
            // Lines whose advanced position is read must not wrap it either.
            const bool advancedRead = i == 5 || i == 6 || i == 7 || i >= 9;
            run = std::min(run, advancedRead && p > 0 ? Bound(p) : Bound(p + 1));
        }
        const std::int32_t* aL = c.tankTapsLeft;
        const std::int32_t* aR = c.tankTapsRight;
        auto advancedOf = [m](int i) {
            const std::int32_t p = m[i].position;
            return p == 0 ? m[i].length - 1 : p - 1;
        };
        const double* tapL[kTankTapCount] = {TapPointer(m[9], advancedOf(9), aL[0], &run),
                                             TapPointer(m[9], advancedOf(9), aL[1], &run),
                                             TapPointer(m[10], advancedOf(10), aL[2], &run),
                                             TapPointer(m[11], advancedOf(11), aL[3], &run),
                                             TapPointer(m[5], advancedOf(5), aL[4], &run),
                                             TapPointer(m[6], advancedOf(6), aL[5], &run),
                                             TapPointer(m[7], advancedOf(7), aL[6], &run)};
        const double* tapR[kTankTapCount] = {TapPointer(m[5], advancedOf(5), aR[0], &run),
                                             TapPointer(m[5], advancedOf(5), aR[1], &run),
                                             TapPointer(m[6], advancedOf(6), aR[2], &run),
                                             TapPointer(m[7], advancedOf(7), aR[3], &run),
                                             TapPointer(m[9], advancedOf(9), aR[4], &run),
                                             TapPointer(m[10], advancedOf(10), aR[5], &run),
                                             TapPointer(m[11], advancedOf(11), aR[6], &run)};
        const double* halfBFeed = m[7].data + advancedOf(7);

        double* predelayHead = predelay.data + predelay.position;
        if (!unitPredelay) run = std::min(run, Bound(predelay.position + 1));

        // Early reflections are read at the buffer's write position before each frame enters.
        const std::int32_t pE = early.position;
        double* earlyHead = early.data + pE;
        run = std::min(run, Bound(pE + 1));
        const double* erL[kEarlyTapsLeftCount] = {};
        const double* erR[kEarlyTapsRightCount] = {};
        if constexpr (kWithEarly) {
            auto earlyTap = [&](std::int32_t delay) {
                const std::int32_t index = pE + delay;
                if (index > earlyMask) run = std::min(run, Bound(index - earlyMask));
                return early.data + (index & earlyMask);
            };
            for (int k = 0; k < kEarlyTapsLeftCount; ++k) erL[k] = earlyTap(c.earlyDelaysLeft[k]);
            for (int k = 0; k < kEarlyTapsRightCount; ++k) erR[k] = earlyTap(c.earlyDelaysRight[k]);
        }
        const auto n = static_cast<std::int32_t>(run);

        // Scratch arrays hold the run's frames in reverse (index n - 1 - j for frame j), so
        // that the passes over taps walk memory upward.
        const std::int32_t last = n - 1;
        if constexpr (kWithEarly) {
            const double* gL = c.earlyGainsLeft;
            const double* gR = c.earlyGainsRight;
            const double *e0 = erL[0] - last, *e1 = erL[1] - last, *e2 = erL[2] - last,
                         *e3 = erL[3] - last, *e4 = erL[4] - last, *e5 = erL[5] - last,
                         *e6 = erL[6] - last;
            const double *f0 = erR[0] - last, *f1 = erR[1] - last, *f2 = erR[2] - last,
                         *f3 = erR[3] - last, *f4 = erR[4] - last, *f5 = erR[5] - last,
                         *f6 = erR[6] - last, *f7 = erR[7] - last;
            for (std::int32_t r = 0; r < n; ++r) {
                earlyLeft[r] = (+e0[r] * gL[0] + e1[r] * gL[1] - e2[r] * gL[2] + e3[r] * gL[3] +
                                e4[r] * gL[4] + e5[r] * gL[5] + e6[r] * gL[6]) *
                               earlyGain;
                earlyRight[r] = (+f0[r] * gR[0] - f1[r] * gR[1] + f2[r] * gR[2] + f3[r] * gR[3] -
                                 f4[r] * gR[4] + f5[r] * gR[5] + f6[r] * gR[6] - f7[r] * gR[7]) *
                                earlyGain;
            }
        }

        // The recursive part: input, band limit, diffusers, predelay and the tank.
        for (std::int32_t j = 0; j < n; ++j) {
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
            inLeft[last - j] = inL;
            inRight[last - j] = inR;

            // Band limit: one-pole high cut, then a first-order allpass split as the low cut.
            s.highCut = (sum - s.highCut) * highCut + s.highCut;
            s.lowCutOut = (s.highCut - s.lowCutOut) * lowCut + s.lowCutIn;
            s.lowCutIn = s.highCut;
            const double u = s.highCut * passWeight + s.lowCutOut * allpassWeight + lowCutGuard;

            // Input diffusers; the early-reflection buffer takes the signal between the pairs.
            const double y0 = Allpass(head[0] - j, c1, c1, u);
            const double y1 = Allpass(head[1] - j, c2, c1, y0);
            earlyHead[-j] = y1;
            const double y2 = Allpass(head[2] - j, c1, c1, y1);
            const double y3 = Allpass(head[3] - j, c2, c1, y2);

            double q;
            if (unitPredelay) {
                q = predelayed;
                predelayed = y3;
            } else {
                q = predelayHead[-j];
                predelayHead[-j] = y3;
            }
            q += kE20;

            // Tank half A: fed back from the end of half B (L11, read before it is written).
            double a = ShelfAndDamp(head[11][-j] * g, s.shelfAIn, s.shelfAOut, s.dampA,
                                    shelfCoefficient, shelfGain, highDamping, q);
            double y = Allpass(head[4] - j, t1, t1, a);
            a = head[5][-j];
            head[5][-j] = y;
            y = Allpass(head[6] - j, t2, t2, a * g);
            head[7][-j] = y;

            // Tank half B: fed from the end of half A (L7, at the slot written next frame).
            double b = ShelfAndDamp(halfBFeed[-j] * g, s.shelfBIn, s.shelfBOut, s.dampB,
                                    shelfCoefficient, shelfGain, highDamping, q);
            y = Allpass(head[8] - j, t1, t1, b);
            b = head[9][-j];
            head[9][-j] = y;
            y = Allpass(head[10] - j, t2, t2, b * g);
            head[11][-j] = y;
        }

        // Tank outputs (as read after each frame's writes) and the mid/side mix with the dry
        // signal.
        const double *l0 = tapL[0] - last, *l1 = tapL[1] - last, *l2 = tapL[2] - last,
                     *l3 = tapL[3] - last, *l4 = tapL[4] - last, *l5 = tapL[5] - last,
                     *l6 = tapL[6] - last;
        const double *r0 = tapR[0] - last, *r1 = tapR[1] - last, *r2 = tapR[2] - last,
                     *r3 = tapR[3] - last, *r4 = tapR[4] - last, *r5 = tapR[5] - last,
                     *r6 = tapR[6] - last;
        for (std::int32_t r = 0; r < n; ++r) {
            const double wetL = +l0[r] - w25 * l1[r] - w70 * l2[r] - w20 * l3[r] + w60 * l4[r] +
                                l5[r] + w50 * l6[r];
            const double wetR = +r0[r] + w25 * r1[r] - w70 * r2[r] - w20 * r3[r] - w60 * r4[r] +
                                r5[r] + w50 * r6[r];
            double mixA = wetL * reverbGain;
            double mixB = wetR * reverbGain;
            if constexpr (kWithEarly) {
                mixA += earlyLeft[r];
                mixB += earlyRight[r];
            }
            const double mid = mixA + mixB;
            const double side = (mixA - mixB) * widthFactor;
            outLeft[r] = inLeft[r] * dryGain + mid + side;
            outRight[r] = inRight[r] * dryGain + mid - side;
        }
        for (std::int32_t j = 0; j < n; ++j) {
            const double inL = inLeft[last - j], inR = inRight[last - j];
            const double outL = outLeft[last - j], outR = outRight[last - j];
            output[2 * j] = static_cast<Sample>(outL);
            output[2 * j + 1] = static_cast<Sample>(outR);
            pinL = std::max(pinL, std::fabs(inL));
            pinR = std::max(pinR, std::fabs(inR));
            poutL = std::max(poutL, std::fabs(outL));
            poutR = std::max(poutR, std::fabs(outR));
        }
        output += 2 * run;

        for (int i = 0; i < kReverbLineCount; ++i) {
            const std::int32_t p = m[i].position - n;
            m[i].position = p < 0 ? p + m[i].length : p;
        }
        if (!unitPredelay) {
            const std::int32_t p = predelay.position - n;
            predelay.position = p < 0 ? p + predelay.length : p;
        }
        early.position = (pE - n) & earlyMask;
        done += run;
    }

    if (unitPredelay) predelay.data[0] = predelayed;
    states_ = s;
    peaks[0] = pinL;
    peaks[1] = pinR;
    peaks[2] = poutL;
    peaks[3] = poutR;
    // A sample beyond full scale on a side is a peak above 1.0 there. (Without an input the
    // input side carries only the denormal guard.)
    if (pinL > 1.0) clipLeft_[0].store(3, std::memory_order_relaxed);
    if (pinR > 1.0) clipRight_[0].store(3, std::memory_order_relaxed);
    if (poutL > 1.0) clipLeft_[2].store(3, std::memory_order_relaxed);
    if (poutR > 1.0) clipRight_[2].store(3, std::memory_order_relaxed);
}

template HRESULT CAudioTransform::ProcessBlock<float>(int, const float*, DWORD*, float*, DWORD*);
template HRESULT CAudioTransform::ProcessBlock<double>(int, const double*, DWORD*, double*, DWORD*);
