#include "render/x_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "tools/encoders/x_binary_writer.h"

namespace {

// ---------------------------------------------------------------------------
// The scene both main fixtures describe, once as text and once in binary:
//
// - A template declaration and a Header, both to be skipped.
// - A top-level material "Red": colour (1, 0, 0, 1), power 8, specular
//   (0.5, 0.5, 0.5), emissive (0, 0, 0.25), no texture.
// - Frame "Outer" moving by (10, 0, 0), holding an unknown object with nested
//   braces and frame "Inner", which turns by a yaw of 90 degrees (x, y, z) ->
//   (z, y, -x) and lifts by 5. Together a point (x, y, z) of the mesh inside
//   ends at (z + 10, y + 5, -x).
// - Mesh "Shape" in "Inner": five positions p0 (0,0,0), p1 (1,0,0), p2 (1,0,1),
//   p3 (0,0,1), p4 (2,0,0); face 0 the quad p0 p1 p2 p3, face 1 the triangle
//   p1 p4 p2. Two normals: n0 (0,1,0) and n1 (0,0,-2) (deliberately not unit
//   length); the quad uses n0 at every corner, the triangle n1, n1, n0. So p1
//   is used with two normals and must be split; p4 first appears with n1.
//   Texture coordinates (0,0) (1,0) (1,1) (0,1) (0.5,0.5). Material list: two
//   materials, face 0 uses material 1, face 1 material 0; material 0 is a
//   reference to "Red", material 1 an inline blue (0, 0, 1, 1) with texture
//   "blue.png".
// - A top-level mesh with one triangle (0,0,0) (0,1,0) (1,0,0), no normals, no
//   texture coordinates, no material list: it gets a white material.
//
// Expected result: materials Red, Blue, White. Vertices 0..4 are p0..p4
// transformed; vertex 5 is the split copy of p1 with n1; vertices 6..8 the
// second mesh. The yaw turns n1 (0,0,-2) into (-2,0,0), normalised (-1,0,0).
// Subset 0 (Red) holds face 1: 5 4 2. Subset 1 (Blue) the quad as a fan:
// 0 1 2, 0 2 3. Subset 2 (White) 6 7 8.

const char* const textScene = R"(xof 0303txt 0032
// A comment, and a template declaration as exporters write them.
template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}
Header {
 1;
 0;
 1;
}
# The referenced material; numbers written as integers and as decimals.
Material Red {
 1;0;0;1.000000;;
 8.0;
 0.5;0.500000;0.5;;
 0;0;0.25;;
}
Frame Outer {
 FrameTransformMatrix {
  1,0,0,0,0,1,0,0,0,0,1,0,10,0,0,1;;
 }
 SomethingUnknown {
  1;
  { Inner }
  Nested { 2; { 3; } }
 }
 Frame Inner {
  FrameTransformMatrix {
   0.000000,0.000000,-1.000000,0.000000,
   0.000000,1.000000,0.000000,0.000000,
   1.000000,0.000000,0.000000,0.000000,
   0.000000,5.000000,0.000000,1.000000;;
  }
  Mesh Shape {
   5;
   0.0;0.0;0.0;,
   1.0;0.0;0.0;,
   1.0;0.0;1.0;,
   0.0;0.0;1.0;,
   2.0;0.0;0.0;;
   2;
   4;0,1,2,3;,
   3;1,4,2;;
   MeshNormals {
    2;
    0.0;1.0;0.0;,
    0.0;0.0;-2.0;;
    2;
    4;0,0,0,0;,
    3;1,1,0;;
   }
   MeshTextureCoords {
    5;
    0.0;0.0;,
    1.0;0.0;,
    1.0;1.0;,
    0.0;1.0;,
    0.5;0.5;;
   }
   MeshMaterialList {
    2;
    2;
    1,
    0;;
    { Red }
    Material {
     0.0;0.0;1.0;1.0;;
     0.0;
     0.0;0.0;0.0;;
     0.0;0.0;0.0;;
     TextureFilename {
      "blue.png";
     }
    }
   }
  }
 }
}
Mesh {
 3;
 0;0;0;,
 0;1;0;,
 1;0;0;;
 1;
 3;0,1,2;;
}
)";

