// Natively the folder of the test program is the folder the preset store looks in.
#include "platform/PresetLocation.h"
#include "tests/presets/PresetTestSupport.h"

std::string BesideTestProgram(const char* name) {
    char path[4096];
    return ResolvePresetFilePath(kFilterClassKeyPath, name, path, sizeof path) ? path : "";
}

bool RunningUnderWine() {
    return false;
}
