// Applies the renderer's --set NAME=VALUE settings to the engine: the eighteen parameters by
// their labels, and the Tail and Stereo switches, in the engine's physical units.
#pragma once

#include <string>

#include "engine/AudioTransform.h"

// Returns false with a one-line *error for an unknown name, a value that is not a whole number
// (or on/off for a switch), or a value outside the parameter's range.
bool ApplySetting(CAudioTransform& engine, const std::string& name, const std::string& value,
                  std::string* error);
