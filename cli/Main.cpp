// halvern-reverb: renders sound files through the reverb from the command line.
#include <iostream>

#include "cli/Renderer.h"

int main(int argc, char** argv) {
    return RunRenderer(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
