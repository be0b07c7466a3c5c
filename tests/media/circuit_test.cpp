// The circuit's rules, checked on the generated track map as the game's GDI
// bitmap stand-in reads it, and on the centre line the generator publishes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "drive/obstacles.h"
#include "media_files.h"
#include "platform/gdi_bitmap.h"

namespace {

constexpr double startX = 200.0, startZ = 10.0;

class TrackMap : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(map.LoadFromFile(MediaFile("trackmap16.bmp").c_str()));
        line = ReadCircuitLine();
        ASSERT_GT(line.size(), 100u);
    }

    bool OnRoad(int u, int v) const { return ZoneOfColour(map.GetPixel(u, v)) >= 0; }

    // Index of the centre-line point nearest to a place.
    size_t NearestIndex(double x, double z) const {
        size_t best = 0;
        for (size_t i = 1; i < line.size(); ++i) {
            if (std::hypot(line[i].x - x, line[i].z - z) <
                std::hypot(line[best].x - x, line[best].z - z))
                best = i;
        }
        return best;
    }

    // Distance from a place to the nearest road pixel.
    double DistanceToRoad(double x, double z) const {
        double best = 1e9;
        for (int v = 0; v < 480; ++v) {
            for (int u = 0; u < 480; ++u) {
                if (OnRoad(u, v)) best = std::min(best, DistanceToPixel(x, z, u, v));
            }
        }
        return best;
    }

    GdiBitmap map;
    std::vector<GroundPoint> line;
};

double LapLength(const std::vector<GroundPoint>& line) {
    double length = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const GroundPoint& a = line[i];
        const GroundPoint& b = line[(i + 1) % line.size()];
        length += std::hypot(b.x - a.x, b.z - a.z);
    }
    return length;
}

TEST_F(TrackMap, CoversTheWorldAtOnePixelPerUnit) {
    EXPECT_EQ(map.Width(), 480);
    EXPECT_EQ(map.Height(), 480);
}

TEST_F(TrackMap, CarStartsOnTheRoadInZoneZero) {
    EXPECT_EQ(ZoneAt(map, startX, startZ), 0);
    // The whole car, two wide and four long ahead of its origin, is on the road.
    for (double dx : {-1.0, 1.0}) {
        for (double dz : {0.0, 2.0, 4.0}) EXPECT_GE(ZoneAt(map, startX + dx, startZ + dz), 0);
    }
}

TEST_F(TrackMap, EveryRoadPixelLiesInsideTheSamplingWindow) {
    for (int v = 0; v < 480; ++v) {
        for (int u = 0; u < 480; ++u) {
            if (u >= 2 && u < 478 && v >= 2 && v < 478) continue;
            EXPECT_FALSE(OnRoad(u, v)) << "road pixel at " << u << ", " << v;
        }
    }
    // The fallback pixel, read for any point outside the window, is off the road.
    EXPECT_EQ(ZoneAt(map, 400.0, 0.0), -1);
}

TEST_F(TrackMap, CentreLineRunsOnTheRoadAllRoundTheLap) {
    for (const GroundPoint& p : line) EXPECT_GE(ZoneAt(map, p.x, p.z), 0) << p.x << ", " << p.z;
}

TEST_F(TrackMap, DrivingForwardFromTheStartHeadsUpTheMapAlongPositiveZ) {
    size_t start = NearestIndex(startX, startZ);
    EXPECT_LT(std::hypot(line[start].x - startX, line[start].z - startZ), 8.0);
    const GroundPoint& here = line[start];
    const GroundPoint& ahead = line[(start + 3) % line.size()];
    double dx = ahead.x - here.x, dz = ahead.z - here.z;
    EXPECT_GT(dz / std::hypot(dx, dz), 0.98);
}

TEST_F(TrackMap, ZonesFollowInOrderOncePerLap) {
    // Walk the lap forwards from the start in half-unit steps; the zones met,
    // repeats folded, must be 0 1 2 3 4 5 and then 0 again at the end.
    size_t start = NearestIndex(startX, startZ);
    std::vector<int> met;
    double zoneZeroLength = 0;
    for (size_t k = 0; k <= line.size(); ++k) {
        const GroundPoint& a = line[(start + k) % line.size()];
        const GroundPoint& b = line[(start + k + 1) % line.size()];
        double step = std::hypot(b.x - a.x, b.z - a.z);
        int pieces = static_cast<int>(std::ceil(step / 0.5));
        for (int i = 0; i < pieces && k < line.size(); ++i) {
            double t = double(i) / pieces;
            int zone = ZoneAt(map, a.x + (b.x - a.x) * t, a.z + (b.z - a.z) * t);
            if (met.empty() || met.back() != zone) met.push_back(zone);
            if (zone == 0) zoneZeroLength += step / pieces;
        }
    }
    EXPECT_EQ(met, (std::vector<int>{0, 1, 2, 3, 4, 5, 0}));
    // Zone 0 is a short stretch round the start line.
    EXPECT_GT(zoneZeroLength, 10.0);
    EXPECT_LT(zoneZeroLength, 60.0);
}

