// Natively the preset library lies beside the running program (the renderer in the build tree,
// a test), or, for an installed renderer, in its data folder relative to the program's folder.
#include "platform/PresetLocation.h"

#include <unistd.h>

#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

// The data folder of an installed program as a path from its own folder, given by the build
// from the install layout ("../share/halvern-reverb" in the usual one).
constexpr const char kDataFromProgramFolder[] = QV_DATA_FROM_PROGRAM_FOLDER;

// Writes parts[0] + parts[1] + ... to path; false when they do not fit in pathSize bytes.
bool Join(std::initializer_list<std::pair<const char*, std::size_t>> parts, char* path,
          std::size_t pathSize) {
    std::size_t length = 0;
    for (const auto& [text, size] : parts) {
        if (length + size >= pathSize) return false;
        std::memcpy(path + length, text, size);
        length += size;
    }
    path[length] = '\0';
    return true;
}

bool Exists(const char* path) {
    return ::access(path, F_OK) == 0;
}

}  // namespace

bool ResolvePresetFilePath(const char* /*classKeyPath*/, const char* fileName, char* path,
                           std::size_t pathSize) {
    if (path == nullptr || pathSize == 0) return false;
    path[0] = '\0';
    if (fileName == nullptr) return false;

    // The kernel's link names the program's file with every symbolic link resolved, so its
    // folder's parent is also its textual parent.
    char program[4096];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) return false;
    program[length] = '\0';
    const char* lastSlash = std::strrchr(program, '/');
    if (lastSlash == nullptr) return false;
    const std::size_t folderLength = static_cast<std::size_t>(lastSlash - program);
    const std::size_t nameLength = std::strlen(fileName);

    // The installed data folder: each leading "../" of the relative path takes one folder off
    // the program's.
    std::size_t baseLength = folderLength;
    const char* relative = kDataFromProgramFolder;
    while (std::strncmp(relative, "../", 3) == 0) {
        while (baseLength > 0 && program[baseLength - 1] != '/') --baseLength;
        if (baseLength > 0) --baseLength;
        relative += 3;
    }
    char installed[4096];
    const bool haveInstalled = Join({{program, baseLength},
                                     {"/", 1},
                                     {relative, std::strlen(relative)},
                                     {"/", 1},
                                     {fileName, nameLength}},
                                    installed, sizeof installed);

    // Beside the program first; otherwise the installed copy when there is one; otherwise
    // beside the program still, where a new library would be written.
    if (Join({{program, folderLength + 1}, {fileName, nameLength}}, path, pathSize)) {
        if (Exists(path) || !haveInstalled || !Exists(installed)) return true;
    }
    if (haveInstalled && Exists(installed) &&
        Join({{installed, std::strlen(installed)}}, path, pathSize)) {
        return true;
    }
    path[0] = '\0';
    return false;
}
