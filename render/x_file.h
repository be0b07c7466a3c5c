#pragma once
// Our reader of DirectX .x mesh files, text ("xof 0303txt 0032") and binary
// ("xof 0302bin 0032" or "0064", 32- or 64-bit floats); compressed files are
// refused.
//
// Every mesh of the file is merged into one, each with its accumulated frame
// transform (vertex x its frame's matrix x the parent's ... ). Faces of more
// than three corners become fans (0 1 2, 0 2 3, ...). The triangles are
// grouped by material: subset i holds exactly the faces of material i, and
// the materials are numbered in the order the file's meshes list them. A mesh
// without a material list gets one white material with no texture.
//
// Where a mesh gives normals, a position used with different normals by
// different faces becomes one vertex per normal; otherwise vertex i of a mesh
// is its position i. A mesh without normals keeps zero normals, a mesh without
// texture coordinates zero coordinates.
//
// A material list may name fewer face indices than the mesh has faces, as
// some exporters write it: the remaining faces take the last index named.
//
// Any malformed file fails with a negative result and leaves the outputs as
// they were; no count is trusted beyond what the bytes left can hold.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/windows_types.h"
#include "render/cpu_mesh.h"

constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

// Bigger files are refused unread: every count in the mesh then fits in 32
// bits with room to spare.
constexpr size_t maxXFileSize = size_t{256} << 20;

// Reads and parses the file; bytes equal to those of a file read before give
// that file's result at once (render/x_file_cache.cpp).
HRESULT LoadXFile(const char* path, CpuMesh& mesh, std::vector<MeshMaterial>& materials);
// The same, handing out the kept result itself rather than a copy: every
// object made from one file shares one mesh in memory.
HRESULT LoadSharedXFile(const char* path, std::shared_ptr<const CpuMesh>& mesh,
                        std::vector<MeshMaterial>& materials);
HRESULT ParseXFile(const uint8_t* bytes, size_t size, CpuMesh& mesh,
                   std::vector<MeshMaterial>& materials);
