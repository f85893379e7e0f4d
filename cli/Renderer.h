// The halvern-reverb program as a function of its arguments, so tests can run it in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args excludes the program name. Returns the exit code.
int RunRenderer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
