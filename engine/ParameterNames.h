// Looking parameters up by the names people type: the labels of the parameter table, without
// regard to letter case or to the amount of space between words ("high cut", "High  Cut").
#pragma once

#include <string_view>

// The parameter index of `name`, or -1 when no label matches.
int FindParameter(std::string_view name);

// True when two names are equal apart from letter case and runs of spaces or tabs.
bool SameParameterName(std::string_view a, std::string_view b);
