#include "render/mesh_pieces.h"

#include <algorithm>
#include <cmath>

namespace {

const D3DVECTOR& Corner(const CpuMesh& mesh, uint32_t index) {
    return mesh.vertices[index].position;
}

void Widen(MeshPiece& piece, const D3DVECTOR& point) {
    piece.low = {std::min(piece.low.x, point.x), std::min(piece.low.y, point.y),
                 std::min(piece.low.z, point.z)};
    piece.high = {std::max(piece.high.x, point.x), std::max(piece.high.y, point.y),
                  std::max(piece.high.z, point.z)};
}

// Appends the triangles (numbers of the mesh's triangles) as one piece.
void AddPiece(const CpuMesh& mesh, const std::vector<uint32_t>& triangles, PiecedMesh& pieced,
              std::vector<MeshPiece>& pieces) {
    if (triangles.empty()) return;
    const D3DVECTOR& start = Corner(mesh, mesh.indices[3 * static_cast<size_t>(triangles[0])]);
    MeshPiece piece{static_cast<uint32_t>(pieced.indices.size()), 0, start, start};
    for (uint32_t triangle : triangles) {
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t index = mesh.indices[3 * static_cast<size_t>(triangle) + k];
            pieced.indices.push_back(index);
            Widen(piece, Corner(mesh, index));
        }
    }
    piece.indexCount = static_cast<uint32_t>(pieced.indices.size()) - piece.firstIndex;
    pieces.push_back(piece);
}

}  // namespace

PiecedMesh SplitIntoPieces(const CpuMesh& mesh, uint32_t trianglesPerPiece) {
    PiecedMesh pieced;
    pieced.indices.reserve(mesh.indices.size());
    pieced.pieces.resize(mesh.subsets.size());
    const size_t vertexCount = mesh.vertices.size();
    for (size_t s = 0; s < mesh.subsets.size(); ++s) {
        const MeshSubset& subset = mesh.subsets[s];
        // Ranges and indices the loader did not vouch for get no pieces: the
        // subset is then drawn whole, as its range says.
        if (subset.firstIndex % 3 != 0 || subset.indexCount % 3 != 0 ||
            static_cast<uint64_t>(subset.firstIndex) + subset.indexCount > mesh.indices.size() ||
            pieced.indices.size() != subset.firstIndex) {
            return PiecedMesh();
        }
        const uint32_t first = subset.firstIndex / 3;
        const uint32_t count = subset.indexCount / 3;
        for (uint32_t i = 0; i < subset.indexCount; ++i) {
            if (mesh.indices[subset.firstIndex + i] >= vertexCount) return PiecedMesh();
        }

        std::vector<std::vector<uint32_t>> cells;
        float lowX = 0.0f, lowZ = 0.0f, cellWidth = 1.0f, cellDepth = 1.0f;
        uint32_t across = 1;
        if (count >= 2 * trianglesPerPiece) {
            across = static_cast<uint32_t>(std::ceil(std::sqrt(count / trianglesPerPiece)));
            lowX = lowZ = INFINITY;
            float highX = -INFINITY, highZ = -INFINITY;
            for (uint32_t i = 0; i < subset.indexCount; ++i) {
                const D3DVECTOR& point = Corner(mesh, mesh.indices[subset.firstIndex + i]);
                lowX = std::min(lowX, point.x);
                highX = std::max(highX, point.x);
                lowZ = std::min(lowZ, point.z);
                highZ = std::max(highZ, point.z);
            }
            cellWidth = std::max((highX - lowX) / static_cast<float>(across), 1e-6f);
            cellDepth = std::max((highZ - lowZ) / static_cast<float>(across), 1e-6f);
        }
        cells.resize(static_cast<size_t>(across) * across);
        auto cellOf = [&](float value, float low, float size) {
            const float at = (value - low) / size;
            if (!(at > 0.0f)) return uint32_t{0};
            return std::min(static_cast<uint32_t>(at), across - 1);
        };
        for (uint32_t t = first; t < first + count; ++t) {
            const D3DVECTOR& a = Corner(mesh, mesh.indices[3 * static_cast<size_t>(t)]);
            const D3DVECTOR& b = Corner(mesh, mesh.indices[3 * static_cast<size_t>(t) + 1]);
            const D3DVECTOR& c = Corner(mesh, mesh.indices[3 * static_cast<size_t>(t) + 2]);
            const uint32_t column = cellOf((a.x + b.x + c.x) / 3.0f, lowX, cellWidth);
            const uint32_t row = cellOf((a.z + b.z + c.z) / 3.0f, lowZ, cellDepth);
            cells[static_cast<size_t>(row) * across + column].push_back(t);
        }
        for (const std::vector<uint32_t>& cell : cells)
            AddPiece(mesh, cell, pieced, pieced.pieces[s]);
    }
    if (pieced.indices.size() != mesh.indices.size()) return PiecedMesh();
    return pieced;
}

ViewVolume ViewVolumeOf(const D3DMATRIX& m) {
    // clip = (x, y, z, 1) M; inside: -w <= x <= w, -w <= y <= w, 0 <= z <= w.
    ViewVolume volume{};
    for (int row = 0; row < 4; ++row) {
        const float x = m.m[row][0], y = m.m[row][1], z = m.m[row][2], w = m.m[row][3];
        volume.planes[0][row] = w + x;
        volume.planes[1][row] = w - x;
        volume.planes[2][row] = w + y;
        volume.planes[3][row] = w - y;
        volume.planes[4][row] = z;
        volume.planes[5][row] = w - z;
    }
    return volume;
}

bool MayBeSeen(const ViewVolume& volume, const MeshPiece& piece) {
    for (const auto& plane : volume.planes) {
        // The box's corner furthest along the plane's normal, and the size of
        // the terms, so the margin scales with the numbers compared.
        const float x = plane[0] >= 0.0f ? piece.high.x : piece.low.x;
        const float y = plane[1] >= 0.0f ? piece.high.y : piece.low.y;
        const float z = plane[2] >= 0.0f ? piece.high.z : piece.low.z;
        const float reach = plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
        const float size = std::fabs(plane[0] * x) + std::fabs(plane[1] * y) +
                           std::fabs(plane[2] * z) + std::fabs(plane[3]);
        if (reach < -1e-4f * size) return false;
    }
    return true;
}
