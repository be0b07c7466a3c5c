// "track.x" as the game loads it (D3DXLoadMeshFromXA) and probes it
// (D3DXIntersect, straight up from y = 0, as TrackHeight does), checked
// against the track map that the driving code reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "drive/car.h"
#include "media_files.h"
#include "platform/gdi_bitmap.h"
#include "render/d3dx_mesh.h"
#include "render/image.h"

namespace {

class GroundMesh : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ID3DXBuffer* materialBuffer = nullptr;
        DWORD materialCount = 0;
        HRESULT result =
            D3DXLoadMeshFromXA(MediaFile("track.x").c_str(), D3DXMESH_SYSTEMMEM, nullptr, nullptr,
                               &materialBuffer, nullptr, &materialCount, &ground);
        if (FAILED(result)) return;
        auto* records = static_cast<D3DXMATERIAL*>(materialBuffer->GetBufferPointer());
        for (DWORD i = 0; i < materialCount; ++i) {
            textures.push_back(records[i].pTextureFilename ? records[i].pTextureFilename : "");
        }
        materialBuffer->Release();
        map.LoadFromFile(MediaFile("trackmap16.bmp").c_str());
    }
    static void TearDownTestSuite() {
        if (ground) ground->Release();
        ground = nullptr;
        textures.clear();
    }
    void SetUp() override {
        ASSERT_NE(ground, nullptr);
        ASSERT_TRUE(map.IsLoaded());
    }

    // Every hit of a ray cast straight up from (x, 0, z), nearest first.
    static std::vector<D3DXINTERSECTINFO> HitsAt(double x, double z) {
        D3DXVECTOR3 origin(static_cast<float>(x), 0.0f, static_cast<float>(z));
        D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        BOOL hit = FALSE;
        DWORD face = 0, count = 0;
        float u = 0, v = 0, distance = 0;
        ID3DXBuffer* all = nullptr;
        std::vector<D3DXINTERSECTINFO> hits;
        if (FAILED(
                D3DXIntersect(ground, &origin, &up, &hit, &face, &u, &v, &distance, &all, &count)))
            return hits;
        if (all) {
            auto* records = static_cast<D3DXINTERSECTINFO*>(all->GetBufferPointer());
            hits.assign(records, records + count);
            all->Release();
        }
        return hits;
    }

    // The ground height there, as TrackHeight finds it.
    static double HeightAt(double x, double z) {
        std::vector<D3DXINTERSECTINFO> hits = HitsAt(x, z);
        return hits.empty() ? 0.0 : hits.front().Dist;
    }

    static std::string TextureOfFace(DWORD face) {
        const CpuMesh& mesh = ground->Mesh();
        for (size_t i = 0; i < mesh.subsets.size(); ++i) {
            const MeshSubset& subset = mesh.subsets[i];
            if (face * 3 >= subset.firstIndex && face * 3 < subset.firstIndex + subset.indexCount) {
                return textures[i];
            }
        }
        return "";
    }

    // True where the nearest ground above the point is road or start line.
    // Whether a face belongs to the fence round the world's edge: the one
    // material without a texture.
    static bool FenceFace(DWORD face) { return TextureOfFace(face).empty(); }

    static bool RoadAt(double x, double z) {
        std::vector<D3DXINTERSECTINFO> hits = HitsAt(x, z);
        if (hits.empty()) return false;
        std::string texture = TextureOfFace(hits.front().FaceIndex);
        return texture == "asphalt.png" || texture == "startline.bmp";
    }

    static ID3DXMesh* ground;
    static std::vector<std::string> textures;
    static GdiBitmap map;
};

ID3DXMesh* GroundMesh::ground = nullptr;
std::vector<std::string> GroundMesh::textures;
GdiBitmap GroundMesh::map;

TEST_F(GroundMesh, HasFewerThanTwentyFiveThousandTriangles) {
    // The map's ground, its fence, and the land beyond out to 840.
    EXPECT_GT(ground->GetNumFaces(), 1000u);
    EXPECT_LT(ground->GetNumFaces(), 25000u);
}