std::vector<uint8_t> BinaryScene(bool doubles, bool shortStringEnd = false) {
    XBinaryWriter x(doubles, shortStringEnd);
    // template Vector { <guid> FLOAT x; FLOAT y; FLOAT z; }
    x.Word(31), x.Name("Vector"), x.Open(), x.Guid();
    for (const char* member : {"x", "y", "z"}) x.Word(42), x.Name(member), x.Word(20);
    x.Close();
    x.Object("Header"), x.Integers({1, 0, 1}), x.Close();
    x.Object("Material", "Red"), x.Floats({1, 0, 0, 1, 8, 0.5, 0.5, 0.5, 0, 0, 0.25}), x.Close();
    x.Object("Frame", "Outer");
    x.Object("FrameTransformMatrix");
    x.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1});
    x.Close();
    x.Object("SomethingUnknown"), x.Integers({1});
    x.Open(), x.Name("Inner"), x.Close();
    x.Object("Nested"), x.Integers({2}), x.Open(), x.Integers({3}), x.Close(), x.Close();
    x.Close();
    x.Object("Frame", "Inner");
    x.Object("FrameTransformMatrix");
    x.Floats({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 5, 0, 1});
    x.Close();
    x.Object("Mesh", "Shape");
    x.Integers({5});
    x.Floats({0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 2, 0, 0});
    x.Integers({2, 4, 0, 1, 2, 3, 3, 1, 4, 2});
    x.Object("MeshNormals");
    x.Integers({2}), x.Floats({0, 1, 0, 0, 0, -2}), x.Integers({2, 4, 0, 0, 0, 0, 3, 1, 1, 0});
    x.Close();
    x.Object("MeshTextureCoords"), x.Integers({5}), x.Floats({0, 0, 1, 0, 1, 1, 0, 1, 0.5, 0.5});
    x.Close();
    x.Object("MeshMaterialList");
    x.Integers({2, 2, 1, 0});
    x.Open(), x.Name("Red"), x.Close();
    x.Object("Material"), x.Floats({0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0});
    x.Object("TextureFilename"), x.String("blue.png"), x.Close();
    x.Close();  // Material
    x.Close();  // MeshMaterialList
    x.Close();  // Mesh
    x.Close();  // Inner
    x.Close();  // Outer
    // The second mesh; its count comes as a lone integer token this time.
    x.Object("Mesh");
    x.Word(3), x.Dword(3);
    x.Floats({0, 0, 0, 0, 1, 0, 1, 0, 0});
    x.Integers({1, 3, 0, 1, 2});
    x.Close();
    return x.bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

HRESULT Parse(const std::vector<uint8_t>& bytes, CpuMesh& mesh,
              std::vector<MeshMaterial>& materials) {
    return ParseXFile(bytes.data(), bytes.size(), mesh, materials);
}

HRESULT Parse(const std::string& text, CpuMesh& mesh, std::vector<MeshMaterial>& materials) {
    return Parse(Bytes(text), mesh, materials);
}

