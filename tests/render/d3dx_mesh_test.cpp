#include "render/d3dx_mesh.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/bumpy_terrain.h"
#include "tests/support/recording_device.h"

namespace {

// Two materials: "Lit" (grey, texture "road.png") holds the quad, drawn as
// two triangles; "Plain" (red, no texture) the single triangle. The quad lies
// at height 2 over x 0..4, z 0..4, split along its diagonal from (0, 0) to
// (4, 4); the triangle at height 6 over the same corner. A ray up from
// (1, 0, 1) runs along the diagonal through both quad triangles, then the
// upper one.
const char* const twoMaterials = R"(xof 0303txt 0032
Material Lit { 0.5;0.5;0.5;1;; 4; 1;1;1;; 0;0;0;; TextureFilename { "road.png"; } }
Mesh {
 7;
 0;2;0;, 4;2;0;, 4;2;4;, 0;2;4;,
 0;6;0;, 4;6;0;, 0;6;4;;
 2;
 4;0,3,2,1;,
 3;4,6,5;;
 MeshMaterialList {
  2; 2; 0, 1;;
  { Lit }
  Material Plain { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
 }
}
)";

std::string WriteFixture(const char* name, const char* text) {
    const std::string path = testing::TempDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fputs(text, file);
        std::fclose(file);
    }
    return path;
}

TEST(D3DXLoadMeshFromX, GivesTheMeshAndOneMaterialRecordPerSubset) {
    const std::string path = WriteFixture("d3dx_mesh_two_materials.x", twoMaterials);
    RecordingDevice device;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, &device, nullptr, &materials,
                                 nullptr, &materialCount, &mesh),
              S_OK);
    ASSERT_NE(mesh, nullptr);
    ASSERT_NE(materials, nullptr);
    EXPECT_EQ(materialCount, 2u);
    EXPECT_EQ(mesh->GetNumFaces(), 3u);
    EXPECT_EQ(mesh->GetNumVertices(), 7u);
    EXPECT_EQ(device.references, 2u);   // the mesh holds the device
    EXPECT_TRUE(device.calls.empty());  // nothing reaches the device before a draw

    const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    ASSERT_GE(materials->GetBufferSize(), 2 * sizeof(D3DXMATERIAL));
    EXPECT_FLOAT_EQ(records[0].MatD3D.Diffuse.g, 0.5f);
    EXPECT_FLOAT_EQ(records[0].MatD3D.Power, 4.0f);
    ASSERT_NE(records[0].pTextureFilename, nullptr);
    EXPECT_STREQ(records[0].pTextureFilename, "road.png");
    // The name lives inside the buffer itself.
    const char* begin = static_cast<const char*>(materials->GetBufferPointer());
    EXPECT_GE(records[0].pTextureFilename, begin);
    EXPECT_LT(records[0].pTextureFilename, begin + materials->GetBufferSize());
    EXPECT_FLOAT_EQ(records[1].MatD3D.Diffuse.r, 1.0f);
    EXPECT_EQ(records[1].pTextureFilename, nullptr);

    materials->Release();
    mesh->Release();
    EXPECT_EQ(device.references, 1u);
    std::remove(path.c_str());
}

TEST(D3DXLoadMeshFromX, MeshesFromOneFileShareOneCopyOfItsData) {
    // The game makes 31 trees from six files and four robots from one.
    const std::string path = WriteFixture("d3dx_mesh_shared.x", twoMaterials);
    ID3DXMesh* first = nullptr;
    ID3DXMesh* second = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, &first),
              S_OK);
    ASSERT_EQ(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, &second),
              S_OK);
    EXPECT_EQ(&first->Mesh(), &second->Mesh());
    first->Release();
    EXPECT_EQ(second->GetNumFaces(), 3u);  // still whole after the other's release
    second->Release();
    std::remove(path.c_str());
}

