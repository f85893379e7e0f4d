// On Windows the machine registry names the preset library's folder: the class key's
// "PluginPath", else the folder of the registered server library.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/PresetLocation.h"
#include "tests/presets/PresetTestSupport.h"

std::string BesideTestProgram(const char* name) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, std::strrchr(path, '\\') + 1) + name
                                           : "";
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

namespace {

// A class key of this test's own under HKEY_LOCAL_MACHINE, removed again afterwards.
constexpr char kTestClassKey[] = "SOFTWARE\\Classes\\CLSID\\{7E0C55A1-0D3B-4C2E-9F61-3B8A2D94E517}";

void SetString(const std::string& keyPath, const char* name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)));
    RegCloseKey(key);
}

TEST(RegistryLocation, PluginPathElseTheServerLibrarysFolder) {
    const std::string tooLong = "C:\\" + std::string(250, 'p');
    // PluginPath, the server library (empty: no value) and the path found (empty: none).
    const char* const cases[][3] = {
        {"", "", ""},
        {"D:\\Presets", "C:\\Halvern\\qvReverb.dll", "D:\\Presets\\qvDavezoDU.ini"},
        {"D:\\Presets\\", "", "D:\\Presets\\qvDavezoDU.ini"},
        {"", "C:\\Program Files\\Halvern\\qvReverb.DLL",
         "C:\\Program Files\\Halvern\\qvDavezoDU.ini"},
        {"", "C:\\Program Files\\Halvern\\qvReverb.exe", ""},
        {"", "qvReverb.dll", ""},
        {tooLong.c_str(), "", ""}};
    for (const auto& c : cases) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestClassKey);
        if (c[0][0] != '\0') SetString(kTestClassKey, "PluginPath", c[0]);
        if (c[1][0] != '\0')
            SetString(std::string(kTestClassKey) + "\\InprocServer32", nullptr, c[1]);
        char path[kPresetPathSize] = "#";
        EXPECT_EQ(c[2][0] != '\0',
                  ResolvePresetFilePath(kTestClassKey, kPresetFileName, path, sizeof path));
        EXPECT_STREQ(c[2], path) << c[0] << " " << c[1];
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestClassKey);
}

}  // namespace