TEST_F(GroundMesh, NamesGrassAsphaltAndStartLineTexturesThatDecode) {
    for (const char* name : {"grass.jpg", "asphalt.png", "startline.bmp"}) {
        EXPECT_NE(std::find(textures.begin(), textures.end(), name), textures.end()) << name;
    }
    for (const std::string& name : textures) {
        if (name.empty()) continue;  // the fence: painted, not textured
        RgbaImage image;
        ASSERT_FALSE(FAILED(DecodeImageFile(MediaFile(name).c_str(), image))) << name;
        EXPECT_GE(image.width, 32u);
        EXPECT_LE(image.width, 256u);
        EXPECT_GE(image.height, 32u);
        EXPECT_LE(image.height, 256u);
    }
}

TEST_F(GroundMesh, IsOneLayerBetweenHalfAUnitAndTwentyAboveZeroEverywhere) {
    // Off the lattice, so rays seldom pass exactly through a shared edge; where
    // one does, both triangles answer at the same height.
    for (double z = -239.63; z < 240.0; z += 3.0) {
        for (double x = -239.71; x < 240.0; x += 3.0) {
            std::vector<D3DXINTERSECTINFO> hits = HitsAt(x, z);
            ASSERT_FALSE(hits.empty()) << "no ground at " << x << ", " << z;
            EXPECT_NEAR(hits.back().Dist, hits.front().Dist, 1e-3)
                << "two layers at " << x << ", " << z;
            EXPECT_GE(hits.front().Dist, 0.5);
            EXPECT_LE(hits.front().Dist, 20.0);
        }
    }
}

TEST_F(GroundMesh, IsSeenFromAboveWithNormalsForTheLight) {
    const CpuMesh& mesh = ground->Mesh();
    std::vector<bool> fence(mesh.vertices.size(), false);
    for (size_t i = 0; i < mesh.indices.size(); i += 3) {
        if (!FenceFace(static_cast<DWORD>(i / 3))) continue;
        for (size_t k = 0; k < 3; ++k) fence[mesh.indices[i + k]] = true;
    }
    for (size_t i = 0; i < mesh.indices.size(); i += 3) {
        if (fence[mesh.indices[i]]) continue;
        const D3DVECTOR& a = mesh.vertices[mesh.indices[i]].position;
        const D3DVECTOR& b = mesh.vertices[mesh.indices[i + 1]].position;
        const D3DVECTOR& c = mesh.vertices[mesh.indices[i + 2]].position;
        // Clockwise seen from above, the side Direct3D draws: the face normal
        // (b - a) x (c - a) points up in its left-handed space.
        double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        double ny = uz * vx - ux * vz;
        double length = std::sqrt((uy * vz - uz * vy) * (uy * vz - uz * vy) + ny * ny +
                                  (ux * vy - uy * vx) * (ux * vy - uy * vx));
        ASSERT_GT(ny, 0.0) << "triangle " << i / 3 << " faces down";
        // Gentle hills: no face steeper than about 37 degrees.
        EXPECT_GT(ny / length, 0.8) << "triangle " << i / 3 << " is a cliff";
    }
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        if (fence[i]) continue;
        const D3DVECTOR& n = mesh.vertices[i].normal;
        EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0, 1e-3);
        EXPECT_GT(n.y, 0.5);
    }
}

TEST_F(GroundMesh, AFenceRunsRoundTheWorldJustBeyondTheCarsReach) {
    // Posts and rails along every side, close enough that no gap lets a
    // player think the world goes on, beyond the car's nose (4 ahead of the
    // place it is held at) and its chase camera (3.75 behind), inside the map.
    const CpuMesh& mesh = ground->Mesh();
    std::vector<double> along[4];  // the fence's extent along the +x, +z, -x, -z sides
    for (size_t i = 0; i < mesh.indices.size(); ++i) {
        if (!FenceFace(static_cast<DWORD>(i / 3))) continue;
        const D3DVECTOR& p = mesh.vertices[mesh.indices[i]].position;
        const double edge = std::max(std::abs(p.x), std::abs(p.z));
        ASSERT_GT(edge, worldEdge + 4.0) << p.x << ", " << p.z;
        ASSERT_LE(edge, 240.0) << p.x << ", " << p.z;
        // Standing in the ground, below the camera's eye 3 above it.
        EXPECT_NEAR(p.y, HeightAt(p.x, p.z) + 0.45, 1.5) << p.x << ", " << p.z;
        if (p.x > 238.0) along[0].push_back(p.z);
        if (p.z > 238.0) along[1].push_back(p.x);
        if (p.x < -238.0) along[2].push_back(p.z);
        if (p.z < -238.0) along[3].push_back(p.x);
    }
    for (std::vector<double>& side : along) {
        ASSERT_FALSE(side.empty());
        std::sort(side.begin(), side.end());
        EXPECT_LT(side.front(), -238.0);
        EXPECT_GT(side.back(), 238.0);
        for (size_t i = 1; i < side.size(); ++i) EXPECT_LT(side[i] - side[i - 1], 16.5);
    }
}

