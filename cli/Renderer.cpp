// The halvern-reverb program: parses the command line, then renders a file with the features
// the options ask for joined to the run, or runs a presets command (see Renderer.h).
#include "cli/Renderer.h"

#include <filesystem>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/PresetCommands.h"
#include "cli/RenderFile.h"
#include "cli/StateFile.h"
#include "host/AutomationFile.h"
#include "host/MediaParams.h"

namespace {

// The engine's automation object, which the renderer drives as the filter does.
CMediaParams* AutomationOf(CStandaloneReverb& engine) {
    return static_cast<CMediaParams*>(engine.Automation());
}

// Whether two paths name one existing file, by identity (device and inode), so that another
// spelling of the path, a hard link or a symbolic link to the file counts as the file.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec) && !ec;
}

// The run never writes over a file it reads: an output (OUT, --save-state) that is one of its
// inputs is refused unless --overwrite-input asks for it, and is then written through to the
// input itself (past a symbolic link) under a temporary name moved over it only at the end. That
// temporary file may never be an input, whatever the option: opening it for writing empties it.
bool KeepInputsSafe(RenderOptions* options, std::string* error) {
    const std::pair<const char*, const std::string*> inputs[] = {
        {"the input", &options->input},
        {"the state", &options->stateFile},
        {"the automation file", &options->automationFile},
        {"the preset file", &options->presetFile}};
    for (std::string* output : {&options->output, &options->saveStateFile}) {
        for (const auto& [role, input] : inputs) {
            if (!SameFile(*output, *input)) continue;
            if (!options->overwriteInput) {
                *error = *output + " is " + role + " " + *input +
                         ", which would be overwritten (--overwrite-input allows it)";
                return false;
            }
            std::error_code ec;
            const std::filesystem::path target = std::filesystem::canonical(*output, ec);
            if (!ec) *output = target.string();
        }
        for (const auto& [role, input] : inputs) {
            if (SameFile(PartialPath(*output), *input)) {
                *error = PartialPath(*output) + ", where " + *output + " is written first, is " +
                         role + " " + *input;
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int RunRenderer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && args[0] == "presets") {
        return RunPresetCommand(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    }
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(args, &options, &error)) {
        err << "halvern-reverb: " << error << " (see --help)\n";
        return 2;
    }
    if (options.help) {
        out << RenderUsage();
        return 0;
    }
    if (!KeepInputsSafe(&options, &error)) {
        err << "halvern-reverb: " << error << "\n";
        return 2;
    }

    // An automation file is read whole before anything is rendered; a malformed line stops
    // the run with its line number.
    auto script = std::make_shared<AutomationScript>();
    if (!options.automationFile.empty() &&
        !ReadAutomationFile(options.automationFile, script.get(), &error)) {
        err << "halvern-reverb: " << error << "\n";
        return 2;
    }

    RenderHooks hooks;
    hooks.createAutomation = &CMediaParams::Create;
    hooks.beforeSettings = [&options, &err, script](CStandaloneReverb& engine,
                                                    std::string* failure) {
        CMediaParams* automation = AutomationOf(engine);
        if (automation == nullptr) {
            *failure = "not enough memory for the automation";
            return false;
        }
        WAVEFORMATEX input{};
        engine.GetWaveFormat(&input, 0);
        automation->SetSampleRate(static_cast<int>(input.nSamplesPerSec));
        if (!options.stateFile.empty() && !LoadStateFile(engine, options.stateFile, failure)) {
            return false;
        }
        if (!options.presetName.empty() &&
            !ApplyStoredPreset(engine, options.presetName, options.presetBank, options.presetFile,
                               err, failure)) {
            return false;
        }
        if (FAILED(ApplyAutomation(automation, script.get()))) {
            *failure = "the automation could not be stored (not enough memory)";
            return false;
        }
        return true;
    };
    // The automation clock moves once per input block, at its first frame, as the filter
    // moves it once per media sample.
    hooks.beforeBlock = [](CStandaloneReverb& engine, std::int64_t position) {
        AutomationOf(engine)->UpdateToSamplePosition(position);
    };
    if (!options.saveStateFile.empty()) {
        hooks.afterRender = [&options](CStandaloneReverb& engine, std::string* failure) {
            return SaveStateFile(engine, options.saveStateFile, failure);
        };
    }
    return RenderFile(options, hooks, out, err);
}
