#include "drive/track_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "race/game_state.h"
#include "render/d3dx_mesh.h"
#include "render/mesh_object.h"
#include "tests/drive/synthetic_track.h"

namespace {

// The zone CheckRoadSurface finds under (x, z), or noZone off the road. The
// lap rule leaves the zone found in lastZone.
int ZoneAt(float x, float z) {
    lastZone = 99;  // no zone: every road zone is a change
    return CheckRoadSurface(x, z) ? lastZone : noZone;
}

}  // namespace

using RoadSurface = SyntheticTrack;

TEST_F(RoadSurface, RoadIsExactlyTheSixWidenedZoneColours) {
    PaintedMap map(480, 480, grassCode);
    for (int zone = 0; zone < 6; ++zone)
        map.Under(-100.0f + static_cast<float>(zone) * 10.0f, 0.0f) = zoneCodes[zone];
    // One step of blue below white, and of green below zone 1's grey.
    map.Under(0.0f, 50.0f) = 0xFFFE;
    map.Under(10.0f, 50.0f) = 0xC5F8;
    LoadMap(map);
    for (int zone = 0; zone < 6; ++zone)
        EXPECT_EQ(ZoneAt(-100.0f + static_cast<float>(zone) * 10.0f, 0.0f), zone);
    EXPECT_EQ(ZoneAt(0.0f, 50.0f), noZone);
    EXPECT_EQ(ZoneAt(10.0f, 50.0f), noZone);
    EXPECT_EQ(ZoneAt(0.0f, 0.0f), noZone);
    // 0xC618 with its channels widened by shifting alone would be 198, 192, 198.
    EXPECT_EQ(TrackZone(0x00C6C0C6), noZone);
    EXPECT_EQ(TrackZone(CLR_INVALID), noZone);
}

TEST_F(RoadSurface, OutsideTheSamplingWindowOnEitherAxisReadsPixelTwoTwo) {
    PaintedMap map(480, 480, grassCode);
    map.At(2, 2) = zoneCodes[3];
    map.At(2, 240) = zoneCodes[1];    // u = 2.0
    map.At(478, 240) = zoneCodes[2];  // u = 478.0
    map.At(240, 2) = zoneCodes[4];    // v = 2.0
    map.At(240, 478) = zoneCodes[5];  // v = 478.0
    map.At(479, 240) = zoneCodes[0];  // never read
    LoadMap(map);
    EXPECT_EQ(ZoneAt(-238.0f, 0.0f), 1);
    EXPECT_EQ(ZoneAt(238.0f, 0.0f), 2);
    EXPECT_EQ(ZoneAt(0.0f, 238.0f), 4);
    EXPECT_EQ(ZoneAt(0.0f, -238.0f), 5);
    EXPECT_EQ(ZoneAt(-237.1f, 0.0f), 1);  // u = 2.9 is truncated to column 2
    // One axis out is enough, and the corner is read, not the nearest edge.
    EXPECT_EQ(ZoneAt(238.01f, 0.0f), 3);
    EXPECT_EQ(ZoneAt(239.5f, 0.0f), 3);
    EXPECT_EQ(ZoneAt(-238.01f, 0.0f), 3);
    EXPECT_EQ(ZoneAt(0.0f, 238.01f), 3);
    EXPECT_EQ(ZoneAt(0.0f, -238.01f), 3);
}

TEST_F(RoadSurface, ALapCountsOnEnteringZoneZeroAfterEveryOtherZone) {
    // A point in the middle of zone k's sector of the ring.
    auto visit = [](int zone) {
        const double angle = zone * std::acos(-1.0) / 3.0;
        return CheckRoadSurface(static_cast<float>(ringCentreX + 50.0 * std::cos(angle)),
                                static_cast<float>(ringCentreZ + 50.0 * std::sin(angle)));
    };
    phase = Racing;
    EXPECT_TRUE(visit(0));  // standing on the line it started on
    for (int zone : {1, 2, 3, 4, 5}) visit(zone);
    // Off the road: no zone change, no cue.
    EXPECT_FALSE(CheckRoadSurface(ringCentreX, ringCentreZ));
    EXPECT_EQ(lastZone, 5);
    EXPECT_EQ(lapCount, 0);
    visit(0);
    visit(0);
    EXPECT_EQ(lapCount, 1);
    // Reversing out across the line and over it again counts nothing.
    visit(5);
    visit(0);
    EXPECT_EQ(lapCount, 1);
    // Off the road and back into the same zone counts nothing.
    EXPECT_FALSE(CheckRoadSurface(200.0f, 80.0f));
    visit(0);
    EXPECT_EQ(lapCount, 1);
    EXPECT_EQ(raceCalls,
              (std::vector<std::string>{"cue:zone1", "cue:zone2", "cue:zone3", "cue:zone4",
                                        "cue:zone5", "cue:zone0", "cue:zone5", "cue:zone0"}));
    EXPECT_EQ(phase, Racing);
    lapCount = 4;
    for (int zone : {1, 2, 3, 4, 5, 0}) visit(zone);
    EXPECT_EQ(phase, Finished);
}

TEST_F(RoadSurface, TrackHeightIsTheGroundAboveOrZero) {
    EXPECT_NEAR(TrackHeight(200.0f, 10.0f), SlopeHeight(200.0f), 1e-4);
    EXPECT_NEAR(TrackHeight(-123.4f, -200.0f), SlopeHeight(-123.4f), 1e-4);
    EXPECT_EQ(TrackHeight(250.0f, 0.0f), 0.0f);  // beyond the mesh

    // Ground below y = 0 is not found: the ray only looks up.
    CpuMesh sunken = SlopedGround();
    for (MeshVertex& vertex : sunken.vertices) vertex.position.y -= 10.0f;
    delete trackObject;
    trackObject = new MeshObject();
    trackObject->mesh = ID3DXMesh::Create(nullptr, sunken);
    EXPECT_EQ(TrackHeight(0.0f, 0.0f), 0.0f);

    // A failed query (no mesh) is 0.0 too.
    delete trackObject;
    trackObject = new MeshObject();
    EXPECT_EQ(TrackHeight(0.0f, 0.0f), 0.0f);
}
