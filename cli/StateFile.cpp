// Saved-state files (see StateFile.h).
#include "cli/StateFile.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "cli/RenderFile.h"

namespace {

// Owns one reference on a stream.
struct StreamHolder {
    IStream* stream = nullptr;
    ~StreamHolder() {
        if (stream != nullptr) stream->Release();
    }
};

}  // namespace

bool LoadStateFile(CAudioTransform& engine, const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read the state " + path;
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    StreamHolder holder;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &holder.stream))) {
        *error = "not enough memory to read the state " + path;
        return false;
    }
    ULONG written = 0;
    LARGE_INTEGER start{};
    holder.stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    holder.stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(engine.Load(holder.stream))) {
        *error = path + " is not a saved state of this reverb";
        return false;
    }
    return true;
}

bool SaveStateFile(CAudioTransform& engine, const std::string& path, std::string* error) {
    StreamHolder holder;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &holder.stream)) ||
        FAILED(engine.Save(holder.stream, TRUE))) {
        *error = "cannot save the state";
        return false;
    }
    ULARGE_INTEGER size{};
    LARGE_INTEGER zero{};
    holder.stream->Seek(zero, STREAM_SEEK_END, &size);
    holder.stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    ULONG read = 0;
    holder.stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);

    const std::string partial = PartialPath(path);
    {
        std::ofstream file(partial, std::ios::binary);
        file.write(bytes.data(), read);
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
