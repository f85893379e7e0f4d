// The dxhost program (see DxHost.h).
#include <iostream>
#include <string>
#include <vector>

#include "tools/dxhost/DxHost.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunDxHost(args, std::cout, std::cerr);
}
