// dxhost, a command-line DirectX audio plug-in host: creates a registered filter by class
// identifier, prepares it (built-in preset, saved state, automation) and renders a WAV file
// through it in a graph of the platform's filter graph manager (GraphRunner.h).
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the program on the arguments after its name. Returns the exit code: 0 done, 1 a file,
// the filter or the graph failed, 2 a bad command line or automation file. Errors go to `err`
// as one line "dxhost: ..."; a summary of what was written to `out`. OUT is written under a
// temporary name and renamed only after the whole run succeeded.
int RunDxHost(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
