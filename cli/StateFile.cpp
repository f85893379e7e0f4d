// Saved-state files (see StateFile.h).
#include "cli/StateFile.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "cli/RenderFile.h"

bool LoadStateFile(CAudioTransform& engine, const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read the state " + path;
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    const HRESULT hr = LoadStateBytes(engine, bytes.data(), bytes.size());
    if (hr == E_OUTOFMEMORY) {
        *error = "not enough memory to read the state " + path;
        return false;
    }
    if (FAILED(hr)) {
        *error = path + " is not a saved state of this reverb";
        return false;
    }
    return true;
}

bool SaveStateFile(CAudioTransform& engine, const std::string& path, std::string* error) {
    std::vector<char> bytes;
    if (FAILED(SaveStateBytes(engine, &bytes))) {
        *error = "cannot save the state";
        return false;
    }

    const std::string partial = PartialPath(path);
    {
        std::ofstream file(partial, std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            file.close();
            std::remove(partial.c_str());
            *error = "cannot write the state " + path;
            return false;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        *error = "cannot write the state " + path;
        return false;
    }
    return true;
}
