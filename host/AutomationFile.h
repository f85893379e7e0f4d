// Reads automation scripts: a small text format that describes envelope segments for the
// eighteen parameters, handed to IMediaParams::AddEnvelope as a host would. Used by the
// command-line renderer (--automation FILE) and by the Windows host program.
//
// Automation file format
// ----------------------
// One envelope segment per line:
//
//     PARAMETER  START  END  FROM  TO  CURVE
//
//   PARAMETER  the parameter's label, as the plug-in publishes it (letter case and the spaces
//              between words do not matter), or its index:
//                0 Input         6 Bass Mult      12 Reverb
//                1 Low Cut       7 Crossover      13 Width
//                2 High Cut      8 Decay          14 Input Mute
//                3 Predelay      9 High Damping   15 Dry Mute
//                4 Room Size    10 Dry            16 E.R. Mute
//                5 Diffusion    11 E.R.           17 Reverb Mute
//   START END  start and end of the segment, in seconds from the start of the audio
//              (0 <= START <= END <= 1000000000). Times are moved to the start of their
//              sample frame.
//   FROM TO    the parameter's value at START and at END, normalised: 0 is the parameter's
//              minimum and 1 its maximum (a mute is on from 0.5).
//   CURVE      how the value moves from FROM to TO: jump (stays at FROM until END), linear,
//              square (slow start), invsquare (slow end) or sine (slow start and end).
//
// Fields are separated by spaces or tabs. A '#' starts a comment that runs to the end of the
// line; blank lines are ignored. Between segments, and after the last one, a parameter keeps
// the TO value of the segment before. Before its first segment a parameter keeps the value
// it had (its setting or the loaded state).
//
// Example:
//
//     # Decay from 0.1 s to 10 s over the first 8 seconds, then back to 1.5 s at once.
//     Decay      0  8  0  0.4975  linear
//     Decay      8  8  0.0704  0.0704  jump
//     room size  2  4  0.2  0.9   sine
//     16         5  6  1    1     jump      # E.R. Mute on from 5 s to 6 s
//
// A line that does not follow the format is reported with its number and the problem, and
// nothing of the file is used.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/ParameterTable.h"
#include "platform/Platform.h"

// The segments of a script, per parameter index, in the order of the file. Times are
// REFERENCE_TIME (100 ns), values normalised, flags 0.
struct AutomationScript {
    std::vector<MP_ENVELOPE_SEGMENT> segments[kParamCount];

    std::size_t SegmentCount() const;
};

// Parses script text. On success fills *script and returns true; otherwise returns false,
// leaves *script empty and sets *error to "line N: problem".
bool ParseAutomation(std::string_view text, AutomationScript* script, std::string* error);

// Reads and parses a file. Errors read "PATH:N: problem", or "PATH: cannot read the file".
bool ReadAutomationFile(const std::string& path, AutomationScript* script, std::string* error);

// Hands every parameter's segments to `params` through AddEnvelope, parameter by parameter;
// the snapped times are written back into the script. Returns the first failure, else S_OK.
HRESULT ApplyAutomation(IMediaParams* params, AutomationScript* script);
