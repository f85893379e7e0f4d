// The editor page of a filter whose preset library is a copy of the factory bank in the test's
// folder (the registry's "PluginPath"), with what the tests read of the library and the engine.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "presets/PresetData.h"
#include "presets/PresetList.h"
#include "tests/page/PageTestSupport.h"

class PresetPageTest : public PageTest {
protected:
    void SetUp() override {
        char folder[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, folder);
        bank_ = std::string(folder) + "\\" + kPresetFileName;
        const std::wstring dll = PluginDllPath();
        const std::string factory(dll.begin(), dll.begin() + dll.rfind(L'\\') + 1);
        ASSERT_TRUE(CopyFileA((factory + kPresetFileName).c_str(), bank_.c_str(), FALSE));
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kFilterClassKeyPath,
                                                 "PluginPath", REG_SZ, folder, strlen(folder) + 1));
        PageTest::SetUp();
    }
    void TearDown() override {
        PageTest::TearDown();
        DeleteFileA(bank_.c_str());
    }

    // Presses the Presets button while the script answers what it opens.
    void Presets(UiScript& script) {
        Click(20015);
        EXPECT_TRUE(script.Done());
    }
    std::vector<std::string> MenuItems() {
        std::vector<std::string> items;
        UiScript script;
        script.Then(ReadMenu(&items));
        Presets(script);
        return items;
    }
    std::vector<int> StoredValues(const char* name) {
        CPresetList store(nullptr, nullptr, kPresetPluginName);
        store.LoadFile(kFilterClassKeyPath, bank_.c_str());
        std::vector<int> values(kParamCount);
        const PresetRecord* record = store.FindByName(name, nullptr);
        if (record != nullptr) ParseDataLine(record->data, values.data());
        return values;
    }
    std::vector<int> EngineValues() {
        std::vector<int> values(kParamCount);
        ReadPresetValues(engine_.Get(), values.data());
        return values;
    }
    std::string bank_;
};

inline bool Has(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}
