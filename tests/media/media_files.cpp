#include "media_files.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "drive/track_map.h"

std::string MediaFile(const std::string& name) {
    return std::string(KESTRUNE_MEDIA_DIR) + "/" + name;
}

std::vector<GroundPoint> ReadCircuitLine() {
    std::vector<GroundPoint> line;
    std::ifstream file(MediaFile("circuit.txt"));
    GroundPoint point;
    while (file >> point.x >> point.z) line.push_back(point);
    return line;
}

int ZoneOfColour(COLORREF colour) {
    return TrackZone(colour);
}

int ZoneAt(const GdiBitmap& map, double x, double z) {
    double u = x + 240.0, v = 240.0 - z;
    if (u < 2.0 || u > 478.0 || v < 2.0 || v > 478.0) u = v = 2.0;
    return ZoneOfColour(map.GetPixel(static_cast<LONG>(u), static_cast<LONG>(v)));
}

double DistanceToPixel(double x, double z, int u, int v) {
    double left = u - 240.0, right = left + 1.0;
    double top = 240.0 - v, bottom = top - 1.0;
    double dx = std::max({left - x, 0.0, x - right});
    double dz = std::max({bottom - z, 0.0, z - top});
    return std::hypot(dx, dz);
}
