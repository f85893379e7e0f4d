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
// The frames go in runs in which no tank line, output tap or reflection wraps, so that every
// access of a run is a fixed pointer less the frame's index; a run goes on across blocks until
// its next wrap. Each block's part of a run goes through the path in passes: the input filters
// frame by frame (they recur); the diffusers and the predelay several frames at a time (within
// a stretch between their own wraps a frame's slot holds what its line took a whole length
// before, never another frame's of the stretch); the tank frame by frame with its two halves
// side by side in one pair of lanes; and beside it the reflections, the output taps and the mix,
// several frames at a time. Where the processor has AVX the passes over frames take four frames
// at a time, else two. Every value comes from the operations, in the order, of the plain
// frame-by-frame transcription the tests keep, so the output is the same either way. Runs on
// the streaming thread; allocates nothing.
#include "engine/ReverbCore.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

// Everything a run calls is forced inline, so that the four-lane run, compiled for AVX, takes
// its helpers with it. (Their vector arguments never cross a call, so GCC's note on the ABI of
// such arguments does not apply; the build turns it off for this file.)
#define QV_INLINE [[gnu::always_inline]] inline
#define QV_INLINE_LAMBDA __attribute__((always_inline))

namespace {

// Denormal guards: the single-precision values 1e-30 and 1e-20, added where a recursion would
// otherwise decay into subnormal numbers once the input falls silent.
constexpr double kE30 = static_cast<double>(1e-30f);
constexpr double kE20 = static_cast<double>(1e-20f);

// Frames per run at most: bounds the scratch arrays on the stack.
constexpr std::int32_t kMaxRun = 256;

// Two or four doubles side by side, each lane computed exactly as a scalar would be. The tank's
// halves take two lanes; the passes over frames take two or four frames at a time.
using Double2 = double __attribute__((vector_size(16)));
using Double4 = double __attribute__((vector_size(32)));
using Float2 = float __attribute__((vector_size(8)));
using Float4 = float __attribute__((vector_size(16)));

template <typename V>
constexpr int kLanes = sizeof(V) / sizeof(double);

template <typename V>
QV_INLINE V Load(const double* p) {
    V v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}
// From a 16-byte aligned address, so that the load can be an instruction's operand.
template <typename V>
QV_INLINE V LoadAligned(const double* p) {
    return Load<V>(static_cast<const double*>(__builtin_assume_aligned(p, 16)));
}
template <typename V>
QV_INLINE void Store(double* p, V v) {
    std::memcpy(p, &v, sizeof(v));
}
QV_INLINE Double2 Splat(double x) {
    return Double2{x, x};
}

// The greater of a peak and a sample's magnitude, lane by lane, as std::max(peak,
// std::fabs(x)) has it (a NaN never becomes the peak).
template <typename V>
QV_INLINE V Peak(V peak, V x) {
    using Bits = decltype(x < x);
    const auto magnitude = std::bit_cast<V>(std::bit_cast<Bits>(x) & INT64_MAX);
    return magnitude > peak ? magnitude : peak;
}

// The greatest of a peak's lanes.
template <typename V>
QV_INLINE double Greatest(V peak) {
    double greatest = peak[0];
    for (int k = 1; k < kLanes<V>; ++k) greatest = std::max(greatest, peak[k]);
    return greatest;
}

// Allpass on a delay slot: y = M - forward x; M := back y + x. For one lane or several.
template <typename T>
QV_INLINE T Allpass(T& slot, T forward, T back, T x) {
    const T y = slot - forward * x;
    slot = back * y + x;
    return y;
}

// The allpass of a diffuser over frames whose slots sit side by side, or over one frame.
template <typename V>
QV_INLINE V AllpassFrames(double* slots, V forward, V back, V x) {
    if constexpr (std::is_same_v<V, double>) {
        return Allpass(*slots, forward, back, x);
    } else {
        V m = Load<V>(slots);
        const V y = Allpass(m, forward, back, x);
        Store(slots, m);
        return y;
    }
}

// A tank half's head: a low shelf (first-order allpass split), the input added, and one-pole
// damping. For one lane or two.
template <typename T>
QV_INLINE T ShelfAndDamp(T x, T& shelfIn, T& shelfOut, T& damp, T shelfCoefficient, T shelfGain,
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
    QV_INLINE Double2 Read(std::int32_t r) const { return Double2{a[r], b[r]}; }
    QV_INLINE void Write(std::int32_t r, Double2 v) const {
        a[r] = v[0];
        b[r] = v[1];
    }
    // A delay: what the slots held, then the new values.
    QV_INLINE Double2 Delay(std::int32_t r, Double2 v) const {
        const Double2 out = Read(r);
        Write(r, v);
        return out;
    }
    // An allpass on the slots.
    QV_INLINE Double2 Allpass(std::int32_t r, Double2 coefficient, Double2 x) const {
        Double2 slot = Read(r);
        const Double2 y = ::Allpass(slot, coefficient, coefficient, x);
        Write(r, slot);
        return y;
    }
};

// A sum of taps with their signed weights (each repeated for four lanes), in table order, over
// the frames at r and on (as many as V has lanes), or over the one frame at r when V is double.
template <typename V, std::size_t kCount>
QV_INLINE V TapSum(const double* const (&taps)[kCount], const double (&weights)[kCount][4],
                   std::int32_t r) {
    auto term = [&](std::size_t k) QV_INLINE_LAMBDA {
        if constexpr (std::is_same_v<V, double>) {
            return taps[k][r] * weights[k][0];
        } else {
            return Load<V>(taps[k] + r) * LoadAligned<V>(weights[k]);
        }
    };
    V sum = term(0);
    for (std::size_t k = 1; k < kCount; ++k) sum = sum + term(k);
    return sum;
}

// The frames at r and on of a scratch array, or the one at r.
template <typename V>
QV_INLINE V At(const double* p, std::int32_t r) {
    if constexpr (std::is_same_v<V, double>) {
        return p[r];
    } else {
        return Load<V>(p + r);
    }
}
template <typename V>
QV_INLINE void Put(double* p, std::int32_t r, V v) {
    if constexpr (std::is_same_v<V, double>) {
        p[r] = v;
    } else {
        Store(p + r, v);
    }
}

// A value repeated for four lanes, as V.
template <typename V>
QV_INLINE V Lanes(const double (&x)[4]) {
    if constexpr (std::is_same_v<V, double>) {
        return x[0];
    } else {
        return LoadAligned<V>(x);
    }
}

// Frames of output at out, the earliest first: lane k of left and right is frame
// lanes - 1 - k.
template <typename Sample, typename V>
QV_INLINE void StoreFrames(Sample* out, V left, V right) {
    if constexpr (kLanes<V> == 2) {
        const Double2 earlier = __builtin_shufflevector(left, right, 1, 3);
        const Double2 later = __builtin_shufflevector(left, right, 0, 2);
        if constexpr (sizeof(Sample) == sizeof(double)) {
            Store(out, earlier);
            Store(out + 2, later);
        } else {
            const Float2 first = __builtin_convertvector(earlier, Float2);
            const Float2 second = __builtin_convertvector(later, Float2);
            std::memcpy(out, &first, sizeof(first));
            std::memcpy(out + 2, &second, sizeof(second));
        }
    } else {
        const Double4 earlier = __builtin_shufflevector(left, right, 3, 7, 2, 6);
        const Double4 later = __builtin_shufflevector(left, right, 1, 5, 0, 4);
        if constexpr (sizeof(Sample) == sizeof(double)) {
            Store(out, earlier);
            Store(out + 4, later);
        } else {
            const Float4 first = __builtin_convertvector(earlier, Float4);
            const Float4 second = __builtin_convertvector(later, Float4);
            std::memcpy(out, &first, sizeof(first));
            std::memcpy(out + 4, &second, sizeof(second));
        }
    }
}

// Calls step(lanes, j) for frames j of n, in order: V's lanes of frames at a time while at most
// `widest` fit, then two (where V has four), then one; lanes is a V, a Double2 or a double.
template <typename V, typename Step>
QV_INLINE void Groups(std::int32_t n, std::int32_t widest, Step step) {
    std::int32_t j = 0;
    if (widest >= kLanes<V>) {
        for (; j + kLanes<V> <= n; j += kLanes<V>) step(V{}, j);
    }
    if constexpr (kLanes < V >> 2) {
        if (widest >= 2 && j + 2 <= n) {
            step(Double2{}, j);
            j += 2;
        }
    }
    for (; j < n; ++j) step(0.0, j);
}

// A group's lanes as the first lanes of a wider vector, the rest zero.
template <typename V, typename T>
QV_INLINE V Widen(T x) {
    if constexpr (std::is_same_v<T, V>) {
        return x;
    } else if constexpr (std::is_same_v<T, double>) {
        V v = {};
        v[0] = x;
        return v;
    } else {
        return __builtin_shufflevector(x, Double2{}, 0, 1, 2, 3);
    }
}

// The tap's signed weight for loop gain g (see TankTap).
double TapWeight(const TankTap& tap, double g) {
    const double weight = tap.share == 0.0 ? 1.0 : (1.0 - g) * tap.share + g;
    return tap.sign < 0 ? -weight : weight;
}

QV_INLINE std::int32_t Wrapped(std::int32_t position, std::int32_t length) {
    return position < 0 ? position + length : position;
}

// The position a line takes after a frame: the one its next frame writes.
QV_INLINE std::int32_t Advanced(const DelayMemory& m) {
    return m.position == 0 ? m.length - 1 : m.position - 1;
}

// A tank output tap: `offset` frames behind a line's position after the run's first frame.
// Limits the run so that stepping the tap down stays inside the line.
QV_INLINE const double* TankTapPointer(const DelayMemory& m, std::int32_t offset,
                                       std::int32_t* run) {
    std::int32_t index = Advanced(m) + offset;
    if (index >= m.length) {
        index -= m.length;
        *run = std::min(*run, index + 1);
    }
    return m.data + index;
}

// How many frames' taps can be read together after their tank steps: a tap `offset` behind a
// line's position after frame j reads the slot that frame j + i writes when offset = 1 - i
// (modulo the length), so a group must end before the first such i.
std::int32_t SafeGroup(std::int32_t offset, std::int32_t length) {
    const std::int32_t i = ((1 - offset) % length + length) % length;
    return i == 0 ? length : i;
}

// Tank state, both halves side by side: lane 0 is half A, lane 1 half B.
struct TankState {
    Double2 shelfIn, shelfOut, damp;
};

// The scratch of a run, filled from its end: frame j at index kMaxRun - 1 - j, so that passes
// over frames walk it and the delay memories upward.
struct RunScratch {
    double inLeft[kMaxRun], inRight[kMaxRun];
    double band[kMaxRun];      // after the band limit
    double diffused[kMaxRun];  // after the diffusers; then the tank's input
    double earlyLeft[kMaxRun], earlyRight[kMaxRun];
};

// The input diffusers over n frames from band to diffused (the run's frames, the last first),
// the reflection buffer taking the signal after the second; V's lanes of frames at a time, then
// fewer. Cut into stretches in which no diffuser line and not the buffer wraps; advances their
// positions.
template <typename V>
QV_INLINE void Diffuse(const RunPlan& plan, DelayMemory* lines, DelayMemory& reflections,
                       std::int32_t n, const double* band, double* diffused) {
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
        const double* in = band + at;
        double* out = diffused + at;

        auto frames = [&](auto lanes, std::int32_t r) QV_INLINE_LAMBDA {
            using T = decltype(lanes);
            auto diffuser = [&](int k, T x) QV_INLINE_LAMBDA {
                return AllpassFrames(d[k] + r, Lanes<T>(plan.diffuserForward[k]),
                                     Lanes<T>(plan.diffuserBack), x);
            };
            T y = At<T>(in, r);
            y = diffuser(1, diffuser(0, y));
            Put(toEarly, r, y);
            Put(out, r, diffuser(3, diffuser(2, y)));
        };
        Groups<V>(count, kLanes<V>, frames);
        first += count;
    }
}

