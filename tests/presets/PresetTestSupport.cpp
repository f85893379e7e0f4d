// Scratch files, INI reads and recorded message boxes for the preset tests.
#include "tests/presets/PresetTestSupport.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0;; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("qv-presets-" + std::to_string(stamp) +
                                                          "-" + std::to_string(attempt));
        if (fs::create_directory(candidate)) {
            folder_ = candidate.string();
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string ScratchFolder::NewPath(const std::string& stem) {
    return PathOf(stem + "-" + std::to_string(++counter_) + ".ini");
}

std::string ScratchFolder::PathOf(const std::string& name) const {
    return (fs::path(folder_) / name).string();
}

std::string ScratchFolder::NewFile(const std::string& bytes, const std::string& stem) {
    const std::string path = NewPath(stem);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Profile(const std::string& path, const char* section, const char* key, DWORD size,
                    const char* defaultValue) {
    std::string value(size + 8, '#');
    const DWORD length =
        GetPrivateProfileStringA(section, key, defaultValue, value.data(), size, path.c_str());
    value.resize(length);
    return value;
}

std::string PresetSection(int number, const std::string& version, const std::string& name,
                          const std::string& bank, const std::string& data) {
    std::ostringstream text;
    text << "[Preset" << number << "]\r\nVersion=" << version << "\r\nName=" << name
         << "\r\nBank=" << bank << "\r\nData=" << data << "\r\n";
    return text.str();
}

std::string PluginSection(const char* identity) {
    return std::string("[Plug-in]\r\nPluginName=qv:Reverb\r\nCLSID=") + identity +
           "\r\nDefaultPreset=1\r\n";
}

MessageRecorder::MessageRecorder(CPresetList& store) {
    store.SetMessageHandler([this](HWND owner, const char* text, const char* caption, UINT type) {
        messages_.push_back({owner, text, caption, type});
        if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
        return nextAnswer_ < answers_.size() ? answers_[nextAnswer_++] : IDNO;
    });
}
