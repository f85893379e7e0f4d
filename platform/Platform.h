// The one header through which portable code reaches the operating system's types and services.
// On Windows it is the real SDK; elsewhere a small stand-in with the same contracts.
#pragma once

// The order matters: each header needs the ones before it.
// clang-format off
#ifdef _WIN32
#include <windows.h>
#include <mmreg.h>
#include <objbase.h>
#include <strmif.h>
#include <medparam.h>
#include <uuids.h>
#include <vfwmsgs.h>
#else
#include "platform/native/Win32Types.h"
#include "platform/native/ComTypes.h"
#include "platform/native/MediaTypes.h"
#include "platform/native/Services.h"
#include "platform/native/Desktop.h"
#include "platform/native/Streams.h"
#include "platform/native/TextConversion.h"
#endif
// clang-format on

#include "platform/MediaParamsNames.h"
