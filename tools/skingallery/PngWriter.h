// Writes 24-bit RGB pictures as PNG files (stored, uncompressed deflate blocks: the gallery's
// screenshots are small and this keeps the writer short).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb holds width x height pixels of three bytes R, G, B, rows top to bottom. False when the
// file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
