#pragma once
// A mesh's triangles in spatial pieces, so that a draw sends the GL only the
// pieces the view can see. The ground is one mesh reaching over the whole
// world, and at any moment most of it lies behind or beside the camera; a
// tree or a robot is one piece, left out whole when it is out of sight.
//
// Only the order of the triangles sent to the GL changes: the mesh the ray
// tests read keeps the file's order and face numbers.
#include <cstdint>
#include <vector>

#include "platform/d3d9_types.h"
#include "render/cpu_mesh.h"

// Indices [firstIndex, firstIndex + indexCount) of the pieced index list, and
// the box their vertices lie in.
struct MeshPiece {
    uint32_t firstIndex;
    uint32_t indexCount;
    D3DVECTOR low;
    D3DVECTOR high;
};

struct PiecedMesh {
    // The mesh's indices with each subset's triangles regrouped by piece; a
    // subset keeps its range, and within a piece the triangles keep the
    // file's order.
    std::vector<uint32_t> indices;
    // The pieces of subset i, in the order of `indices`.
    std::vector<std::vector<MeshPiece>> pieces;
};

// Pieces of about `trianglesPerPiece` triangles: each subset's triangles
// sorted into the cells of a grid over its x-z extent by their centres. A
// subset of fewer than twice that many triangles stays one piece, in order.
PiecedMesh SplitIntoPieces(const CpuMesh& mesh, uint32_t trianglesPerPiece = 128);

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