TEST_F(TrackMap, RoadIsBetweenEighteenAndThirtyWide) {
    for (size_t i = 0; i < line.size(); i += 5) {
        const GroundPoint& a = line[(i + line.size() - 1) % line.size()];
        const GroundPoint& b = line[(i + 1) % line.size()];
        double length = std::hypot(b.x - a.x, b.z - a.z);
        double nx = (b.z - a.z) / length, nz = -(b.x - a.x) / length;
        double width = 0;
        for (int side : {-1, 1}) {
            double reach = 0;
            while (reach < 40 &&
                   ZoneAt(map, line[i].x + side * nx * reach, line[i].z + side * nz * reach) >= 0) {
                reach += 0.25;
            }
            width += reach;
        }
        EXPECT_GE(width, 18.0) << "at " << line[i].x << ", " << line[i].z;
        EXPECT_LE(width, 30.0) << "at " << line[i].x << ", " << line[i].z;
    }
}

TEST_F(TrackMap, EveryTreeStandsAtLeastFourUnitsOffTheRoad) {
    for (int tree = 0; tree < 31; ++tree) {
        EXPECT_GE(DistanceToRoad(treeSpots[tree][0], treeSpots[tree][2]), 4.0) << "tree " << tree;
    }
}

TEST_F(TrackMap, TreesLineTheRoad) {
    // Most trees stand close enough to the road to punish a cut corner.
    int close = 0;
    for (int tree = 0; tree < 31; ++tree) {
        if (DistanceToRoad(treeSpots[tree][0], treeSpots[tree][2]) < 16.0) ++close;
    }
    EXPECT_GE(close, 24);
}

TEST_F(TrackMap, AdvertAndItsPostsStandOffTheRoad) {
    // The board is fourteen wide, turned 5.14 about y at (-145, 160).
    const double yaw = 5.14, half = 7.5;
    for (double along : {-half, 0.0, half}) {
        double x = -145.0 + along * std::cos(yaw), z = 160.0 - along * std::sin(yaw);
        EXPECT_GE(DistanceToRoad(x, z), 4.0);
    }
}

TEST(CircuitLine, IsOneClosedLapOfTheRightLength) {
    std::vector<GroundPoint> line = ReadCircuitLine();
    ASSERT_GT(line.size(), 100u);
    double length = LapLength(line);
    EXPECT_GE(length, 1000.0);
    EXPECT_LE(length, 2000.0);
    // Closed: the last point leads back to the first like any other step.
    const GroundPoint& last = line.back();
    EXPECT_LT(std::hypot(line.front().x - last.x, line.front().z - last.z),
              2 * length / static_cast<double>(line.size()));
}

TEST(CircuitLine, HasNoBendTighterThanARadiusOfForty) {
    std::vector<GroundPoint> line = ReadCircuitLine();
    ASSERT_GT(line.size(), 100u);
    // Circumradius of points about six units apart on either side.
    const size_t n = line.size(), reach = 3;
    for (size_t i = 0; i < n; ++i) {
        const GroundPoint& a = line[(i + n - reach) % n];
        const GroundPoint& b = line[i];
        const GroundPoint& c = line[(i + reach) % n];
        double ab = std::hypot(b.x - a.x, b.z - a.z), bc = std::hypot(c.x - b.x, c.z - b.z);
        double ca = std::hypot(a.x - c.x, a.z - c.z);
        double twiceArea = std::abs((b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x));
        if (twiceArea < 1e-9) continue;
        EXPECT_GE(ab * bc * ca / (2 * twiceArea), 40.0) << "at " << b.x << ", " << b.z;
    }
}

TEST(CircuitLine, NeverComesBackCloseToItself) {
    // Apart from its neighbours, every part of the lap keeps well clear of the
    // others, so the road never touches or crosses itself.
    std::vector<GroundPoint> line = ReadCircuitLine();
    ASSERT_GT(line.size(), 100u);
    double step = LapLength(line) / static_cast<double>(line.size());
    size_t neighbours = static_cast<size_t>(80 / step);
    for (size_t i = 0; i < line.size(); i += 2) {
        for (size_t j = i + 1; j < line.size(); j += 2) {
            size_t apart = std::min(j - i, line.size() - (j - i));
            if (apart < neighbours) continue;
            EXPECT_GT(std::hypot(line[i].x - line[j].x, line[i].z - line[j].z), 50.0);
        }
    }
}

}  // namespace
