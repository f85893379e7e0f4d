// The renderer's --set settings (see ParameterSettings.h).
#include "cli/ParameterSettings.h"

#include <charconv>

#include "engine/ParameterNames.h"

namespace {

bool ParseWhole(const std::string& text, bool isSwitch, int* value) {
    if (isSwitch && (SameParameterName(text, "on") || SameParameterName(text, "off"))) {
        *value = SameParameterName(text, "on") ? 1 : 0;
        return true;
    }
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') ++begin;
    const auto [stop, ec] = std::from_chars(begin, end, *value);
    return ec == std::errc() && stop == end && begin != end;
}

}  // namespace

bool ApplySetting(CAudioTransform& engine, const std::string& name, const std::string& value,
                  std::string* error) {
    const int index = FindParameter(name);
    const bool isTail = SameParameterName(name, "Tail");
    const bool isStereo = SameParameterName(name, "Stereo");
    if (index < 0 && !isTail && !isStereo) {
        *error = "unknown parameter \"" + name + "\" (see --help for the names)";
        return false;
    }
    const bool isSwitch = isTail || isStereo || kParameters[index].type == MPT_BOOL;
    const std::string label = index >= 0 ? kParameters[index].label : (isTail ? "Tail" : "Stereo");
    const int minimum = index >= 0 ? kParameters[index].minimum : 0;
    const int maximum = index >= 0 ? kParameters[index].maximum : 1;

    int number = 0;
    if (!ParseWhole(value, isSwitch, &number)) {
        *error = "the value of " + label + " must be a whole number" +
                 (isSwitch ? " (0 or 1, or on or off)" : "") + ", not \"" + value + "\"";
        return false;
    }
    if (number < minimum || number > maximum) {
        *error = label + "=" + value + " is outside " + std::to_string(minimum) + " .. " +
                 std::to_string(maximum);
        return false;
    }
    if (isTail) {
        engine.SetTail(number, FALSE);
    } else if (isStereo) {
        engine.SetStereo(number, FALSE);
    } else {
        engine.SetParameter(index, number, FALSE);
    }
    return true;
}
