#include "media_files.h"

#include <algorithm>
#include <cmath>
#include <fstream>

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

const GroundPoint treeSpots[31] = {
    {73.95, -39.21},    {69.8, -75.178},    {-4.15, -82.758},    {32.3, -162.276},
    {-33.35, -215.653}, {-63.95, -194.076}, {-133.35, -171.006}, {-144.8, -111.094},
    {-106.25, -79.517}, {-130.2, -35.968},  {-121.9, 58.814},    {-172.9, 92.587},
    {-144.8, 119.825},  {-161.45, 153.597}, {-130.2, 193.852},   {-85.4, 172.104},
    {-21.9, 167.713},   {-22.9, 127.457},   {1.05, 87.15},       {45.85, 112.192},
    {86.45, 152.499},   {132.3, 172.104},   {165.2, 110.429},    {193.75, 147.062},
    {217.7, 87.15},     {182.3, 66.447},    {214.6, 7.633},      {178.15, -7.633},
    {196.9, -47.94},    {165.65, -79.517},  {121.9, -84.954},
};

int ZoneOfColour(COLORREF colour) {
    // 0x00BBGGRR, as GetPixel reports the 5-6-5 codes widened to 8 bits.
    const COLORREF zones[6] = {0x00FFFFFF, 0x00C6C3C6, 0x00848284,
                               0x000000FF, 0x00000084, 0x0000FFFF};
    for (int zone = 0; zone < 6; ++zone) {
        if (colour == zones[zone]) return zone;
    }
    return -1;
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
