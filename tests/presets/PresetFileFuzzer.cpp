// Fuzz target (libFuzzer entry point) for the INI reader and the preset store: any bytes as a
// preset file are read with cut buffers, loaded, imported answering the duplicate questions
// both ways, applied to an engine, saved over a copy and loaded again. A crash, a sanitizer
// report or a broken invariant (an abort) is a failure.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/StandaloneReverb.h"
#include "presets/PresetData.h"
#include "presets/PresetList.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Every record is whole and the list is sorted: sorting it again moves nothing.
void CheckList(CPresetList& store) {
    std::vector<int> ids;
    for (int i = 0; i < store.Count(); ++i) {
        const PresetRecord& p = *store.At(i);
        Check(p.data != nullptr && std::strlen(p.data) < 4096 && p.id > kPresetIdBase, "record");
        Check(std::strlen(p.name) < kPresetTextSize && std::strlen(p.bank) < kPresetTextSize, "");
        ids.push_back(store.IdAt(i));
    }
    store.SortPresets();
    for (int i = 0; i < store.Count(); ++i) Check(store.IdAt(i) == ids[i], "sorted");
}

// A folder of this process's files, removed when it exits.
struct Folder {
    ~Folder() { std::filesystem::remove_all(path); }
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("qv-preset-fuzz-" + std::to_string(::getpid()));
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folder folder;
    std::filesystem::create_directories(folder.path);
    const std::string input = (folder.path / "in.ini").string();
    const std::string saved = (folder.path / "saved.ini").string();
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    // The reader's contract: at most size - 1 characters, NUL-terminated, counted exactly,
    // nothing written beyond the buffer.
    for (const char* key : {"CLSID", "Data", ""}) {
        for (DWORD bytes : {1u, 2u, 16u, 4096u}) {
            char value[4096 + 8];
            std::memset(value, 0x5A, sizeof value);
            const DWORD length =
                GetPrivateProfileStringA(*key == 'C' ? "Plug-in" : "Preset1", key, "KEY_NOT_FOUND",
                                         value, bytes, input.c_str());
            Check(length < bytes && std::strlen(value) == length, "length counts the characters");
            Check(static_cast<unsigned char>(value[bytes]) == 0x5A, "nothing written past size");
        }
    }

    CPresetList store(nullptr, nullptr, kPresetPluginName);
    store.SetAlternativeKey(kAlternativeClassKeyPath);
    int questions = 0;
    store.SetMessageHandler([&](HWND, const char*, const char*, UINT type) {
        return (type & MB_TYPEMASK) != MB_YESNO ? IDOK : (++questions % 2 == 0 ? IDYES : IDNO);
    });
    store.LoadFile(kFilterClassKeyPath, input.c_str());
    CheckList(store);
    store.Import(input.c_str());
    store.SortPresets();
    CheckList(store);

    static CStandaloneReverb* const engine = [] {
        HRESULT status = S_OK;
        return new CStandaloneReverb(&status);  // lives as long as the process
    }();
    for (int i = 0; i < store.Count(); ++i) {
        int applied = -1, values[kParamCount];
        const HRESULT hr =
            ApplyPresetData(engine, store.At(i)->data, store.At(i)->version, &applied);
        Check(hr == (applied == kParamCount ? S_OK : S_FALSE), "apply result");
        ReadPresetValues(engine, values);
        for (int p = 0; p < kParamCount; ++p) {
            Check(values[p] >= kParameters[p].minimum && values[p] <= kParameters[p].maximum,
                  "range");
        }
    }

    // Saved over a copy of the input, the list loads again.
    std::filesystem::copy_file(input, saved, std::filesystem::copy_options::overwrite_existing);
    Check(store.SaveAll(kFilterClassKeyPath, saved.c_str()), "save succeeds");
    CPresetList reloaded(nullptr, nullptr, kPresetPluginName);
    reloaded.SetMessageHandler([](HWND, const char*, const char*, UINT) { return IDOK; });
    reloaded.LoadFile(kFilterClassKeyPath, saved.c_str());
    CheckList(reloaded);
    return 0;
}
