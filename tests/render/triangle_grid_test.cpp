#include "render/triangle_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "tests/support/bumpy_terrain.h"

namespace {

void AddTriangle(CpuMesh& mesh, D3DVECTOR a, D3DVECTOR b, D3DVECTOR c) {
    const uint32_t first = static_cast<uint32_t>(mesh.vertices.size());
    for (const D3DVECTOR& p : {a, b, c}) mesh.vertices.push_back({p, {0, 1, 0}, 0, 0});
    mesh.indices.insert(mesh.indices.end(), {first, first + 1, first + 2});
}

// A flat triangle at height y covering x 0..4, z 0..4 (the half below x + z = 4).
void AddFloor(CpuMesh& mesh, float y) {
    AddTriangle(mesh, {0, y, 0}, {4, y, 0}, {0, y, 4});
}

constexpr D3DVECTOR up{0, 1, 0};
constexpr D3DVECTOR down{0, -1, 0};

TEST(BruteForceScan, HitsATriangleFromEitherSide) {
    CpuMesh mesh;
    AddFloor(mesh, 3.0f);
    RayHit hit{};
    ASSERT_TRUE(IntersectBruteForce(mesh, {1, 0, 2}, up, hit));
    EXPECT_EQ(hit.face, 0u);
    EXPECT_FLOAT_EQ(hit.distance, 3.0f);
    // The point is v0 + u (v1 - v0) + v (v2 - v0): x = 4u, z = 4v.
    EXPECT_FLOAT_EQ(hit.u, 0.25f);
    EXPECT_FLOAT_EQ(hit.v, 0.5f);
    ASSERT_TRUE(IntersectBruteForce(mesh, {1, 10, 2}, down, hit));
    EXPECT_FLOAT_EQ(hit.distance, 7.0f);
    // The distance counts in lengths of the direction given.
    ASSERT_TRUE(IntersectBruteForce(mesh, {1, 0, 1}, {0, 2, 0}, hit));
    EXPECT_FLOAT_EQ(hit.distance, 1.5f);
}

TEST(BruteForceScan, MissesLeaveTheResultUntouched) {
    CpuMesh mesh;
    AddFloor(mesh, 3.0f);
    const RayHit untouched{77, 0.5f, 0.5f, 123.0f};
    RayHit hit = untouched;
    EXPECT_FALSE(IntersectBruteForce(mesh, {3, 0, 3}, up, hit));          // beside it (x + z > 4)
    EXPECT_FALSE(IntersectBruteForce(mesh, {1, 5, 1}, up, hit));          // behind the origin
    EXPECT_FALSE(IntersectBruteForce(mesh, {-1, 3, 1}, {1, 0, 0}, hit));  // in its plane
    EXPECT_FALSE(IntersectBruteForce(mesh, {1, 0, 1}, {0, 0, 0}, hit));   // no direction
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(IntersectBruteForce(mesh, {nan, 0, 1}, up, hit));
    EXPECT_FALSE(IntersectBruteForce(CpuMesh{}, {1, 0, 1}, up, hit));
    EXPECT_EQ(hit.face, untouched.face);
    EXPECT_EQ(hit.distance, untouched.distance);
}

TEST(BruteForceScan, NearestOfStackedTrianglesAndLowestFaceOnATie) {
    CpuMesh mesh;
    AddFloor(mesh, 9.0f);  // face 0
    AddFloor(mesh, 2.0f);  // face 1: nearest from below
    AddFloor(mesh, 2.0f);  // face 2: the same place
    RayHit hit{};
    ASSERT_TRUE(IntersectBruteForce(mesh, {1, 0, 1}, up, hit));
    EXPECT_EQ(hit.face, 1u);
    EXPECT_FLOAT_EQ(hit.distance, 2.0f);
    ASSERT_TRUE(IntersectBruteForce(mesh, {1, 20, 1}, down, hit));
    EXPECT_EQ(hit.face, 0u);

    std::vector<RayHit> all;
    IntersectAllBruteForce(mesh, {1, 0, 1}, up, all);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].face, 0u);
    EXPECT_EQ(all[2].face, 2u);
}

