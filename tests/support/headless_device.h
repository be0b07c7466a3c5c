#pragma once
// A Direct3D device on a headless EGL context, for pixel tests: no display, no
// GPU. The test fails when no context can be had; it is skipped only when the
// EGL library itself is missing.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9.h"
#include "platform/egl_context.h"

struct Rgba {
    uint8_t r, g, b, a;
};

// The parameters the game uses for a windowed device (0 x 0: the drawable's
// size) and for a full-screen one of the given size.
D3DPRESENT_PARAMETERS WindowedPresentation();
D3DPRESENT_PARAMETERS FullScreenPresentation(UINT width, UINT height);

// A mesh of one or more quads, as the .x reader would hand it to the device.
struct TestMesh {
    std::vector<D3DVERTEX> vertices;
    std::vector<uint32_t> indices;

    // A rectangle facing the camera (normal -z) at depth z, from (left, bottom)
    // to (right, top), wound clockwise as seen; v = 0 along its top edge.
    void AddQuad(float left, float bottom, float right, float top, float z);
    // The same rectangle wound the other way.
    void AddReversedQuad(float left, float bottom, float right, float top, float z);
};

class HeadlessDeviceTest : public ::testing::Test {
  protected:
    // The drawable stands in for the window's client area.
    static constexpr int drawableWidth = 64;
    static constexpr int drawableHeight = 48;

    void SetUp() override;
    void TearDown() override;

    // Makes the device; SetUp makes a windowed one.
    void CreateDevice(D3DPRESENT_PARAMETERS parameters);
    void ReleaseDevice();

    struct UploadedMesh {
        IDirect3DMeshBuffers9* buffers;
        UINT indexCount;
    };
    // Released with the device.
    UploadedMesh Upload(const TestMesh& mesh);
    IDirect3DTexture9* MakeTexture(UINT width, UINT height, const std::vector<Rgba>& pixels);
    // Draws the whole mesh, inside a scene the test has begun.
    void Draw(const UploadedMesh& mesh);
    // Clears to `background` and draws the mesh in a scene of its own.
    void DrawFrame(const UploadedMesh& mesh, D3DCOLOR background);

    // Reads the back buffer once; Pixel then looks into that copy.
    void ReadBack();
    Rgba Pixel(UINT x, UINT y) const;

    std::unique_ptr<EglContext> context;
    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    UINT backWidth = 0;
    UINT backHeight = 0;
    std::vector<uint8_t> backPixels;
    std::vector<IDirect3DMeshBuffers9*> meshes;
    std::vector<IDirect3DTexture9*> textures;
};

// A material whose ambient equals its diffuse, as every material of the game.
D3DMATERIAL9 MatteMaterial(float r, float g, float b, float a = 1.0f);

// Channels compared with a tolerance for 5-6-5 rounding and the driver's
// float arithmetic.
::testing::AssertionResult ColourNear(const Rgba& actual, const Rgba& expected, int tolerance);
