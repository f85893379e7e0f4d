// Names of the media-parameter interfaces that the SDK headers in use lack: mingw-w64's
// medparam.h declares neither the reference-time format identifier nor the index that
// addresses every parameter, and the native stand-ins follow it. Included by Platform.h.
#pragma once

#if !defined(_WIN32) || defined(__MINGW32__)
// Time in REFERENCE_TIME units (100 ns), the only time format the automation object offers.
inline constexpr GUID GUID_TIME_REFERENCE = {
    0x93AD712B, 0xDAA0, 0x4FFE, {0xBC, 0x81, 0xB0, 0xCE, 0x50, 0x0F, 0xCD, 0xD9}};
#endif

// Parameter index meaning "every parameter" in AddEnvelope and FlushEnvelope.
inline constexpr DWORD DWORD_ALL = 0xFFFFFFFF;