// The predelay over n frames of q (the last first), with the denormal guard. A one-frame line
// (0 ms) is the previous frame's value; a longer one goes in stretches between its wraps.
QV_INLINE void Predelay(DelayMemory& line, std::int32_t n, double* q) {
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

bool CReverbCore::WideFramesAvailable() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
#else
    return false;
#endif
}

void CReverbCore::Attach(int index, std::unique_ptr<double[]> data, std::int32_t capacity) {
    DelayMemory& memory = memories_[index];
    storage_[index] = std::move(data);
    memory.data = storage_[index].get();
    memory.capacity = capacity;
    memory.position = 0;
    std::fill(memory.data, memory.data + capacity, 0.0);
    planned_ = false;
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

void CReverbCore::Plan() {
    const Coefficients& c = coefficients_;
    RunPlan& p = plan_;
    p.mixGroup = 4;
    for (int k = 0; k < kTankTapCount; ++k) {
        std::fill_n(p.tankWeightsLeft[k], 4, TapWeight(kTankTapsLeft[k], c.loopGain));
        std::fill_n(p.tankWeightsRight[k], 4, TapWeight(kTankTapsRight[k], c.loopGain));
        p.mixGroup = std::min(
            {p.mixGroup, SafeGroup(c.tankTapsLeft[k], memories_[kTankTapsLeft[k].line].length),
             SafeGroup(c.tankTapsRight[k], memories_[kTankTapsRight[k].line].length)});
    }
    for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
        const double gain = c.earlyGainsLeft[k];
        std::fill_n(p.earlyWeightsLeft[k], 4, kEarlySignsLeft[k] < 0 ? -gain : gain);
    }
    for (int k = 0; k < kEarlyTapsRightCount; ++k) {
        const double gain = c.earlyGainsRight[k];
        std::fill_n(p.earlyWeightsRight[k], 4, kEarlySignsRight[k] < 0 ? -gain : gain);
    }
    for (int k = 0; k < 4; ++k) {
        std::fill_n(p.diffuserForward[k], 4, kDiffusers[k].forwardIsC2 ? c.c2 : c.c1);
    }
    std::fill_n(p.diffuserBack, 4, c.c1);  // every diffuser's back coefficient
    std::fill_n(p.earlyGain, 4, c.earlyGain);
    std::fill_n(p.reverbGain, 4, c.reverbGain);
    std::fill_n(p.dryGain, 4, c.dryGain);
    // Reflections read the buffer after the run has written it: they read what a
    // frame-by-frame pass would as long as no tap is a whole buffer behind a write of the run.
    std::int32_t longest = 0;
    p.shortestDelay = memories_[kEarlyMemory].capacity;
    for (std::int32_t d : c.earlyDelaysLeft) {
        longest = std::max(longest, d);
        p.shortestDelay = std::min(p.shortestDelay, d);
    }
    for (std::int32_t d : c.earlyDelaysRight) {
        longest = std::max(longest, d);
        p.shortestDelay = std::min(p.shortestDelay, d);
    }
    p.runLimit = std::clamp(memories_[kEarlyMemory].capacity - longest, 1, kMaxRun);
    // The memories may have changed under a run in progress: the next frame opens a new one.
    run_ = OpenRun{};
    planned_ = true;
}

