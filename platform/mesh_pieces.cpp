#include "platform/mesh_pieces.h"

#include <algorithm>
#include <cmath>

namespace {

void Widen(MeshPiece& piece, const D3DVECTOR& point) {
    piece.low = {std::min(piece.low.x, point.x), std::min(piece.low.y, point.y),
                 std::min(piece.low.z, point.z)};
    piece.high = {std::max(piece.high.x, point.x), std::max(piece.high.y, point.y),
                  std::max(piece.high.z, point.z)};
}

// Whether the ranges lie inside the indices, whole triangles, apart, and name
// only vertices there are.
bool RangesHold(const uint32_t* indices, uint32_t indexCount, uint32_t vertexCount,
                const MeshRange* ranges, uint32_t rangeCount) {
    std::vector<MeshRange> sorted(ranges, ranges + rangeCount);
    std::sort(sorted.begin(), sorted.end(),
              [](const MeshRange& a, const MeshRange& b) { return a.firstIndex < b.firstIndex; });
    uint64_t end = 0;
    for (const MeshRange& range : sorted) {
        if (range.firstIndex % 3 != 0 || range.indexCount % 3 != 0 || range.firstIndex < end) {
            return false;
        }
        end = static_cast<uint64_t>(range.firstIndex) + range.indexCount;
        if (end > indexCount) return false;
    }
    for (uint32_t i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) return false;
    }
    return true;
}

}  // namespace

std::vector<PiecedRange> SplitIntoPieces(const D3DVERTEX* vertices, uint32_t vertexCount,
                                         const uint32_t* indices, uint32_t indexCount,
                                         const MeshRange* ranges, uint32_t rangeCount,
                                         uint32_t trianglesPerPiece) {
    std::vector<PiecedRange> pieced;
    if (trianglesPerPiece == 0 ||
        !RangesHold(indices, indexCount, vertexCount, ranges, rangeCount)) {
        return pieced;
    }
    auto corner = [&](uint32_t index) -> const D3DVECTOR& { return vertices[index].position; };
    for (uint32_t r = 0; r < rangeCount; ++r) {
        const MeshRange& range = ranges[r];
        const uint32_t first = range.firstIndex / 3;
        const uint32_t count = range.indexCount / 3;
        PiecedRange piecedRange{range, {}, {}};
        if (count == 0) {
            pieced.push_back(std::move(piecedRange));
            continue;
        }

        float lowX = 0.0f, lowZ = 0.0f, cellWidth = 1.0f, cellDepth = 1.0f;
        uint32_t across = 1;
        if (count >= 2 * trianglesPerPiece) {
            // At most 255 x 255 cells, so that a cell's number fits 16 bits.
            across = std::min(
                255u, static_cast<uint32_t>(std::ceil(std::sqrt(count / trianglesPerPiece))));
            lowX = lowZ = INFINITY;
            float highX = -INFINITY, highZ = -INFINITY;
            for (uint32_t i = 0; i < range.indexCount; ++i) {
                const D3DVECTOR& point = corner(indices[range.firstIndex + i]);
                lowX = std::min(lowX, point.x);
                highX = std::max(highX, point.x);
                lowZ = std::min(lowZ, point.z);
                highZ = std::max(highZ, point.z);
            }
            cellWidth = std::max((highX - lowX) / static_cast<float>(across), 1e-6f);
            cellDepth = std::max((highZ - lowZ) / static_cast<float>(across), 1e-6f);
        }
        auto cellOf = [&](float value, float low, float size) {
            const float at = (value - low) / size;
            if (!(at > 0.0f)) return uint32_t{0};
            return std::min(static_cast<uint32_t>(at), across - 1);
        };

        // Each triangle's cell, each cell's box; the empty cells then dropped.
        std::vector<uint32_t> cellOfTriangle(count);
        std::vector<MeshPiece> cells(static_cast<size_t>(across) * across);
        std::vector<uint8_t> used(cells.size(), 0);
        for (uint32_t t = 0; t < count; ++t) {
            const uint32_t* triangle = indices + 3 * static_cast<size_t>(first + t);
            const D3DVECTOR& a = corner(triangle[0]);
            const D3DVECTOR& b = corner(triangle[1]);
            const D3DVECTOR& c = corner(triangle[2]);
            const uint32_t cell = cellOf((a.z + b.z + c.z) / 3.0f, lowZ, cellDepth) * across +
                                  cellOf((a.x + b.x + c.x) / 3.0f, lowX, cellWidth);
            cellOfTriangle[t] = cell;
            if (!used[cell]) cells[cell] = {a, a};
            used[cell] = 1;
            for (const D3DVECTOR* point : {&a, &b, &c}) Widen(cells[cell], *point);
        }
        std::vector<uint16_t> pieceOfCell(cells.size(), 0);
        for (size_t cell = 0; cell < cells.size(); ++cell) {
            if (!used[cell]) continue;
            pieceOfCell[cell] = static_cast<uint16_t>(piecedRange.pieces.size());
            piecedRange.pieces.push_back(cells[cell]);
        }
        if (piecedRange.pieces.size() > 1) {
            piecedRange.pieceOfTriangle.resize(count);
            for (uint32_t t = 0; t < count; ++t) {
                piecedRange.pieceOfTriangle[t] = pieceOfCell[cellOfTriangle[t]];
            }
        }
        pieced.push_back(std::move(piecedRange));
    }
    return pieced;
}

uint32_t GatherInSight(const PiecedRange& range, const uint32_t* indices,
                       const std::vector<uint8_t>& inSight, uint32_t* out) {
    const uint32_t* triangle = indices + range.range.firstIndex;
    uint32_t written = 0;
    for (uint16_t piece : range.pieceOfTriangle) {
        if (piece < inSight.size() && inSight[piece] != 0) {
            out[written] = triangle[0];
            out[written + 1] = triangle[1];
            out[written + 2] = triangle[2];
            written += 3;
        }
        triangle += 3;
    }
    return written;
}

ViewVolume ViewVolumeOf(const D3DMATRIX& m) {
    // clip = (x, y, z, 1) M; inside: 0 <= z <= w, -w <= x <= w, -w <= y <= w.
    // The near plane and the sides first: they leave out most of what is not
    // seen, behind and beside the camera, and the test stops at the first.
    ViewVolume volume{};
    for (int row = 0; row < 4; ++row) {
        const float x = m.m[row][0], y = m.m[row][1], z = m.m[row][2], w = m.m[row][3];
        volume.planes[0][row] = z;
        volume.planes[1][row] = w + x;
        volume.planes[2][row] = w - x;
        volume.planes[3][row] = w - z;
        volume.planes[4][row] = w + y;
        volume.planes[5][row] = w - y;
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
