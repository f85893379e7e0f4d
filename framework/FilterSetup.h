// Filter setup records: what a filter registers with the filter mapper (name, merit, pins and
// their media types), in the published AMOVIESETUP layouts. A filter's GetSetupData and its
// factory template point at one; Registration.cpp hands it to the mapper.
#pragma once

#include "platform/Platform.h"

struct AMOVIESETUP_MEDIATYPE {
    const CLSID* clsMajorType;
    const CLSID* clsMinorType;
};

struct AMOVIESETUP_PIN {
    const WCHAR* strName;
    BOOL bRendered;
    BOOL bOutput;
    BOOL bZero;
    BOOL bMany;
    const CLSID* clsConnectsToFilter;
    const WCHAR* strConnectsToPin;
    UINT nMediaTypes;
    const AMOVIESETUP_MEDIATYPE* lpMediaType;
};

struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    const WCHAR* strName;
    DWORD dwMerit;
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin;
};

// The records are handed to the mapper as its own REGPINTYPES and REGFILTERPINS.
static_assert(sizeof(AMOVIESETUP_MEDIATYPE) == sizeof(REGPINTYPES));
static_assert(sizeof(AMOVIESETUP_PIN) == sizeof(REGFILTERPINS));
