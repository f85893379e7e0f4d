// dxhost's command line, parsed into one record.
#pragma once

#include <string>
#include <vector>

#include "engine/Identifiers.h"
#include "platform/Platform.h"

struct HostOptions {
    std::string input;
    std::string output;
    CLSID filter = CLSID_HqPlugIn;  // the reverb, unless --clsid names another
    int staticPreset = -1;          // --static-preset N; -1: none
    std::string stateFile;          // --state FILE: IPersistStream::Load before the run
    std::string saveStateFile;      // --save-state FILE: IPersistStream::Save after it
    std::string automationFile;     // --automation FILE: envelopes through IMediaParams
    int blockFrames = 4096;         // --block N: frames per media sample
    bool editor = false;            // --editor: the filter's property pages before the run
    bool help = false;
};

// Parses the arguments after the program name. Returns false with a one-line *error naming
// the problem (an unknown option, a missing or malformed value, missing or extra files).
bool ParseHostOptions(const std::vector<std::string>& args, HostOptions* options,
                      std::string* error);

// The --help text.
std::string HostUsage();