TEST(D3DXLoadMeshFromX, FailureLeavesEveryOutputAlone) {
    const std::string broken = WriteFixture("d3dx_mesh_broken.x", "xof 0303txt 0032 Mesh { 3;");
    ID3DXBuffer* const materialsSentinel = reinterpret_cast<ID3DXBuffer*>(0x1234);
    ID3DXMesh* const meshSentinel = reinterpret_cast<ID3DXMesh*>(0x5678);
    for (const std::string& path : {broken, testing::TempDir() + "d3dx_mesh_missing.x"}) {
        ID3DXBuffer* materials = materialsSentinel;
        DWORD materialCount = 99;
        ID3DXMesh* mesh = meshSentinel;
        EXPECT_LT(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, nullptr, nullptr, &materials,
                                     nullptr, &materialCount, &mesh),
                  0);
        EXPECT_EQ(materials, materialsSentinel);
        EXPECT_EQ(materialCount, 99u);
        EXPECT_EQ(mesh, meshSentinel);
    }
    std::remove(broken.c_str());
}

TEST(ID3DXMesh, DrawSubsetDrawsThatMaterialsIndexRange) {
    const std::string path = WriteFixture("d3dx_mesh_draw.x", twoMaterials);
    RecordingDevice device;
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, &device, nullptr, nullptr,
                                 nullptr, nullptr, &mesh),
              S_OK);
    EXPECT_EQ(mesh->DrawSubset(1), S_OK);
    EXPECT_EQ(mesh->DrawSubset(0), S_OK);
    EXPECT_EQ(mesh->DrawSubset(1), S_OK);

    // The buffers are made once, with the whole mesh, on the first draw.
    ASSERT_EQ(device.CountOf("CreateMeshBuffers"), 1u);
    EXPECT_EQ(device.calls[0].name, "CreateMeshBuffers");
    EXPECT_EQ(device.calls[0].arguments, (std::vector<int64_t>{7, 9}));
    ASSERT_EQ(device.meshBuffers.size(), 1u);
    EXPECT_EQ(device.meshBuffers[0]->indices, mesh->Mesh().indices);
    const int64_t buffers = reinterpret_cast<intptr_t>(device.meshBuffers[0].get());

    // Subset 0 is the quad (indices 0..5), subset 1 the triangle (6..8).
    const auto draws = device.CallsNamed("DrawMeshBuffers");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0]->arguments, (std::vector<int64_t>{buffers, 6, 3}));
    EXPECT_EQ(draws[1]->arguments, (std::vector<int64_t>{buffers, 0, 6}));
    EXPECT_EQ(draws[2]->arguments, (std::vector<int64_t>{buffers, 6, 3}));

    mesh->Release();
    EXPECT_EQ(device.LiveMeshBuffers(), 0u);
    EXPECT_EQ(device.references, 1u);
    std::remove(path.c_str());
}

TEST(ID3DXMesh, DrawSubsetRefusesWhatItCannotDraw) {
    CpuMesh data = MakeBumpyTerrain(2, 1);
    data.subsets.push_back({data.TriangleCount() * 3, 0});  // a material without faces
    RecordingDevice device;
    ID3DXMesh* mesh = ID3DXMesh::Create(&device, data);
    EXPECT_LT(mesh->DrawSubset(2), 0);     // no such subset
    EXPECT_EQ(mesh->DrawSubset(1), S_OK);  // nothing to draw
    EXPECT_TRUE(device.calls.empty());

    // A device that cannot make buffers: the draw fails, and is tried again
    // on the next draw.
    device.results["CreateMeshBuffers"] = E_OUTOFMEMORY;
    EXPECT_LT(mesh->DrawSubset(0), 0);
    EXPECT_EQ(device.CountOf("DrawMeshBuffers"), 0u);
    device.results.clear();
    EXPECT_EQ(mesh->DrawSubset(0), S_OK);
    EXPECT_EQ(device.CountOf("CreateMeshBuffers"), 2u);
    EXPECT_EQ(device.CountOf("DrawMeshBuffers"), 1u);
    mesh->Release();

    // A mesh without a device is for ray tests only.
    ID3DXMesh* loose = ID3DXMesh::Create(nullptr, data);
    EXPECT_LT(loose->DrawSubset(0), 0);
    loose->Release();
}

