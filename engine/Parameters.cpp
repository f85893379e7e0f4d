// The engine's parameter model: setters and getters of the eighteen parameters, the pull of
// automated values, the capture relay of user gestures, and the derivation of every coefficient,
// line length and tap from the settings and the sample rate.
#include <algorithm>
#include <atomic>
#include <cmath>

#include "engine/AudioTransform.h"
#include "engine/PortableMath.h"

namespace {

// The derivation uses the portable functions throughout, so both builds derive the same bits.
using portable_math::Cos;
using portable_math::Exp;
using portable_math::kLn0001;
using portable_math::Tan;

constexpr double kPi = 3.14159265;  // the derivation's own value of pi

// x to the power 0.25.
double FourthRoot(double x) {
    return std::sqrt(std::sqrt(x));
}

// One-pole low-pass coefficient for a cutoff in units of 100 Hz; 221 and above is "off".
double OnePoleCoefficient(int hundredsHz, double fs) {
    if (hundredsHz >= 221) return 1.0;
    const double b = 2.0 - Cos(2.0 * kPi * 100.0 * hundredsHz / fs);
    return 1.0 - (b - std::sqrt(b * b - 1.0));
}

// Gain that lets a recirculating delay of the mean length of lines a and b die away by 60 dB in
// seconds x d.
double DiffusionCoefficient(std::int32_t lengthA, std::int32_t lengthB, double fs, double d,
                            double seconds) {
    return Exp(kLn0001 * ((lengthA + lengthB) * 0.5 / fs) / (d * seconds));
}

// A reflection's delay in frames for the early scale E; at least one frame, as at the lowest rates
// and smallest rooms the shortest would round to none (and the gains, in proportion to it, to
// nothing over nothing).
std::int32_t EarlyDelay(double tableFrames, std::int32_t earlyScale) {
    return std::max(
        1, static_cast<std::int32_t>(tableFrames * 1.5 * earlyScale / kEarlyReferenceRate));
}

}  // namespace

int CAudioTransform::LoadLive(int word) const {
    return std::atomic_ref<std::int32_t>(const_cast<std::int32_t&>(live_.words[word]))
        .load(std::memory_order_relaxed);
}

void CAudioTransform::StoreLive(int word, int value) {
    std::atomic_ref<std::int32_t>(live_.words[word]).store(value, std::memory_order_relaxed);
}

void CAudioTransform::StoreLiveBlock(const SetupBlock& block) {
    for (int w = 0; w < kSetupWordCount; ++w) StoreLive(w, block.words[w]);
}

void CAudioTransform::MarkSettingsChanged() {
    recalculate_ = 1;
    dirty_.store(1, std::memory_order_relaxed);
}

HRESULT CAudioTransform::GetWord(int word, int* value) const {
    if (value == nullptr) return E_POINTER;
    *value = LoadLive(word);
    return S_OK;
}

HRESULT CAudioTransform::SetParameter(int index, int value, BOOL notify) {
    const ParameterDef& def = kParameters[index];
    value = ClampPhysical(index, value);
    CAutoLock guard(&lock_);
    if (value != live_.words[def.word]) {
        StoreLive(def.word, value);
        MarkSettingsChanged();
    }
    if (automation_ != nullptr) {
        const float normalised = PhysicalToNormalised(def, value);
        automation_->SetParam(static_cast<DWORD>(index), normalised);
        if (notify) NotifyParamChange(index, normalised);
    }
    return S_OK;
}

void CAudioTransform::NotifyParamChange(int index, float normalised) {
    if (automation_ == nullptr) return;
    CAutoLock guard(&lock_);
    IMediaParamsUICallback* relay = automation_->CaptureRelay();
    auto begin = [relay](int entry) {
        DWORD one = static_cast<DWORD>(entry);
        relay->ParamsBeginCapture(&one, 1);
    };

    if (captureMulti_.load(std::memory_order_relaxed)) {
        const bool open = std::find(captureList_, captureList_ + captureCount_, index) !=
                          captureList_ + captureCount_;
        // A full list takes no further captures: the editor never holds more than a few
        // parameters at once, and the value below still reaches the host.
        if (!open && captureCount_ < 8) {
            captureList_[captureCount_] = index;
            begin(index);
            ++captureCount_;
        }
    } else if (!(index == captureList_[0] && captureCount_ < 2)) {
        for (int k = 0; k < captureCount_; ++k) {
            DWORD one = static_cast<DWORD>(captureList_[k]);
            relay->ParamsEndCapture(&one, 1);
            captureList_[k] = -1;
        }
        captureCount_ = 0;
        captureList_[0] = index;
        if (index != -1) {
            begin(index);
            captureCount_ = 1;
        }
    }

    if (captureList_[0] != -1) {
        DWORD one = static_cast<DWORD>(index);
        MP_DATA value = normalised;
        relay->ParamsChanged(&one, 1, &value);
    }
}

