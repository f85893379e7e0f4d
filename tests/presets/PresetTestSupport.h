// Helpers of the preset tests: scratch files, INI reads, and the preset file's own syntax.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "presets/PresetList.h"

using Strings = std::vector<std::string>;

// Defined with the location tests of each platform: whether the INI functions are Wine's.
bool RunningUnderWine();

// A path that no file has had yet, so that the platform's profile cache never sees a file
// change behind its back, in a scratch folder removed at exit.
inline std::string ScratchPath(const std::string& name = "presets.ini") {
    static const struct Folder {
        ~Folder() { std::filesystem::remove_all(path); }
        std::filesystem::path path =
            std::filesystem::temp_directory_path() /
            ("qv-presets-" +
             std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
    } folder;
    static int counter = 0;
    std::filesystem::create_directories(folder.path);
    return (folder.path / (std::to_string(++counter) + "-" + name)).string();
}

inline std::string ScratchFile(const std::string& bytes) {
    const std::string path = ScratchPath();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

inline bool FileExists(const std::string& path) {
    std::error_code error;  // a name too long for the file system is not there either
    return std::filesystem::exists(path, error);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// GetPrivateProfileStringA into a buffer of `size` bytes, as a string.
inline std::string Profile(const std::string& path, const char* section, const char* key,
                           DWORD size = 4096, const char* defaultValue = "<absent>") {
    std::string value(size + 8, '#');
    value.resize(
        GetPrivateProfileStringA(section, key, defaultValue, value.data(), size, path.c_str()));
    return value;
}

// Sections as the store writes them.
inline std::string PresetSection(int number, const std::string& version, const std::string& name,
                                 const std::string& bank, const std::string& data) {
    return "[Preset" + std::to_string(number) + "]\r\nVersion=" + version + "\r\nName=" + name +
           "\r\nBank=" + bank + "\r\nData=" + data + "\r\n";
}
inline std::string PluginSection(const std::string& identity = kFilterClassKeyPath,
                                 bool withDefault = true) {
    return "[Plug-in]\r\nPluginName=qv:Reverb\r\nCLSID=" + identity + "\r\n" +
           (withDefault ? "DefaultPreset=1\r\n" : "");
}

inline constexpr char kDefaultDataLine[] = "0,75,40,0,50,100,10,500,15,40,0,-35,-120,100,0,0,0,0";