TEST(BruteForceScan, TrianglesWithIndicesOutsideTheVerticesAreNeverHit) {
    CpuMesh mesh;
    AddFloor(mesh, 1.0f);
    mesh.indices[2] = 99;
    RayHit hit{};
    EXPECT_FALSE(IntersectBruteForce(mesh, {1, 0, 1}, up, hit));
    TriangleGrid grid;
    grid.Build(mesh);
    EXPECT_FALSE(grid.Intersect(mesh, {1, 0, 1}, up, hit));
}

void ExpectSameHit(const CpuMesh& mesh, const TriangleGrid& grid, const D3DVECTOR& origin,
                   const D3DVECTOR& direction) {
    RayHit expected{}, actual{};
    const bool expectedFound = IntersectBruteForce(mesh, origin, direction, expected);
    const bool found = grid.Intersect(mesh, origin, direction, actual);
    ASSERT_EQ(found, expectedFound) << origin.x << " " << origin.y << " " << origin.z << " / "
                                    << direction.x << " " << direction.y << " " << direction.z;
    if (!found) return;
    // Bit for bit: the same triangle test on the same triangle.
    ASSERT_EQ(actual.face, expected.face);
    ASSERT_EQ(actual.distance, expected.distance);
    ASSERT_EQ(actual.u, expected.u);
    ASSERT_EQ(actual.v, expected.v);
}

// The terrain with a bridge over part of it (rays from below meet the ground
// first, rays from above the bridge) and some triangles repeated, so that
// exact ties occur.
CpuMesh TerrainWithBridge() {
    CpuMesh mesh = MakeBumpyTerrain(60, 7);
    AddTriangle(mesh, {-50, 30, -50}, {50, 30, -50}, {-50, 35, 50});
    AddTriangle(mesh, {50, 30, -50}, {50, 35, 50}, {-50, 35, 50});
    const size_t repeated = 300;
    for (size_t i = 0; i < repeated; i += 3) {
        const uint32_t* t = &mesh.indices[i * 3];
        AddTriangle(mesh, mesh.vertices[t[0]].position, mesh.vertices[t[1]].position,
                    mesh.vertices[t[2]].position);
    }
    return mesh;
}

TEST(TriangleGrid, VerticalRaysGiveTheBruteForceAnswers) {
    const CpuMesh mesh = TerrainWithBridge();
    TriangleGrid grid;
    grid.Build(mesh);
    EXPECT_GT(grid.CellsAcross() * grid.CellsDeep(), 1000u);
    std::mt19937 random(1);
    std::uniform_real_distribution<float> across(-260.0f, 260.0f);
    for (int i = 0; i < 3000; ++i) {
        const D3DVECTOR origin{across(random), 0.0f, across(random)};
        ExpectSameHit(mesh, grid, origin, up);
        ExpectSameHit(mesh, grid, {origin.x, 50.0f, origin.z}, down);
    }
    // Exactly at the terrain's corners and on the lattice lines, where a ray
    // meets several triangles at the same point.
    for (size_t i = 0; i < mesh.vertices.size(); i += 7) {
        const D3DVECTOR& p = mesh.vertices[i].position;
        ExpectSameHit(mesh, grid, {p.x, 0.0f, p.z}, up);
    }
    for (float x = -240.0f; x <= 240.0f; x += 8.0f) ExpectSameHit(mesh, grid, {x, 0, -240}, up);
}

