#include "track_map.h"

#include <algorithm>
#include <cmath>

#include "circuit.h"
#include "picture.h"

namespace {

uint16_t Code565(int r, int g, int b) {
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

}  // namespace

std::vector<uint16_t> PaintTrackMap() {
    std::vector<uint16_t> codes(static_cast<size_t>(trackMapSize) * trackMapSize);
    for (int v = 0; v < trackMapSize; ++v) {
        for (int u = 0; u < trackMapSize; ++u) {
            // The game samples pixel (trunc(x + 240), trunc(240 - z)), so the
            // pixel stands for the unit square whose centre is tested here.
            double x = u + 0.5 - 240.0, z = 240.0 - (v + 0.5);
            RoadPlace place = NearestRoadPlace(x, z);
            uint16_t code;
            // A tenth of a unit inside the edge, so every road pixel lies on the
            // road that the ground mesh draws.
            if (place.distance <= roadHalfWidth - 0.1) {
                code = zoneCodes[ZoneAt(place.s)];
            } else {
                // Grass: greens, none of which is a zone colour.
                double shade = TiledFractal(u / 24.0, v / 24.0, 20, 3, 55);
                code = Code565(40 + static_cast<int>(shade * 40),
                               110 + static_cast<int>(shade * 60), 40);
            }
            codes[static_cast<size_t>(v) * trackMapSize + u] = code;
        }
    }
    return codes;
}
