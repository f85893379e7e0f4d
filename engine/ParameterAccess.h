// The getter and setter of every parameter of the engine control interface, by parameter index
// (table order): how the preset data lines and the editor page reach a parameter they know only
// by its index.
#pragma once

#include "engine/HqPlugInProp.h"
#include "engine/ParameterTable.h"

struct ParameterAccess {
    HRESULT (STDMETHODCALLTYPE IHqPlugInProp::*get)(int* value);
    HRESULT (STDMETHODCALLTYPE IHqPlugInProp::*set)(int value, BOOL notify);
};

inline constexpr ParameterAccess kParameterAccess[kParamCount] = {
    {&IHqPlugInProp::GetInput, &IHqPlugInProp::SetInput},
    {&IHqPlugInProp::GetLowCut, &IHqPlugInProp::SetLowCut},
    {&IHqPlugInProp::GetHighCut, &IHqPlugInProp::SetHighCut},
    {&IHqPlugInProp::GetPredelay, &IHqPlugInProp::SetPredelay},
    {&IHqPlugInProp::GetRoomSize, &IHqPlugInProp::SetRoomSize},
    {&IHqPlugInProp::GetDiffusion, &IHqPlugInProp::SetDiffusion},
    {&IHqPlugInProp::GetBassMult, &IHqPlugInProp::SetBassMult},
    {&IHqPlugInProp::GetCrossover, &IHqPlugInProp::SetCrossover},
    {&IHqPlugInProp::GetDecay, &IHqPlugInProp::SetDecay},
    {&IHqPlugInProp::GetHighDamping, &IHqPlugInProp::SetHighDamping},
    {&IHqPlugInProp::GetDry, &IHqPlugInProp::SetDry},
    {&IHqPlugInProp::GetER, &IHqPlugInProp::SetER},
    {&IHqPlugInProp::GetReverb, &IHqPlugInProp::SetReverb},
    {&IHqPlugInProp::GetWidth, &IHqPlugInProp::SetWidth},
    {&IHqPlugInProp::GetInputMute, &IHqPlugInProp::SetInputMute},
    {&IHqPlugInProp::GetDryMute, &IHqPlugInProp::SetDryMute},
    {&IHqPlugInProp::GetERMute, &IHqPlugInProp::SetERMute},
    {&IHqPlugInProp::GetReverbMute, &IHqPlugInProp::SetReverbMute},
};

// The two helpers below copy the table entry out before calling through it: in a call written
// (engine->*kParameterAccess[index].set)(...), g++ 12 with -fsanitize=undefined computes the
// index on only one of the call's two paths (non-virtual and virtual), so the virtual path, the
// one every entry takes, reads an index that was never stored and calls another parameter's
// setter. Callers go through the helpers rather than writing such a call.

// Parameter `index` of the engine; 0 when the getter fails. The index must be in range.
inline int GetParameterValue(IHqPlugInProp* engine, int index) {
    const ParameterAccess access = kParameterAccess[index];
    int value = 0;
    if (FAILED((engine->*access.get)(&value))) return 0;
    return value;
}

// Sets parameter `index` (the engine clamps it); notify as the interface's setters take it.
inline HRESULT SetParameterValue(IHqPlugInProp* engine, int index, int value, BOOL notify) {
    const ParameterAccess access = kParameterAccess[index];
    return (engine->*access.set)(value, notify);
}