TEST(TriangleGrid, ObliqueRaysGiveTheBruteForceAnswers) {
    const CpuMesh mesh = TerrainWithBridge();
    TriangleGrid grid;
    grid.Build(mesh);
    std::mt19937 random(2);
    std::uniform_real_distribution<float> across(-300.0f, 300.0f);
    std::uniform_real_distribution<float> height(-20.0f, 60.0f);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int i = 0; i < 3000; ++i) {
        const D3DVECTOR origin{across(random), height(random), across(random)};
        D3DVECTOR direction{unit(random), unit(random), unit(random)};
        if (i % 4 == 0) direction.x = 0.0f;                          // along a grid axis
        if (i % 5 == 0) direction.x *= 1e-6f, direction.z *= 1e-6f;  // nearly vertical
        ExpectSameHit(mesh, grid, origin, direction);
    }
    // Rays aimed at chosen points of the ground always hit something.
    int hits = 0;
    for (int i = 0; i < 500; ++i) {
        const D3DVECTOR target{across(random) * 0.7f, 5.0f, across(random) * 0.7f};
        const D3DVECTOR origin{across(random), 80.0f, across(random)};
        const D3DVECTOR direction{target.x - origin.x, target.y - origin.y, target.z - origin.z};
        ExpectSameHit(mesh, grid, origin, direction);
        RayHit hit{};
        hits += grid.Intersect(mesh, origin, direction, hit);
    }
    EXPECT_EQ(hits, 500);
}

TEST(TriangleGrid, AllHitsMatchTheBruteForceScan) {
    const CpuMesh mesh = TerrainWithBridge();
    TriangleGrid grid;
    grid.Build(mesh);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> across(-60.0f, 60.0f);
    std::uniform_real_distribution<float> unit(-0.3f, 0.3f);
    size_t total = 0;
    for (int i = 0; i < 500; ++i) {
        const D3DVECTOR origin{across(random), -5.0f, across(random)};
        const D3DVECTOR direction{unit(random), 1.0f, unit(random)};
        std::vector<RayHit> expected, actual;
        IntersectAllBruteForce(mesh, origin, direction, expected);
        grid.IntersectAll(mesh, origin, direction, actual);
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t h = 0; h < expected.size(); ++h) {
            EXPECT_EQ(actual[h].face, expected[h].face);
            EXPECT_EQ(actual[h].distance, expected[h].distance);
        }
        total += expected.size();
    }
    EXPECT_GT(total, 750u);  // ground and bridge: most rays hit both
}

TEST(TriangleGrid, OddMeshesStillAgreeWithTheBruteForceScan) {
    std::vector<CpuMesh> meshes(5);
    // One triangle.
    AddFloor(meshes[0], 1.0f);
    // All in one vertical plane (no extent in x).
    AddTriangle(meshes[1], {0, 0, 0}, {0, 5, 0}, {0, 0, 5});
    AddTriangle(meshes[1], {0, 0, 5}, {0, 5, 0}, {0, 5, 5});
    // Small tiles under one huge triangle that spans every cell.
    meshes[2] = MakeBumpyTerrain(20, 4);
    AddTriangle(meshes[2], {-1000, 50, -1000}, {3000, 50, -1000}, {-1000, 50, 3000});
    // A triangle with a coordinate that is not finite, and one pointing past
    // the vertices.
    meshes[3] = MakeBumpyTerrain(4, 5);
    AddTriangle(meshes[3], {0, 1, 0}, {std::numeric_limits<float>::infinity(), 1, 0}, {0, 1, 1});
    meshes[3].indices.insert(meshes[3].indices.end(), {0, 1, 100000});
    // Nothing at all: meshes[4].

    std::mt19937 random(4);
    std::uniform_real_distribution<float> across(-250.0f, 250.0f);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (const CpuMesh& mesh : meshes) {
        TriangleGrid grid;
        grid.Build(mesh);
        for (int i = 0; i < 300; ++i) {
            const D3DVECTOR origin{across(random) / 50.0f, unit(random) * 3.0f,
                                   across(random) / 50.0f};
            ExpectSameHit(mesh, grid, origin, up);
            ExpectSameHit(mesh, grid, origin, {unit(random), unit(random), unit(random)});
            ExpectSameHit(mesh, grid, {across(random), -1.0f, across(random)}, up);
        }
    }
}

}  // namespace
