// The LV2 plug-in's identity and port layout, shared by the plug-in library and by the program
// that writes its description at build time, so the two cannot disagree.
#pragma once

#include <string>

#include "engine/ParameterTable.h"

inline constexpr char kPluginUri[] = "urn:halvern:qv-reverb";
// The one state property: the engine's 100-byte saved state as an atom:Chunk.
inline constexpr char kStateKeyUri[] = "urn:halvern:qv-reverb#state";

// Ports: stereo audio in and out, then one control input per parameter in table order, then
// the Stereo/Mono and Tail switches.
namespace Port {
constexpr int kInputLeft = 0;
constexpr int kInputRight = 1;
constexpr int kOutputLeft = 2;
constexpr int kOutputRight = 3;
constexpr int kFirstParameter = 4;
constexpr int kStereo = kFirstParameter + kParamCount;
constexpr int kTail = kStereo + 1;
constexpr int kCount = kTail + 1;
}  // namespace Port

// A port symbol from a label: lower case, words joined by '_', other characters dropped
// ("E.R. Mute" gives "er_mute").
inline std::string PortSymbol(const char* label) {
    std::string symbol;
    for (const char* c = label; *c != '\0'; ++c) {
        if (*c >= 'A' && *c <= 'Z') {
            symbol += static_cast<char>(*c - 'A' + 'a');
        } else if ((*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9')) {
            symbol += *c;
        } else if (*c == ' ' && !symbol.empty() && symbol.back() != '_') {
            symbol += '_';
        }
    }
    return symbol;
}
