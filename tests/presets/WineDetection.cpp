// Whether the INI functions under test are Wine's rather than Windows' own (Windows builds).
#include "tests/presets/PresetTestSupport.h"

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
