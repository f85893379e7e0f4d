// Which controls of the editor page show each setting of the engine, and how a value reaches
// them: the binding table that UpdateControls walks, and the lookups the page's notifications
// use. Portable data.
#pragma once

#include "engine/ParameterTable.h"

namespace PageBinding {

// Settings that are not automation parameters.
constexpr int kTail = -1;
constexpr int kStereo = -2;

// What the value control of a row is sent.
enum class Sink {
    kNone,           // Width: only its field
    kSlider,         // QVS_SETPOS with the value
    kLowCut,         // QVF_SETLOWCUT with the value (Hz)
    kHighCut,        // QVF_SETHIGHCUT with the value x 100 (Hz)
    kRevTime,        // QVR_SETVALUE with the value x scale at revTimeIndex
    kCheck,          // QVB_SETCHECK with the value
    kStereoCaption,  // caption "Stereo" when on, "Mono" when off
};

struct Row {
    int setting;    // parameter index, kTail or kStereo
    int fieldId;    // value field, 0 for none
    int controlId;  // slider, display or button, 0 for none
    Sink sink;
    int revTimeIndex;  // kRevTime only
    int scale;         // display units per engine unit (kRevTime, kHighCut)

    // UpdateControls(id) refreshes the rows whose key is id: the slider for the parameters
    // that have one, else the field, else the button.
    constexpr int KeyId() const {
        return sink == Sink::kSlider || fieldId == 0 ? controlId : fieldId;
    }
};

inline constexpr Row kRows[] = {
    {Param::kInput, 10000, 10001, Sink::kSlider, 0, 1},
    {Param::kLowCut, 10005, 10007, Sink::kLowCut, 0, 1},
    {Param::kHighCut, 10006, 10007, Sink::kHighCut, 0, 100},
    {Param::kPredelay, 10008, 10009, Sink::kSlider, 0, 1},
    {Param::kRoomSize, 10010, 10011, Sink::kSlider, 0, 1},
    {Param::kDiffusion, 10012, 10013, Sink::kSlider, 0, 1},
    {Param::kBassMult, 10014, 10021, Sink::kRevTime, 0, 1},
    {Param::kCrossover, 10016, 10021, Sink::kRevTime, 1, 1},
    {Param::kDecay, 10018, 10021, Sink::kRevTime, 2, 100},        // tenths of a second to ms
    {Param::kHighDamping, 10020, 10021, Sink::kRevTime, 3, 100},  // hundreds of Hz to Hz
    {Param::kDry, 10022, 10023, Sink::kSlider, 0, 1},
    {Param::kER, 10025, 10026, Sink::kSlider, 0, 1},
    {Param::kReverb, 10028, 10029, Sink::kSlider, 0, 1},
    {Param::kWidth, 10031, 0, Sink::kNone, 0, 1},
    {Param::kInputMute, 0, 10002, Sink::kCheck, 0, 1},
    {Param::kDryMute, 0, 10024, Sink::kCheck, 0, 1},
    {Param::kERMute, 0, 10027, Sink::kCheck, 0, 1},
    {Param::kReverbMute, 0, 10030, Sink::kCheck, 0, 1},
    {kTail, 0, 10003, Sink::kCheck, 0, 1},
    {kStereo, 0, 10004, Sink::kStereoCaption, 0, 1},
};

// The row whose value field, or whose value control, is id; null for none. A display shows
// several parameters, so FindByControl is only meant for sliders and buttons.
constexpr const Row* FindByField(int id) {
    for (const Row& row : kRows) {
        if (row.fieldId != 0 && row.fieldId == id) return &row;
    }
    return nullptr;
}
constexpr const Row* FindByControl(int id) {
    for (const Row& row : kRows) {
        if (row.controlId == id) return &row;
    }
    return nullptr;
}

}  // namespace PageBinding