void ExpectVector(const D3DVECTOR& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

void ExpectColour(const D3DCOLORVALUE& c, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

void ExpectScene(const CpuMesh& mesh, const std::vector<MeshMaterial>& materials) {
    ASSERT_EQ(materials.size(), 3u);
    ExpectColour(materials[0].material.Diffuse, 1, 0, 0, 1);
    EXPECT_FLOAT_EQ(materials[0].material.Power, 8.0f);
    ExpectColour(materials[0].material.Specular, 0.5f, 0.5f, 0.5f, 1);
    ExpectColour(materials[0].material.Emissive, 0, 0, 0.25f, 1);
    EXPECT_EQ(materials[0].textureFilename, "");
    ExpectColour(materials[1].material.Diffuse, 0, 0, 1, 1);
    EXPECT_EQ(materials[1].textureFilename, "blue.png");
    ExpectColour(materials[2].material.Diffuse, 1, 1, 1, 1);
    EXPECT_EQ(materials[2].textureFilename, "");

    ASSERT_EQ(mesh.vertices.size(), 9u);
    const float expected[9][3] = {{10, 5, 0},  {10, 5, -1}, {11, 5, -1}, {11, 5, 0}, {10, 5, -2},
                                  {10, 5, -1}, {0, 0, 0},   {0, 1, 0},   {1, 0, 0}};
    for (size_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        ExpectVector(mesh.vertices[i].position, expected[i][0], expected[i][1], expected[i][2]);
    }
    for (size_t i : {0, 1, 2, 3}) ExpectVector(mesh.vertices[i].normal, 0, 1, 0);
    ExpectVector(mesh.vertices[4].normal, -1, 0, 0);
    ExpectVector(mesh.vertices[5].normal, -1, 0, 0);
    for (size_t i : {6, 7, 8}) ExpectVector(mesh.vertices[i].normal, 0, 0, 0);
    EXPECT_FLOAT_EQ(mesh.vertices[2].u, 1.0f);
    EXPECT_FLOAT_EQ(mesh.vertices[2].v, 1.0f);
    EXPECT_FLOAT_EQ(mesh.vertices[4].u, 0.5f);
    EXPECT_FLOAT_EQ(mesh.vertices[5].u, 1.0f);  // the split copy keeps p1's coordinates
    EXPECT_FLOAT_EQ(mesh.vertices[5].v, 0.0f);
    EXPECT_FLOAT_EQ(mesh.vertices[8].u, 0.0f);

    EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{5, 4, 2, 0, 1, 2, 0, 2, 3, 6, 7, 8}));
    ASSERT_EQ(mesh.subsets.size(), 3u);
    EXPECT_EQ(mesh.subsets[0].firstIndex, 0u);
    EXPECT_EQ(mesh.subsets[0].indexCount, 3u);
    EXPECT_EQ(mesh.subsets[1].firstIndex, 3u);
    EXPECT_EQ(mesh.subsets[1].indexCount, 6u);
    EXPECT_EQ(mesh.subsets[2].firstIndex, 9u);
    EXPECT_EQ(mesh.subsets[2].indexCount, 3u);
}

TEST(XFile, TextSceneMergesFramesMaterialsAndSplitNormals) {
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    ASSERT_EQ(Parse(std::string(textScene), mesh, materials), S_OK);
    ExpectScene(mesh, materials);
}

TEST(XFile, BinarySceneWithSingleAndDoubleFloatsGivesTheSameResult) {
    for (bool doubles : {false, true}) {
        for (bool shortStringEnd : {false, true}) {
            SCOPED_TRACE(doubles ? "64-bit floats" : "32-bit floats");
            SCOPED_TRACE(shortStringEnd ? "16-bit string end" : "32-bit string end");
            CpuMesh mesh;
            std::vector<MeshMaterial> materials;
            ASSERT_EQ(Parse(BinaryScene(doubles, shortStringEnd), mesh, materials), S_OK);
            ExpectScene(mesh, materials);
        }
    }
}

TEST(XFile, AcceptsTheOlderVersionAndRefusesCompressedOrUnknownHeaders) {
    std::string text = textScene;
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    text.replace(0, 16, "xof 0302txt 0064");
    EXPECT_EQ(Parse(text, mesh, materials), S_OK);
    for (const char* header : {"xof 0303tzip0032", "xof 0303bzip0032", "xof 0304txt 0032",
                               "xof 0303txt 0016", "xom 0303txt 0032", "xof 0303TXT 0032"}) {
        text.replace(0, 16, header);
        EXPECT_LT(Parse(text, mesh, materials), 0) << header;
    }
}

