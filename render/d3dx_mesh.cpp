#include "render/d3dx_mesh.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "render/x_file.h"

ID3DXBuffer* ID3DXBuffer::Create(size_t size) {
    ID3DXBuffer* buffer = new (std::nothrow) ID3DXBuffer();
    if (!buffer) return nullptr;
    buffer->bytes.assign(size, 0);
    return buffer;
}

ULONG ID3DXBuffer::AddRef() {
    return ++references;
}

ULONG ID3DXBuffer::Release() {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
}

ID3DXBuffer* CreateMaterialBuffer(const std::vector<MeshMaterial>& materials) {
    const size_t recordBytes = materials.size() * sizeof(D3DXMATERIAL);
    size_t size = recordBytes;
    for (const MeshMaterial& material : materials)
        if (!material.textureFilename.empty()) size += material.textureFilename.size() + 1;
    ID3DXBuffer* buffer = ID3DXBuffer::Create(size);
    if (!buffer) return nullptr;

    uint8_t* bytes = static_cast<uint8_t*>(buffer->GetBufferPointer());
    char* names = reinterpret_cast<char*>(bytes + recordBytes);
    for (size_t i = 0; i < materials.size(); ++i) {
        D3DXMATERIAL record{materials[i].material, nullptr};
        const std::string& name = materials[i].textureFilename;
        if (!name.empty()) {
            std::memcpy(names, name.c_str(), name.size() + 1);
            record.pTextureFilename = names;
            names += name.size() + 1;
        }
        std::memcpy(bytes + i * sizeof(D3DXMATERIAL), &record, sizeof record);
    }
    return buffer;
}

ID3DXMesh::ID3DXMesh(IDirect3DDevice9* drawingDevice, std::shared_ptr<const CpuMesh> loaded)
    : mesh(std::move(loaded)), device(drawingDevice) {
    if (device) device->AddRef();
}

ID3DXMesh::~ID3DXMesh() {
    if (buffers) buffers->Release();
    if (device) device->Release();
}

ID3DXMesh* ID3DXMesh::Create(IDirect3DDevice9* device, CpuMesh mesh) {
    return Create(device, std::make_shared<const CpuMesh>(std::move(mesh)));
}

ID3DXMesh* ID3DXMesh::Create(IDirect3DDevice9* device, std::shared_ptr<const CpuMesh> mesh) {
    if (!mesh) return nullptr;
    return new (std::nothrow) ID3DXMesh(device, std::move(mesh));
}

ULONG ID3DXMesh::AddRef() {
    return ++references;
}

ULONG ID3DXMesh::Release() {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
}

HRESULT ID3DXMesh::DrawSubset(DWORD subset) {
    if (!device || subset >= mesh->subsets.size()) return E_INVALIDARG;
    const MeshSubset& range = mesh->subsets[subset];
    if (range.indexCount == 0) return S_OK;
    if (static_cast<uint64_t>(range.firstIndex) + range.indexCount > mesh->indices.size())
        return E_FAIL;
    if (!buffers) {
        std::vector<MeshRange> ranges;
        for (const MeshSubset& each : mesh->subsets)
            ranges.push_back({each.firstIndex, each.indexCount});
        const HRESULT made = device->CreateMeshBuffers(
            mesh->vertices.data(), static_cast<UINT>(mesh->vertices.size()), mesh->indices.data(),
            static_cast<UINT>(mesh->indices.size()), ranges.data(),
            static_cast<UINT>(ranges.size()), &buffers);
        if (FAILED(made)) {
            buffers = nullptr;
            return made;
        }
    }
    return device->DrawMeshBuffers(buffers, range.firstIndex, range.indexCount);
}

const TriangleGrid& ID3DXMesh::Grid() {
    if (!gridBuilt) {
        grid.Build(*mesh);
        gridBuilt = true;
    }
    return grid;
}

HRESULT D3DXLoadMeshFromXA(const char* path, DWORD options, IDirect3DDevice9* device,
                           ID3DXBuffer** adjacency, ID3DXBuffer** materials,
                           ID3DXBuffer** effectInstances, DWORD* materialCount, ID3DXMesh** mesh) {
    (void)options;  // every mesh lives in system memory until its first draw
    if (!path || !mesh || adjacency || effectInstances) return E_INVALIDARG;
    std::shared_ptr<const CpuMesh> loaded;
    std::vector<MeshMaterial> loadedMaterials;
    const HRESULT parsed = LoadSharedXFile(path, loaded, loadedMaterials);
    if (FAILED(parsed)) return parsed;

    ID3DXBuffer* materialBuffer = nullptr;
    if (materials) {
        materialBuffer = CreateMaterialBuffer(loadedMaterials);
        if (!materialBuffer) return E_OUTOFMEMORY;
    }
    ID3DXMesh* created = ID3DXMesh::Create(device, std::move(loaded));
    if (!created) {
        if (materialBuffer) materialBuffer->Release();
        return E_OUTOFMEMORY;
    }
    if (materials) *materials = materialBuffer;
    if (materialCount) *materialCount = static_cast<DWORD>(loadedMaterials.size());
    *mesh = created;
    return S_OK;
}

HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* origin, const D3DXVECTOR3* direction,
                      BOOL* hit, DWORD* faceIndex, float* u, float* v, float* distance,
                      ID3DXBuffer** allHits, DWORD* hitCount) {
    if (!mesh || !origin || !direction) return E_INVALIDARG;
    const TriangleGrid& grid = mesh->Grid();

    RayHit nearest{};
    bool found;
    std::vector<RayHit> hits;
    if (allHits || hitCount) {
        grid.IntersectAll(mesh->Mesh(), *origin, *direction, hits);
        // Nearest first; the lowest face among equals, as the single search has it.
        std::sort(hits.begin(), hits.end(), [](const RayHit& a, const RayHit& b) {
            return a.distance < b.distance || (a.distance == b.distance && a.face < b.face);
        });
        found = !hits.empty();
        if (found) nearest = hits.front();
    } else {
        found = grid.Intersect(mesh->Mesh(), *origin, *direction, nearest);
    }

    if (allHits && hits.empty()) *allHits = nullptr;
    if (allHits && !hits.empty()) {
        ID3DXBuffer* buffer = ID3DXBuffer::Create(hits.size() * sizeof(D3DXINTERSECTINFO));
        if (!buffer) return E_OUTOFMEMORY;
        auto* records = static_cast<D3DXINTERSECTINFO*>(buffer->GetBufferPointer());
        for (size_t i = 0; i < hits.size(); ++i)
            records[i] = {hits[i].face, hits[i].u, hits[i].v, hits[i].distance};
        *allHits = buffer;
    }
    if (hitCount) *hitCount = static_cast<DWORD>(hits.size());
    if (hit) *hit = found ? TRUE : FALSE;
    if (found) {
        if (faceIndex) *faceIndex = nearest.face;
        if (u) *u = nearest.u;
        if (v) *v = nearest.v;
        if (distance) *distance = nearest.distance;
    }
    return S_OK;
}
