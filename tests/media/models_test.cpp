// The meshes the game loads besides the ground, read with its .x reader and
// its image decoders: each loads, names textures that decode, and has the
// size and footing the game's placement code assumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "media_files.h"
#include "render/image.h"
#include "render/x_file.h"

namespace {

struct Extent {
    D3DVECTOR low{1e9f, 1e9f, 1e9f};
    D3DVECTOR high{-1e9f, -1e9f, -1e9f};
};

Extent ExtentOf(const CpuMesh& mesh) {
    Extent e;
    for (const MeshVertex& vertex : mesh.vertices) {
        const D3DVECTOR& p = vertex.position;
        e.low = {std::min(e.low.x, p.x), std::min(e.low.y, p.y), std::min(e.low.z, p.z)};
        e.high = {std::max(e.high.x, p.x), std::max(e.high.y, p.y), std::max(e.high.z, p.z)};
    }
    return e;
}

struct LoadedMesh {
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
};

LoadedMesh Load(const std::string& name) {
    LoadedMesh loaded;
    HRESULT result = LoadXFile(MediaFile(name).c_str(), loaded.mesh, loaded.materials);
    EXPECT_FALSE(FAILED(result)) << name;
    return loaded;
}

std::string FileHead(const std::string& name, size_t count) {
    std::ifstream file(MediaFile(name), std::ios::binary);
    std::string head(count, '\0');
    file.read(head.data(), static_cast<std::streamsize>(count));
    head.resize(static_cast<size_t>(file.gcount()));
    return head;
}

const char* const meshNames[] = {"track.x",  "cockpit.x", "zorvek.x", "tree1.x",
                                 "tree2.x",  "tree3.x",   "tree1b.x", "tree2b.x",
                                 "tree3b.x", "advert.x",  "flag.x"};
const char* const treeNames[] = {"tree1.x",  "tree2.x",  "tree3.x",
                                 "tree1b.x", "tree2b.x", "tree3b.x"};

TEST(Meshes, EveryMeshLoadsWithMaterialsAndNamedTexturesThatDecode) {
    for (const char* name : meshNames) {
        LoadedMesh loaded = Load(name);
        EXPECT_GT(loaded.mesh.TriangleCount(), 0u) << name;
        EXPECT_EQ(loaded.mesh.subsets.size(), loaded.materials.size()) << name;
        for (const MeshMaterial& material : loaded.materials) {
            if (material.textureFilename.empty()) continue;
            RgbaImage image;
            EXPECT_FALSE(
                FAILED(DecodeImageFile(MediaFile(material.textureFilename).c_str(), image)))
                << material.textureFilename << " of " << name;
            // Crisp under point sampling without mipmaps: neither tiny nor huge.
            EXPECT_GE(std::min(image.width, image.height), 32u) << material.textureFilename;
            EXPECT_LE(std::max(image.width, image.height), 256u) << material.textureFilename;
        }
        for (const MeshVertex& vertex : loaded.mesh.vertices) {
            const D3DVECTOR& n = vertex.normal;
            EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0, 1e-3) << name;
        }
    }
}

TEST(Meshes, TexturesExerciseEveryDecoder) {
    // Between them the meshes use PNG, JPEG and BMP files, told apart by content.
    std::set<std::string> kinds;
    for (const char* name : meshNames) {
        for (const MeshMaterial& material : Load(name).materials) {
            if (material.textureFilename.empty()) continue;
            std::string head = FileHead(material.textureFilename, 4);
            if (head.compare(0, 4, "\x89PNG") == 0) kinds.insert("png");
            if (head.compare(0, 2, "\xFF\xD8") == 0) kinds.insert("jpeg");
            if (head.compare(0, 2, "BM") == 0) kinds.insert("bmp");
        }
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"png", "jpeg", "bmp"}));
}

TEST(Meshes, FlagIsStoredInTheBinaryForm) {
    EXPECT_EQ(FileHead("flag.x", 16), "xof 0303bin 0032");
    for (const char* name : meshNames) {
        if (std::string(name) != "flag.x") {
            EXPECT_EQ(FileHead(name, 16), "xof 0303txt 0032") << name;
        }
    }
}

TEST(Meshes, CarRidesOnItsWheelsAheadOfTheCamera) {
    Extent car = ExtentOf(Load("cockpit.x").mesh);
    // The origin rides 2.0 above the ground: the tyres touch y = -2.
    EXPECT_NEAR(car.low.y, -2.0, 0.02);
    EXPECT_NEAR(car.high.x - car.low.x, 2.1, 0.3);
    // Built ahead of the origin, where the chase camera's near plane lets it show.
    EXPECT_GT(car.low.z, -0.3);
    EXPECT_GT(car.high.z, 3.5);
    EXPECT_LT(car.high.z, 4.5);
    // Low enough that the road ahead shows over it.
    EXPECT_LT(car.high.y, 0.0);
}

