// The reverb filter's setup record (see HqPlugInSetup.h).
#include "host/HqPlugInSetup.h"

#include "host/HqPlugInNames.h"

namespace {

const AMOVIESETUP_MEDIATYPE kAudioTypes[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_NULL}};

const AMOVIESETUP_PIN kPins[] = {
    {L"Input", FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, L"Output", 1, kAudioTypes},
    {L"Output", FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, L"Input", 1, kAudioTypes},
};

}  // namespace

// Merit 0x200000: a host adds the reverb to its graph itself; intelligent connection never
// picks it on its own.
const AMOVIESETUP_FILTER kHqPlugInSetup = {&CLSID_HqPlugIn, kFilterName, 0x200000, 2, kPins};
