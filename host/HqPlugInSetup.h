// What the reverb filter registers with the filter mapper: its name, merit and two audio pins.
#pragma once

#include "framework/FilterSetup.h"

extern const AMOVIESETUP_FILTER kHqPlugInSetup;
