// Native stand-ins for the kernel and windowing services the portable code calls: a recursive
// critical section, window handles with posted messages, and COM task memory.
#pragma once

#include <cstddef>

#include "platform/native/Win32Types.h"

// A recursive lock with the contract of the kernel's critical section: the owning thread may
// enter again and must leave as often as it entered.
struct CRITICAL_SECTION {
    alignas(std::max_align_t) unsigned char storage[64];
};
void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);

// Window handles. Natively a window is only a queue of posted messages; the program that
// stands in for a user interface creates and destroys them (platform/native/NativeWindow.h).
struct HWND__;
using HWND = HWND__*;

constexpr UINT WM_COMMAND = 0x0111;

BOOL IsWindow(HWND window);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void* CoTaskMemAlloc(std::size_t bytes);
void CoTaskMemFree(void* block);
