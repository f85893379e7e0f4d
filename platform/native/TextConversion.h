// Native stand-in for the system's conversion of byte text to wide text. Used where the host
// interfaces hand out names in UTF-16 (the built-in host presets).
#pragma once

#include "platform/native/Win32Types.h"

constexpr UINT CP_ACP = 0;

// The contract of the system function: sourceLength -1 converts through the terminating NUL;
// targetLength 0 returns the characters needed; a target too small receives what fits and the
// result is 0. Natively every code page is Latin-1: each byte becomes the character of the
// same number.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* source, int sourceLength,
                        WCHAR* target, int targetLength);
