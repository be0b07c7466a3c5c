#include <epoxy/gl.h>

#include "tests/support/headless_device.h"

// The device's life and its back buffer: creation, clearing, reading back,
// presenting, resetting and releasing.

namespace {

constexpr D3DCOLOR daySky = 0xFF2850FF;
constexpr D3DCOLOR nightSky = 0xFF000000;

}  // namespace

TEST(Direct3DCreate9, RefusesAnotherSdkVersion) {
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION + 1), nullptr);
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d, nullptr);
    EXPECT_EQ(direct3d->Release(), 0u);
}

using DeviceCreation = HeadlessDeviceTest;

TEST_F(DeviceCreation, AWindowedDeviceTakesTheDrawableSizeAndTellsWhatItChose) {
    D3DPRESENT_PARAMETERS parameters = WindowedPresentation();
    ASSERT_NO_FATAL_FAILURE(CreateDevice(parameters));
    ReadBack();
    EXPECT_EQ(backWidth, UINT(drawableWidth));
    EXPECT_EQ(backHeight, UINT(drawableHeight));

    IDirect3DDevice9* other = nullptr;
    ASSERT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, context->Window(),
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &other),
              D3D_OK);
    EXPECT_EQ(parameters.BackBufferWidth, UINT(drawableWidth));
    EXPECT_EQ(parameters.BackBufferHeight, UINT(drawableHeight));
    EXPECT_EQ(parameters.BackBufferFormat, D3DFMT_X8R8G8B8);
    other->Release();
}

TEST_F(DeviceCreation, FailsWithoutAContextAsTheGamesFallbackAttemptDoes) {
    D3DPRESENT_PARAMETERS parameters = WindowedPresentation();
    IDirect3DDevice9* made = reinterpret_cast<IDirect3DDevice9*>(this);
    int unregisteredWindow = 0;
    EXPECT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                     reinterpret_cast<HWND>(&unregisteredWindow),
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &made),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(made, nullptr);
    // The reference device with the flags the game gives it.
    EXPECT_TRUE(
        FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, context->Window(),
                                      D3DCREATE_DISABLE_DRIVER_MANAGEMENT, &parameters, &made)));
    EXPECT_TRUE(
        FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, context->Window(),
                                      D3DCREATE_DISABLE_DRIVER_MANAGEMENT, &parameters, &made)));
    D3DPRESENT_PARAMETERS fullScreenWithoutFormat = FullScreenPresentation(64, 48);
    fullScreenWithoutFormat.BackBufferFormat = D3DFMT_UNKNOWN;
    EXPECT_TRUE(FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, context->Window(),
                                              D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                              &fullScreenWithoutFormat, &made)));
    EXPECT_EQ(made, nullptr);
}

using BackBuffer = HeadlessDeviceTest;

TEST_F(BackBuffer, ClearsToTheDayAndNightSkiesExactly) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, daySky, 1.0f, 0),
              D3D_OK);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(0, 0), {40, 80, 255, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(63, 47), {40, 80, 255, 255}, 0));

    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, nightSky, 1.0f, 0), D3D_OK);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(31, 20), {0, 0, 0, 255}, 0));
}

TEST_F(BackBuffer, SixteenBitFullScreenClearsWithinFiveSixFiveRounding) {
    ASSERT_NO_FATAL_FAILURE(CreateDevice(FullScreenPresentation(64, 48)));
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, daySky, 1.0f, 0),
              D3D_OK);
    ReadBack();
    EXPECT_EQ(backWidth, 64u);
    // 5 bits of red and blue lose up to 4 levels in 255, 6 bits of green 2.
    EXPECT_TRUE(ColourNear(Pixel(10, 10), {40, 80, 255, 255}, 4));
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, nightSky, 1.0f, 0), D3D_OK);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(10, 10), {0, 0, 0, 255}, 0));
}

TEST_F(BackBuffer, RectanglesAndReadBackCountRowsFromTheTop) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, nightSky, 1.0f, 0), D3D_OK);
    const D3DRECT topLeft{2, 1, 5, 3};
    ASSERT_EQ(device->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(2, 1), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(4, 2), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(5, 2), {0, 0, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(2, 3), {0, 0, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(1, 1), {0, 0, 0, 255}, 0));
}

TEST_F(BackBuffer, PresentStretchesItOverAWindowResizedSinceCreation) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, daySky, 1.0f, 0), D3D_OK);
    const D3DRECT marks[] = {{5, 0, 6, 48}, {0, 7, 64, 8}, {63, 47, 64, 48}, {0, 0, 1, 1}};
    const D3DCOLOR colours[] = {0xFFFF0000, 0xFF00FF00, 0xFFFFFFFF, 0xFF808080};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(device->Clear(1, &marks[i], D3DCLEAR_TARGET, colours[i], 1.0f, 0), D3D_OK);
    }
    ReadBack();
    ASSERT_TRUE(context->SetDrawableSize(2 * drawableWidth, 2 * drawableHeight));
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    const int width = 2 * drawableWidth;
    const int height = 2 * drawableHeight;
    std::vector<uint8_t> shown(static_cast<size_t>(width) * height * 4);
    ASSERT_TRUE(context->MakeCurrent());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, context->DefaultFramebuffer());
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, shown.data());
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &shown[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
            const Rgba expected = Pixel(UINT(x / 2), UINT(y / 2));
            if (!ColourNear({p[0], p[1], p[2], p[3]}, expected, 0)) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0) << "drawable pixels that are not their back-buffer pixel doubled";
}

