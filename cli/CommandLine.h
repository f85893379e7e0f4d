// The renderer's command line: options for rendering a file, parsed into one record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct RenderOptions {
    std::string input;
    std::string output;
    std::vector<std::pair<std::string, std::string>> settings;  // --set NAME=VALUE, in order
    bool tail = true;                                           // --no-tail turns it off
    bool bypass = false;
    bool overwriteInput = false;  // --overwrite-input: an output may replace a file the run reads
    std::uint32_t blockFrames = 4096;
    std::string automationFile;  // --automation: envelope segments, see host/AutomationFile.h
    std::string stateFile;       // --state: a saved state applied before rendering
    std::string saveStateFile;   // --save-state: the state written after rendering
    std::string presetName;      // --preset: a stored preset applied before any --set
    std::string presetBank;      // --bank: the preset's bank
    std::string presetFile;      // --preset-file: the preset file (else the one beside the program)
    bool help = false;
};

// Parses the arguments after the program name. Returns false with a one-line *error naming the
// problem (an unknown option, a missing value, a malformed block size, a missing file name).
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions* options,
                        std::string* error);

// The --help text.
std::string RenderUsage();

// Helpers of both command lines (rendering and presets). TakeOptionValue reads the value that
// follows the option at args[*at], moving *at on to it; false with *error when none follows.
// ParseSetting splits the NAME=VALUE of a --set.
bool TakeOptionValue(const std::vector<std::string>& args, size_t* at, std::string* value,
                     std::string* error);
bool ParseSetting(const std::string& text, std::pair<std::string, std::string>* setting,
                  std::string* error);
