// Data lines: reading, formatting, parsing and applying them.
#include "presets/PresetData.h"

#include <climits>
#include <cstdio>
#include <new>

#include "engine/ParameterAccess.h"

namespace {

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
    for (int i = 0; i < kParamCount; ++i) values[i] = GetParameterValue(engine, i);
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
    for (int i = 0; i < count; ++i) SetParameterValue(engine, i, values[i], TRUE);
    engine->SetTail(1, FALSE);

    if (applied != nullptr) *applied = count;
    return count == kParamCount ? S_OK : S_FALSE;
}
