// Saved states in files: the 100-byte stream a host keeps in its project (or an older, shorter
// form), read into the engine through its IPersistStream operations and written from them.
#pragma once

#include <string>

#include "engine/AudioTransform.h"

// False with a one-line *error when the file cannot be read or is not a saved state.
bool LoadStateFile(CAudioTransform& engine, const std::string& path, std::string* error);
// Writes under a temporary name and moves it into place; false with *error on failure.
bool SaveStateFile(CAudioTransform& engine, const std::string& path, std::string* error);
