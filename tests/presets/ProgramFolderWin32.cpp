// The folder of the test program, from the module's own file name, and whether the platform is
// Wine.
#include <cstring>

#include "tests/presets/PresetTestSupport.h"

std::string BesideTestProgram(const char* name) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    char* lastBackslash = std::strrchr(path, '\\');
    if (lastBackslash == nullptr) return "";
    return std::string(path, lastBackslash + 1) + name;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
