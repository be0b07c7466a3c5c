#pragma once
// Writes pictures in the file formats the game's texture and bitmap loaders
// read. Each returns false when the file cannot be written.
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

bool WritePng(const std::string& path, const Picture& picture, bool withAlpha);
bool WriteJpeg(const std::string& path, const Picture& picture, int quality);
// 24-bit, bottom-up, uncompressed.
bool WriteBmp24(const std::string& path, const Picture& picture);
// 16-bit 5-6-5 with BI_BITFIELDS masks, bottom-up; `codes` holds one 5-6-5
// pixel per entry, rows from the top.
bool WriteBmp565(const std::string& path, int width, int height,
                 const std::vector<uint16_t>& codes);

bool WriteText(const std::string& path, const std::string& text);
