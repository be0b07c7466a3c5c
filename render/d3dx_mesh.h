#pragma once
// The extension library's mesh services the game uses: loading a .x file into
// a mesh with its materials, drawing one subset, and the ray test.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9.h"
#include "render/cpu_mesh.h"
#include "render/d3dx_math.h"
#include "render/triangle_grid.h"

constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;

struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    char* pTextureFilename;  // null when the material names no texture
};

struct D3DXINTERSECTINFO {
    DWORD FaceIndex;
    float U;
    float V;
    float Dist;
};

// A block of bytes handed out by the library; the buffer owns them, and for
// materials also the name strings the D3DXMATERIAL records point to.
class ID3DXBuffer {
  public:
    static ID3DXBuffer* Create(size_t size);
    ULONG AddRef();
    ULONG Release();
    void* GetBufferPointer() { return bytes.data(); }
    DWORD GetBufferSize() const { return static_cast<DWORD>(bytes.size()); }

  private:
    ID3DXBuffer() = default;
    std::vector<uint8_t> bytes;
    ULONG references = 1;
};

// The materials of a mesh as one buffer of D3DXMATERIAL records followed by
// the texture names they point to.
ID3DXBuffer* CreateMaterialBuffer(const std::vector<MeshMaterial>& materials);

// A mesh in system memory. Its device buffers are made on the first draw, its
// ray-test grid on the first ray test. Holds a reference to its device.
class ID3DXMesh {
  public:
    // For tests and tools: a mesh made directly from CPU data. The device may
    // be null for a mesh that is only ray-tested.
    static ID3DXMesh* Create(IDirect3DDevice9* device, CpuMesh mesh);
    // A mesh drawing (and ray-testing) data it shares with other meshes.
    static ID3DXMesh* Create(IDirect3DDevice9* device, std::shared_ptr<const CpuMesh> mesh);

    ULONG AddRef();
    // The last release frees the device buffers and the device reference.
    ULONG Release();

    // Draws subset i (the triangles of material i) with the device's current
    // state. Negative for a subset out of range or a mesh without a device.
    HRESULT DrawSubset(DWORD subset);
    DWORD GetNumFaces() const { return mesh->TriangleCount(); }
    DWORD GetNumVertices() const { return static_cast<DWORD>(mesh->vertices.size()); }
    const CpuMesh& Mesh() const { return *mesh; }
    const TriangleGrid& Grid();

  private:
    ID3DXMesh(IDirect3DDevice9* drawingDevice, std::shared_ptr<const CpuMesh> loaded);
    ~ID3DXMesh();

    std::shared_ptr<const CpuMesh> mesh;  // never null
    IDirect3DDevice9* device;
    IDirect3DMeshBuffers9* buffers = nullptr;
    TriangleGrid grid;
    bool gridBuilt = false;
    ULONG references = 1;
};

// Adjacency and effect instances are not made: asking for either fails.
// On any failure the outputs are left as they were.
HRESULT D3DXLoadMeshFromXA(const char* path, DWORD options, IDirect3DDevice9* device,
                           ID3DXBuffer** adjacency, ID3DXBuffer** materials,
                           ID3DXBuffer** effectInstances, DWORD* materialCount, ID3DXMesh** mesh);

// The nearest triangle the ray hits, from either side. The face, u, v and
// distance are written only on a hit; the hit flag is FALSE and the count 0
// otherwise. The count and the optional buffer of D3DXINTERSECTINFO (in
// ascending distance; null when nothing is hit) cover every triangle the ray
// hits.
HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* origin, const D3DXVECTOR3* direction,
                      BOOL* hit, DWORD* faceIndex, float* u, float* v, float* distance,
                      ID3DXBuffer** allHits, DWORD* hitCount);
