#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGB rows (top row first, tightly packed) as a PNG file. False, with a
// message naming the file in `error`, when the file cannot be created or written; a
// partly written file is removed.
bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              std::string& error);
