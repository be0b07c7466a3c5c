#include "tests/support/headless_device.h"

#include <cstdlib>
#include <string>
#include <utility>

D3DPRESENT_PARAMETERS WindowedPresentation() {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return parameters;
}

D3DPRESENT_PARAMETERS FullScreenPresentation(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS parameters = WindowedPresentation();
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = D3DFMT_R5G6B5;
    parameters.Windowed = FALSE;
    return parameters;
}

namespace {

D3DVERTEX Corner(float x, float y, float z, float u, float v) {
    return D3DVERTEX{{x, y, z}, {0.0f, 0.0f, -1.0f}, u, v};
}

}  // namespace

void TestMesh::AddQuad(float left, float bottom, float right, float top, float z) {
    const auto first = static_cast<uint32_t>(vertices.size());
    vertices.push_back(Corner(left, top, z, 0.0f, 0.0f));
    vertices.push_back(Corner(right, top, z, 1.0f, 0.0f));
    vertices.push_back(Corner(right, bottom, z, 1.0f, 1.0f));
    vertices.push_back(Corner(left, bottom, z, 0.0f, 1.0f));
    for (uint32_t corner : {0u, 1u, 2u, 0u, 2u, 3u}) indices.push_back(first + corner);
}

void TestMesh::AddReversedQuad(float left, float bottom, float right, float top, float z) {
    AddQuad(left, bottom, right, top, z);
    std::swap(indices[indices.size() - 1], indices[indices.size() - 2]);
    std::swap(indices[indices.size() - 4], indices[indices.size() - 5]);
}

void HeadlessDeviceTest::SetUp() {
    if (!EglLibraryPresent()) GTEST_SKIP() << "the EGL library is not installed";
    std::string error;
    context = EglContext::Create(drawableWidth, drawableHeight, &error);
    ASSERT_NE(context, nullptr) << "no headless OpenGL context: " << error;
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d, nullptr);
    CreateDevice(WindowedPresentation());
}

void HeadlessDeviceTest::CreateDevice(D3DPRESENT_PARAMETERS parameters) {
    ReleaseDevice();
    const HRESULT result =
        direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, context->Window(),
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device);
    ASSERT_EQ(result, D3D_OK);
    ASSERT_NE(device, nullptr);
}

void HeadlessDeviceTest::ReleaseDevice() {
    for (auto* mesh : meshes) mesh->Release();
    for (auto* texture : textures) texture->Release();
    meshes.clear();
    textures.clear();
    if (device != nullptr) device->Release();
    device = nullptr;
}

void HeadlessDeviceTest::TearDown() {
    ReleaseDevice();
    if (direct3d != nullptr) direct3d->Release();
    direct3d = nullptr;
    context.reset();
}

HeadlessDeviceTest::UploadedMesh HeadlessDeviceTest::Upload(const TestMesh& mesh) {
    UploadedMesh uploaded{nullptr, static_cast<UINT>(mesh.indices.size())};
    EXPECT_EQ(device->CreateMeshBuffers(
                  mesh.vertices.data(), static_cast<UINT>(mesh.vertices.size()),
                  mesh.indices.data(), uploaded.indexCount, nullptr, 0, &uploaded.buffers),
              D3D_OK);
    if (uploaded.buffers != nullptr) meshes.push_back(uploaded.buffers);
    return uploaded;
}

IDirect3DTexture9* HeadlessDeviceTest::MakeTexture(UINT width, UINT height,
                                                   const std::vector<Rgba>& pixels) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(pixels.size(), static_cast<size_t>(width) * height);
    EXPECT_EQ(device->CreateTextureFromPixels(
                  width, height, reinterpret_cast<const uint8_t*>(pixels.data()), &texture),
              D3D_OK);
    if (texture != nullptr) textures.push_back(texture);
    return texture;
}

void HeadlessDeviceTest::Draw(const UploadedMesh& mesh) {
    EXPECT_EQ(device->DrawMeshBuffers(mesh.buffers, 0, mesh.indexCount), D3D_OK);
}

void HeadlessDeviceTest::DrawFrame(const UploadedMesh& mesh, D3DCOLOR background) {
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0),
              D3D_OK);
    Draw(mesh);
    EXPECT_EQ(device->EndScene(), D3D_OK);
}

void HeadlessDeviceTest::ReadBack() {
    ASSERT_EQ(device->ReadBackBuffer(backWidth, backHeight, backPixels), D3D_OK);
    ASSERT_EQ(backPixels.size(), static_cast<size_t>(backWidth) * backHeight * 4);
}

Rgba HeadlessDeviceTest::Pixel(UINT x, UINT y) const {
    if (x >= backWidth || y >= backHeight) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is outside the back buffer";
        return Rgba{0, 0, 0, 0};
    }
    const uint8_t* p = &backPixels[(static_cast<size_t>(y) * backWidth + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

D3DMATERIAL9 MatteMaterial(float r, float g, float b, float a) {
    D3DMATERIAL9 material{};
    material.Diffuse = {r, g, b, a};
    material.Ambient = {r, g, b, a};
    return material;
}

::testing::AssertionResult ColourNear(const Rgba& actual, const Rgba& expected, int tolerance) {
    const int channels[4][2] = {{actual.r, expected.r},
                                {actual.g, expected.g},
                                {actual.b, expected.b},
                                {actual.a, expected.a}};
    for (const auto& channel : channels) {
        if (std::abs(channel[0] - channel[1]) > tolerance) {
            return ::testing::AssertionFailure()
                   << "colour (" << int(actual.r) << ", " << int(actual.g) << ", " << int(actual.b)
                   << ", " << int(actual.a) << ") is not within " << tolerance << " of ("
                   << int(expected.r) << ", " << int(expected.g) << ", " << int(expected.b) << ", "
                   << int(expected.a) << ")";
        }
    }
    return ::testing::AssertionSuccess();
}
