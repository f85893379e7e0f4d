// The reverb's signal path. The reverberator is a figure-of-eight plate tank after Dattorro,
// "Effect Design, Part 1: Reverberator and Other Filters" (J. Audio Eng. Soc., 1997), with this
// system's own line lengths, taps, signs and early-reflection pattern:
//
//   input -> high cut -> low cut -> diffuser 1 -> diffuser 2 -> diffuser 3 -> diffuser 4
//                                                            `-> reflection buffer -> 15 taps
//   -> predelay -> into both tank halves:
//   half A: (end of half B) x g -> low shelf, + input -> damping -> allpass A1 -> delay A1
//           -> x g -> allpass A2 -> delay A2
//   half B: (end of half A) x g -> low shelf, + input -> damping -> allpass B1 -> delay B1
//           -> x g -> allpass B2 -> delay B2
//   output: 7 signed, weighted taps per side from the tank, plus the reflections, mixed to
//           mid and side with the dry signal.
//
// A block is cut into runs of frames in which no tank line or tap wraps, so that every access
// of a run is a fixed pointer plus the frame's index. Each run goes through the path in passes:
// the input filters frame by frame (they recur); the diffusers and the predelay two frames at a
// time (a frame's slot holds what its line took a whole length before, never another frame's of
// the same stretch), in stretches between their own wraps; the tank frame by frame with its two
// halves side by side in one pair of lanes; then the reflections, the output taps and the mix
// two frames at a time. Every value comes from the operations, in the order, of the plain
// frame-by-frame transcription the tests keep. Runs on the streaming thread; allocates nothing.
#include "engine/ReverbCore.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

// Denormal guards: the single-precision values 1e-30 and 1e-20, added where a recursion would
// otherwise decay into subnormal numbers once the input falls silent.
constexpr double kE30 = static_cast<double>(1e-30f);
constexpr double kE20 = static_cast<double>(1e-20f);

// Frames per run at most: bounds the scratch arrays on the stack.
constexpr std::int32_t kMaxRun = 256;

// Two doubles side by side, each lane computed exactly as a scalar would be.
using Double2 = double __attribute__((vector_size(16)));
using Float2 = float __attribute__((vector_size(8)));

inline Double2 Load2(const double* p) {
    Double2 v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}
inline void Store2(double* p, Double2 v) {
    std::memcpy(p, &v, sizeof(v));
}
inline Double2 Splat(double x) {
    return Double2{x, x};
}

// The greater of a peak and a sample's magnitude, lane by lane, as std::max(peak,
// std::fabs(x)) has it (a NaN never becomes the peak).
inline Double2 Peak(Double2 peak, Double2 x) {
    using Bits2 = std::int64_t __attribute__((vector_size(16)));
    const auto magnitude = std::bit_cast<Double2>(std::bit_cast<Bits2>(x) & INT64_MAX);
    return magnitude > peak ? magnitude : peak;
}

// The greater of two peaks' lanes.
inline double Greater(Double2 peak) {
    return std::max(peak[0], peak[1]);
}

// Allpass on a delay slot: y = M - forward x; M := back y + x. For one lane or two.
template <typename T>
inline T Allpass(T& slot, T forward, T back, T x) {
    const T y = slot - forward * x;
    slot = back * y + x;
    return y;
}

// A tank half's head: a low shelf (first-order allpass split), the input added, and one-pole
// damping. For one lane or two.
template <typename T>
inline T ShelfAndDamp(T x, T& shelfIn, T& shelfOut, T& damp, T shelfCoefficient, T shelfGain,
                      T damping, T feed) {
    const T t = (x - shelfOut) * shelfCoefficient + shelfIn;
    shelfIn = x;
    shelfOut = t;
    x = x + (x + t) * shelfGain + feed;
    damp = (x - damp) * damping + damp;
    return damp;
}

// The slots of the two tank halves at one frame, one per lane, read and written together.
struct SlotPair {
    double* a;
    double* b;
    Double2 Read(std::int32_t r) const { return Double2{a[r], b[r]}; }
    void Write(std::int32_t r, Double2 v) const {
        a[r] = v[0];
        b[r] = v[1];
    }
    // A delay: what the slots held, then the new values.
    Double2 Delay(std::int32_t r, Double2 v) const {
        const Double2 out = Read(r);
        Write(r, v);
        return out;
    }
    // An allpass on the slots.
    Double2 Allpass(std::int32_t r, Double2 coefficient, Double2 x) const {
        Double2 slot = Read(r);
        const Double2 y = ::Allpass(slot, coefficient, coefficient, x);
        Write(r, slot);
        return y;
    }
};