int CAudioTransform::SyncFromAutomation(SetupBlock* snapshot) {
    CAutoLock guard(&lock_);
    if (automation_ != nullptr) {
        for (int index = 0; index < kParamCount; ++index) {
            const ParameterDef& def = kParameters[index];
            // Automation cannot widen a signal the user switched to Mono.
            if (index == Param::kWidth && live_.words[SetupWord::kStereo] != 1) continue;
            MP_DATA normalised = 0.0f;
            if (FAILED(automation_->GetParam(static_cast<DWORD>(index), &normalised))) continue;
            const int physical = NormalisedToPhysical(index, normalised);
            if (physical != live_.words[def.word]) {
                StoreLive(def.word, physical);
                recalculate_ = 1;
            }
        }
    }
    *snapshot = live_;
    const int changed = recalculate_;
    recalculate_ = 0;
    if (changed) SetParamsChanged(TRUE);
    return changed;
}

HRESULT CAudioTransform::RecalculateCoefficients(const SetupBlock* snapshot, int /*mode*/) {
    const std::int32_t* w = snapshot->words;
    Coefficients& c = core_.Derived();
    const std::int32_t rate = SampleRate();
    const double fs = rate;

    c.inputGain =
        w[SetupWord::kInputMute] == 1 ? 0.0 : DbToGain(w[SetupWord::kInput], kSilenceTenthsDb);

    if (w[SetupWord::kLowCut] <= 19) {
        c.lowCut = 0.0;
    } else {
        const double f = std::min<double>(w[SetupWord::kLowCut], fs / 2);
        const double t = Tan(kPi * f / fs);
        c.lowCut = (t - 1.0) / (t + 1.0);
    }
    c.highCut = OnePoleCoefficient(w[SetupWord::kHighCut], fs);

    DelayMemory& predelay = core_.Memory(kPredelayMemory);
    predelay.length =
        std::max<std::int32_t>(1, static_cast<std::int32_t>(w[SetupWord::kPredelay] * fs / 1000.0));
    predelay.position %= predelay.length;

    // Room scale: Room Size 100 gives R = fs.
    const auto roomScale = static_cast<std::int32_t>((w[SetupWord::kRoomSize] + 15) * fs / 115.0);
    for (int i = 0; i < kReverbLineCount; ++i) {
        DelayMemory& line = core_.Memory(i);
        line.length = std::max(MinimumLineLength(i),
                               ScaleFrames(kLineBaseLengths[i], roomScale, kLineReferenceRate));
        line.position %= line.length;
    }
    for (int k = 0; k < kTankTapCount; ++k) {
        c.tankTapsLeft[k] = ScaleFrames(kTankTapsLeft[k].offset, roomScale, kLineReferenceRate);
        c.tankTapsRight[k] = ScaleFrames(kTankTapsRight[k].offset, roomScale, kLineReferenceRate);
    }

    const auto earlyScale = static_cast<std::int32_t>((w[SetupWord::kRoomSize] + 3) * fs / 103.0);
    for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
        c.earlyDelaysLeft[k] = EarlyDelay(kEarlyTapsLeft[k], earlyScale);
    }
    for (int k = 0; k < kEarlyTapsRightCount; ++k) {
        c.earlyDelaysRight[k] = EarlyDelay(kEarlyTapsRight[k], earlyScale);
    }
    const double shortest = std::min(c.earlyDelaysLeft[0], c.earlyDelaysRight[0]);
    for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
        c.earlyGainsLeft[k] = 0.5 * shortest / c.earlyDelaysLeft[k];
    }
    for (int k = 0; k < kEarlyTapsRightCount; ++k) {
        c.earlyGainsRight[k] = 0.46 * shortest / c.earlyDelaysRight[k];
    }
    c.earlyGainsRight[0] *= 0.5;

    // A new room size cuts the running reverb and reflections off.
    if (w[SetupWord::kRoomSize] != lastClearedRoomSize_) {
        lastClearedRoomSize_ = w[SetupWord::kRoomSize];
        core_.ClearRoom();
    }

    auto length = [this](int i) { return core_.Memory(i).length; };
    const double d = w[SetupWord::kDiffusion] / 100.0;
    if (d == 0.0) {
        c.c1 = c.c2 = c.t1 = c.t2 = 0.0;
    } else {
        c.c1 = DiffusionCoefficient(length(0), length(1), fs, d, 0.07);
        c.c2 = DiffusionCoefficient(length(2), length(3), fs, d, 0.11);
        c.t1 = DiffusionCoefficient(length(4), length(8), fs, d, 0.35);
        c.t2 = DiffusionCoefficient(length(6), length(10), fs, d, 0.51);
    }

    // Loop gain: four multiplications by g per tank round trip of T seconds lose 60 dB x T / RT.
    const double roundTrip = (length(5) + length(7) + length(9) + length(11)) / fs;
    const double decaySeconds = w[SetupWord::kDecay] / 10.0;
    c.loopGain = FourthRoot(Exp(kLn0001 * roundTrip / decaySeconds));

    // First-order low shelf of gain K = gb / g around the crossover.
    const double bassSeconds = w[SetupWord::kBassMult] * decaySeconds / 10.0;
    const double bassGain = FourthRoot(Exp(kLn0001 * roundTrip / bassSeconds));
    const double k = bassGain / c.loopGain;
    c.shelfGain = (k - 1.0) * 0.5;
    const double kAllpass = std::min(k, 1.0);
    // Above half the rate the shelf's allpass would grow without bound.
    const double t = Tan(kPi * std::min<double>(w[SetupWord::kCrossover], fs / 2) / fs);
    c.shelfCoefficient = (t - kAllpass) / (t + kAllpass);

    c.highDamping = OnePoleCoefficient(w[SetupWord::kHighDamping], fs);

    c.dryGain = w[SetupWord::kDryMute] == 1 ? 0.0 : DbToGain(w[SetupWord::kDry], kSilenceTenthsDb);
    c.earlyGain =
        w[SetupWord::kERMute] == 1 ? 0.0 : DbToGain(w[SetupWord::kER], kSilenceTenthsDb) * 0.5;
    c.reverbGain = w[SetupWord::kReverbMute] == 1
                       ? 0.0
                       : DbToGain(w[SetupWord::kReverb], kSilenceTenthsDb) * 0.6 * 0.5;

    coefficientsValid_.store(1, std::memory_order_release);
    return S_OK;
}