struct CReverbCore::Runs {
    // Four frames at a time: the same runs compiled for AVX, chosen only where the processor
    // has it.
    template <typename Sample>
#if defined(__x86_64__) || defined(__i386__)
    __attribute__((target("avx")))
#endif
    static BlockPeaks
    Wide(CReverbCore& core, const Sample* input, int inputChannels, Sample* output,
         std::uint32_t frames, double widthFactor) {
        return With<Sample, Double4>(core, input, inputChannels, output, frames, widthFactor);
    }

    template <typename Sample, typename Frames>
    QV_INLINE static BlockPeaks With(CReverbCore& core, const Sample* input, int inputChannels,
                                     Sample* output, std::uint32_t frames, double widthFactor) {
        if (input == nullptr)
            return Block<Sample, 0, Frames>(core, input, output, frames, widthFactor);
        if (inputChannels == 1) {
            return Block<Sample, 1, Frames>(core, input, output, frames, widthFactor);
        }
        return Block<Sample, 2, Frames>(core, input, output, frames, widthFactor);
    }

    QV_INLINE static void OpenNext(CReverbCore& core, OpenRun& run);

    template <typename Sample, int kInputChannels, typename Frames>
    QV_INLINE static BlockPeaks Block(CReverbCore& core, const Sample* input, Sample* output,
                                      std::uint32_t frames, double widthFactor);
};

