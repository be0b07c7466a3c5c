#pragma once
// "trackmap16.bmp": the top view the driving code reads, one pixel per world
// unit, the road painted in its six zone colours.
#include <cstdint>
#include <vector>

constexpr int trackMapSize = 480;
// 5-6-5 codes of zones 0 to 5; the game widens them to 8 bits per channel.
constexpr uint16_t zoneCodes[6] = {0xFFFF, 0xC618, 0x8410, 0xF800, 0x8000, 0xFFE0};

// Pixel codes, rows from the top: column u is world x = u - 240, row v is
// world z = 240 - v.
std::vector<uint16_t> PaintTrackMap();
