// The halvern-reverb program: parses the command line and renders (see Renderer.h).
#include "cli/Renderer.h"

#include "cli/CommandLine.h"
#include "cli/RenderFile.h"

int RunRenderer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
    return RenderFile(options, RenderHooks{}, out, err);
}
