// How the editor page writes a parameter's value into its value field and reads a typed entry
// back: decibels with "-Inf." for silence, "OFF" at the ends of the filters' ranges, tenths with
// one decimal, plain integers. Portable; used by the page on its UI thread.
#pragma once

#include <cstddef>

// Room for any value text, and the most characters of a typed entry the page reads.
constexpr std::size_t kValueTextSize = 32;
constexpr int kEntryMaxChars = 29;

// Writes the text of parameter `param` (table order; Input to Width) at `value`, in the
// engine's units, into text (size bytes, kValueTextSize suffices).
void FormatValue(int param, int value, char* text, std::size_t size);

// The value a typed entry stands for, in the engine's units (unclamped: the engine clamps).
// Text that holds no number reads as 0; "-Inf." (any letter case) in a level field as silence.
int ReadEntry(int param, const char* text);
