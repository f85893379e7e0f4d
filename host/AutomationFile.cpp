// The automation script reader (see AutomationFile.h for the format).
#include "host/AutomationFile.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <sstream>

namespace {

constexpr double kUnitsPerSecond = 10000000.0;  // REFERENCE_TIME units per second
constexpr double kLatestSeconds = 1000000000.0;

struct CurveName {
    const char* name;
    MP_CURVE_TYPE curve;
};
constexpr CurveName kCurves[] = {{"jump", MP_CURVE_JUMP},
                                 {"linear", MP_CURVE_LINEAR},
                                 {"square", MP_CURVE_SQUARE},
                                 {"invsquare", MP_CURVE_INVSQUARE},
                                 {"sine", MP_CURVE_SINE}};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && IsSpace(line[at])) ++at;
        const std::size_t begin = at;
        while (at < line.size() && !IsSpace(line[at])) ++at;
        if (at > begin) fields.push_back(line.substr(begin, at - begin));
    }
    return fields;
}

// Joins pieces of a message (appending, which some compilers analyse better than chains of +).
std::string Join(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) text.append(piece);
    return text;
}

std::string Quoted(std::string_view text) {
    return Join({"\"", text, "\""});
}

// Parses one line's segment; on failure returns the problem.
class LineParser {
public:
    explicit LineParser(std::vector<std::string_view> fields) : fields_(std::move(fields)) {}

    // Field count already checked: the last five fields are the numbers and the curve,
    // everything before them the parameter.
    bool Parse(int* index, MP_ENVELOPE_SEGMENT* segment) {
        const std::size_t n = fields_.size();
        double start = 0, end = 0, from = 0, to = 0;
        if (!ParseParameter(index) || !ParseNumber(fields_[n - 5], "start time", &start) ||
            !ParseNumber(fields_[n - 4], "end time", &end) ||
            !ParseNumber(fields_[n - 3], "start value", &from) ||
            !ParseNumber(fields_[n - 2], "end value", &to) || !ParseCurve(&segment->iCurve)) {
            return false;
        }
        if (start < 0 || start > kLatestSeconds) return Fail(TimeRange("start", fields_[n - 5]));
        if (end < 0 || end > kLatestSeconds) return Fail(TimeRange("end", fields_[n - 4]));
        if (end < start) {
            return Fail(
                Join({"end time ", fields_[n - 4], " is before start time ", fields_[n - 5]}));
        }
        if (from < 0 || from > 1) return Fail(ValueRange("start", fields_[n - 3]));
        if (to < 0 || to > 1) return Fail(ValueRange("end", fields_[n - 2]));
        segment->rtStart = std::llround(start * kUnitsPerSecond);
        segment->rtEnd = std::llround(end * kUnitsPerSecond);
        segment->valStart = static_cast<MP_DATA>(from);
        segment->valEnd = static_cast<MP_DATA>(to);
        segment->flags = 0;
        return true;
    }

    const std::string& Problem() const { return problem_; }

private:
    bool Fail(std::string problem) {
        problem_ = std::move(problem);
        return false;
    }

    static std::string TimeRange(const char* which, std::string_view text) {
        return Join({which, " time ", text, " is outside 0 to 1000000000 seconds"});
    }
    static std::string ValueRange(const char* which, std::string_view text) {
        return Join({which, " value ", text, " is outside 0 to 1"});
    }

    bool ParseParameter(int* index) {
        const std::size_t words = fields_.size() - 5;
        if (words == 1) {
            const std::string_view text = fields_[0];
            int value = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec == std::errc() && end == text.data() + text.size()) {
                if (value < 0 || value >= kParamCount) {
                    return Fail(Join({"parameter index ", text, " is outside 0 to ",
                                      std::to_string(kParamCount - 1)}));
                }
                *index = value;
                return true;
            }
        }
        std::string label;
        for (std::size_t k = 0; k < words; ++k) {
            if (k != 0) label += ' ';
            label += fields_[k];
        }
        for (int i = 0; i < kParamCount; ++i) {
            if (SameText(label, kParameters[i].label)) {
                *index = i;
                return true;
            }
        }
        return Fail(Join({"unknown parameter ", Quoted(label)}));
    }

    bool ParseNumber(std::string_view text, const char* what, double* value) {
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(*value)) {
            return Fail(Join({what, " ", Quoted(text), " is not a number"}));
        }
        return true;
    }

    bool ParseCurve(MP_CURVE_TYPE* curve) {
        const std::string_view text = fields_.back();
        for (const CurveName& c : kCurves) {
            if (SameText(text, c.name)) {
                *curve = c.curve;
                return true;
            }
        }
        return Fail(Join({"unknown curve ", Quoted(text),
                          " (expected jump, linear, square, invsquare or sine)"}));
    }

    std::vector<std::string_view> fields_;
    std::string problem_;
};

}  // namespace

std::size_t AutomationScript::SegmentCount() const {
    std::size_t n = 0;
    for (const auto& list : segments) n += list.size();
    return n;
}

bool ParseAutomation(std::string_view text, AutomationScript* script, std::string* error) {
    AutomationScript parsed;
    int lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t eol = text.find('\n', at);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(at, eol - at);
        at = eol + 1;
        ++lineNumber;

        const std::size_t comment = line.find('#');
        if (comment != std::string_view::npos) line = line.substr(0, comment);
        std::vector<std::string_view> fields = SplitFields(line);
        if (fields.empty()) continue;
        auto fail = [&](const std::string& problem) {
            *error = Join({"line ", std::to_string(lineNumber), ": ", problem});
            *script = AutomationScript{};
            return false;
        };
        if (fields.size() < 6) {
            return fail(
                Join({"expected PARAMETER START END FROM TO CURVE, found ",
                      std::to_string(fields.size()), fields.size() == 1 ? " field" : " fields"}));
        }
        LineParser parser(std::move(fields));
        int index = 0;
        MP_ENVELOPE_SEGMENT segment{};
        if (!parser.Parse(&index, &segment)) return fail(parser.Problem());
        parsed.segments[index].push_back(segment);
    }
    *script = std::move(parsed);
    error->clear();
    return true;
}

bool ReadAutomationFile(const std::string& path, AutomationScript* script, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    if (file) contents << file.rdbuf();
    if (!file || file.bad()) {
        *script = AutomationScript{};
        *error = Join({path, ": cannot read the file"});
        return false;
    }
    if (ParseAutomation(contents.str(), script, error)) return true;
    // "line N: problem" becomes "PATH:N: problem".
    *error = Join({path, ":", std::string_view(*error).substr(5)});
    return false;
}

HRESULT ApplyAutomation(IMediaParams* params, AutomationScript* script) {
    if (params == nullptr || script == nullptr) return E_POINTER;
    for (int i = 0; i < kParamCount; ++i) {
        auto& list = script->segments[i];
        if (list.empty()) continue;
        const HRESULT hr = params->AddEnvelope(static_cast<DWORD>(i),
                                               static_cast<DWORD>(list.size()), list.data());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}
