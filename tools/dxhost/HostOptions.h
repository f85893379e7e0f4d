// dxhost's command line, parsed into one record.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

// The reverb filter, hosted when no --clsid is given.
inline constexpr CLSID kDefaultFilterClsid = {
    0x6B1E2F40, 0x3C7A, 0x4D95, {0x9E, 0x21, 0x7A, 0x5C, 0x0D, 0x84, 0xB3, 0xF1}};

struct HostOptions {
    std::string input;
    std::string output;
    CLSID filter = kDefaultFilterClsid;
    int staticPreset = -1;       // --static-preset N; -1: none
    std::string stateFile;       // --state FILE: IPersistStream::Load before the run
    std::string saveStateFile;   // --save-state FILE: IPersistStream::Save after it
    std::string automationFile;  // --automation FILE: envelopes through IMediaParams
    int blockFrames = 4096;      // --block N: frames per media sample
    bool editor = false;         // --editor: the filter's property pages before the run
    bool help = false;
};

// Parses the arguments after the program name. Returns false with a one-line *error naming
// the problem (an unknown option, a missing or malformed value, missing or extra files).
bool ParseHostOptions(const std::vector<std::string>& args, HostOptions* options,
                      std::string* error);

// The --help text.
std::string HostUsage();
