// The data line of a preset: the eighteen parameter values in parameter-table order, each the
// engine's integer as "%d", joined by single commas. Made from the engine's getters, parsed,
// and applied to the engine through its setters; shared by the editor page and the renderer.
#pragma once

#include <cstddef>

#include "engine/HqPlugInProp.h"
#include "engine/ParameterTable.h"
#include "platform/Platform.h"

// The buffer the page allocates for a data line in answer to WM_GETPRESETDATA; eighteen values
// of at most eleven characters with their commas always fit.
constexpr std::size_t kDataLineSize = 256;

// The eighteen values from the engine's getters, in table order. E_POINTER for a null argument.
HRESULT ReadPresetValues(IHqPlugInProp* engine, int values[kParamCount]);

// Writes the data line of values to text (size bytes; kDataLineSize always suffices). Returns
// false, with text truncated, when it does not fit.
bool FormatDataLine(const int values[kParamCount], char* text, std::size_t size);

// A kDataLineSize string allocated with new[] that holds the engine's current data line, for
// a preset record to own (the page's answer to WM_GETPRESETDATA); null when the allocation
// fails or engine is null.
char* NewDataLine(IHqPlugInProp* engine);

// Reads the leading well-formed values of a data line into values and returns their number
// (0 to 18). As with the "%d,%d,...,%d" scan: blanks before a number are skipped, a number is
// an optional sign and decimal digits (saturated to the int range), and a comma must follow a
// number directly; reading stops at the first value that does not match, and anything after
// the eighteenth value is ignored.
int ParseDataLine(const char* text, int values[kParamCount]);

// Applies a preset to the engine as one undoable step:
// 1. SaveUndo(kUndoCommand), so that one Undo restores all settings from before;
// 2. the leading well-formed values of data (ParseDataLine); with version 1 the Width value
//    (old units) is multiplied by 50;
// 3. the setters of those parameters in table order, each with notification on (the engine
//    clamps every value to its range);
// 4. SetTail(1) without notification. The Stereo switch and the live setup stay as they are.
// A data line with fewer than eighteen well-formed values leaves the remaining parameters
// unchanged: a damaged or truncated line changes nothing that it does not state.
// Returns S_OK when all eighteen values were applied, S_FALSE when fewer were, E_POINTER for a
// null engine or data line (nothing is touched then). applied, if given, receives the count.
HRESULT ApplyPresetData(IHqPlugInProp* engine, const char* data, int version,
                        int* applied = nullptr);
