// The Preset Manager dialog.
#include "presets/PresetList.h"

int CPresetList::OpenManager() {
    return 0;
}
