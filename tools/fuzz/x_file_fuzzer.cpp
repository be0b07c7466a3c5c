// .x meshes, text and binary, as D3DXLoadMeshFromXA reads them; a parsed mesh
// then goes through the ray test's grid, as the track mesh does for
// TrackHeight.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/triangle_grid.h"
#include "render/x_file.h"
#include "tools/fuzz/require.h"

namespace {

// Everything the device and the ray test index with must lie in range.
void CheckMesh(const CpuMesh& mesh, const std::vector<MeshMaterial>& materials) {
    FUZZ_REQUIRE(mesh.indices.size() % 3 == 0 && !mesh.indices.empty());
    FUZZ_REQUIRE(mesh.subsets.size() == materials.size());
    uint64_t next = 0;
    for (const MeshSubset& subset : mesh.subsets) {
        FUZZ_REQUIRE(subset.firstIndex == next && subset.indexCount % 3 == 0);
        next += subset.indexCount;
    }
    FUZZ_REQUIRE(next == mesh.indices.size());
    for (uint32_t index : mesh.indices) FUZZ_REQUIRE(index < mesh.vertices.size());
    for (const MeshVertex& vertex : mesh.vertices) {
        FUZZ_REQUIRE(std::isfinite(vertex.position.x) && std::isfinite(vertex.position.y) &&
                     std::isfinite(vertex.position.z));
    }
}

// The grid promises the brute-force scan's answers bit for bit.
void CheckRays(const CpuMesh& mesh) {
    TriangleGrid grid;
    grid.Build(mesh);
    const MeshVertex& first = mesh.vertices[mesh.indices[0]];
    const D3DVECTOR origins[] = {
        {first.position.x, 0.0f, first.position.z},
        {0.0f, 0.0f, 0.0f},
        {first.position.x + 0.25f, -1.0f, first.position.z - 0.25f},
    };
    const D3DVECTOR directions[] = {{0.0f, 1.0f, 0.0f}, {0.6f, 0.0f, 0.8f}, {-1.0f, 0.5f, 0.25f}};
    for (const D3DVECTOR& origin : origins) {
        for (const D3DVECTOR& direction : directions) {
            RayHit fromGrid{}, fromScan{};
            const bool gridHit = grid.Intersect(mesh, origin, direction, fromGrid);
            const bool scanHit = IntersectBruteForce(mesh, origin, direction, fromScan);
            FUZZ_REQUIRE(gridHit == scanHit);
            if (gridHit) {
                FUZZ_REQUIRE(fromGrid.face == fromScan.face &&
                             fromGrid.distance == fromScan.distance && fromGrid.u == fromScan.u &&
                             fromGrid.v == fromScan.v);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    if (ParseXFile(data, size, mesh, materials) < 0) {
        // A failure leaves the outputs as they were.
        FUZZ_REQUIRE(mesh.vertices.empty() && mesh.indices.empty() && materials.empty());
        return 0;
    }
    CheckMesh(mesh, materials);
    CheckRays(mesh);
    return 0;
}
