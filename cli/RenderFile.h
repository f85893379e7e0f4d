// Renders one sound file through the engine (the renderer's main job).
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "cli/CommandLine.h"
#include "engine/StandaloneReverb.h"

// Where other features of the renderer join the run: the automation object the engine gets,
// settings applied before the --set list (a preset, a saved state), the automation clock before
// each input block, and work after the render (saving the state). A hook that returns false
// stops the run with its error; no output file is left behind.
struct RenderHooks {
    AutomationFactory createAutomation = nullptr;
    std::function<bool(CStandaloneReverb&, std::string*)> beforeSettings;
    std::function<void(CStandaloneReverb&, std::int64_t framePosition)> beforeBlock;
    std::function<bool(CStandaloneReverb&, std::string*)> afterRender;
};

// The temporary file beside `path` that an output (the sound file, a saved state) is written to
// before it is moved into place, so that a failed run leaves nothing behind and loses nothing.
inline std::string PartialPath(const std::string& path) {
    return path + ".partial";
}

// Returns the process exit code: 0 done, 1 a file or the reverb failed, 2 bad settings. Errors
// go to `err` as one line; the summary (peak meters, clips, what was written) to `out`.
int RenderFile(const RenderOptions& options, const RenderHooks& hooks, std::ostream& out,
               std::ostream& err);
