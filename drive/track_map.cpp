#include "drive/track_map.h"

#include "race/lap_rule.h"
#include "render/d3dx_math.h"
#include "render/d3dx_mesh.h"
#include "render/mesh_object.h"

namespace {

// The map covers world x and z from -240 to +240 at one pixel per unit; +z is
// the top of the map.
constexpr float mapHalfSize = 240.0f;
// Rows and columns 0, 1 and 479 are never read: a point nearer the rim than
// this is read at the corner pixel (windowLow, windowLow) instead.
constexpr float windowLow = 2.0f;
constexpr float windowHigh = 478.0f;

}  // namespace

GdiBitmap trackMap;

// Exactly what GetPixel reports for the 5-6-5 codes 0xFFFF, 0xC618, 0x8410,
// 0xF800, 0x8000 and 0xFFE0 once each channel is widened by bit replication;
// the comparison is exact, so these must not be rounded to "nicer" values.
const COLORREF zoneColours[zoneCount] = {
    0x00FFFFFF,  // 255, 255, 255: start and finish
    0x00C6C3C6,  // 198, 195, 198
    0x00848284,  // 132, 130, 132
    0x000000FF,  // 255, 0, 0
    0x00000084,  // 132, 0, 0
    0x0000FFFF,  // 255, 255, 0
};

bool LoadTrackMap(const char* path) {
    return trackMap.LoadFromFile(path);
}

void ReleaseTrackMap() {
    trackMap.Clear();
}

int32_t TrackZone(COLORREF colour) {
    for (int32_t zone = 0; zone < zoneCount; ++zone) {
        if (zoneColours[zone] == colour) return zone;
    }
    return noZone;
}

bool CheckRoadSurface(float x, float z) {
    // Single precision, as the positions are: the game runs with the processor
    // in single precision while the device exists.
    float u = x + mapHalfSize;
    float v = mapHalfSize - z;
    // Both coordinates go to the corner even when only one is outside. Written
    // as "not inside" so that a position gone NaN is read there too instead of
    // being converted to a pixel index.
    const bool inside = u >= windowLow && u <= windowHigh && v >= windowLow && v <= windowHigh;
    if (!inside) {
        u = windowLow;
        v = windowLow;
    }
    // Truncation towards zero; inside the window both are positive anyway.
    const COLORREF colour = trackMap.GetPixel(static_cast<LONG>(u), static_cast<LONG>(v));
    const int32_t zone = TrackZone(colour);
    if (zone == noZone) return false;
    EnterZone(zone);
    return true;
}

float TrackHeight(float x, float z) {
    if (trackObject == nullptr) return 0.0f;
    // Cast straight up from y = 0: the distance to the first triangle is the
    // ground's height, which is why the ground must lie above y = 0.
    const D3DXVECTOR3 origin(x, 0.0f, z);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    BOOL hit = FALSE;
    DWORD face = 0;
    float u = 0.0f;
    float v = 0.0f;
    float distance = 0.0f;
    DWORD hitCount = 0;
    const HRESULT result = D3DXIntersect(trackObject->mesh, &origin, &up, &hit, &face, &u, &v,
                                         &distance, nullptr, &hitCount);
    if (FAILED(result) || !hit) return 0.0f;
    return distance;
}
