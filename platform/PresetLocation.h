// Where the preset library lies: the full path of a file in the plug-in library's folder. On
// Windows the machine registry names the folder; natively it is the folder of the running
// program, or the installed data folder beside it. Used by the preset store when it loads.
#pragma once

#include <cstddef>

// Writes to path (pathSize bytes) the full path of fileName in the folder of the filter class
// whose registry key path under HKEY_LOCAL_MACHINE is classKeyPath:
// - Windows: the key's "PluginPath" value, with a backslash unless it ends with one, then
//   fileName; otherwise the default value of classKeyPath + "\InProcserver32" (the registered
//   server library) if it contains ".dll", with everything after its last backslash replaced
//   by fileName. Both are read with read access only, at most 260 bytes each.
// - Elsewhere (classKeyPath is not used): fileName in the folder of the running program when
//   it is there; otherwise fileName in the installed data folder, ../share/halvern-reverb from
//   the program's folder in the usual layout, when it is there; otherwise the path beside the
//   program, where a new file would be written.
// Returns false with path empty when no folder is known or the result does not fit.
bool ResolvePresetFilePath(const char* classKeyPath, const char* fileName, char* path,
                           std::size_t pathSize);

#ifdef _WIN32
#include "platform/win32/PresetLocation.h"
#endif
