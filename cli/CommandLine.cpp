// Parsing of the renderer's command line (see CommandLine.h).
#include "cli/CommandLine.h"

#include <charconv>
#include <string>

#include "engine/ParameterTable.h"

namespace {

bool ParseBlockSize(const std::string& text, std::uint32_t* frames) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (value < 1 || value > 1048576) return false;
    *frames = value;
    return true;
}

// A parameter's unit for the help text, with the value that switches its stage off where one
// does: the levels and the low cut at their minimum, the high cut and damping at their maximum.
std::string UnitText(int index) {
    const ParameterDef& def = kParameters[index];
    if (def.type == MPT_BOOL) return "0 or 1";
    std::string text = def.unit;
    switch (index) {
        case Param::kInput:
        case Param::kDry:
        case Param::kER:
        case Param::kReverb:
        case Param::kLowCut:
            return text + ", " + std::to_string(def.minimum) + " = off";
        case Param::kHighCut:
        case Param::kHighDamping:
            return text + ", " + std::to_string(def.maximum) + " = off";
        default:
            return text;
    }
}

}  // namespace

bool TakeOptionValue(const std::vector<std::string>& args, size_t* at, std::string* value,
                     std::string* error) {
    if (*at + 1 >= args.size()) {
        *error = args[*at] + " needs a value";
        return false;
    }
    *value = args[++*at];
    return true;
}

bool ParseSetting(const std::string& text, std::pair<std::string, std::string>* setting,
                  std::string* error) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        *error = "--set takes NAME=VALUE, not \"" + text + "\"";
        return false;
    }
    *setting = {text.substr(0, equals), text.substr(equals + 1)};
    return true;
}

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions* options,
                        std::string* error) {
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* out) { return TakeOptionValue(args, &i, out, error); };
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--no-tail") {
            options->tail = false;
        } else if (arg == "--bypass") {
            options->bypass = true;
        } else if (arg == "--overwrite-input") {
            options->overwriteInput = true;
        } else if (arg == "--set") {
            std::string text;
            std::pair<std::string, std::string> setting;
            if (!value(&text) || !ParseSetting(text, &setting, error)) return false;
            options->settings.push_back(setting);
        } else if (arg == "--block") {
            std::string text;
            if (!value(&text)) return false;
            if (!ParseBlockSize(text, &options->blockFrames)) {
                *error = "--block takes a number of frames from 1 to 1048576, not \"" + text + "\"";
                return false;
            }
        } else if (arg == "--automation") {
            if (!value(&options->automationFile)) return false;
        } else if (arg == "--state") {
            if (!value(&options->stateFile)) return false;
        } else if (arg == "--save-state") {
            if (!value(&options->saveStateFile)) return false;
        } else if (arg == "--preset") {
            if (!value(&options->presetName)) return false;
        } else if (arg == "--bank") {
            if (!value(&options->presetBank)) return false;
        } else if (arg == "--preset-file") {
            if (!value(&options->presetFile)) return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else {
            files.push_back(arg);
        }
    }
    if (options->help) return true;
    if (files.size() != 2) {
        *error = files.size() < 2 ? "give an input and an output file"
                                  : "unexpected argument " + files[2];
        return false;
    }
    if (!options->presetBank.empty() && options->presetName.empty()) {
        *error = "--bank names the bank of a --preset";
        return false;
    }
    options->input = files[0];
    options->output = files[1];
    return true;
}

std::string RenderUsage() {
    std::string text =
        "usage: halvern-reverb IN OUT [options] [--overwrite-input]\n"
        "       halvern-reverb presets list|show|add|export|import ... (see presets --help)\n"
        "\n"
        "Renders IN (mono or stereo WAV, AIFF, FLAC...; 16, 24 or 32-bit integer or 32 or\n"
        "64-bit float) through the reverb into OUT, stereo, in the input's format. The reverb\n"
        "starts from its default settings with the tail on, so the output rings out after the\n"
        "input ends.\n"
        "\n"
        "  --set NAME=VALUE     set a parameter (applied in order; names are not\n"
        "                       case-sensitive)\n"
        "  --preset NAME        apply a stored preset first (--bank BANK to pick its bank,\n"
        "                       --preset-file FILE for another preset file)\n"
        "  --state FILE         apply a saved state first (before --preset and --set)\n"
        "  --save-state FILE    write the state after rendering\n"
        "  --automation FILE    automate parameters over time (format below)\n"
        "  --no-tail            stop when the input stops\n"
        "  --bypass             pass the audio through unprocessed\n"
        "  --block N            frames per block handed to the reverb (default 4096)\n"
        "  --overwrite-input    let OUT or --save-state replace a file the run reads (IN,\n"
        "                       --state...), which is refused otherwise; the file is\n"
        "                       replaced only when the run has succeeded\n"
        "  --help               this text\n"
        "\n"
        "Parameters, in the reverb's own units:\n";
    for (int i = 0; i < kParamCount; ++i) {
        const ParameterDef& def = kParameters[i];
        std::string line = "  " + std::string(def.label);
        line.resize(17, ' ');
        line += std::to_string(def.minimum) + " .. " + std::to_string(def.maximum);
        line.resize(33, ' ');
        line += "default " + std::to_string(def.defaultValue);
        line.resize(48, ' ');
        line += UnitText(i);
        text += line + "\n";
    }
    text +=
        "  Tail           0 .. 1          default 1      render the tail after the input\n"
        "  Stereo         0 .. 1          default 1      0 = mono (width 0)\n"
        "\n"
        "Automation file: one segment a line, PARAMETER START END FROM TO CURVE, with the\n"
        "parameter's label or index, times in seconds, values normalised from 0 (the\n"
        "parameter's minimum) to 1 (its maximum), and the curve jump, linear, square,\n"
        "invsquare or sine; '#' starts a comment. For example:\n"
        "    Decay      0  8  0  0.4975  linear     # 0.1 s to 10 s over 8 seconds\n"
        "    room size  2  4  0.2  0.9   sine\n";
    return text;
}