TEST(XFile, PolygonsBecomeFansInCornerOrder) {
    // A pentagon with corners 0..4 becomes 0 1 2, 0 2 3, 0 3 4; a two-corner
    // face gives no triangle but still takes its entry in the material list
    // (material 1, which therefore stays empty).
    const char* text = R"(xof 0303txt 0032
Mesh {
 5; 0;0;0;, 1;0;0;, 2;0;1;, 1;0;2;, 0;0;1;;
 2; 5;0,1,2,3,4;, 2;0,1;;
 MeshMaterialList { 2; 2; 0, 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } Material { 0.5;0.5;0.5;1;; 0; 0;0;0;; 0;0;0;; } }
})";
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    ASSERT_EQ(Parse(std::string(text), mesh, materials), S_OK);
    EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
    ASSERT_EQ(mesh.subsets.size(), 2u);
    EXPECT_EQ(mesh.subsets[0].indexCount, 9u);
    EXPECT_EQ(mesh.subsets[1].firstIndex, 9u);
    EXPECT_EQ(mesh.subsets[1].indexCount, 0u);
}

TEST(XFile, ShortMaterialListRepeatsItsLastIndex) {
    // Three faces, one face index (1): all three faces use material 1.
    const char* text = R"(xof 0303txt 0032
Mesh {
 3; 0;0;0;, 1;0;0;, 0;0;1;;
 3; 3;0,1,2;, 3;0,2,1;, 3;1,2,0;;
 MeshMaterialList { 2; 1; 1;;
  Material A { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
  Material B { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "grass.bmp"; } }
 }
})";
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    ASSERT_EQ(Parse(std::string(text), mesh, materials), S_OK);
    ASSERT_EQ(mesh.subsets.size(), 2u);
    EXPECT_EQ(mesh.subsets[0].indexCount, 0u);
    EXPECT_EQ(mesh.subsets[1].indexCount, 9u);
    EXPECT_EQ(materials[1].textureFilename, "grass.bmp");
}

TEST(XFile, NormalsFollowTheInverseTransposeUnderUnevenScaling) {
    // The frame doubles x. A face in the plane x + y = 1 has normal (1,1,0);
    // scaled, the plane is x / 2 + y = 1, with normal (1,2,0) / sqrt 5. The
    // normals here are given per position, with no normal faces.
    const char* text = R"(xof 0303txt 0032
Frame {
 FrameTransformMatrix { 2,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 Mesh {
  3; 1;0;0;, 0;1;0;, 1;0;1;;
  1; 3;0,1,2;;
  MeshNormals { 3; 0.7071;0.7071;0;, 0.7071;0.7071;0;, 0.7071;0.7071;0;; 0; }
 }
})";
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    ASSERT_EQ(Parse(std::string(text), mesh, materials), S_OK);
    ASSERT_EQ(mesh.vertices.size(), 3u);
    ExpectVector(mesh.vertices[0].position, 2, 0, 0);
    const float s = 1.0f / std::sqrt(5.0f);
    for (const MeshVertex& vertex : mesh.vertices) ExpectVector(vertex.normal, s, 2 * s, 0);
}

TEST(XFile, MeshesListTheirOwnMaterialsInFileOrder) {
    // Two meshes both naming "Shared": each gets its own entry, so that
    // subset i is always material i of the merged list. The material is
    // defined after the meshes that use it.
    const char* text = R"(xof 0303txt 0032
Mesh First { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; { Shared } } }
Mesh Second { 3; 0;1;0;, 1;1;0;, 0;1;1;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; {Shared} } }
Material Shared { 0.25;0.5;0.75;1;; 2; 0;0;0;; 0;0;0;; TextureFilename { "shared.png"; } }
)";
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    ASSERT_EQ(Parse(std::string(text), mesh, materials), S_OK);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(materials[1].textureFilename, "shared.png");
    EXPECT_FLOAT_EQ(materials[1].material.Diffuse.b, 0.75f);
    EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(mesh.subsets[1].firstIndex, 3u);
}

