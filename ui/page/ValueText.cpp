// Value texts of the editor page's fields.
#include "ui/page/ValueText.h"

#include <cstdio>

#include "engine/ParameterTable.h"
#include "ui/controls/ParseTenths.h"

namespace {

enum class TextForm {
    kDecibels,   // tenths of a decibel; -36.1 dB and below is silence, "-Inf."
    kLowCut,     // hertz; below 20 the filter is off
    kKiloHertz,  // hundreds of hertz shown as kHz with one decimal; 22.1 kHz and up is off
    kTenths,     // one decimal
    kInteger,
};

constexpr int kSilenceTenths = -361;
constexpr int kNoFloor = -9999;
constexpr int kLowCutOnHz = 20;
constexpr int kKiloHertzOff = 221;

TextForm FormOf(int param) {
    switch (param) {
        case Param::kInput:
        case Param::kDry:
        case Param::kER:
        case Param::kReverb:
            return TextForm::kDecibels;
        case Param::kLowCut:
            return TextForm::kLowCut;
        case Param::kHighCut:
        case Param::kHighDamping:
            return TextForm::kKiloHertz;
        case Param::kBassMult:
        case Param::kDecay:
            return TextForm::kTenths;
        default:
            return TextForm::kInteger;
    }
}

// "-3.5" for -35 and "6.0" for 60; "-Inf." at or below the floor.
void FormatTenths(int value, int floor, char* text, std::size_t size) {
    if (value <= floor) {
        std::snprintf(text, size, "-Inf.");
        return;
    }
    const unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    std::snprintf(text, size, "%s%u.%u", value < 0 ? "-" : "", magnitude / 10, magnitude % 10);
}

bool IsSilenceText(const char* text) {
    static constexpr char kSilence[] = "-inf.";
    for (int i = 0; kSilence[i] != '\0'; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kSilence[i]) return false;
    }
    return text[sizeof(kSilence) - 1] == '\0';
}

}  // namespace

void FormatValue(int param, int value, char* text, std::size_t size) {
    if (text == nullptr || size == 0) return;
    switch (FormOf(param)) {
        case TextForm::kDecibels:
            FormatTenths(value, kSilenceTenths, text, size);
            break;
        case TextForm::kLowCut:
            if (value < kLowCutOnHz) {
                std::snprintf(text, size, "OFF");
            } else {
                std::snprintf(text, size, "%d", value);
            }
            break;
        case TextForm::kKiloHertz:
            if (value >= kKiloHertzOff) {
                std::snprintf(text, size, "OFF");
            } else {
                FormatTenths(value, kNoFloor, text, size);
            }
            break;
        case TextForm::kTenths:
            FormatTenths(value, kNoFloor, text, size);
            break;
        case TextForm::kInteger:
            std::snprintf(text, size, "%d", value);
            break;
    }
}

int ReadEntry(int param, const char* text) {
    if (text == nullptr) return 0;
    switch (FormOf(param)) {
        case TextForm::kDecibels:
            return IsSilenceText(text) ? kSilenceTenths : ParseTenths(text, 1);
        case TextForm::kKiloHertz:
        case TextForm::kTenths:
            return ParseTenths(text, 1);
        case TextForm::kLowCut:
        case TextForm::kInteger:
            break;
    }
    // The leading decimal integer; the parser with no decimals stops at the point.
    return ParseTenths(text, 0);
}
