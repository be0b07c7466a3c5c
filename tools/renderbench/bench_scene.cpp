#include "bench_scene.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr float pi = 3.14159265f;

struct Vector {
    float x, y, z;
};

Vector Subtract(Vector a, Vector b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float Dot(Vector a, Vector b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vector Cross(Vector a, Vector b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vector Normalise(Vector v) {
    const float size = std::sqrt(Dot(v, v));
    return {v.x / size, v.y / size, v.z / size};
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

// The published left-handed camera matrices, row-vector convention.
D3DMATRIX LookAtLH(Vector eye, Vector at, Vector up) {
    const Vector zAxis = Normalise(Subtract(at, eye));
    const Vector xAxis = Normalise(Cross(up, zAxis));
    const Vector yAxis = Cross(zAxis, xAxis);
    D3DMATRIX m{};
    m._11 = xAxis.x, m._12 = yAxis.x, m._13 = zAxis.x;
    m._21 = xAxis.y, m._22 = yAxis.y, m._23 = zAxis.y;
    m._31 = xAxis.z, m._32 = yAxis.z, m._33 = zAxis.z;
    m._41 = -Dot(xAxis, eye), m._42 = -Dot(yAxis, eye), m._43 = -Dot(zAxis, eye);
    m._44 = 1.0f;
    return m;
}

D3DMATRIX PerspectiveFovLH(float fieldOfView, float aspect, float nearPlane, float farPlane) {
    const float yScale = 1.0f / std::tan(fieldOfView / 2.0f);
    D3DMATRIX m{};
    m._11 = yScale / aspect;
    m._22 = yScale;
    m._33 = farPlane / (farPlane - nearPlane);
    m._34 = 1.0f;
    m._43 = -nearPlane * farPlane / (farPlane - nearPlane);
    return m;
}

D3DMATERIAL9 Material(float r, float g, float b) {
    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = {r, g, b, 1.0f};
    return material;
}

struct MeshData {
    std::vector<D3DVERTEX> vertices;
    std::vector<uint32_t> indices;

    // A (columns + 1) x (rows + 1) lattice of vertices becomes quads wound
    // clockwise as seen from the front, where row 0 is the top edge.
    void AddLatticeQuads(uint32_t first, uint32_t columns, uint32_t rows) {
        for (uint32_t row = 0; row < rows; ++row) {
            for (uint32_t column = 0; column < columns; ++column) {
                const uint32_t topLeft = first + row * (columns + 1) + column;
                const uint32_t topRight = topLeft + 1;
                const uint32_t bottomLeft = topLeft + columns + 1;
                const uint32_t bottomRight = bottomLeft + 1;
                for (uint32_t corner :
                     {topLeft, topRight, bottomRight, topLeft, bottomRight, bottomLeft}) {
                    indices.push_back(corner);
                }
            }
        }
    }
};

// The ground: 100 x 100 quads (20,000 triangles) over the track's 480 x 480
// units, gently rolling, its texture repeated 16 times.
MeshData Ground() {
    constexpr uint32_t cells = 100;
    MeshData mesh;
    for (uint32_t row = 0; row <= cells; ++row) {
        for (uint32_t column = 0; column <= cells; ++column) {
            const float x = -240.0f + 480.0f * static_cast<float>(column) / cells;
            const float z = 240.0f - 480.0f * static_cast<float>(row) / cells;
            const float y = 1.5f * std::sin(x * 0.05f) * std::cos(z * 0.04f);
            const Vector normal =
                Normalise({-0.075f * std::cos(x * 0.05f) * std::cos(z * 0.04f), 1.0f,
                           0.06f * std::sin(x * 0.05f) * std::sin(z * 0.04f)});
            mesh.vertices.push_back({{x, y, z},
                                     {normal.x, normal.y, normal.z},
                                     16.0f * static_cast<float>(column) / cells,
                                     16.0f * static_cast<float>(row) / cells});
        }
    }
    mesh.AddLatticeQuads(0, cells, cells);
    return mesh;
}

// A ball of 10 x 10 quads: 200 triangles, like the game's small props.
MeshData Ball(float radius) {
    constexpr uint32_t steps = 10;
    MeshData mesh;
    for (uint32_t stack = 0; stack <= steps; ++stack) {
        const float theta = pi * static_cast<float>(stack) / steps;
        for (uint32_t slice = 0; slice <= steps; ++slice) {
            const float phi = -pi / 2.0f + 2.0f * pi * static_cast<float>(slice) / steps;
            const Vector normal = {std::sin(theta) * std::cos(phi), std::cos(theta),
                                   std::sin(theta) * std::sin(phi)};
            mesh.vertices.push_back({{radius * normal.x, radius * normal.y, radius * normal.z},
                                     {normal.x, normal.y, normal.z},
                                     static_cast<float>(slice) / steps,
                                     static_cast<float>(stack) / steps});
        }
    }
    mesh.AddLatticeQuads(0, steps, steps);
    return mesh;
}

// A tree billboard facing -z: 10 x 10 quads, 8 wide and 12 high.
MeshData Billboard() {
    constexpr uint32_t steps = 10;
    MeshData mesh;
    for (uint32_t row = 0; row <= steps; ++row) {
        for (uint32_t column = 0; column <= steps; ++column) {
            const float u = static_cast<float>(column) / steps;
            const float v = static_cast<float>(row) / steps;
            mesh.vertices.push_back(
                {{-4.0f + 8.0f * u, 12.0f * (1.0f - v), 0.0f}, {0.0f, 0.0f, -1.0f}, u, v});
        }
    }
    mesh.AddLatticeQuads(0, steps, steps);
    return mesh;
}

std::vector<uint8_t> GroundPixels(UINT size) {
    std::vector<uint8_t> pixels;
    for (UINT y = 0; y < size; ++y) {
        for (UINT x = 0; x < size; ++x) {
            const uint8_t speckle = static_cast<uint8_t>((x * 37u + y * 91u + x * y) % 40u);
            pixels.insert(pixels.end(), {static_cast<uint8_t>(60 + speckle),
                                         static_cast<uint8_t>(110 + speckle), 40, 255});
        }
    }
    return pixels;
}

std::vector<uint8_t> PropPixels(UINT size, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (UINT y = 0; y < size; ++y) {
        for (UINT x = 0; x < size; ++x) {
            const bool stripe = ((x / 8) + (y / 8)) % 2 == 0;
            pixels.insert(pixels.end(), {stripe ? r : uint8_t(r / 2), stripe ? g : uint8_t(g / 2),
                                         stripe ? b : uint8_t(b / 2), 255});
        }
    }
    return pixels;
}

// A fir: opaque inside a triangle on a trunk, transparent around it.
std::vector<uint8_t> TreePixels(UINT size) {
    std::vector<uint8_t> pixels;
    for (UINT y = 0; y < size; ++y) {
        for (UINT x = 0; x < size; ++x) {
            const float across = std::fabs(static_cast<float>(x) / size - 0.5f);
            const float down = static_cast<float>(y) / size;
            const bool crown = down < 0.8f && across < 0.45f * down + 0.02f;
            const bool trunk = down >= 0.8f && across < 0.05f;
            pixels.insert(pixels.end(), {static_cast<uint8_t>(trunk ? 90 : 20),
                                         static_cast<uint8_t>(trunk ? 60 : 100 + (x * y) % 60), 20,
                                         static_cast<uint8_t>(crown || trunk ? 255 : 0)});
        }
    }
    return pixels;
}

HRESULT Upload(IDirect3DDevice9* device, const MeshData& data, BenchObject& object) {
    object.indexCount = static_cast<UINT>(data.indices.size());
    return device->CreateMeshBuffers(data.vertices.data(), static_cast<UINT>(data.vertices.size()),
                                     data.indices.data(), object.indexCount, &object.mesh);
}

HRESULT AddTexture(IDirect3DDevice9* device, BenchScene& scene, UINT size,
                   const std::vector<uint8_t>& pixels) {
    IDirect3DTexture9* texture = nullptr;
    const HRESULT result = device->CreateTextureFromPixels(size, size, pixels.data(), &texture);
    if (SUCCEEDED(result)) scene.textures.push_back(texture);
    return result;
}

std::vector<uint8_t> HudCoverage(UINT width, UINT height) {
    std::vector<uint8_t> coverage(static_cast<size_t>(width) * height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            coverage[static_cast<size_t>(y) * width + x] = (x / 3 + y / 4) % 3 == 0 ? 255 : 0;
        }
    }
    return coverage;
}

int lastTextureSlot = -1;

void DrawObject(IDirect3DDevice9* device, const BenchScene& scene, const BenchObject& object) {
    device->SetMaterial(&object.material);
    if (object.textureSlot != lastTextureSlot) {
        device->SetTexture(0,
                           object.textureSlot >= 0 ? scene.textures[object.textureSlot] : nullptr);
        lastTextureSlot = object.textureSlot;
    }
    device->SetTransform(D3DTS_WORLD, &object.world);
    device->DrawMeshBuffers(object.mesh, 0, object.indexCount);
}

}  // namespace

HRESULT BenchScene::Create(IDirect3DDevice9* device) {
    HRESULT result = AddTexture(device, *this, 256, GroundPixels(256));
    if (SUCCEEDED(result)) result = AddTexture(device, *this, 64, PropPixels(64, 200, 40, 40));
    if (SUCCEEDED(result)) result = AddTexture(device, *this, 64, PropPixels(64, 220, 220, 60));
    if (SUCCEEDED(result)) result = AddTexture(device, *this, 128, TreePixels(128));
    if (FAILED(result)) return result;

    BenchObject ground;
    ground.material = Material(1.0f, 1.0f, 1.0f);
    ground.textureSlot = 0;
    ground.world = Translation(0.0f, 0.0f, 0.0f);
    if (FAILED(result = Upload(device, Ground(), ground))) return result;
    opaque.push_back(ground);

    const MeshData ball = Ball(2.0f);
    for (int i = 0; i < 8; ++i) {
        BenchObject prop;
        prop.material = Material(0.9f, 0.9f, 0.9f);
        prop.textureSlot = 1 + i % 2;
        prop.world = Translation(-28.0f + 8.0f * static_cast<float>(i), 2.5f,
                                 -100.0f + 12.0f * static_cast<float>(i));
        if (FAILED(result = Upload(device, ball, prop))) return result;
        opaque.push_back(prop);
    }

    const MeshData tree = Billboard();
    for (int i = 0; i < 31; ++i) {
        BenchObject fir;
        fir.material = Material(1.0f, 1.0f, 1.0f);
        fir.textureSlot = 3;
        const float side = i % 2 == 0 ? -1.0f : 1.0f;
        fir.world = Translation(side * (20.0f + 4.0f * static_cast<float>(i % 5)), 0.0f,
                                -110.0f + 9.0f * static_cast<float>(i));
        if (FAILED(result = Upload(device, tree, fir))) return result;
        blended.push_back(fir);
    }

    triangleCount = 0;
    for (const auto* list : {&opaque, &blended}) {
        for (const BenchObject& object : *list) triangleCount += object.indexCount / 3;
    }
    return D3D_OK;
}

void BenchScene::Release() {
    for (auto* list : {&opaque, &blended}) {
        for (BenchObject& object : *list) {
            if (object.mesh != nullptr) object.mesh->Release();
        }
        list->clear();
    }
    for (auto* texture : textures) texture->Release();
    textures.clear();
    lastTextureSlot = -1;
}

void DrawBenchFrame(IDirect3DDevice9* device, const BenchScene& scene, bool sceneObjects,
                    float time) {
    static const std::vector<uint8_t> messageLine = HudCoverage(420, 24);
    static const std::vector<uint8_t> scoreLine = HudCoverage(300, 24);

    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    if (SUCCEEDED(device->BeginScene())) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        if (sceneObjects) {
            const D3DMATRIX projection = PerspectiveFovLH(pi / 4.0f, 1.0f, 3.7f, 500.0f);
            device->SetTransform(D3DTS_PROJECTION, &projection);
            const Vector eye = {6.0f * std::sin(time), 6.0f, -140.0f};
            const D3DMATRIX view = LookAtLH(eye, {0.0f, 2.0f, -100.0f}, {0.0f, 1.0f, 0.0f});
            device->SetTransform(D3DTS_VIEW, &view);

            // The night headlight, the heaviest lighting the game asks for.
            D3DLIGHT9 headlight{};
            headlight.Type = D3DLIGHT_POINT;
            headlight.Diffuse = {0.8f, 0.8f, 0.8f, 0.0f};
            headlight.Specular = {1.0f, 1.0f, 1.0f, 0.0f};
            headlight.Position = {eye.x, eye.y, eye.z};
            headlight.Direction = {0.0f, -0.4f, 0.7f};
            headlight.Range = 75.0f;
            device->SetLight(0, &headlight);

            for (const BenchObject& object : scene.opaque) DrawObject(device, scene, object);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            for (const BenchObject& object : scene.blended) DrawObject(device, scene, object);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            device->DrawCoverage(110, 8, 420, 24, messageLine.data(), 0xFFFF00FF);
            device->DrawCoverage(0, 402, 300, 24, scoreLine.data(), 0xFFFF00FF);
        }
        device->EndScene();
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
