// The two built-in presets that a host lists in its own menus; both hold the default settings.
#pragma once

#include "engine/SetupBlock.h"

struct BuiltinPreset {
    char name[64];  // NUL-terminated ANSI text
    SetupBlock block;
};
static_assert(sizeof(BuiltinPreset) == 144, "a built-in preset record is 144 bytes");

constexpr int kBuiltinPresetCount = 2;
inline constexpr BuiltinPreset kBuiltinPresets[kBuiltinPresetCount] = {
    {"(Default)", kDefaultSetup},
    {"[1] Default Reverb", kDefaultSetup},
};
