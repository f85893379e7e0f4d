// Natively the preset library lies beside the running program (the renderer, a test).
#include "platform/PresetLocation.h"

#include <unistd.h>

#include <cstring>

bool ResolvePresetFilePath(const char* /*classKeyPath*/, const char* fileName, char* path,
                           std::size_t pathSize) {
    if (path == nullptr || pathSize == 0) return false;
    path[0] = '\0';
    if (fileName == nullptr) return false;

    char program[4096];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) return false;
    program[length] = '\0';
    char* lastSlash = std::strrchr(program, '/');
    if (lastSlash == nullptr) return false;
    const std::size_t folderLength = static_cast<std::size_t>(lastSlash - program) + 1;
    const std::size_t nameLength = std::strlen(fileName);
    if (folderLength + nameLength >= pathSize) return false;
    std::memcpy(path, program, folderLength);
    std::memcpy(path + folderLength, fileName, nameLength + 1);
    return true;
}