// A sum of taps with their signed weights, in table order: at(tap) loads a tap's frames, lane()
// gives a weight for them.
template <std::size_t kCount, typename At, typename Lane>
inline auto TapSum(const double* const (&taps)[kCount], const Double2 (&weights)[kCount], At at,
                   Lane lane) {
    auto sum = at(taps[0]) * lane(weights[0]);
    for (std::size_t k = 1; k < kCount; ++k) sum = sum + at(taps[k]) * lane(weights[k]);
    return sum;
}

// The allpass of a diffuser over two frames whose slots sit side by side.
inline Double2 Allpass2(double* slots, Double2 forward, Double2 back, Double2 x) {
    Double2 m = Load2(slots);
    const Double2 y = Allpass(m, forward, back, x);
    Store2(slots, m);
    return y;
}

// Two frames of output at out: lanes 1 of left and right first (the earlier frame), lanes 0
// next.
template <typename Sample>
inline void StoreFrames(Sample* out, Double2 left, Double2 right) {
    const Double2 earlier = __builtin_shufflevector(left, right, 1, 3);
    const Double2 later = __builtin_shufflevector(left, right, 0, 2);
    if constexpr (sizeof(Sample) == sizeof(double)) {
        Store2(out, earlier);
        Store2(out + 2, later);
    } else {
        const Float2 first = __builtin_convertvector(earlier, Float2);
        const Float2 second = __builtin_convertvector(later, Float2);
        std::memcpy(out, &first, sizeof(first));
        std::memcpy(out + 2, &second, sizeof(second));
    }
}

// The tap's signed weight for loop gain g (see TankTap).
inline double TapWeight(const TankTap& tap, double g) {
    const double weight = tap.share == 0.0 ? 1.0 : (1.0 - g) * tap.share + g;
    return tap.sign < 0 ? -weight : weight;
}

inline std::int32_t Wrapped(std::int32_t position, std::int32_t length) {
    return position < 0 ? position + length : position;
}

// The position a line takes after a frame: the one its next frame writes.
inline std::int32_t Advanced(const DelayMemory& m) {
    return m.position == 0 ? m.length - 1 : m.position - 1;
}

// A tank output tap: `offset` frames behind a line's position after the run's first frame.
// Limits the run so that stepping the tap down stays inside the line. (The output mix of each
// pair of frames follows their tank steps, so a tap, at least one frame behind the writes, always
// reads what a frame-by-frame pass would.)
inline const double* TankTapPointer(const DelayMemory& m, std::int32_t offset, std::int32_t* run) {
    std::int32_t index = Advanced(m) + offset;
    if (index >= m.length) {
        index -= m.length;
        *run = std::min(*run, index + 1);
    }
    return m.data + index;
}

// Tank state, both halves side by side: lane 0 is half A, lane 1 half B.
struct TankState {
    Double2 shelfIn, shelfOut, damp;
};

// The scratch of a run: frame j of n at index n - 1 - j, so that passes over frames walk the
// delay memories upward.
struct RunScratch {
    double inLeft[kMaxRun], inRight[kMaxRun];
    double band[kMaxRun];      // after the band limit
    double diffused[kMaxRun];  // after the diffusers; then the tank's input
    double earlyLeft[kMaxRun], earlyRight[kMaxRun];
};

