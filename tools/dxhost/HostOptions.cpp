// dxhost's command line.
#include "tools/dxhost/HostOptions.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr int kMaxBlockFrames = 1048576;

bool ParseCount(const std::string& text, int lowest, int highest, int* value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed < lowest || parsed > highest) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool ParseClsid(const std::string& text, CLSID* clsid) {
    if (text.size() != 38) return false;
    WCHAR wide[39];
    for (std::size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<WCHAR>(text[i]);
    wide[38] = L'\0';
    return SUCCEEDED(CLSIDFromString(wide, clsid));
}

}  // namespace

bool ParseHostOptions(const std::vector<std::string>& args, HostOptions* options,
                      std::string* error) {
    *options = HostOptions{};
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            *out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--clsid") {
            if (!value(&text)) return false;
            if (!ParseClsid(text, &options->filter)) {
                *error = "--clsid takes a class identifier in braces, not \"" + text + "\"";
                return false;
            }
        } else if (arg == "--static-preset") {
            if (!value(&text)) return false;
            if (!ParseCount(text, 0, 1000000, &options->staticPreset)) {
                *error = "--static-preset takes a preset index from 0, not \"" + text + "\"";
                return false;
            }
        } else if (arg == "--editor") {
            options->editor = true;
        } else if (arg == "--state") {
            if (!value(&options->stateFile)) return false;
        } else if (arg == "--save-state") {
            if (!value(&options->saveStateFile)) return false;
        } else if (arg == "--automation") {
            if (!value(&options->automationFile)) return false;
        } else if (arg == "--block") {
            if (!value(&text)) return false;
            if (!ParseCount(text, 1, kMaxBlockFrames, &options->blockFrames)) {
                *error = "--block takes a number of frames from 1 to " +
                         std::to_string(kMaxBlockFrames) + ", not \"" + text + "\"";
                return false;
            }
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
    options->input = files[0];
    options->output = files[1];
    return true;
}

std::string HostUsage() {
    return "usage: dxhost IN OUT [--clsid {CLSID}] [--static-preset N] [--state FILE]\n"
           "              [--editor] [--save-state FILE] [--automation FILE] [--block N]\n"
           "\n"
           "Hosts a registered DirectX audio plug-in (a DirectShow filter) as an audio\n"
           "application does: streams IN (WAV: 16-bit PCM or 32/64-bit float, mono or stereo,\n"
           "any rate) through the filter in a graph of the system's filter graph manager and\n"
           "writes what comes out, the tail after the input included, to OUT.\n"
           "\n"
           "  --clsid {CLSID}     the filter to host (default the reverb,\n"
           "                      " QV_FILTER_CLSID_TEXT
           ")\n"
           "  --static-preset N   apply the filter's built-in preset N (IStaticFilterPreset)\n"
           "  --state FILE        load the filter's saved state first (IPersistStream)\n"
           "  --editor            open the filter's editor (its property pages) in the\n"
           "                      system's property frame and render with what is set there\n"
           "  --save-state FILE   save the filter's state after the run\n"
           "  --automation FILE   apply an automation file through IMediaParams (the\n"
           "                      renderer's format: PARAMETER START END FROM TO CURVE a line)\n"
           "  --block N           frames per media sample (default 4096)\n"
           "  --help              this text\n"
           "\n"
           "A preset is applied before a state, both before the automation, and the editor\n"
           "opens after all three. Nothing is written to OUT unless the whole run succeeds.\n";
}
