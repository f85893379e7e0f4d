// libFuzzer target for the INI layer and the preset store: any bytes are loaded, saved over a copy
// and loaded again; a crash, a sanitizer report or a broken invariant (an abort) is a failure.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "presets/PresetList.h"
#include "tests/support/FuzzCheck.h"

namespace {

// Every record has its data line and an id, and the list is sorted: sorting again moves none.
void CheckList(CPresetList& store) {
    std::vector<int> ids;
    for (int i = 0; i < store.Count(); ++i) {
        const PresetRecord& p = *store.At(i);
        FuzzCheck(p.data != nullptr && std::strlen(p.data) < 4096 && p.id > kPresetIdBase,
                  "record");
        ids.push_back(store.IdAt(i));
    }
    store.SortPresets();
    for (int i = 0; i < store.Count(); ++i) FuzzCheck(store.IdAt(i) == ids[i], "sorted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv-preset-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string input = (folder / "in.ini").string();
    const std::string saved = (folder / "saved.ini").string();
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    CPresetList store(nullptr, nullptr, kPresetPluginName);
    store.SetMessageHandler([](HWND, const char*, const char*, UINT) { return IDOK; });
    store.LoadFile(kFilterClassKeyPath, input.c_str());
    CheckList(store);

    // Saved over a copy of the input, the list loads again.
    std::filesystem::copy_file(input, saved, std::filesystem::copy_options::overwrite_existing);
    FuzzCheck(store.SaveAll(kFilterClassKeyPath, saved.c_str()), "save succeeds");
    CPresetList reloaded(nullptr, nullptr, kPresetPluginName);
    reloaded.LoadFile(kFilterClassKeyPath, saved.c_str());
    CheckList(reloaded);
    std::filesystem::remove_all(folder);
    return 0;
}
