// Measures the ground probe: nanoseconds per vertical ray query on a generated
// 20,000-triangle terrain, with the triangle grid and with a scan of every
// triangle. The game asks nine of these per racing frame.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "render/ray_test.h"
#include "tests/support/bumpy_terrain.h"

namespace {

struct Timing {
    double nanoseconds;
    double checksum;  // keeps the work from being optimised away
};

template <typename Query>
Timing TimeQueries(const std::vector<D3DVECTOR>& origins, int rounds, Query&& query) {
    const D3DVECTOR up{0.0f, 1.0f, 0.0f};
    double checksum = 0.0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        for (const D3DVECTOR& origin : origins) {
            RayHit hit{};
            if (query(origin, up, hit)) checksum += hit.distance;
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double queries = static_cast<double>(origins.size()) * rounds;
    return {std::chrono::duration<double, std::nano>(elapsed).count() / queries, checksum};
}

}  // namespace

int main() {
    const CpuMesh terrain = MakeBumpyTerrain(100, 1);  // 100 x 100 quads, two triangles each
    const auto buildStart = std::chrono::steady_clock::now();
    TriangleGrid grid;
    grid.Build(terrain);
    const double buildMicroseconds =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - buildStart)
            .count();

    std::mt19937 random(5);
    std::uniform_real_distribution<float> across(-240.0f, 240.0f);
    std::vector<D3DVECTOR> origins(2000);
    for (D3DVECTOR& origin : origins) origin = {across(random), 0.0f, across(random)};

    int mismatches = 0;
    for (const D3DVECTOR& origin : origins) {
        RayHit fromGrid{}, fromScan{};
        const bool a = grid.Intersect(terrain, origin, {0, 1, 0}, fromGrid);
        const bool b = IntersectBruteForce(terrain, origin, {0, 1, 0}, fromScan);
        if (a != b ||
            (a && (fromGrid.face != fromScan.face || fromGrid.distance != fromScan.distance)))
            ++mismatches;
    }

    const Timing scan =
        TimeQueries(origins, 2, [&](const D3DVECTOR& o, const D3DVECTOR& d, RayHit& hit) {
            return IntersectBruteForce(terrain, o, d, hit);
        });
    const Timing withGrid =
        TimeQueries(origins, 500, [&](const D3DVECTOR& o, const D3DVECTOR& d, RayHit& hit) {
            return grid.Intersect(terrain, o, d, hit);
        });

    std::printf("terrain: %u triangles, grid %u x %u cells, built in %.0f us\n",
                terrain.TriangleCount(), grid.CellsAcross(), grid.CellsDeep(), buildMicroseconds);
    std::printf("brute force: %10.0f ns per vertical query\n", scan.nanoseconds);
    std::printf("grid:        %10.0f ns per vertical query\n", withGrid.nanoseconds);
    std::printf("speed-up:    %10.0f x (target at least 50 x)\n",
                scan.nanoseconds / withGrid.nanoseconds);
    std::printf("answers differing between the two: %d (checksums %.3f, %.3f)\n", mismatches,
                scan.checksum / 2, withGrid.checksum / 500);
    return mismatches == 0 ? 0 : 1;
}