TEST(XFile, LoadsFromAFileAsItNowStandsAndReportsAMissingOne) {
    const std::string path = testing::TempDir() + "x_file_test_scene.x";
    auto write = [&](const std::string& text) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(text.c_str(), file);
        std::fclose(file);
    };
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    // Twice: the second load is served from what the first kept.
    for (int load = 0; load < 2; ++load) {
        write(textScene);
        ASSERT_EQ(LoadXFile(path.c_str(), mesh, materials), S_OK);
        ExpectScene(mesh, materials);
    }
    // Changed bytes are read as they now stand, never as they were.
    const std::string cut = std::string(textScene).substr(0, std::strlen(textScene) / 2);
    write(cut);
    EXPECT_LT(LoadXFile(path.c_str(), mesh, materials), 0);
    ExpectScene(mesh, materials);  // a failed load leaves the outputs alone
    std::string shinier = textScene;
    shinier.replace(shinier.find(" 8.0;"), 5, " 9.0;");
    write(shinier);
    ASSERT_EQ(LoadXFile(path.c_str(), mesh, materials), S_OK);
    EXPECT_FLOAT_EQ(materials[0].material.Power, 9.0f);

    std::remove(path.c_str());
    EXPECT_LT(LoadXFile(path.c_str(), mesh, materials), 0);
    EXPECT_LT(LoadXFile(nullptr, mesh, materials), 0);
}

// ---------------------------------------------------------------------------
// Hostile files.

// A successful parse must at least hand out a mesh that can be used blindly.
void ExpectUsable(const CpuMesh& mesh, const std::vector<MeshMaterial>& materials) {
    ASSERT_EQ(mesh.subsets.size(), materials.size());
    uint32_t next = 0;
    for (const MeshSubset& subset : mesh.subsets) {
        ASSERT_EQ(subset.firstIndex, next);
        next += subset.indexCount;
    }
    ASSERT_EQ(next, mesh.indices.size());
    for (uint32_t index : mesh.indices) ASSERT_LT(index, mesh.vertices.size());
}

// Parses and checks that failure leaves the outputs alone and success gives
// a usable mesh.
HRESULT ParseChecked(const uint8_t* bytes, size_t size) {
    CpuMesh mesh;
    mesh.indices = {12345};
    std::vector<MeshMaterial> materials(1);
    materials[0].textureFilename = "untouched";
    const HRESULT result = ParseXFile(bytes, size, mesh, materials);
    if (FAILED(result)) {
        EXPECT_EQ(mesh.indices, std::vector<uint32_t>{12345});
        EXPECT_EQ(materials.size(), 1u);
        EXPECT_EQ(materials[0].textureFilename, "untouched");
    } else {
        ExpectUsable(mesh, materials);
    }
    return result;
}

TEST(XFileHostile, EveryTruncationOfTheTextSceneIsSafe) {
    const std::string text = textScene;
    // Cut anywhere inside the last object (the second mesh), the file is
    // unbalanced and must fail; elsewhere a cut may happen to fall between
    // objects, but must never do harm.
    const size_t lastObject = text.rfind("Mesh {");
    const size_t lastBrace = text.rfind('}');
    for (size_t cut = 0; cut < text.size(); ++cut) {
        const HRESULT result = ParseChecked(reinterpret_cast<const uint8_t*>(text.data()), cut);
        if (cut > lastObject && cut <= lastBrace) {
            EXPECT_LT(result, 0) << cut;
        }
    }
}

TEST(XFileHostile, EveryTruncationOfTheBinarySceneIsSafe) {
    for (bool doubles : {false, true}) {
        const std::vector<uint8_t> bytes = BinaryScene(doubles);
        // The second mesh starts with its type name; find it from the end.
        size_t lastObject = bytes.size();
        while (lastObject > 0 && std::memcmp(&bytes[lastObject - 1], "Mesh", 4) != 0) --lastObject;
        lastObject -= 1 + 6;  // back over the name token's identifier and length
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            const HRESULT result = ParseChecked(bytes.data(), cut);
            if (cut > lastObject) {
                EXPECT_LT(result, 0) << cut;
            }
        }
    }
}