// Opens the run that starts at the memories' present positions: as long as the plan allows and
// no tank line, output tap or reflection wraps in it.
QV_INLINE void CReverbCore::Runs::OpenNext(CReverbCore& core, OpenRun& run) {
    const Coefficients& c = core.coefficients_;
    DelayMemory* m = core.memories_;
    std::int32_t n = core.plan_.runLimit;
    // Lines whose position after the frame is read (by a tap or by half B) must not wrap that
    // either.
    for (int i = Line::kAllpassA1; i < kReverbLineCount; ++i) {
        const std::int32_t p = m[i].position;
        run.head[i] = m[i].data + p;
        const bool advancedRead = i != Line::kAllpassA1 && i != Line::kAllpassB1;
        n = std::min(n, advancedRead && p > 0 ? p : p + 1);
    }
    for (int k = 0; k < kTankTapCount; ++k) {
        run.tankTapsLeft[k] = TankTapPointer(m[kTankTapsLeft[k].line], c.tankTapsLeft[k], &n);
        run.tankTapsRight[k] = TankTapPointer(m[kTankTapsRight[k].line], c.tankTapsRight[k], &n);
    }
    run.halfBFeed = m[Line::kDelayA2].data + Advanced(m[Line::kDelayA2]);
    // Reflections are read ahead of the buffer's write position at the run's first frame.
    const DelayMemory& reflections = m[kEarlyMemory];
    const std::int32_t earlyMask = reflections.capacity - 1;
    // Each read steps down from its slot for the run's first frame and must not pass slot 0.
    auto tap = [&](std::int32_t delay) QV_INLINE_LAMBDA {
        const std::int32_t index = (reflections.position + delay) & earlyMask;
        n = std::min(n, index + 1);
        return reflections.data + index;
    };
    for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
        run.reflectionsLeft[k] = tap(c.earlyDelaysLeft[k]);
    }
    for (int k = 0; k < kEarlyTapsRightCount; ++k) {
        run.reflectionsRight[k] = tap(c.earlyDelaysRight[k]);
    }
    run.length = n;
    run.done = 0;
}