TEST_F(GroundMesh, GroundReachesPastWhatTheCameraSeesFromTheEdge) {
    // The camera comes at most 3.75 past where the car is held; its far plane
    // lies 500 away, and the corners of its view 500 x sqrt(1 + 2 tan^2 22.5
    // degrees), about 580.
    const double reach = worldEdge + 3.75 + 580.0;
    for (double z = -reach; z <= reach; z += reach / 12.3) {
        for (double x = -reach; x <= reach; x += reach / 12.7) {
            double height = HeightAt(x, z);
            EXPECT_GE(height, 0.5) << "no ground at " << x << ", " << z;
            EXPECT_LE(height, 20.0);
        }
    }
}

TEST_F(GroundMesh, RoadLiesWhereTheMapHasZones) {
    // Road or not at every pixel centre of the sampling window.
    std::vector<char> road(480 * 480, 0);
    for (int v = 2; v < 478; ++v) {
        for (int u = 2; u < 478; ++u)
            road[v * 480 + u] = RoadAt(u + 0.5 - 240.0, 240.0 - (v + 0.5));
    }
    for (int v = 3; v < 477; ++v) {
        for (int u = 3; u < 477; ++u) {
            bool zone = ZoneOfColour(map.GetPixel(u, v)) >= 0;
            // Every zone pixel is drawn as road...
            if (zone) {
                EXPECT_TRUE(road[v * 480 + u])
                    << "zone pixel " << u << ", " << v << " is not drawn as road";
            }
            // ...and road a pixel clear of its edge is always a zone.
            bool inside = road[v * 480 + u] && road[v * 480 + u - 1] && road[v * 480 + u + 1] &&
                          road[(v - 1) * 480 + u] && road[(v + 1) * 480 + u];
            if (inside) {
                EXPECT_TRUE(zone) << "road at " << u << ", " << v << " has no zone on the map";
            }
        }
    }
}

TEST_F(GroundMesh, RoadIsFlatAcrossAndGentleAlong) {
    std::vector<GroundPoint> line = ReadCircuitLine();
    ASSERT_GT(line.size(), 100u);
    double previous = HeightAt(line.back().x, line.back().z);
    for (size_t i = 0; i < line.size(); ++i) {
        const GroundPoint& a = line[(i + line.size() - 1) % line.size()];
        const GroundPoint& p = line[i];
        const GroundPoint& b = line[(i + 1) % line.size()];
        double length = std::hypot(b.x - a.x, b.z - a.z);
        double nx = (b.z - a.z) / length, nz = -(b.x - a.x) / length;
        double centre = HeightAt(p.x, p.z);
        for (double across : {-9.0, 9.0})
            EXPECT_NEAR(HeightAt(p.x + nx * across, p.z + nz * across), centre, 0.03);
        double step = std::hypot(p.x - a.x, p.z - a.z);
        EXPECT_LT(std::abs(centre - previous) / step, 0.06) << "steep at " << p.x << ", " << p.z;
        previous = centre;
    }
}

TEST_F(GroundMesh, StartLineIsPaintedJustAheadOfTheCarInZoneZero) {
    bool seen = false;
    for (double z = 10.0; z < 30.0; z += 0.25) {
        std::vector<D3DXINTERSECTINFO> hits = HitsAt(200.0, z);
        ASSERT_FALSE(hits.empty());
        if (TextureOfFace(hits.front().FaceIndex) == "startline.bmp") {
            seen = true;
            EXPECT_EQ(ZoneAt(map, 200.0, z), 0);
        }
    }
    EXPECT_TRUE(seen);
}

TEST_F(GroundMesh, GroundIsLowUnderTheAdvertBoard) {
    // The board hangs from 2.5 to 9.5 and its posts go down to -0.4: the ground
    // must lie between, under the board and both posts.
    const double yaw = 5.14;
    for (double along : {-5.2, 0.0, 5.2}) {
        double x = -145.0 + along * std::cos(yaw), z = 160.0 - along * std::sin(yaw);
        double height = HeightAt(x, z);
        EXPECT_GE(height, 0.5);
        EXPECT_LE(height, 2.0);
    }
}

}  // namespace
