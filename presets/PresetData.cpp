// Data lines: reading, formatting, parsing and applying them.
#include "presets/PresetData.h"

#include <climits>
#include <cstdio>
#include <new>

namespace {

// The getter and the setter of parameter `index` (table order), with notification on.
HRESULT GetParameter(IHqPlugInProp* engine, int index, int* value) {
    switch (index) {
        case Param::kInput:
            return engine->GetInput(value);
        case Param::kLowCut:
            return engine->GetLowCut(value);
        case Param::kHighCut:
            return engine->GetHighCut(value);
        case Param::kPredelay:
            return engine->GetPredelay(value);
        case Param::kRoomSize:
            return engine->GetRoomSize(value);
        case Param::kDiffusion:
            return engine->GetDiffusion(value);
        case Param::kBassMult:
            return engine->GetBassMult(value);
        case Param::kCrossover:
            return engine->GetCrossover(value);
        case Param::kDecay:
            return engine->GetDecay(value);
        case Param::kHighDamping:
            return engine->GetHighDamping(value);
        case Param::kDry:
            return engine->GetDry(value);
        case Param::kER:
            return engine->GetER(value);
        case Param::kReverb:
            return engine->GetReverb(value);
        case Param::kWidth:
            return engine->GetWidth(value);
        case Param::kInputMute:
            return engine->GetInputMute(value);
        case Param::kDryMute:
            return engine->GetDryMute(value);
        case Param::kERMute:
            return engine->GetERMute(value);
        case Param::kReverbMute:
            return engine->GetReverbMute(value);
        default:
            return E_INVALIDARG;
    }
}

HRESULT SetParameter(IHqPlugInProp* engine, int index, int value) {
    switch (index) {
        case Param::kInput:
            return engine->SetInput(value, TRUE);
        case Param::kLowCut:
            return engine->SetLowCut(value, TRUE);
        case Param::kHighCut:
            return engine->SetHighCut(value, TRUE);
        case Param::kPredelay:
            return engine->SetPredelay(value, TRUE);
        case Param::kRoomSize:
            return engine->SetRoomSize(value, TRUE);
        case Param::kDiffusion:
            return engine->SetDiffusion(value, TRUE);
        case Param::kBassMult:
            return engine->SetBassMult(value, TRUE);
        case Param::kCrossover:
            return engine->SetCrossover(value, TRUE);
        case Param::kDecay:
            return engine->SetDecay(value, TRUE);
        case Param::kHighDamping:
            return engine->SetHighDamping(value, TRUE);
        case Param::kDry:
            return engine->SetDry(value, TRUE);
        case Param::kER:
            return engine->SetER(value, TRUE);
        case Param::kReverb:
            return engine->SetReverb(value, TRUE);
        case Param::kWidth:
            return engine->SetWidth(value, TRUE);
        case Param::kInputMute:
            return engine->SetInputMute(value, TRUE);
        case Param::kDryMute:
            return engine->SetDryMute(value, TRUE);
        case Param::kERMute:
            return engine->SetERMute(value, TRUE);
        case Param::kReverbMute:
            return engine->SetReverbMute(value, TRUE);
        default:
            return E_INVALIDARG;
    }
}

// Width of a version-1 data line is in fiftieths of the current unit.
constexpr int kVersion1WidthFactor = 50;

bool IsScanBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d": blanks, an optional sign, at least one digit. Advances text past it.
bool ScanInt(const char** text, int* value) {
    const char* p = *text;
    while (IsScanBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= static_cast<long long>(INT_MAX) + 1)
            magnitude = magnitude * 10 + (*p - '0');
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    *value = signedValue > INT_MAX
                 ? INT_MAX
                 : (signedValue < INT_MIN ? INT_MIN : static_cast<int>(signedValue));
    *text = p;
    return true;
}

int SaturatingMultiply(int value, int factor) {
    const long long product = static_cast<long long>(value) * factor;
    return product > INT_MAX ? INT_MAX : (product < INT_MIN ? INT_MIN : static_cast<int>(product));
}

}  // namespace

HRESULT ReadPresetValues(IHqPlugInProp* engine, int values[kParamCount]) {
    if (engine == nullptr || values == nullptr) return E_POINTER;
    for (int i = 0; i < kParamCount; ++i) {
        values[i] = 0;
        GetParameter(engine, i, &values[i]);
    }
    return S_OK;
}

bool FormatDataLine(const int values[kParamCount], char* text, std::size_t size) {
    if (text == nullptr || size == 0) return false;
    std::size_t used = 0;
    text[0] = '\0';
    for (int i = 0; i < kParamCount; ++i) {
        const int written =
            std::snprintf(text + used, size - used, i == 0 ? "%d" : ",%d", values[i]);
        if (written < 0 || static_cast<std::size_t>(written) >= size - used) return false;
        used += static_cast<std::size_t>(written);
    }
    return true;
}

char* NewDataLine(IHqPlugInProp* engine) {
    int values[kParamCount];
    if (FAILED(ReadPresetValues(engine, values))) return nullptr;
    char* text = new (std::nothrow) char[kDataLineSize];
    if (text != nullptr) FormatDataLine(values, text, kDataLineSize);
    return text;
}

int ParseDataLine(const char* text, int values[kParamCount]) {
    if (text == nullptr) return 0;
    int count = 0;
    while (count < kParamCount && ScanInt(&text, &values[count])) {
        ++count;
        if (count < kParamCount) {
            if (*text != ',') break;
            ++text;
        }
    }
    return count;
}

HRESULT ApplyPresetData(IHqPlugInProp* engine, const char* data, int version, int* applied) {
    if (applied != nullptr) *applied = 0;
    if (engine == nullptr || data == nullptr) return E_POINTER;

    engine->SaveUndo(kUndoCommand);
    int values[kParamCount];
    const int count = ParseDataLine(data, values);
    if (version == 1 && count > Param::kWidth) {
        values[Param::kWidth] = SaturatingMultiply(values[Param::kWidth], kVersion1WidthFactor);
    }
    for (int i = 0; i < count; ++i) SetParameter(engine, i, values[i]);
    engine->SetTail(1, FALSE);

    if (applied != nullptr) *applied = count;
    return count == kParamCount ? S_OK : S_FALSE;
}
