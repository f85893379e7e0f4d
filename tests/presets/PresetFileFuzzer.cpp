// Fuzz target (libFuzzer entry point) for the INI reader and the preset store: any bytes as a
// preset file are read with cut buffers, loaded, imported with both answers to the duplicate
// question, sorted, applied to an engine, saved over a copy and loaded again. Checks the
// reader's contract and the store's invariants; a crash or a sanitizer report is a failure.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/StandaloneReverb.h"
#include "presets/PresetData.h"
#include "presets/PresetList.h"

namespace {

// A private folder for the files of one fuzzing process, removed when it exits.
struct FuzzFolder {
    FuzzFolder() {
        path = std::filesystem::temp_directory_path() /
               ("qv-preset-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// The reader's contract: at most size - 1 characters, NUL-terminated, counted exactly.
void ReadWithBuffers(const char* path, const char* section, const char* key) {
    for (DWORD size : {1u, 2u, 16u, 128u, 4096u}) {
        char buffer[4096 + 8];
        std::memset(buffer, 0x5A, sizeof buffer);
        const DWORD length =
            GetPrivateProfileStringA(section, key, "KEY_NOT_FOUND", buffer, size, path);
        Check(length < size, "length below the buffer size");
        Check(buffer[length] == '\0', "NUL after the value");
        Check(std::strlen(buffer) == length, "length counts the characters");
        Check(static_cast<unsigned char>(buffer[size]) == 0x5A, "nothing written past size");
    }
}

bool SortedPair(const PresetRecord& a, const PresetRecord& b) {
    auto compare = [](const char* x, const char* y) {
        if (x[0] == '\0' || y[0] == '\0') return (x[0] == '\0') - (y[0] == '\0');
        for (;; ++x, ++y) {
            const int cx = std::tolower(static_cast<unsigned char>(*x));
            const int cy = std::tolower(static_cast<unsigned char>(*y));
            if (cx != cy || cx == 0) return cx - cy;
        }
    };
    const int banks = compare(a.bank, b.bank);
    return banks < 0 || (banks == 0 && compare(a.name, b.name) <= 0);
}

void CheckList(const CPresetList& store) {
    for (int i = 0; i + 1 < store.Count(); ++i) {
        Check(SortedPair(*store.At(i), *store.At(i + 1)), "sorted list");
    }
    for (int i = 0; i < store.Count(); ++i) {
        Check(store.At(i)->data != nullptr, "every preset has a data line");
        Check(store.At(i)->id > kPresetIdBase, "ids above the base");
        Check(std::strlen(store.At(i)->name) < kPresetTextSize, "name fits");
        Check(std::strlen(store.At(i)->bank) < kPresetTextSize, "bank fits");
        Check(std::strlen(store.At(i)->data) < 4096, "data line cut to 4095");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzFolder folder;
    const std::string input = (folder.path / "input.ini").string();
    const std::string saved = (folder.path / "saved.ini").string();
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    ReadWithBuffers(input.c_str(), "Plug-in", "CLSID");
    ReadWithBuffers(input.c_str(), "Preset1", "Data");
    ReadWithBuffers(input.c_str(), "", "");
    // Names taken from the input itself reach the matching paths.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t open = text.find('[');
    const std::size_t close = text.find(']', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && close != std::string::npos) {
        const std::string section = text.substr(open + 1, close - open - 1);
        const std::size_t equals = text.find('=', close);
        const std::size_t start = text.find_first_of("\r\n", close);
        if (equals != std::string::npos && start != std::string::npos && start < equals) {
            ReadWithBuffers(input.c_str(), section.c_str(),
                            text.substr(start + 1, equals - start - 1).c_str());
        }
    }

    CPresetList store(nullptr, nullptr, kPresetPluginName);
    store.SetAlternativeKey(kAlternativeClassKeyPath);
    int questions = 0;
    store.SetMessageHandler([&](HWND, const char*, const char*, UINT type) {
        if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
        return ++questions % 2 == 0 ? IDYES : IDNO;
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
        int applied = -1;
        const HRESULT hr =
            ApplyPresetData(engine, store.At(i)->data, store.At(i)->version, &applied);
        Check(hr == (applied == kParamCount ? S_OK : S_FALSE), "apply result");
        int values[kParamCount];
        ReadPresetValues(engine, values);
        for (int p = 0; p < kParamCount; ++p) {
            Check(values[p] >= kParameters[p].minimum && values[p] <= kParameters[p].maximum,
                  "the engine holds values in range");
        }
    }

    // Save over a copy of the input, then load what was saved. (Sections beyond a gap in the
    // input stay in the file and may join the list when it has grown up to them.)
    std::filesystem::copy_file(input, saved, std::filesystem::copy_options::overwrite_existing);
    Check(store.SaveAll(kFilterClassKeyPath, saved.c_str()), "save succeeds");
    CPresetList reloaded(nullptr, nullptr, kPresetPluginName);
    reloaded.SetMessageHandler([](HWND, const char*, const char*, UINT) { return IDOK; });
    reloaded.LoadFile(kFilterClassKeyPath, saved.c_str());
    CheckList(reloaded);
    return 0;
}
