// The names under which the plug-in's two COM classes are registered: the reverb filter and its
// editor page. Their identifiers are in engine/Identifiers.h.
#pragma once

#include "engine/Identifiers.h"
#include "platform/Platform.h"

inline constexpr WCHAR kFilterName[] = L"Halvern:qv Reverb";
inline constexpr WCHAR kPageName[] = L"Halvern:qv Reverb Property Page";
