#include "tests/drive/synthetic_track.h"

#include <cmath>
#include <numbers>

#include "drive/track_map.h"
#include "render/d3dx_mesh.h"
#include "render/mesh_object.h"
#include "tests/support/temporary_directory.h"

const uint16_t zoneCodes[6] = {0xFFFF, 0xC618, 0x8410, 0xF800, 0x8000, 0xFFE0};

PaintedMap::PaintedMap(int32_t mapWidth, int32_t mapHeight, uint16_t fill)
    : width(mapWidth), height(mapHeight), pixels(static_cast<size_t>(mapWidth) * mapHeight, fill) {}

uint16_t& PaintedMap::Under(float x, float z) {
    return At(static_cast<int32_t>(x + 240.0f), static_cast<int32_t>(240.0f - z));
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

std::vector<uint8_t> WriteBitmap565(const PaintedMap& map) {
    const uint32_t rowBytes = (static_cast<uint32_t>(map.width) * 2 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(map.height);
    const uint32_t pixelOffset = 14 + 40 + 12;  // file header, info header, three masks
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + imageBytes);
    Put32(out, 0);
    Put32(out, pixelOffset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(map.width));
    Put32(out, static_cast<uint32_t>(map.height));  // positive: bottom row first
    Put16(out, 1);
    Put16(out, 16);
    Put32(out, 3);  // BI_BITFIELDS
    Put32(out, imageBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0xF800);
    Put32(out, 0x07E0);
    Put32(out, 0x001F);
    for (int32_t row = map.height - 1; row >= 0; --row) {
        for (int32_t column = 0; column < map.width; ++column) {
            Put16(out, map.pixels[static_cast<size_t>(row) * map.width + column]);
        }
        for (uint32_t pad = static_cast<uint32_t>(map.width) * 2; pad < rowBytes; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

PaintedMap RingMap() {
    PaintedMap map(480, 480, grassCode);
    for (int32_t row = 0; row < map.height; ++row) {
        for (int32_t column = 0; column < map.width; ++column) {
            // The world point at the pixel's centre.
            const double x = column + 0.5 - 240.0;
            const double z = 240.0 - (row + 0.5);
            const double radius = std::hypot(x - ringCentreX, z - ringCentreZ);
            if (radius < ringInner || radius > ringOuter) continue;
            double degrees =
                std::atan2(z - ringCentreZ, x - ringCentreX) * 180.0 / std::numbers::pi;
            if (degrees < -30.0) degrees += 360.0;
            const int zone = static_cast<int>((degrees + 30.0) / 60.0) % 6;
            map.At(column, row) = zoneCodes[zone];
        }
    }
    return map;
}

float SlopeHeight(float x) {
    return 1.0f + 0.01f * (x + 240.0f);
}

CpuMesh SlopedGround() {
    constexpr int cells = 8;
    constexpr float size = 480.0f / cells;
    CpuMesh mesh;
    for (int row = 0; row <= cells; ++row) {
        for (int column = 0; column <= cells; ++column) {
            const float x = -240.0f + static_cast<float>(column) * size;
            const float z = -240.0f + static_cast<float>(row) * size;
            mesh.vertices.push_back({{x, SlopeHeight(x), z}, {0.0f, 1.0f, 0.0f}, 0.0f, 0.0f});
        }
    }
    for (uint32_t row = 0; row < cells; ++row) {
        for (uint32_t column = 0; column < cells; ++column) {
            const uint32_t corner = row * (cells + 1) + column;
            const uint32_t above = corner + cells + 1;
            mesh.indices.insert(mesh.indices.end(),
                                {corner, above, corner + 1, corner + 1, above, above + 1});
        }
    }
    mesh.subsets.push_back({0, static_cast<uint32_t>(mesh.indices.size())});
    return mesh;
}

void SyntheticTrack::SetUp() {
    RaceFixture::SetUp();
    LoadMap(RingMap());
    trackObject = new MeshObject();
    trackObject->mesh = ID3DXMesh::Create(nullptr, SlopedGround());
    carObject = new MeshObject();
    for (MeshObject*& robot : robotObjects) robot = new MeshObject();
    for (MeshObject*& tree : treeObjects) tree = new MeshObject();
    for (MeshObject*& flag : flagObjects) flag = new MeshObject();
    advertObject = new MeshObject();

    sound.initialised = true;
    soundDevice = &sound;
    auto connect = [](SoundClip& clip, FakeSoundBuffer& buffer, DWORD controls) {
        clip.buffers = {&buffer};
        clip.bufferCount = 1;
        clip.bufferSize = 0;
        clip.creationFlags = controls;
    };
    connect(engineClip, engineBuffer, DSBCAPS_CTRLFREQUENCY);
    connect(crashClip, crashBuffer, 0);
    connect(robotNearClip, robotNearBuffer, 0);
    engineSound = &engineClip;
    crashSound = &crashClip;
    robotNearSound = &robotNearClip;
}

void SyntheticTrack::TearDown() {
    auto release = [](MeshObject*& object) {
        delete object;
        object = nullptr;
    };
    release(trackObject);
    release(carObject);
    for (MeshObject*& robot : robotObjects) release(robot);
    for (MeshObject*& tree : treeObjects) release(tree);
    for (MeshObject*& flag : flagObjects) release(flag);
    release(advertObject);
    engineSound = nullptr;
    crashSound = nullptr;
    robotNearSound = nullptr;
    soundDevice = nullptr;
    ReleaseTrackMap();
    RaceFixture::TearDown();
}

void SyntheticTrack::LoadMap(const PaintedMap& map) {
    TemporaryDirectory directory;
    directory.Write("trackmap16.bmp", WriteBitmap565(map));
    ASSERT_TRUE(LoadTrackMap(directory.File("trackmap16.bmp").c_str()));
}
