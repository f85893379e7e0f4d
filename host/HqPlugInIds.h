// Class identifiers of the plug-in's two COM classes: the reverb filter and its editor page.
#pragma once

#include "platform/Platform.h"

inline constexpr CLSID CLSID_HqPlugIn = {
    0x6B1E2F40, 0x3C7A, 0x4D95, {0x9E, 0x21, 0x7A, 0x5C, 0x0D, 0x84, 0xB3, 0xF1}};
inline constexpr CLSID CLSID_HqPlugInPropPage = {
    0x9D4C7A12, 0x58E3, 0x4B06, {0xA1, 0xF7, 0x2E, 0x8B, 0x6C, 0x03, 0xD5, 0xA9}};

inline constexpr WCHAR kFilterName[] = L"Halvern:qv Reverb";
inline constexpr WCHAR kPageName[] = L"Halvern:qv Reverb Property Page";