TEST(D3DXIntersect, NearestHitAndEveryHitAlongTheRay) {
    const std::string path = WriteFixture("d3dx_mesh_ray.x", twoMaterials);
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, &mesh),
              S_OK);
    const D3DXVECTOR3 origin(1, 0, 1), up(0, 1, 0);
    BOOL hit = FALSE;
    DWORD face = 99, count = 99;
    float u = -1, v = -1, distance = -1;
    ID3DXBuffer* all = nullptr;
    ASSERT_EQ(D3DXIntersect(mesh, &origin, &up, &hit, &face, &u, &v, &distance, &all, &count),
              S_OK);
    EXPECT_EQ(hit, TRUE);
    EXPECT_FLOAT_EQ(distance, 2.0f);  // the quad below the triangle
    EXPECT_EQ(face, 0u);              // of its two triangles met together, the first
    EXPECT_EQ(count, 3u);
    ASSERT_NE(all, nullptr);
    ASSERT_EQ(all->GetBufferSize(), 3 * sizeof(D3DXINTERSECTINFO));
    const auto* hits = static_cast<const D3DXINTERSECTINFO*>(all->GetBufferPointer());
    EXPECT_EQ(hits[0].FaceIndex, 0u);
    EXPECT_EQ(hits[1].FaceIndex, 1u);
    EXPECT_FLOAT_EQ(hits[1].Dist, 2.0f);
    EXPECT_EQ(hits[2].FaceIndex, 2u);
    EXPECT_FLOAT_EQ(hits[2].Dist, 6.0f);
    all->Release();

    // Without the optional outputs, the same nearest hit.
    float alone = -1;
    DWORD aloneFace = 99;
    ASSERT_EQ(D3DXIntersect(mesh, &origin, &up, &hit, &aloneFace, nullptr, nullptr, &alone, nullptr,
                            nullptr),
              S_OK);
    EXPECT_EQ(alone, distance);
    EXPECT_EQ(aloneFace, face);
    mesh->Release();
    std::remove(path.c_str());
}

TEST(D3DXIntersect, AMissWritesOnlyTheFlagAndTheCount) {
    ID3DXMesh* mesh = ID3DXMesh::Create(nullptr, MakeBumpyTerrain(10, 3));
    const D3DXVECTOR3 outside(500, 0, 500), up(0, 1, 0);
    BOOL hit = TRUE;
    DWORD face = 99, count = 99;
    float u = -1, v = -1, distance = -1;
    ID3DXBuffer* all = reinterpret_cast<ID3DXBuffer*>(0x1);
    ASSERT_EQ(D3DXIntersect(mesh, &outside, &up, &hit, &face, &u, &v, &distance, &all, &count),
              S_OK);
    EXPECT_EQ(hit, FALSE);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(all, nullptr);
    EXPECT_EQ(face, 99u);
    EXPECT_EQ(u, -1.0f);
    EXPECT_EQ(v, -1.0f);
    EXPECT_EQ(distance, -1.0f);
    mesh->Release();
}

TEST(D3DXIntersect, NullMeshFails) {
    const D3DXVECTOR3 origin(0, 0, 0), up(0, 1, 0);
    BOOL hit = TRUE;
    float distance = 7;
    EXPECT_LT(D3DXIntersect(nullptr, &origin, &up, &hit, nullptr, nullptr, nullptr, &distance,
                            nullptr, nullptr),
              0);
    EXPECT_EQ(distance, 7.0f);
}

TEST(D3DXIntersect, GroundHeightStraightUpFromZeroOnATerrain) {
    // How the game asks for the ground height: from (x, 0, z) straight up.
    const CpuMesh terrain = MakeBumpyTerrain(40, 9);
    ID3DXMesh* mesh = ID3DXMesh::Create(nullptr, terrain);
    const D3DXVECTOR3 up(0, 1, 0);
    for (float x = -230.0f; x < 230.0f; x += 37.0f) {
        for (float z = -230.0f; z < 230.0f; z += 41.0f) {
            const D3DXVECTOR3 origin(x, 0, z);
            BOOL hit = FALSE;
            DWORD face = 0;
            float u = 0, v = 0, height = 0;
            ASSERT_EQ(
                D3DXIntersect(mesh, &origin, &up, &hit, &face, &u, &v, &height, nullptr, nullptr),
                S_OK);
            ASSERT_EQ(hit, TRUE);
            // The height matches the hit triangle's plane at the barycentric point.
            const uint32_t* corner = &terrain.indices[3 * face];
            const float y0 = terrain.vertices[corner[0]].position.y;
            const float y1 = terrain.vertices[corner[1]].position.y;
            const float y2 = terrain.vertices[corner[2]].position.y;
            EXPECT_NEAR(height, y0 + u * (y1 - y0) + v * (y2 - y0), 1e-4f);
            EXPECT_GT(height, 2.0f);
        }
    }
    mesh->Release();
}

}  // namespace
