#pragma once
// What the media tests share: where the generated files are, the circuit's
// centre line from circuit.txt, the tree spots, and the track map read the
// way the driving code reads it.
#include <string>
#include <vector>

#include "platform/gdi_bitmap.h"

std::string MediaFile(const std::string& name);

struct GroundPoint {
    double x;
    double z;
};

// The closed centre line, in driving order, from "circuit.txt".
std::vector<GroundPoint> ReadCircuitLine();

// The fixed ground places of the 31 trees.
extern const GroundPoint treeSpots[31];

// The zone (0..5) of a colour read from the map, or -1 for no zone.
int ZoneOfColour(COLORREF colour);
// The zone under a world point, sampled as the road-surface test samples:
// u = x + 240, v = 240 - z, the window 2..478, truncation towards zero.
int ZoneAt(const GdiBitmap& map, double x, double z);
// Distance from a world point to the nearest point of map pixel (u, v), the
// unit square it stands for.
double DistanceToPixel(double x, double z, int u, int v);
