// The renderer and the preset library: a stored preset applied before rendering, and the
// `halvern-reverb presets ...` commands.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/AudioTransform.h"

// Applies the preset `name` (in `bank`, or the first of that name in any bank when bank is
// empty) from `file`, or from the preset file beside the program when file is empty. False
// with a one-line *error when there is no such preset. The store's own messages (a foreign
// file, for instance) go to `err`.
bool ApplyStoredPreset(CAudioTransform& engine, const std::string& name, const std::string& bank,
                       const std::string& file, std::ostream& err, std::string* error);

// `halvern-reverb presets ARGS...`; returns the exit code.
int RunPresetCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
