#pragma once
// Screenshots as PNG files.
#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGBA pixels, rows from the top; false when the file cannot be
// written.
bool WritePng(const std::string& path, uint32_t width, uint32_t height,
              const std::vector<uint8_t>& rgba);
