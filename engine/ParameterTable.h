// The eighteen automation parameters: their published records (what a host reads through the
// parameter-info interface), their physical ranges in the engine's integer units, and the
// mapping between the normalised form (0.0 to 1.0) and the physical form.
#pragma once

#include <cmath>

#include "engine/PortableMath.h"
#include "engine/SetupBlock.h"
#include "platform/Platform.h"

constexpr int kParamCount = 18;

// Parameter indexes, in table order.
namespace Param {
constexpr int kInput = 0;
constexpr int kLowCut = 1;
constexpr int kHighCut = 2;
constexpr int kPredelay = 3;
constexpr int kRoomSize = 4;
constexpr int kDiffusion = 5;
constexpr int kBassMult = 6;
constexpr int kCrossover = 7;
constexpr int kDecay = 8;
constexpr int kHighDamping = 9;
constexpr int kDry = 10;
constexpr int kER = 11;
constexpr int kReverb = 12;
constexpr int kWidth = 13;
constexpr int kInputMute = 14;
constexpr int kDryMute = 15;
constexpr int kERMute = 16;
constexpr int kReverbMute = 17;
}  // namespace Param

// One parameter in the engine's terms.
struct ParameterDef {
    const char* label;
    MP_TYPE type;
    int word;     // position in the SetupBlock
    int minimum;  // physical range, inclusive
    int maximum;
    int defaultValue;  // the value of built-in preset 0
    const char* unit;  // one step, as hosts show it; empty for Room Size and the switches
    constexpr int Span() const { return maximum - minimum; }
};

// Units of one step (unit): Input, Dry, E.R. and Reverb in 0.1 dB (minimum = silence); Low Cut and
// Crossover in Hz (Low Cut 19 = off); High Cut and High Damping in 100 Hz (221 = off);
// Predelay in ms; Room Size 1..100; Diffusion and Width in %; Bass Mult in 0.1 x the decay;
// Decay in 0.1 s; the mutes are switches.
inline constexpr ParameterDef kParameters[kParamCount] = {
    {"Input", MPT_FLOAT, SetupWord::kInput, -361, 60, 0, "0.1 dB"},
    {"Low Cut", MPT_FLOAT, SetupWord::kLowCut, 19, 3000, 75, "Hz"},
    {"High Cut", MPT_FLOAT, SetupWord::kHighCut, 5, 221, 40, "100 Hz"},
    {"Predelay", MPT_FLOAT, SetupWord::kPredelay, 0, 250, 0, "ms"},
    {"Room Size", MPT_FLOAT, SetupWord::kRoomSize, 1, 100, 50, ""},
    {"Diffusion", MPT_FLOAT, SetupWord::kDiffusion, 0, 100, 100, "%"},
    {"Bass Mult", MPT_FLOAT, SetupWord::kBassMult, 2, 30, 10, "0.1 x decay"},
    {"Crossover", MPT_FLOAT, SetupWord::kCrossover, 25, 2000, 500, "Hz"},
    {"Decay", MPT_FLOAT, SetupWord::kDecay, 1, 200, 15, "0.1 s"},
    {"High Damping", MPT_FLOAT, SetupWord::kHighDamping, 5, 221, 40, "100 Hz"},
    {"Dry", MPT_FLOAT, SetupWord::kDry, -361, 60, 0, "0.1 dB"},
    {"E.R.", MPT_FLOAT, SetupWord::kER, -361, 60, -35, "0.1 dB"},
    {"Reverb", MPT_FLOAT, SetupWord::kReverb, -361, 60, -120, "0.1 dB"},
    {"Width", MPT_FLOAT, SetupWord::kWidth, 0, 200, 100, "%"},
    {"Input Mute", MPT_BOOL, SetupWord::kInputMute, 0, 1, 0, ""},
    {"Dry Mute", MPT_BOOL, SetupWord::kDryMute, 0, 1, 0, ""},
    {"E.R. Mute", MPT_BOOL, SetupWord::kERMute, 0, 1, 0, ""},
    {"Reverb Mute", MPT_BOOL, SetupWord::kReverbMute, 0, 1, 0, ""},
};

// The published record of one parameter (its first part is MP_PARAMINFO) followed by the
// internal range that the automation object maps into and an enumeration list (none here).
struct ParamRecord {
    MP_PARAMINFO info;
    float internalMinimum;
    float internalMaximum;
    const WCHAR* enumerationText;
};

// Physical to normalised: (physical - minimum) / span in double precision, rounded to float.
constexpr float PhysicalToNormalised(const ParameterDef& def, int physical) {
    return static_cast<float>(static_cast<double>(physical - def.minimum) / def.Span());
}
inline float PhysicalToNormalised(int index, int physical) {
    return PhysicalToNormalised(kParameters[index], physical);
}

// Normalised to physical: floor(n x span + minimum + 0.5) in double precision, so a switch
// reads 1 from 0.5 up.
inline int NormalisedToPhysical(int index, float normalised) {
    const ParameterDef& def = kParameters[index];
    return static_cast<int>(
        std::floor(static_cast<double>(normalised) * def.Span() + def.minimum + 0.5));
}

inline int ClampPhysical(int index, int value) {
    const ParameterDef& def = kParameters[index];
    return value < def.minimum ? def.minimum : (value > def.maximum ? def.maximum : value);
}

constexpr ParamRecord MakeParamRecord(const ParameterDef& def) {
    ParamRecord record{};
    record.info.mpType = def.type;
    record.info.mopCaps = MP_CAPS_CURVE_JUMP;
    record.info.mpdMinValue = 0.0f;
    record.info.mpdMaxValue = 1.0f;
    record.info.mpdNeutralValue = PhysicalToNormalised(def, def.defaultValue);
    for (int i = 0; def.label[i] != '\0' && i < 31; ++i) {
        record.info.szLabel[i] = static_cast<WCHAR>(def.label[i]);
    }
    record.internalMinimum = 0.0f;
    record.internalMaximum = 1.0f;
    record.enumerationText = nullptr;
    return record;
}

inline constexpr ParamRecord kParamRecords[kParamCount] = {
    MakeParamRecord(kParameters[0]),  MakeParamRecord(kParameters[1]),
    MakeParamRecord(kParameters[2]),  MakeParamRecord(kParameters[3]),
    MakeParamRecord(kParameters[4]),  MakeParamRecord(kParameters[5]),
    MakeParamRecord(kParameters[6]),  MakeParamRecord(kParameters[7]),
    MakeParamRecord(kParameters[8]),  MakeParamRecord(kParameters[9]),
    MakeParamRecord(kParameters[10]), MakeParamRecord(kParameters[11]),
    MakeParamRecord(kParameters[12]), MakeParamRecord(kParameters[13]),
    MakeParamRecord(kParameters[14]), MakeParamRecord(kParameters[15]),
    MakeParamRecord(kParameters[16]), MakeParamRecord(kParameters[17]),
};

// 10 to the power (tenthsDb / 200) above floor, silence at or below it. The engine passes -361,
// so -361 is silence and -360 is -36.0 dB.
inline double DbToGain(int tenthsDb, int floor) {
    return tenthsDb > floor ? portable_math::Pow10(tenthsDb / 200.0) : 0.0;
}
constexpr int kSilenceTenthsDb = -361;