// The input diffusers over n frames from band to diffused, the reflection buffer taking the
// signal after the second. Cut into stretches in which no diffuser line and not the buffer
// wraps; advances their positions.
void Diffuse(const Coefficients& c, DelayMemory* lines, DelayMemory& reflections, std::int32_t n,
             RunScratch& scratch) {
    Double2 forward[4], back[4];
    for (int k = 0; k < 4; ++k) {
        forward[k] = Splat(kDiffusers[k].forwardIsC2 ? c.c2 : c.c1);
        back[k] = Splat(c.c1);
    }
    for (std::int32_t first = 0; first < n;) {
        std::int32_t count = std::min(n - first, reflections.position + 1);
        for (const Diffuser& diffuser : kDiffusers) {
            count = std::min(count, lines[diffuser.line].position + 1);
        }
        // The stretch's frames at scratch indexes from `at`, and at d[k] + r in the lines.
        const std::int32_t last = count - 1;
        const std::int32_t at = n - first - count;
        double* d[4];
        for (int k = 0; k < 4; ++k) {
            DelayMemory& line = lines[kDiffusers[k].line];
            d[k] = line.data + line.position - last;
            line.position = Wrapped(line.position - count, line.length);
        }
        double* toEarly = reflections.data + reflections.position - last;
        reflections.position = (reflections.position - count) & (reflections.capacity - 1);
        const double* in = scratch.band + at;
        double* out = scratch.diffused + at;

        std::int32_t r = 0;
        for (; r + 1 < count; r += 2) {
            Double2 y = Load2(in + r);
            y = Allpass2(d[0] + r, forward[0], back[0], y);
            y = Allpass2(d[1] + r, forward[1], back[1], y);
            Store2(toEarly + r, y);
            y = Allpass2(d[2] + r, forward[2], back[2], y);
            y = Allpass2(d[3] + r, forward[3], back[3], y);
            Store2(out + r, y);
        }
        if (r < count) {
            double y = in[r];
            y = Allpass(d[0][r], forward[0][0], back[0][0], y);
            y = Allpass(d[1][r], forward[1][0], back[1][0], y);
            toEarly[r] = y;
            y = Allpass(d[2][r], forward[2][0], back[2][0], y);
            out[r] = Allpass(d[3][r], forward[3][0], back[3][0], y);
        }
        first += count;
    }
}

// The predelay over n frames of diffused, with the denormal guard. A one-frame line (0 ms) is
// the previous frame's value; a longer one goes in stretches between its wraps.
void Predelay(DelayMemory& line, std::int32_t n, RunScratch& scratch) {
    double* q = scratch.diffused;
    if (line.length == 1) {
        const double newest = q[0];
        for (std::int32_t r = 0; r + 1 < n; ++r) q[r] = q[r + 1] + kE20;
        q[n - 1] = line.data[0] + kE20;
        line.data[0] = newest;
        return;
    }
    for (std::int32_t first = 0; first < n;) {
        const std::int32_t count = std::min(n - first, line.position + 1);
        double* slots = line.data + line.position - (count - 1);
        double* values = q + (n - first - count);
        for (std::int32_t r = 0; r < count; ++r) {
            const double delayed = slots[r];
            slots[r] = values[r];
            values[r] = delayed + kE20;
        }
        line.position = Wrapped(line.position - count, line.length);
        first += count;
    }
}

}  // namespace

void CReverbCore::Attach(int index, std::unique_ptr<double[]> data, std::int32_t capacity) {
    DelayMemory& memory = memories_[index];
    storage_[index] = std::move(data);
    memory.data = storage_[index].get();
    memory.capacity = capacity;
    memory.position = 0;
    std::fill(memory.data, memory.data + capacity, 0.0);
}

void CReverbCore::Free() {
    for (int i = 0; i < kDelayMemoryCount; ++i) {
        storage_[i].reset();
        memories_[i].data = nullptr;
        memories_[i].capacity = 0;
    }
}

void CReverbCore::ClearRoom() {
    for (int i = 0; i < kReverbLineCount; ++i) {
        DelayMemory& line = memories_[i];
        if (line.data != nullptr) std::fill(line.data, line.data + line.length, 0.0);
    }
    DelayMemory& early = memories_[kEarlyMemory];
    if (early.data != nullptr) std::fill(early.data, early.data + early.capacity, 0.0);
}

template <typename Sample>
BlockPeaks CReverbCore::Run(const Sample* input, int inputChannels, Sample* output,
                            std::uint32_t frames, double widthFactor) {
    const bool early = coefficients_.earlyGain != 0.0;
    if (input == nullptr) {
        return early ? RunFrames<Sample, 0, true>(input, output, frames, widthFactor)
                     : RunFrames<Sample, 0, false>(input, output, frames, widthFactor);
    }
    if (inputChannels == 1) {
        return early ? RunFrames<Sample, 1, true>(input, output, frames, widthFactor)
                     : RunFrames<Sample, 1, false>(input, output, frames, widthFactor);
    }
    return early ? RunFrames<Sample, 2, true>(input, output, frames, widthFactor)
                 : RunFrames<Sample, 2, false>(input, output, frames, widthFactor);
}