TEST(Meshes, ZorvekStandsOnItsFeetAndHoldsTheFlagHand) {
    LoadedMesh robot = Load("zorvek.x");
    Extent e = ExtentOf(robot.mesh);
    EXPECT_NEAR(e.low.y, -1.5, 0.02);
    EXPECT_GT(e.high.y - e.low.y, 2.7);
    EXPECT_LT(e.high.y - e.low.y, 3.5);
    // Some part of the robot reaches the flag's mounting point (1.5, 1.0, 0).
    bool reaches = false;
    for (const MeshVertex& vertex : robot.mesh.vertices) {
        const D3DVECTOR& p = vertex.position;
        if (std::hypot(p.x - 1.5, p.y - 1.0, p.z) < 0.3) reaches = true;
    }
    EXPECT_TRUE(reaches);
}

TEST(Meshes, TreesAreFlatTwoSidedBillboardsStandingOnTheirOrigin) {
    for (const char* name : treeNames) {
        LoadedMesh tree = Load(name);
        Extent e = ExtentOf(tree.mesh);
        EXPECT_EQ(e.low.z, 0.0f) << name;
        EXPECT_EQ(e.high.z, 0.0f) << name;
        EXPECT_LE(e.low.y, 0.0f) << name;
        EXPECT_GT(e.low.y, -0.5f) << name;
        EXPECT_GE(e.high.y - e.low.y, 6.0f) << name;
        EXPECT_LE(e.high.y - e.low.y, 12.5f) << name;
        // Each triangle is there with both windings, so the culling that hides
        // one side still draws the other whichever way the tree turns.
        std::multiset<std::tuple<float, float, float, float, float, float, float, float, float>>
            windings;
        auto key = [&](uint32_t a, uint32_t b, uint32_t c) {
            const D3DVECTOR& p = tree.mesh.vertices[a].position;
            const D3DVECTOR& q = tree.mesh.vertices[b].position;
            const D3DVECTOR& r = tree.mesh.vertices[c].position;
            return std::make_tuple(p.x, p.y, p.z, q.x, q.y, q.z, r.x, r.y, r.z);
        };
        const std::vector<uint32_t>& index = tree.mesh.indices;
        for (size_t i = 0; i < index.size(); i += 3)
            windings.insert(key(index[i], index[i + 1], index[i + 2]));
        for (size_t i = 0; i < index.size(); i += 3) {
            auto reversed = key(index[i], index[i + 2], index[i + 1]);
            auto rotated1 = key(index[i + 2], index[i + 1], index[i]);
            auto rotated2 = key(index[i + 1], index[i], index[i + 2]);
            EXPECT_TRUE(windings.count(reversed) || windings.count(rotated1) ||
                        windings.count(rotated2))
                << name << " triangle " << i / 3 << " is one-sided";
        }
    }
}

TEST(Meshes, LeavesAndFlagCarryAlpha) {
    for (const char* name :
         {"tree1.x", "tree2.x", "tree3.x", "tree1b.x", "tree2b.x", "tree3b.x", "flag.x"}) {
        bool clear = false, solid = false;
        for (const MeshMaterial& material : Load(name).materials) {
            if (material.textureFilename.empty()) continue;
            RgbaImage image;
            ASSERT_FALSE(
                FAILED(DecodeImageFile(MediaFile(material.textureFilename).c_str(), image)));
            for (size_t i = 3; i < image.pixels.size(); i += 4) {
                clear = clear || image.pixels[i] == 0;
                solid = solid || image.pixels[i] == 255;
            }
        }
        EXPECT_TRUE(clear && solid) << name;
    }
}

TEST(Meshes, AdvertPostsReachTheGroundBelowTheBoard) {
    // The board is placed at a height of 6: its posts must reach below the
    // ground there (between 0.5 and 2, see the ground tests), so below y = -5.5.
    Extent e = ExtentOf(Load("advert.x").mesh);
    EXPECT_LT(e.low.y, -5.5f);
    EXPECT_GT(e.low.y, -7.0f);
    EXPECT_GT(e.high.x - e.low.x, 8.0f);
}

TEST(Meshes, FlagPoleStartsAtItsMountingPoint) {
    Extent e = ExtentOf(Load("flag.x").mesh);
    EXPECT_LE(e.low.y, 0.0f);
    EXPECT_GT(e.low.y, -0.5f);
    EXPECT_GT(e.high.y, 2.0f);
    EXPECT_LT(e.high.y, 3.5f);
}

}  // namespace
