#pragma once
// A mesh's triangles in spatial pieces, so that a draw sends the GL only the
// pieces the view can see. The ground is one mesh reaching over the whole
// world, and at any moment most of it lies behind or beside the camera; a
// tree or a robot is one piece, left out whole when it is out of sight.
//
// The triangles sent keep the order they have in the file: where two of them
// fall on the same pixel at the same depth (the depth buffer has 16 bits, and
// far hills meet in it), the one drawn last shows, so any other order would
// change pixels.
#include <cstdint>
#include <vector>

#include "platform/d3d9_types.h"

// Indices [firstIndex, firstIndex + indexCount), three to a triangle.
struct MeshRange {
    uint32_t firstIndex;
    uint32_t indexCount;
};

// The box a piece's vertices lie in.
struct MeshPiece {
    D3DVECTOR low;
    D3DVECTOR high;
};

struct PiecedRange {
    MeshRange range;
    std::vector<MeshPiece> pieces;
    // The piece of each of the range's triangles, in order; empty when the
    // range is one piece.
    std::vector<uint16_t> pieceOfTriangle;
};

// Pieces of about `trianglesPerPiece` triangles: the cells of a grid over the
// range's x-z extent, a triangle in the cell of its centre. A range of fewer
// than twice that many triangles is one piece. Ranges that overlap, or that
// the indices do not hold, leave the whole mesh unpieced (none returned).
std::vector<PiecedRange> SplitIntoPieces(const D3DVERTEX* vertices, uint32_t vertexCount,
                                         const uint32_t* indices, uint32_t indexCount,
                                         const MeshRange* ranges, uint32_t rangeCount,
                                         uint32_t trianglesPerPiece = 512);

// Copies to `out` the indices of the range's triangles whose piece is in
// sight (`inSight[piece]` non-zero), in their order; returns how many.
// `indices` are the whole mesh's; `out` holds the range's count.
uint32_t GatherInSight(const PiecedRange& range, const uint32_t* indices,
                       const std::vector<uint8_t>& inSight, uint32_t* out);

// The six planes of the view volume, in the space of the mesh: a point p is
// inside when a x + b y + c z + d >= 0 for every plane (a, b, c, d).
struct ViewVolume {
    float planes[6][4];
};

// From the product world x view x projection (Direct3D's row vectors and
// depth from 0 to w).
ViewVolume ViewVolumeOf(const D3DMATRIX& objectToClip);

// False only when the piece's box lies wholly outside one plane, with a
// margin, so that a piece touching the view by a rounding is still drawn.
bool MayBeSeen(const ViewVolume& volume, const MeshPiece& piece);