#define QV_PARAMETER_ACCESSORS(Name, index)                      \
    HRESULT CAudioTransform::Get##Name(int* value) {             \
        return GetWord(kParameters[index].word, value);          \
    }                                                            \
    HRESULT CAudioTransform::Set##Name(int value, BOOL notify) { \
        return SetParameter(index, value, notify);               \
    }

QV_PARAMETER_ACCESSORS(Input, Param::kInput)
QV_PARAMETER_ACCESSORS(LowCut, Param::kLowCut)
QV_PARAMETER_ACCESSORS(HighCut, Param::kHighCut)
QV_PARAMETER_ACCESSORS(Predelay, Param::kPredelay)
QV_PARAMETER_ACCESSORS(RoomSize, Param::kRoomSize)
QV_PARAMETER_ACCESSORS(Diffusion, Param::kDiffusion)
QV_PARAMETER_ACCESSORS(BassMult, Param::kBassMult)
QV_PARAMETER_ACCESSORS(Crossover, Param::kCrossover)
QV_PARAMETER_ACCESSORS(Decay, Param::kDecay)
QV_PARAMETER_ACCESSORS(HighDamping, Param::kHighDamping)
QV_PARAMETER_ACCESSORS(Dry, Param::kDry)
QV_PARAMETER_ACCESSORS(ER, Param::kER)
QV_PARAMETER_ACCESSORS(Reverb, Param::kReverb)
QV_PARAMETER_ACCESSORS(Width, Param::kWidth)
QV_PARAMETER_ACCESSORS(InputMute, Param::kInputMute)
QV_PARAMETER_ACCESSORS(DryMute, Param::kDryMute)
QV_PARAMETER_ACCESSORS(ERMute, Param::kERMute)
QV_PARAMETER_ACCESSORS(ReverbMute, Param::kReverbMute)

#undef QV_PARAMETER_ACCESSORS
