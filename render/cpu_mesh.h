#pragma once
// A mesh as the .x reader delivers it and as the ray test and the device
// stand-in consume it: plain arrays in system memory.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9_types.h"

using MeshVertex = D3DVERTEX;

// Subset i draws indices [firstIndex, firstIndex + indexCount): the triangles
// of material i.
struct MeshSubset {
    uint32_t firstIndex;
    uint32_t indexCount;
};

struct CpuMesh {
    std::vector<MeshVertex> vertices;
    std::vector<uint32_t> indices;  // three per triangle
    std::vector<MeshSubset> subsets;

    uint32_t TriangleCount() const { return static_cast<uint32_t>(indices.size() / 3); }
};

// One material of a mesh file: its colours and the texture file it names
// (empty when it names none).
struct MeshMaterial {
    D3DMATERIAL9 material;
    std::string textureFilename;
};
