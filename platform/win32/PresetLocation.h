// The Windows lookup of the preset library's folder in the machine registry (declared and
// described in platform/PresetLocation.h). Header-only, so the platform layer stays a set of
// headers on Windows.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/Platform.h"

namespace preset_location {

constexpr DWORD kRegistryTextBytes = 260;

// A string value under HKEY_LOCAL_MACHINE, opened for reading only; false when the key or the
// value cannot be read, is not a string or is empty. A stored string need not end with a NUL.
inline bool ReadMachineString(const char* keyPath, const char* valueName,
                              char (&text)[kRegistryTextBytes + 1]) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = kRegistryTextBytes;
    const LONG status =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    text[size < kRegistryTextBytes ? size : kRegistryTextBytes] = '\0';
    return text[0] != '\0';
}

inline bool ContainsDllNoCase(const char* text) {
    for (; *text != '\0'; ++text) {
        bool match = true;
        for (int i = 0; i < 4 && match; ++i) {
            char c = text[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            match = c == ".dll"[i];
        }
        if (match) return true;
    }
    return false;
}

// folder (up to and including its last character to keep) + separator + fileName.
inline bool Compose(const char* folder, std::size_t folderLength, const char* separator,
                    const char* fileName, char* path, std::size_t pathSize) {
    const std::size_t separatorLength = std::strlen(separator);
    const std::size_t nameLength = std::strlen(fileName);
    if (folderLength + separatorLength + nameLength >= pathSize) return false;
    std::memcpy(path, folder, folderLength);
    std::memcpy(path + folderLength, separator, separatorLength);
    std::memcpy(path + folderLength + separatorLength, fileName, nameLength + 1);
    return true;
}

}  // namespace preset_location

inline bool ResolvePresetFilePath(const char* classKeyPath, const char* fileName, char* path,
                                  std::size_t pathSize) {
    using namespace preset_location;
    if (path == nullptr || pathSize == 0) return false;
    path[0] = '\0';
    if (classKeyPath == nullptr || fileName == nullptr) return false;

    char text[kRegistryTextBytes + 1];
    if (ReadMachineString(classKeyPath, "PluginPath", text)) {
        const std::size_t length = std::strlen(text);
        const char* separator = text[length - 1] == '\\' ? "" : "\\";
        if (Compose(text, length, separator, fileName, path, pathSize)) return true;
        path[0] = '\0';
        return false;
    }

    char serverKey[kRegistryTextBytes + 1];
    if (!Compose(classKeyPath, std::strlen(classKeyPath), "\\InProcserver32", "", serverKey,
                 sizeof serverKey)) {
        return false;
    }
    if (!ReadMachineString(serverKey, nullptr, text) || !ContainsDllNoCase(text)) return false;
    const char* lastBackslash = std::strrchr(text, '\\');
    if (lastBackslash == nullptr) return false;  // a bare name has no folder
    if (Compose(text, static_cast<std::size_t>(lastBackslash - text) + 1, "", fileName, path,
                pathSize)) {
        return true;
    }
    path[0] = '\0';
    return false;
}
