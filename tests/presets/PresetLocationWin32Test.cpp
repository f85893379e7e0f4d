// On Windows the machine registry names the preset library's folder: the class key's
// "PluginPath", else the folder of the registered server library.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/PresetLocation.h"
#include "presets/PresetList.h"
#include "tests/presets/PresetTestSupport.h"

namespace {

// A class key of this test's own under HKEY_LOCAL_MACHINE, removed again afterwards.
constexpr char kTestClassKey[] = "SOFTWARE\\Classes\\CLSID\\{7E0C55A1-0D3B-4C2E-9F61-3B8A2D94E517}";

class RegistryLocation : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestClassKey); }

    static void SetString(const std::string& keyPath, const char* name, const char* value) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        const LONG status =
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
        RegCloseKey(key);
        ASSERT_EQ(ERROR_SUCCESS, status);
    }

    static std::string Resolve() {
        char path[kPresetPathSize];
        std::memset(path, '#', sizeof path);
        if (!ResolvePresetFilePath(kTestClassKey, kPresetFileName, path, sizeof path)) {
            EXPECT_EQ('\0', path[0]);
            return "<none>";
        }
        return path;
    }

    const std::string serverKey_ = std::string(kTestClassKey) + "\\InprocServer32";
};

TEST_F(RegistryLocation, NoKeyMeansNoPath) {
    EXPECT_EQ("<none>", Resolve());
}

TEST_F(RegistryLocation, PluginPathComesFirst) {
    SetString(serverKey_, nullptr, "C:\\Program Files\\Halvern\\qvReverb.dll");
    SetString(kTestClassKey, "PluginPath", "D:\\Presets");
    EXPECT_EQ("D:\\Presets\\qvDavezoDU.ini", Resolve());
    SetString(kTestClassKey, "PluginPath", "D:\\Presets\\");
    EXPECT_EQ("D:\\Presets\\qvDavezoDU.ini", Resolve());
}

TEST_F(RegistryLocation, OtherwiseTheServerLibrarysFolder) {
    SetString(serverKey_, nullptr, "C:\\Program Files\\Halvern\\qvReverb.DLL");
    EXPECT_EQ("C:\\Program Files\\Halvern\\qvDavezoDU.ini", Resolve());
    SetString(serverKey_, nullptr, "C:\\Program Files\\Halvern\\qvReverb.exe");
    EXPECT_EQ("<none>", Resolve());
    SetString(serverKey_, nullptr, "qvReverb.dll");
    EXPECT_EQ("<none>", Resolve());
}

TEST_F(RegistryLocation, APathThatDoesNotFitIsNoPath) {
    SetString(kTestClassKey, "PluginPath", ("C:\\" + std::string(250, 'p')).c_str());
    EXPECT_EQ("<none>", Resolve());
}

TEST_F(RegistryLocation, TheStoreLoadsFromTheRegisteredFolder) {
    const std::string bank = BesideTestProgram(kPresetFileName);
    const std::string folder = bank.substr(0, bank.rfind('\\'));
    SetString(kTestClassKey, "PluginPath", folder.c_str());

    // The factory bank beside the test program carries the filter's identity, not this key's.
    CPresetList store(nullptr, nullptr, kPresetPluginName);
    int messages = 0;
    store.SetMessageHandler([&](HWND, const char*, const char*, UINT) {
        ++messages;
        return IDOK;
    });
    store.Load(kTestClassKey, kPresetFileName);
    EXPECT_EQ(bank, store.FilePath());
    EXPECT_EQ(0, store.Count());
    EXPECT_EQ(1, messages);

    CPresetList nowhere(nullptr, nullptr, kPresetPluginName);
    nowhere.Load("SOFTWARE\\Classes\\CLSID\\{7E0C55A1-0D3B-4C2E-9F61-3B8A2D94E518}",
                 kPresetFileName);
    EXPECT_STREQ("", nowhere.FilePath());
    EXPECT_FALSE(nowhere.Save());
}

}  // namespace