TEST(XFileHostile, RandomlyDamagedScenesAreSafe) {
    std::mt19937 random(11);
    const std::vector<std::vector<uint8_t>> scenes = {Bytes(textScene), BinaryScene(false),
                                                      BinaryScene(true)};
    int failures = 0;
    for (const std::vector<uint8_t>& scene : scenes) {
        for (int round = 0; round < 1500; ++round) {
            std::vector<uint8_t> damaged = scene;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < changes; ++i) {
                const size_t at = 16 + random() % (damaged.size() - 16);
                damaged[at] = static_cast<uint8_t>(random() % 2 ? random() : damaged[at] ^ 0x80);
            }
            failures += FAILED(ParseChecked(damaged.data(), damaged.size()));
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(XFileHostile, CountsBeyondWhatTheFileCouldHoldFail) {
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    // Text: four billion vertices, or faces, or corners promised by a tiny file.
    EXPECT_LT(Parse(std::string("xof 0303txt 0032 Mesh { 4000000000; 0;0;0;; }"), mesh, materials),
              0);
    EXPECT_LT(Parse(std::string("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; "
                                "4000000000; 3;0,1,2;; }"),
                    mesh, materials),
              0);
    EXPECT_LT(Parse(std::string("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; "
                                "1; 4000000000;0,1,2;; }"),
                    mesh, materials),
              0);
    EXPECT_LT(Parse(std::string("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; "
                                "1; 3;0,1,2;; MeshMaterialList { 4000000000; 1; 0;; } }"),
                    mesh, materials),
              0);
    // Binary: a float list and a name whose counts run past the end.
    XBinaryWriter list(false);
    list.Object("Mesh"), list.Integers({1}), list.Word(7), list.Dword(0x40000000), list.Dword(0);
    EXPECT_LT(Parse(list.bytes, mesh, materials), 0);
    XBinaryWriter name(false);
    name.Word(1), name.Dword(0xFFFFFFF0u);
    EXPECT_LT(Parse(name.bytes, mesh, materials), 0);
}

TEST(XFileHostile, IndicesOutOfRangeFail) {
    const std::string head = "xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; 1; ";
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    ASSERT_EQ(Parse(head + "3;0,1,2;; }", mesh, materials), S_OK);  // the valid base
    EXPECT_LT(Parse(head + "3;0,1,3;; }", mesh, materials), 0);     // position 3 of 3
    EXPECT_LT(Parse(head + "3;0,1,-1;; }", mesh, materials), 0);    // negative
    EXPECT_LT(Parse(head + "3;0,1,2;; MeshNormals { 1; 0;1;0;; 1; 3;0,0,1;; } }", mesh, materials),
              0);  // normal 1 of 1
    EXPECT_LT(
        Parse(head + "3;0,1,2;; MeshNormals { 1; 0;1;0;; 1; 4;0,0,0,0;; } }", mesh, materials),
        0);  // normal face of another size
    EXPECT_LT(Parse(head + "3;0,1,2;; MeshTextureCoords { 2; 0;0;, 1;1;; } }", mesh, materials),
              0);  // coordinates for two of three positions
    EXPECT_LT(Parse(head + "3;0,1,2;; MeshMaterialList { 1; 1; 1;; { M } } }", mesh, materials),
              0);  // material 1 of 1
    EXPECT_LT(Parse(head + "3;0,1,2;; MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; "
                           "0;0;0;; 0;0;0;; } } }",
                    mesh, materials),
              0);  // two materials promised, one given
    EXPECT_LT(
        Parse(head + "3;0,1,2;; MeshMaterialList { 1; 1; 0;; { Nowhere } } }", mesh, materials),
        0);  // a reference to nothing
}

TEST(XFileHostile, MalformedStructureFails) {
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    const std::string triangle = "Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; 1; 3;0,1,2;; }";
    const std::string header = "xof 0303txt 0032\n";
    for (const std::string& body : std::initializer_list<std::string>{
             "",                                                   // no mesh at all
             "Frame { " + triangle,                                // unclosed frame
             triangle + " }",                                      // one brace too many
             "Frame { Frame 3 " + triangle + " }",                 // object without a brace
             "Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; 1; 3;0,1,2;; ",      // unclosed mesh
             "Mesh { 3; 0;0;0;,1;zero;0;,0;0;1;; 1; 3;0,1,2;; }",  // a word for a number
             "Mesh { 3; 0;0;0;,1;1e39;0;,0;0;1;; 1; 3;0,1,2;; }",  // too large for a float
             "Mesh { 3.5; 0;0;0;,1;0;0;,0;0;1;; 1; 3;0,1,2;; }",   // a fraction for a count
             "Mesh { 1; 0;0;0;; 1; 1;0;; }",                       // only a degenerate face
             "Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; "
             "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { grass; } } } }",  // no
                                                                                          // quotes
             "template { }",  // template without a name
             "Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; 1; 3;0,1,2;; \"unterminated }",
             "Header { <1234 }",  // unterminated GUID
         }) {
        EXPECT_LT(Parse(header + body, mesh, materials), 0) << body;
    }
    EXPECT_LT(ParseXFile(nullptr, 0, mesh, materials), 0);
    EXPECT_LT(Parse(std::string("xof 0303txt 003"), mesh, materials), 0);
}

TEST(XFileHostile, DeepNestingFailsWithoutExhaustingTheStack) {
    std::string text = "xof 0303txt 0032\n";
    for (int i = 0; i < 100000; ++i) text += "Frame{";
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    EXPECT_LT(Parse(text, mesh, materials), 0);
    // Unknown objects nest without recursion, so depth alone does no harm there.
    std::string unknown = "xof 0303txt 0032\n";
    for (int i = 0; i < 100000; ++i) unknown += "Deep{";
    unknown += std::string(100000, '}') + "Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; 1; 3;0,1,2;; }";
    EXPECT_EQ(Parse(unknown, mesh, materials), S_OK);
}

// A mesh that repeats its material list or its per-position normals takes the
// last of each. Every repeat must cost only its own bytes: were each list
// spread over all the faces again, this file of a few megabytes (many faces,
// then many short lists) would take most of a minute instead of a tenth of a
// second.
TEST(XFileHostile, RepeatedListsTakeTheLastAndCostOnlyTheirOwnBytes) {
    constexpr int faceCount = 500000;
    constexpr int repeats = 50000;
    std::string text =
        "xof 0303txt 0032\nMaterial A { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
        "Material B { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
        "Mesh { 3; 0;0;0;,1;0;0;,0;0;1;; " +
        std::to_string(faceCount) + ";\n";
    for (int face = 0; face < faceCount; ++face) text += "3;0,1,2;";
    text += ";\n";
    for (int i = 0; i < repeats; ++i) {
        text += "MeshMaterialList{2;1;0;;{A}{B}}MeshNormals{3;1;0;0;,1;0;0;,1;0;0;;0;}\n";
    }
    // The lists that count: the first face blue, the rest after it too, as
    // a short list's last index carries on; normals up, one per position.
    text += "MeshMaterialList{2;1;1;;{A}{B}}MeshNormals{3;0;1;0;,0;1;0;,0;1;0;;0;}\n}\n";

    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    ASSERT_EQ(Parse(text, mesh, materials), S_OK);
    ExpectUsable(mesh, materials);
    ASSERT_EQ(materials.size(), 2u);
    ExpectColour(materials[1].material.Diffuse, 0, 0, 1, 1);
    EXPECT_EQ(mesh.subsets[0].indexCount, 0u);
    EXPECT_EQ(mesh.subsets[1].indexCount, 3u * faceCount);
    ASSERT_EQ(mesh.vertices.size(), 3u);
    for (const MeshVertex& vertex : mesh.vertices) ExpectVector(vertex.normal, 0, 1, 0);
}

TEST(XFileHostile, BinaryTokensOfUnknownKindOrCutShortFail) {
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    XBinaryWriter unknown(false);
    unknown.Word(99);
    EXPECT_LT(Parse(unknown.bytes, mesh, materials), 0);
    XBinaryWriter odd(false);
    odd.bytes.push_back(10);  // half a token
    EXPECT_LT(Parse(odd.bytes, mesh, materials), 0);
    XBinaryWriter shortList(false);
    shortList.Object("Mesh"), shortList.Word(6), shortList.Dword(3), shortList.Dword(1);
    EXPECT_LT(Parse(shortList.bytes, mesh, materials), 0);
}

}  // namespace