template <typename Sample, int kInputChannels, typename Frames>
QV_INLINE BlockPeaks CReverbCore::Runs::Block(CReverbCore& core, const Sample* input,
                                              Sample* output, std::uint32_t frames,
                                              double widthFactor) {
    const Coefficients& c = core.coefficients_;
    const RunPlan& plan = core.plan_;
    // Without reflections (muted) their passes are left out.
    const bool withEarly = c.earlyGain != 0.0;
    const double inputGain = c.inputGain, lowCut = c.lowCut, highCut = c.highCut;
    // With the low cut on, u = (hc - ly) x 0.5 + e30 (a first-order high-pass); off, u = hc.
    // Written as one weighted sum so the loop needs no branch; scaling by 0.5 and 1 is exact.
    const bool withLowCut = lowCut != 0.0;
    const double passWeight = withLowCut ? 0.5 : 1.0;
    const double allpassWeight = withLowCut ? -0.5 : 0.0;
    const double lowCutGuard = withLowCut ? kE30 : 0.0;

    FilterStates s = core.states_;
    TankState tank = {{s.shelfAIn, s.shelfBIn}, {s.shelfAOut, s.shelfBOut}, {s.dampA, s.dampB}};
    DelayMemory* m = core.memories_;
    DelayMemory& reflections = m[kEarlyMemory];

    const Double2 loop = Splat(c.loopGain), t1 = Splat(c.t1), t2 = Splat(c.t2);
    const Double2 shelfCoefficient = Splat(c.shelfCoefficient);
    const Double2 shelfGain = Splat(c.shelfGain), damping = Splat(c.highDamping);
    // The scratch of the block's part of a run, by pointers to its frame 0: frame j at -j, so
    // that a group of frames j to j + w - 1 starts at -(j + w - 1).
    RunScratch scratch;
    auto frameZero = [](double(&frames)[kMaxRun]) QV_INLINE_LAMBDA { return frames + kMaxRun - 1; };
    double* const inLeft = frameZero(scratch.inLeft);
    double* const inRight = frameZero(scratch.inRight);
    double* const band = frameZero(scratch.band);
    double* const diffused = frameZero(scratch.diffused);
    double* const earlyLeft = frameZero(scratch.earlyLeft);
    double* const earlyRight = frameZero(scratch.earlyRight);
    auto groupStart = [](auto lanes, std::int32_t j)
                          QV_INLINE_LAMBDA { return -(j + kLanes<decltype(lanes)> - 1); };
    alignas(16) double width[4];
    std::fill_n(width, 4, widthFactor);
    // Peaks of a group of frames' lanes, or of one frame's in lane 0.
    Frames inLeftPeak = {}, inRightPeak = {}, outLeftPeak = {}, outRightPeak = {};

    OpenRun& run = core.run_;
    for (std::uint32_t done = 0; done < frames;) {
        if (run.done == run.length) OpenNext(core, run);
        // This block's part of the run: n frames, frame j at -(doneBefore + j) of the run's
        // pointers into the memories.
        const std::int32_t doneBefore = run.done;
        const std::int32_t n = static_cast<std::int32_t>(
            std::min<std::uint32_t>(frames - done, run.length - doneBefore));
        auto memoryStart = [doneBefore](auto lanes, std::int32_t j) QV_INLINE_LAMBDA {
            return -(doneBefore + j + kLanes<decltype(lanes)> - 1);
        };

        // The input and the band limit: one-pole high cut, then a first-order allpass split as
        // the low cut.
        auto inputFrame = [&](std::int32_t j) QV_INLINE_LAMBDA {
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
            inLeft[-j] = inL;
            inRight[-j] = inR;
            s.highCut = (sum - s.highCut) * highCut + s.highCut;
            s.lowCutOut = (s.highCut - s.lowCutOut) * lowCut + s.lowCutIn;
            s.lowCutIn = s.highCut;
            band[-j] = s.highCut * passWeight + s.lowCutOut * allpassWeight + lowCutGuard;
        };

        // The reflections of a group of frames: each side's taps summed in order with their
        // signed gains. Read before the diffusers write the buffer when no delay is shorter than
        // the part (beside the input filters, whose recursion leaves room for them), else after.
        auto reflect = [&](auto lanes, std::int32_t j) QV_INLINE_LAMBDA {
            using T = decltype(lanes);
            const std::int32_t r = groupStart(lanes, j), at = memoryStart(lanes, j);
            const T gain = Lanes<T>(plan.earlyGain);
            const T left = TapSum<T>(run.reflectionsLeft, plan.earlyWeightsLeft, at) * gain;
            const T right = TapSum<T>(run.reflectionsRight, plan.earlyWeightsRight, at) * gain;
            Put(earlyLeft, r, left);
            Put(earlyRight, r, right);
        };
        const bool reflectFirst = withEarly && n <= plan.shortestDelay;

        Groups<Frames>(n, kLanes<Frames>, [&](auto lanes, std::int32_t j) QV_INLINE_LAMBDA {
            for (std::int32_t i = 0; i < kLanes<decltype(lanes)>; ++i) inputFrame(j + i);
            if (reflectFirst) reflect(lanes, j);
        });

        Diffuse<Frames>(plan, m, reflections, n, band - (n - 1), diffused - (n - 1));
        Predelay(m[kPredelayMemory], n, diffused - (n - 1));

        if (withEarly && !reflectFirst) Groups<Frames>(n, kLanes<Frames>, reflect);

        // The tank, frame by frame, half A in lane 0 and half B in lane 1: each half fed from
        // the end of the other, through its low shelf with the input and its damping, allpass
        // 1, delay 1, the loop gain and allpass 2 into delay 2.
        auto halves = [&](int a, int b) QV_INLINE_LAMBDA {
            return SlotPair{run.head[a], run.head[b]};
        };
        const SlotPair allpass1 = halves(Line::kAllpassA1, Line::kAllpassB1);
        const SlotPair delay1 = halves(Line::kDelayA1, Line::kDelayB1);
        const SlotPair allpass2 = halves(Line::kAllpassA2, Line::kAllpassB2);
        const SlotPair delay2 = halves(Line::kDelayA2, Line::kDelayB2);
        // Half A is fed from the end of delay B2 (read before B writes it this frame), half B
        // from delay A2 at the slot A writes next frame.
        const SlotPair feeds = {delay2.b, run.halfBFeed};
        auto tankFrame = [&](std::int32_t j) QV_INLINE_LAMBDA {
            const std::int32_t r = -(doneBefore + j);
            const Double2 fed = feeds.Read(r) * loop;
            const Double2 head =
                ShelfAndDamp(fed, tank.shelfIn, tank.shelfOut, tank.damp, shelfCoefficient,
                             shelfGain, damping, Splat(diffused[-j]));
            const Double2 y = allpass1.Allpass(r, t1, head);
            const Double2 delayed = delay1.Delay(r, y) * loop;
            delay2.Write(r, allpass2.Allpass(r, t2, delayed));
        };

        // The tank outputs (read after their frames' writes), the reflections and the mid/side
        // mix with the dry signal, into the output with the peaks, for a group of frames. Beside
        // the tank, whose recursion leaves room for them.
        auto mix = [&](auto lanes, std::int32_t j) QV_INLINE_LAMBDA {
            using T = decltype(lanes);
            const std::int32_t r = groupStart(lanes, j), at = memoryStart(lanes, j);
            const T reverbGain = Lanes<T>(plan.reverbGain);
            T mixA = TapSum<T>(run.tankTapsLeft, plan.tankWeightsLeft, at) * reverbGain;
            T mixB = TapSum<T>(run.tankTapsRight, plan.tankWeightsRight, at) * reverbGain;
            if (withEarly) {
                mixA = mixA + At<T>(earlyLeft, r);
                mixB = mixB + At<T>(earlyRight, r);
            }
            const T mid = mixA + mixB;
            const T side = (mixA - mixB) * Lanes<T>(width);
            const T inL = At<T>(inLeft, r), inR = At<T>(inRight, r);
            const T dryGain = Lanes<T>(plan.dryGain);
            const T left = inL * dryGain + mid + side;
            const T right = inR * dryGain + mid - side;
            if constexpr (std::is_same_v<T, double>) {
                output[2 * j] = static_cast<Sample>(left);
                output[2 * j + 1] = static_cast<Sample>(right);
            } else {
                StoreFrames(output + 2 * j, left, right);
            }
            inLeftPeak = Peak(inLeftPeak, Widen<Frames>(inL));
            inRightPeak = Peak(inRightPeak, Widen<Frames>(inR));
            outLeftPeak = Peak(outLeftPeak, Widen<Frames>(left));
            outRightPeak = Peak(outRightPeak, Widen<Frames>(right));
        };

        // Output taps are read in groups of frames only where no later frame of a group writes
        // what they read.
        Groups<Frames>(n, plan.mixGroup, [&](auto lanes, std::int32_t j) QV_INLINE_LAMBDA {
            for (std::int32_t i = 0; i < kLanes<decltype(lanes)>; ++i) tankFrame(j + i);
            mix(lanes, j);
        });
        output += 2 * n;

        for (int i = Line::kAllpassA1; i < kReverbLineCount; ++i) {
            m[i].position = Wrapped(m[i].position - n, m[i].length);
        }
        run.done += n;
        done += static_cast<std::uint32_t>(n);
    }

    s.shelfAIn = tank.shelfIn[0];
    s.shelfBIn = tank.shelfIn[1];
    s.shelfAOut = tank.shelfOut[0];
    s.shelfBOut = tank.shelfOut[1];
    s.dampA = tank.damp[0];
    s.dampB = tank.damp[1];
    core.states_ = s;
    return {Greatest(inLeftPeak), Greatest(inRightPeak), Greatest(outLeftPeak),
            Greatest(outRightPeak)};
}

template <typename Sample>
BlockPeaks CReverbCore::Run(const Sample* input, int inputChannels, Sample* output,
                            std::uint32_t frames, double widthFactor) {
    if (!planned_) Plan();
    if (wide_) return Runs::Wide(*this, input, inputChannels, output, frames, widthFactor);
    return Runs::With<Sample, Double2>(*this, input, inputChannels, output, frames, widthFactor);
}

template BlockPeaks CReverbCore::Run<float>(const float*, int, float*, std::uint32_t, double);
template BlockPeaks CReverbCore::Run<double>(const double*, int, double*, std::uint32_t, double);
