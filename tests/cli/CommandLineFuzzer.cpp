// libFuzzer target for the renderer's command line, without rendering: the bytes are the
// arguments, one a line, and each --set of a command line that parses is applied to an engine.
// Every refusal is one line; what is taken is in range.
#include <string_view>

#include "cli/CommandLine.h"
#include "cli/ParameterSettings.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    for (std::string_view text(reinterpret_cast<const char*>(data), size); !text.empty();) {
        const size_t eol = std::min(text.find('\n'), text.size());
        args.emplace_back(text.substr(0, eol));
        text.remove_prefix(std::min(eol + 1, text.size()));
    }
    auto oneLine = [](const std::string& s) { return !s.empty() && s.find('\n') == s.npos; };
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(args, &options, &error)) {
        FuzzCheck(oneLine(error), "one line");
        return 0;
    }
    if (options.help) return 0;
    FuzzCheck(options.blockFrames >= 1 && options.blockFrames <= 1048576, "block size");
    FuzzCheck(options.presetBank.empty() || !options.presetName.empty(), "bank of a preset");
    EngineHarness engine;
    for (const auto& [name, value] : options.settings) {
        if (!ApplySetting(*engine, name, value, &error)) FuzzCheck(oneLine(error), "one line");
    }
    const std::vector<int> words = engine.Words();
    for (const ParameterDef& def : kParameters) {
        FuzzCheck(words[def.word] >= def.minimum && words[def.word] <= def.maximum, "in range");
    }
    return 0;
}
