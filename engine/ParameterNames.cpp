// Parameter lookup by name (see ParameterNames.h).
#include "engine/ParameterNames.h"

#include "engine/ParameterTable.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Drops leading and trailing blanks and turns each run of blanks into one space.
std::string_view::size_type NextWordChar(std::string_view s, std::string_view::size_type i) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

}  // namespace

bool SameParameterName(std::string_view a, std::string_view b) {
    auto i = NextWordChar(a, 0), j = NextWordChar(b, 0);
    while (i < a.size() && j < b.size()) {
        if (IsBlank(a[i]) || IsBlank(b[j])) {
            // A gap must stand in both names at this point, and lead on to more words.
            if (!(IsBlank(a[i]) && IsBlank(b[j]))) return false;
            i = NextWordChar(a, i);
            j = NextWordChar(b, j);
            if ((i == a.size()) != (j == b.size())) return false;
            continue;
        }
        if (Lower(a[i]) != Lower(b[j])) return false;
        ++i;
        ++j;
    }
    return NextWordChar(a, i) == a.size() && NextWordChar(b, j) == b.size();
}

int FindParameter(std::string_view name) {
    for (int i = 0; i < kParamCount; ++i) {
        if (SameParameterName(name, kParameters[i].label)) return i;
    }
    return -1;
}
