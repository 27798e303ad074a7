#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Encodes 8-bit RGB rows (top row first, tightly packed) as a PNG into `file`.
// False when the image has no pixels or the wrong size, or the encoder failed.
bool encodePng(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgb);

// The same into the file `path`, written as OutputFile writes (never a partial
// file, never removing what was there). False, with a message naming the file
// in `error`, when it cannot be written.
bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              std::string& error);
