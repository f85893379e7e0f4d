// The check families of dxval, one file each, and the helpers several of them share.
#pragma once

#include <string>

#include "engine/HqPlugInProp.h"
#include "framework/ComPtr.h"
#include "tools/dxval/Harness.h"
#include "tools/dxval/StreamFilters.h"

void CheckLifecycle(CheckContext& context);
void CheckFormats(CheckContext& context);
void CheckExtremeRates(CheckContext& context);
void CheckCorners(CheckContext& context);
void CheckParameterStorm(CheckContext& context);
void CheckState(CheckContext& context);
void CheckHostileCalls(CheckContext& context);
void CheckEditor(CheckContext& context);

// A new filter of the class under test, through the module's class object.
ComPtr<IBaseFilter> CreateFilter(CheckContext& context);

// The tail the engine promises after the input ends, in frames: the longer of the decay time
// and the bass decay time at the stream's rate, none with the Tail switch off.
std::int64_t PromisedTailFrames(IHqPlugInProp* engine, DWORD rate);

// Checks one stream's report: completed, finite, whole frames, continuous times, the output
// as long as the input plus the promised tail (when `tailFrames` is not negative), and peaks
// below `bound`. `what` names the stream in failures.
void ExpectGoodStream(CheckContext& context, const StreamReport& report, std::int64_t tailFrames,
                      double bound, const std::string& what);
