// Helpers of the preset tests: scratch files, INI reads, the preset file's own syntax, and a
// recorder of a store's message boxes.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "presets/PresetList.h"

using Strings = std::vector<std::string>;

// Defined with the location tests of each platform: the full path of a file beside the test
// program (where the build copies the factory bank), and whether the INI functions are Wine's.
std::string BesideTestProgram(const char* name);
bool RunningUnderWine();

// A path in the tests' scratch folder (removed at exit) that no file has had yet, so that the
// platform's profile cache never sees a file change behind its back.
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
    std::error_code error;
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

// A message box as "<owner> <MB_ flags> <caption>: <text>"; the caption is the store's title.
inline std::string Box(HWND owner, UINT type, const std::string& text,
                       const std::string& caption = "qv:Reverb Preset Manager") {
    return std::to_string(reinterpret_cast<std::uintptr_t>(owner)) + " " + std::to_string(type) +
           " " + caption + ": " + text;
}

// Records a store's message boxes; yes/no questions get the queued answers in turn (No once the
// queue is empty), everything else IDOK.
struct MessageRecorder {
    explicit MessageRecorder(CPresetList& store) {
        store.SetMessageHandler(
            [this](HWND owner, const char* text, const char* caption, UINT type) {
                boxes.push_back(Box(owner, type, text, caption));
                if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
                const int answer = answers.empty() ? IDNO : answers.front();
                if (!answers.empty()) answers.erase(answers.begin());
                return answer;
            });
    }
    Strings Take() { return std::exchange(boxes, {}); }  // the boxes shown since the last Take

    Strings boxes;
    std::vector<int> answers;
};

inline constexpr char kDefaultDataLine[] = "0,75,40,0,50,100,10,500,15,40,0,-35,-120,100,0,0,0,0";
