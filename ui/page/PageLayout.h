// Where every control of the editor page sits on the 428 x 453 background, in creation (tab)
// order, with its class kind, caption, style and images; the sliders' ranges and set-up values;
// the clip indicators. The page creates its controls from these tables, the skin generator draws
// the labels, wells and frames around them, and the gallery program lays them out. Portable data,
// no windowing types.
#pragma once

namespace PageLayout {

constexpr int kWidth = 428;
constexpr int kHeight = 453;

enum class Kind { kButton, kField, kSlider, kFreq, kRevTime, kMeter, kPeakText };

struct Control {
    int id;
    Kind kind;
    const char* caption;
    int x, y, w, h;
    unsigned style;     // full window style
    int image;          // normal image, thumb, face, unlit bar or overlay resource; 0 = none
    int pressedImage;   // pressed image or lit bar; 0 = none
    const char* label;  // the name the background carries beside it, or none
    const char* unit;   // the unit the background carries after a value field, or none
};

inline constexpr Control kControls[] = {
    {20010, Kind::kButton, "Bypass", 16, 16, 50, 21, 0x50010000, 137, 136, nullptr, nullptr},
    {20011, Kind::kButton, "Undo", 69, 16, 76, 21, 0x50010000, 125, 126, nullptr, nullptr},
    {20012, Kind::kButton, "Setup A", 148, 16, 61, 21, 0x50010000, 123, 124, nullptr, nullptr},
    {20013, Kind::kButton, "", 209, 16, 15, 21, 0x50010001, 129, 122, nullptr, nullptr},
    {20014, Kind::kButton, "Reset", 227, 16, 76, 21, 0x50010000, 125, 126, nullptr, nullptr},
    {20015, Kind::kButton, "Presets", 306, 16, 76, 21, 0x50010001, 125, 126, nullptr, nullptr},
    {20016, Kind::kButton, "?", 385, 16, 24, 21, 0x50010000, 133, 132, nullptr, nullptr},
    {10002, Kind::kButton, "Mute", 69, 45, 36, 21, 0x50010000, 135, 134, nullptr, nullptr},
    {10000, Kind::kField, nullptr, 109, 45, 40, 21, 0x50010087, 120, 0, "Input", "dB"},
    {10001, Kind::kSlider, nullptr, 178, 48, 154, 20, 0x50010000, 127, 0, nullptr, nullptr},
    {10005, Kind::kField, nullptr, 109, 76, 40, 21, 0x50010087, 120, 0, "Low Cut", "Hz"},
    {10007, Kind::kFreq, nullptr, 178, 76, 154, 44, 0x50000000, 131, 0, nullptr, nullptr},
    {10006, Kind::kField, nullptr, 109, 99, 40, 21, 0x50010087, 120, 0, "High Cut", "kHz"},
    {10008, Kind::kField, nullptr, 109, 130, 40, 21, 0x50010087, 120, 0, "Predelay", "ms"},
    {10009, Kind::kSlider, nullptr, 178, 133, 154, 20, 0x50010000, 127, 0, nullptr, nullptr},
    {10010, Kind::kField, nullptr, 109, 153, 40, 21, 0x50010087, 120, 0, "Room Size", nullptr},
    {10011, Kind::kSlider, nullptr, 178, 156, 154, 20, 0x50010000, 127, 0, nullptr, nullptr},
    {10012, Kind::kField, nullptr, 109, 176, 40, 21, 0x50010087, 120, 0, "Diffusion", "%"},
    {10013, Kind::kSlider, nullptr, 178, 179, 154, 20, 0x50010000, 127, 0, nullptr, nullptr},
    {10014, Kind::kField, nullptr, 109, 207, 40, 21, 0x50010087, 120, 0, "Bass Mult", "x"},
    {10021, Kind::kRevTime, nullptr, 178, 207, 154, 90, 0x50000000, 130, 0, nullptr, nullptr},
    {10016, Kind::kField, nullptr, 109, 230, 40, 21, 0x50010086, 120, 0, "Crossover", "Hz"},
    {10018, Kind::kField, nullptr, 109, 253, 40, 21, 0x50010087, 120, 0, "Decay", "s"},
    {10020, Kind::kField, nullptr, 109, 276, 40, 21, 0x50010087, 120, 0, "High Damping", "kHz"},
    {10024, Kind::kButton, "Mute", 69, 307, 36, 21, 0x50010000, 135, 134, nullptr, nullptr},
    {10022, Kind::kField, nullptr, 109, 307, 40, 21, 0x50010087, 120, 0, "Dry", "dB"},
    {10023, Kind::kSlider, nullptr, 178, 310, 154, 20, 0x50010000, 127, 0, nullptr, nullptr},
    {10027, Kind::kButton, "Mute", 69, 330, 36, 21, 0x50010000, 135, 134, nullptr, nullptr},
    {10025, Kind::kField, nullptr, 109, 330, 40, 21, 0x50010087, 120, 0, "E.R.", "dB"},
    {10026, Kind::kSlider, nullptr, 178, 333, 154, 20, 0x50010000, 127, 0, nullptr, nullptr},
    {10030, Kind::kButton, "Mute", 69, 353, 36, 21, 0x50010000, 135, 134, nullptr, nullptr},
    {10028, Kind::kField, nullptr, 109, 353, 40, 21, 0x50010087, 120, 0, "Reverb", "dB"},
    {10029, Kind::kSlider, nullptr, 178, 356, 154, 20, 0x50010000, 127, 0, nullptr, nullptr},
    {10031, Kind::kField, nullptr, 109, 384, 40, 21, 0x50010087, 120, 0, "Width", "%"},
    {10004, Kind::kButton, "Stereo", 218, 384, 76, 21, 0x50010002, 125, 126, nullptr, nullptr},
    {10003, Kind::kButton, "Tail", 296, 384, 36, 21, 0x50010000, 135, 134, nullptr, nullptr},
    {10600, Kind::kMeter, nullptr, 352, 64, 12, 144, 0x50000009, 128, 121, nullptr, nullptr},
    {10601, Kind::kMeter, nullptr, 382, 64, 12, 144, 0x50000009, 128, 121, nullptr, nullptr},
    {10602, Kind::kPeakText, "-Inf    -Inf", 347, 43, 52, 11, 0x50000101, 0, 0, nullptr, nullptr},
    {10603, Kind::kMeter, nullptr, 352, 248, 12, 144, 0x50000009, 128, 121, nullptr, nullptr},
    {10604, Kind::kMeter, nullptr, 382, 248, 12, 144, 0x50000009, 128, 121, nullptr, nullptr},
    {10605, Kind::kPeakText, "-Inf    -Inf", 347, 227, 52, 11, 0x50000101, 0, 0, nullptr, nullptr},
};

// The four clip indicators (12 x 9) above the meters: input left, input right, output left,
// output right.
struct Lamp {
    int id;
    int x, y;
};
inline constexpr Lamp kLamps[] = {
    {1020, 352, 55}, {1021, 382, 55}, {1022, 352, 239}, {1023, 382, 239}};
constexpr int kLampWidth = 12;
constexpr int kLampHeight = 9;

// The sliders' value ranges (in the engine's units of their parameter) and their set-up: tick
// spacing, tick offset and page step, in value units.
struct SliderSetup {
    int id;
    int minimum, maximum;
    int tickSpacing, tickOffset, pageStep;
};
inline constexpr SliderSetup kSliders[] = {
    {10001, -361, 60, 20, 1, 20},  // Input
    {10009, 0, 250, 25, 0, 25},    // Predelay
    {10011, 1, 100, 10, -1, 10},   // Room Size
    {10013, 0, 100, 10, 0, 10},    // Diffusion
    {10023, -361, 60, 20, 1, 20},  // Dry
    {10026, -361, 60, 20, 1, 20},  // E.R.
    {10029, -361, 60, 20, 1, 20},  // Reverb
};

}  // namespace PageLayout