template <typename Sample, int kInputChannels, bool kWithEarly>
BlockPeaks CReverbCore::RunFrames(const Sample* input, Sample* output, std::uint32_t frames,
                                  double widthFactor) {
    const Coefficients& c = coefficients_;
    const double inputGain = c.inputGain, lowCut = c.lowCut, highCut = c.highCut;
    const double g = c.loopGain;
    // With the low cut on, u = (hc - ly) x 0.5 + e30 (a first-order high-pass); off, u = hc.
    // Written as one weighted sum so the loop needs no branch; scaling by 0.5 and 1 is exact.
    const bool withLowCut = lowCut != 0.0;
    const double passWeight = withLowCut ? 0.5 : 1.0;
    const double allpassWeight = withLowCut ? -0.5 : 0.0;
    const double lowCutGuard = withLowCut ? kE30 : 0.0;

    // The signed weights of the output taps and reflections, both lanes alike.
    Double2 tapWeightLeft[kTankTapCount], tapWeightRight[kTankTapCount];
    for (int k = 0; k < kTankTapCount; ++k) {
        tapWeightLeft[k] = Splat(TapWeight(kTankTapsLeft[k], g));
        tapWeightRight[k] = Splat(TapWeight(kTankTapsRight[k], g));
    }
    Double2 earlyWeightLeft[kEarlyTapsLeftCount], earlyWeightRight[kEarlyTapsRightCount];
    for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
        const double gain = c.earlyGainsLeft[k];
        earlyWeightLeft[k] = Splat(kEarlySignsLeft[k] < 0 ? -gain : gain);
    }
    for (int k = 0; k < kEarlyTapsRightCount; ++k) {
        const double gain = c.earlyGainsRight[k];
        earlyWeightRight[k] = Splat(kEarlySignsRight[k] < 0 ? -gain : gain);
    }
    const Double2 earlyGain = Splat(c.earlyGain), reverbGain = Splat(c.reverbGain);
    const Double2 dryGain = Splat(c.dryGain), width = Splat(widthFactor);

    FilterStates s = states_;
    TankState tank = {{s.shelfAIn, s.shelfBIn}, {s.shelfAOut, s.shelfBOut}, {s.dampA, s.dampB}};
    DelayMemory* m = memories_;
    DelayMemory& reflections = memories_[kEarlyMemory];
    const std::int32_t earlyMask = reflections.capacity - 1;
    // Reflections read the buffer after the run has written it, and the output taps the tank:
    // both read what a frame-by-frame pass would, as long as no tap is a whole buffer behind a
    // write of the run. A tank tap of no offset reads before its frame's write: such runs are
    // one frame long.
    std::int32_t runLimit = kMaxRun;
    std::int32_t shortestDelay = 0;
    if constexpr (kWithEarly) {
        std::int32_t longest = 0;
        shortestDelay = reflections.capacity;
        for (std::int32_t d : c.earlyDelaysLeft) {
            shortestDelay = std::min(shortestDelay, d);
            longest = std::max(longest, d);
        }
        for (std::int32_t d : c.earlyDelaysRight) {
            shortestDelay = std::min(shortestDelay, d);
            longest = std::max(longest, d);
        }
        runLimit = std::min(runLimit, reflections.capacity - longest);
    }
    for (int k = 0; k < kTankTapCount; ++k) {
        if (c.tankTapsLeft[k] == 0 || c.tankTapsRight[k] == 0) runLimit = 1;
    }

    const Double2 loop = Splat(g), t1 = Splat(c.t1), t2 = Splat(c.t2);
    const Double2 shelfCoefficient = Splat(c.shelfCoefficient);
    const Double2 shelfGain = Splat(c.shelfGain), damping = Splat(c.highDamping);
    RunScratch scratch;
    // Peaks of two frames' lanes, or of one frame's in lane 0.
    Double2 inLeftPeak = {}, inRightPeak = {}, outLeftPeak = {}, outRightPeak = {};

    for (std::uint32_t done = 0; done < frames;) {
        std::int32_t n =
            static_cast<std::int32_t>(std::min<std::uint32_t>(frames - done, runLimit));
        // The tank lines at the run's first frame. Lines whose position after the frame is read
        // (by a tap or by half B) must not wrap that either.
        double* head[kReverbLineCount] = {};
        for (int i = Line::kAllpassA1; i < kReverbLineCount; ++i) {
            const std::int32_t p = m[i].position;
            head[i] = m[i].data + p;
            const bool advancedRead = i != Line::kAllpassA1 && i != Line::kAllpassB1;
            n = std::min(n, advancedRead && p > 0 ? p : p + 1);
        }
        const double* tapLeft[kTankTapCount];
        const double* tapRight[kTankTapCount];
        for (int k = 0; k < kTankTapCount; ++k) {
            tapLeft[k] = TankTapPointer(m[kTankTapsLeft[k].line], c.tankTapsLeft[k], &n);
            tapRight[k] = TankTapPointer(m[kTankTapsRight[k].line], c.tankTapsRight[k], &n);
        }
        double* halfBFeed = m[Line::kDelayA2].data + Advanced(m[Line::kDelayA2]);

        // Reflections are read ahead of the buffer's write position at the run's first frame.
        const double* reflectionLeft[kEarlyTapsLeftCount] = {};
        const double* reflectionRight[kEarlyTapsRightCount] = {};
        if constexpr (kWithEarly) {
            const std::int32_t pE = reflections.position;
            auto tap = [&](std::int32_t delay) {
                const std::int32_t index = pE + delay;
                if (index > earlyMask) n = std::min(n, index - earlyMask);
                return reflections.data + (index & earlyMask);
            };
            for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
                reflectionLeft[k] = tap(c.earlyDelaysLeft[k]);
            }
            for (int k = 0; k < kEarlyTapsRightCount; ++k) {
                reflectionRight[k] = tap(c.earlyDelaysRight[k]);
            }
        }

        // From here on frame j of the run is at index r = n - 1 - j of the scratch and at
        // base + r of a memory whose slot for the run's first frame is `head`.
        const std::int32_t last = n - 1;
        auto base = [last](auto* head) { return head - last; };
        // Loads and weights of two frames (at r and r + 1) or of one.
        auto pair = [](std::int32_t r) { return [r](const double* p) { return Load2(p + r); }; };
        auto single = [](std::int32_t r) { return [r](const double* p) { return p[r]; }; };
        auto lanes = [](Double2 v) { return v; };
        auto lane = [](Double2 v) { return v[0]; };

        // The input and the band limit: one-pole high cut, then a first-order allpass split as
        // the low cut.
        auto inputFrame = [&](std::int32_t r) {
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
            scratch.inLeft[r] = inL;
            scratch.inRight[r] = inR;
            s.highCut = (sum - s.highCut) * highCut + s.highCut;
            s.lowCutOut = (s.highCut - s.lowCutOut) * lowCut + s.lowCutIn;
            s.lowCutIn = s.highCut;
            scratch.band[r] = s.highCut * passWeight + s.lowCutOut * allpassWeight + lowCutGuard;
        };

        // The reflections: each side's taps summed in order with their signed gains. Read
        // before the run writes the buffer when no delay is shorter than the run (beside the
        // input filters, whose recursion leaves room for them), else after.
        const double* eL[kEarlyTapsLeftCount];
        const double* eR[kEarlyTapsRightCount];
        for (int k = 0; k < kEarlyTapsLeftCount; ++k) eL[k] = base(reflectionLeft[k]);
        for (int k = 0; k < kEarlyTapsRightCount; ++k) eR[k] = base(reflectionRight[k]);
        auto reflect = [&](std::int32_t r, auto at, auto weight) {
            const auto left = TapSum(eL, earlyWeightLeft, at, weight) * weight(earlyGain);
            const auto right = TapSum(eR, earlyWeightRight, at, weight) * weight(earlyGain);
            if constexpr (std::is_same_v<decltype(left), const Double2>) {
                Store2(scratch.earlyLeft + r, left);
                Store2(scratch.earlyRight + r, right);
            } else {
                scratch.earlyLeft[r] = left;
                scratch.earlyRight[r] = right;
            }
        };
        const bool reflectFirst = kWithEarly && n <= shortestDelay;

        std::int32_t j = 0;
        for (; j + 1 < n; j += 2) {
            inputFrame(last - j);
            inputFrame(last - j - 1);
            if (reflectFirst) reflect(last - j - 1, pair(last - j - 1), lanes);
        }
        if (j < n) {
            inputFrame(0);
            if (reflectFirst) reflect(0, single(0), lane);
        }

        Diffuse(c, m, reflections, n, scratch);
        Predelay(m[kPredelayMemory], n, scratch);

        if (kWithEarly && !reflectFirst) {
            std::int32_t r = 0;
            for (; r + 1 < n; r += 2) reflect(r, pair(r), lanes);
            if (r < n) reflect(r, single(r), lane);
        }

        // The tank, frame by frame, half A in lane 0 and half B in lane 1: each half fed from
        // the end of the other (delay B2, read before B writes it this frame; delay A2 at the
        // slot A writes next frame), through its low shelf with the input and its damping,
        // allpass 1, delay 1, the loop gain and allpass 2 into delay 2.
        auto halves = [&](int a, int b) { return SlotPair{base(head[a]), base(head[b])}; };
        const SlotPair allpass1 = halves(Line::kAllpassA1, Line::kAllpassB1);
        const SlotPair delay1 = halves(Line::kDelayA1, Line::kDelayB1);
        const SlotPair allpass2 = halves(Line::kAllpassA2, Line::kAllpassB2);
        const SlotPair delay2 = halves(Line::kDelayA2, Line::kDelayB2);
        // Half A is fed from the end of delay B2 (read before B writes it this frame), half B
        // from delay A2 at the slot A writes next frame.
        const SlotPair feeds = {delay2.b, base(halfBFeed)};
        const double* q = scratch.diffused;
        auto tankFrame = [&](std::int32_t r) {
            const Double2 fed = feeds.Read(r) * loop;
            const Double2 head = ShelfAndDamp(fed, tank.shelfIn, tank.shelfOut, tank.damp,
                                              shelfCoefficient, shelfGain, damping, Splat(q[r]));
            const Double2 y = allpass1.Allpass(r, t1, head);
            const Double2 delayed = delay1.Delay(r, y) * loop;
            delay2.Write(r, allpass2.Allpass(r, t2, delayed));
        };

        // The tank outputs (read after their frames' writes), the reflections and the mid/side
        // mix with the dry signal, into the output with the peaks. Beside the tank, whose
        // recursion leaves room for them.
        const double* l[kTankTapCount];
        const double* rr[kTankTapCount];
        for (int k = 0; k < kTankTapCount; ++k) {
            l[k] = base(tapLeft[k]);
            rr[k] = base(tapRight[k]);
        }
        auto mix = [&](std::int32_t r, auto at, auto weight) {
            auto mixA = TapSum(l, tapWeightLeft, at, weight) * weight(reverbGain);
            auto mixB = TapSum(rr, tapWeightRight, at, weight) * weight(reverbGain);
            if constexpr (kWithEarly) {
                mixA = mixA + at(scratch.earlyLeft);
                mixB = mixB + at(scratch.earlyRight);
            }
            const auto mid = mixA + mixB;
            const auto side = (mixA - mixB) * weight(width);
            const auto inL = at(scratch.inLeft), inR = at(scratch.inRight);
            const auto left = inL * weight(dryGain) + mid + side;
            const auto right = inR * weight(dryGain) + mid - side;
            if constexpr (std::is_same_v<decltype(left), const Double2>) {
                StoreFrames(output + 2 * (last - r - 1), left, right);
                inLeftPeak = Peak(inLeftPeak, inL);
                inRightPeak = Peak(inRightPeak, inR);
                outLeftPeak = Peak(outLeftPeak, left);
                outRightPeak = Peak(outRightPeak, right);
            } else {
                output[2 * (last - r)] = static_cast<Sample>(left);
                output[2 * (last - r) + 1] = static_cast<Sample>(right);
                inLeftPeak = Peak(inLeftPeak, Double2{inL, 0.0});
                inRightPeak = Peak(inRightPeak, Double2{inR, 0.0});
                outLeftPeak = Peak(outLeftPeak, Double2{left, 0.0});
                outRightPeak = Peak(outRightPeak, Double2{right, 0.0});
            }
        };

        j = 0;
        for (; j + 1 < n; j += 2) {
            tankFrame(last - j);
            tankFrame(last - j - 1);
            mix(last - j - 1, pair(last - j - 1), lanes);
        }
        if (j < n) {
            tankFrame(0);
            mix(0, single(0), lane);
        }
        output += 2 * n;

        for (int i = Line::kAllpassA1; i < kReverbLineCount; ++i) {
            m[i].position = Wrapped(m[i].position - n, m[i].length);
        }
        done += static_cast<std::uint32_t>(n);
    }

    s.shelfAIn = tank.shelfIn[0];
    s.shelfBIn = tank.shelfIn[1];
    s.shelfAOut = tank.shelfOut[0];
    s.shelfBOut = tank.shelfOut[1];
    s.dampA = tank.damp[0];
    s.dampB = tank.damp[1];
    states_ = s;
    return {Greater(inLeftPeak), Greater(inRightPeak), Greater(outLeftPeak), Greater(outRightPeak)};
}

template BlockPeaks CReverbCore::Run<float>(const float*, int, float*, std::uint32_t, double);
template BlockPeaks CReverbCore::Run<double>(const double*, int, double*, std::uint32_t, double);
