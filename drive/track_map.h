#pragma once
// The circuit as the game logic sees it: a top-down colour map whose six road
// colours mark the zones of the road, and the ground mesh's height under a
// point.
#include <cstdint>

#include "platform/gdi_bitmap.h"

constexpr int zoneCount = 6;
constexpr int32_t noZone = -1;

// The map, one pixel per world unit, loaded once at start-up and kept to the
// end; empty when it could not be loaded (then nothing is road).
extern GdiBitmap trackMap;

// The road colours as GetPixel reports them, zone 0 (start and finish) first.
extern const COLORREF zoneColours[zoneCount];

// Replaces the map with the BMP file at `path`; false leaves it empty.
bool LoadTrackMap(const char* path);
void ReleaseTrackMap();

// The zone 0..5 of a map colour, or noZone for any other colour.
int32_t TrackZone(COLORREF colour);

// Whether the map point under (x, z) is road. On road it also applies the lap
// rule (zone change, lap count, finish, zone cue).
bool CheckRoadSurface(float x, float z);

// The height of the ground mesh above (x, 0, z); 0.0 where there is none.
float TrackHeight(float x, float z);