// Full screen, the picture keeps its shape on a display of another one:
// centred at the largest size that fits, black bars beside or above it.
TEST_F(BackBuffer, PresentKeepsAFullScreenPicturesShapeBetweenBlackBars) {
    ASSERT_NO_FATAL_FAILURE(CreateDevice(FullScreenPresentation(64, 48)));
    struct Display {
        int width, height;
        RECT picture;
    };
    for (const Display& display : {Display{160, 60, {40, 0, 120, 60}},    // wide: pillarbox
                                   Display{64, 100, {0, 26, 64, 74}}}) {  // tall: letterbox
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
        ASSERT_TRUE(context->SetDrawableSize(display.width, display.height));
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        std::vector<uint8_t> shown(static_cast<size_t>(display.width) * display.height * 4);
        ASSERT_TRUE(context->MakeCurrent());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, context->DefaultFramebuffer());
        glReadPixels(0, 0, display.width, display.height, GL_RGBA, GL_UNSIGNED_BYTE, shown.data());
        int wrong = 0;
        for (int y = 0; y < display.height; ++y) {
            for (int x = 0; x < display.width; ++x) {
                const uint8_t* p =
                    &shown[(static_cast<size_t>(display.height - 1 - y) * display.width + x) * 4];
                const RECT& in = display.picture;
                const bool inside = x >= in.left && x < in.right && y >= in.top && y < in.bottom;
                if (p[0] != (inside ? 255 : 0) || p[1] != p[0] || p[2] != p[0]) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << display.width << " x " << display.height;
    }
}

TEST_F(BackBuffer, ResetRebuildsItAtTheNewSizeAndFormat) {
    D3DPRESENT_PARAMETERS smaller = FullScreenPresentation(32, 24);
    ASSERT_EQ(device->Reset(&smaller), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, daySky, 1.0f, 0),
              D3D_OK);
    ReadBack();
    EXPECT_EQ(backWidth, 32u);
    EXPECT_EQ(backHeight, 24u);
    EXPECT_FALSE(ColourNear(Pixel(0, 0), {40, 80, 255, 255}, 0));  // 5-6-5 now
    EXPECT_TRUE(ColourNear(Pixel(0, 0), {40, 80, 255, 255}, 4));

    // Windowed again with the window grown meanwhile: the new client size.
    ASSERT_TRUE(context->SetDrawableSize(80, 60));
    D3DPRESENT_PARAMETERS windowed = WindowedPresentation();
    ASSERT_EQ(device->Reset(&windowed), D3D_OK);
    ReadBack();
    EXPECT_EQ(backWidth, 80u);
    EXPECT_EQ(backHeight, 60u);
}

TEST_F(BackBuffer, TwoDevicesOnTwoContextsKeepToTheirOwn) {
    std::string error;
    auto secondContext = EglContext::Create(16, 16, &error);
    ASSERT_NE(secondContext, nullptr) << error;
    D3DPRESENT_PARAMETERS parameters = WindowedPresentation();
    IDirect3DDevice9* second = nullptr;
    ASSERT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, secondContext->Window(),
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &second),
              D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(second->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(3, 3), {255, 0, 0, 255}, 0));
    second->Release();
}

using SceneRules = HeadlessDeviceTest;

TEST_F(SceneRules, ScenesPairAndDrawingHappensOnlyInsideOne) {
    TestMesh quad;
    quad.AddQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f);
    const UploadedMesh mesh = Upload(quad);
    const uint8_t coverage = 255;

    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawMeshBuffers(mesh.buffers, 0, mesh.indexCount), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawCoverage(0, 0, 1, 1, &coverage, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawMeshBuffers(mesh.buffers, 0, mesh.indexCount), D3D_OK);
    EXPECT_EQ(device->DrawMeshBuffers(mesh.buffers, 3, mesh.indexCount), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawCoverage(0, 0, 1, 1, &coverage, 0xFFFFFFFF), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(SceneRules, MeshIndicesPastTheVerticesAreRefused) {
    TestMesh quad;
    quad.AddQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f);
    quad.indices.back() = 4;
    IDirect3DMeshBuffers9* buffers = nullptr;
    EXPECT_EQ(device->CreateMeshBuffers(quad.vertices.data(), 4, quad.indices.data(), 6, nullptr, 0,
                                        &buffers),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(buffers, nullptr);
}

using Lifetime = HeadlessDeviceTest;

TEST_F(Lifetime, TexturesAndMeshesMayBeReleasedAfterTheDevice) {
    TestMesh quad;
    quad.AddQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f);
    const UploadedMesh mesh = Upload(quad);
    IDirect3DTexture9* texture = MakeTexture(1, 1, {{255, 0, 0, 255}});
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    meshes.clear();
    textures.clear();
    device->Release();
    device = nullptr;
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(mesh.buffers->Release(), 0u);
}

TEST_F(Lifetime, ABoundTextureOutlivesTheGamesReleaseUntilReplaced) {
    TestMesh quad;
    quad.AddQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0.5f);
    const UploadedMesh mesh = Upload(quad);
    IDirect3DTexture9* texture = MakeTexture(1, 1, {{0, 255, 0, 255}});
    textures.clear();
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u);  // the stage still holds it
    const D3DMATERIAL9 white = MatteMaterial(1.0f, 1.0f, 1.0f);
    device->SetMaterial(&white);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    DrawFrame(mesh, nightSky);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(32, 24), {0, 255, 0, 255}, 1));
    EXPECT_EQ(device->SetTexture(0, nullptr), D3D_OK);
}

TEST_F(Lifetime, ADeviceWhoseContextIsGoneReportsItLostAndReleasesQuietly) {
    TestMesh quad;
    quad.AddQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f);
    Upload(quad);
    MakeTexture(1, 1, {{255, 0, 0, 255}});
    context.reset();
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, daySky, 1.0f, 0), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    // TearDown releases meshes, textures and device with no context left.
}
