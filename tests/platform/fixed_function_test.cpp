#include <cmath>

#include "tests/support/headless_device.h"

// What the game's meshes look like through the device: the fixed-function
// lighting, texturing, blending, depth and culling of Direct3D 9. Positions are
// given straight in clip space (identity transforms) unless a test is about
// the transforms; the camera looks along +z, and quads face it.

namespace {

constexpr D3DCOLOR black = 0xFF000000;
constexpr D3DCOLOR blue = 0xFF0000FF;

uint8_t Level(float intensity) {
    return static_cast<uint8_t>(std::lround(std::fmin(intensity, 1.0f) * 255.0f));
}

D3DLIGHT9 NightLight() {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.8f, 0.8f, 0.8f, 0.0f};
    light.Specular = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, -0.4f, 0.7f};
    return light;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

}  // namespace

class FixedFunction : public HeadlessDeviceTest {
  protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        TestMesh quad;
        quad.AddQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f);
        centreQuad = Upload(quad);
    }

    void Use(const D3DMATERIAL9& material) { ASSERT_EQ(device->SetMaterial(&material), D3D_OK); }

    // The colour in the middle of the centre quad after drawing it alone.
    Rgba CentreAfterDrawing(D3DCOLOR background = black) {
        DrawFrame(centreQuad, background);
        ReadBack();
        return Pixel(32, 24);
    }

    UploadedMesh centreQuad{};
};

TEST_F(FixedFunction, DaylightAmbientShowsTheMaterialsDiffuseColour) {
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    Use(MatteMaterial(0.2f, 0.4f, 0.6f));
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(), {51, 102, 153, 255}, 1));
    EXPECT_TRUE(ColourNear(Pixel(2, 2), {0, 0, 0, 255}, 0));  // outside the quad
}

TEST_F(FixedFunction, TheNightLightAddsDimAmbientToTheNormalisedDirectionalLight) {
    device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    const D3DLIGHT9 light = NightLight();
    ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    Use(MatteMaterial(0.5f, 0.5f, 0.5f));

    // ambient x material + light x material x cos(normal, towards the light)
    const float ambient = 32.0f / 255.0f * 0.5f;
    const float facing = 0.7f / std::sqrt(0.4f * 0.4f + 0.7f * 0.7f);
    const uint8_t lit = Level(ambient + 0.8f * 0.5f * facing);
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(), {lit, lit, lit, 255}, 2));

    // Lit from behind: the ambient alone.
    D3DLIGHT9 behind = light;
    behind.Direction = {0.0f, 0.0f, -3.0f};
    ASSERT_EQ(device->SetLight(0, &behind), D3D_OK);
    const uint8_t dim = Level(ambient);
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(), {dim, dim, dim, 255}, 1));

    ASSERT_EQ(device->LightEnable(0, FALSE), D3D_OK);
    ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(), {dim, dim, dim, 255}, 1));
}

TEST_F(FixedFunction, APointLightWithoutAttenuationLightsFullyWithinItsRangeAndNotBeyond) {
    D3DLIGHT9 headlight = NightLight();
    headlight.Type = D3DLIGHT_POINT;
    headlight.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    headlight.Position = {0.0f, 0.0f, -5.0f};
    headlight.Range = 6.0f;  // the quad's corners are 5.55 away
    ASSERT_EQ(device->SetLight(0, &headlight), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    Use(MatteMaterial(0.5f, 0.5f, 0.5f));

    // No fall-off with distance: only the angle at the corners counts.
    const uint8_t lit = Level(0.5f * 5.5f / std::sqrt(0.5f + 5.5f * 5.5f));
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(), {lit, lit, lit, 255}, 2));

    headlight.Range = 5.0f;
    ASSERT_EQ(device->SetLight(0, &headlight), D3D_OK);
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(), {0, 0, 0, 255}, 0));
}

TEST_F(FixedFunction, SpecularHighlightsOnlyWhenEnabled) {
    D3DLIGHT9 light = NightLight();
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    D3DMATERIAL9 shiny = MatteMaterial(0.25f, 0.25f, 0.25f);
    shiny.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    shiny.Power = 1.0f;
    Use(shiny);

    const uint8_t matte = Level(0.25f);
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(), {matte, matte, matte, 255}, 1));
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    EXPECT_GT(CentreAfterDrawing().r, 200);
}

TEST_F(FixedFunction, TextureAlphaBlendsOverWhatIsBehind) {
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    Use(MatteMaterial(1.0f, 1.0f, 1.0f, 0.25f));  // its alpha gives way to the texture's
    ASSERT_EQ(device->SetTexture(0, MakeTexture(1, 1, {{255, 0, 0, 128}})), D3D_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(blue), {128, 0, 127, 255}, 1));
    EXPECT_TRUE(ColourNear(Pixel(2, 2), {0, 0, 255, 255}, 0));

    // Without a texture the material's alpha blends.
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    Use(MatteMaterial(1.0f, 0.0f, 0.0f, 0.25f));
    EXPECT_TRUE(ColourNear(CentreAfterDrawing(blue), {64, 0, 191, 255}, 1));
}

TEST_F(FixedFunction, TexturesModulateTheLitColourWithPointSamplingTopRowAtVZero) {
    TestMesh screen;
    screen.AddQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0.5f);
    const UploadedMesh whole = Upload(screen);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    Use(MatteMaterial(1.0f, 0.5f, 1.0f));
    // red | green over blue | white
    IDirect3DTexture9* texture = MakeTexture(
        2, 2, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}});
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    DrawFrame(whole, black);
    ReadBack();
    // Beside the seams the texels stay pure: no filtering between them.
    EXPECT_TRUE(ColourNear(Pixel(31, 23), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(32, 23), {0, 128, 0, 255}, 1));
    EXPECT_TRUE(ColourNear(Pixel(31, 24), {0, 0, 255, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(63, 47), {255, 128, 255, 255}, 1));
}

TEST_F(FixedFunction, TheNearerSurfaceHidesTheFartherInEitherOrder) {
    TestMesh nearQuad;
    nearQuad.AddQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.2f);
    TestMesh farQuad;
    farQuad.AddQuad(-1.0f, -1.0f, 0.25f, 0.25f, 0.8f);
    const UploadedMesh nearMesh = Upload(nearQuad);
    const UploadedMesh farMesh = Upload(farQuad);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    const D3DMATERIAL9 red = MatteMaterial(1.0f, 0.0f, 0.0f);
    const D3DMATERIAL9 green = MatteMaterial(0.0f, 1.0f, 0.0f);

    auto drawBoth = [&](bool nearFirst) {
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, black, 1.0f, 0);
        for (int pass = 0; pass < 2; ++pass) {
            const bool drawNear = (pass == 0) == nearFirst;
            Use(drawNear ? red : green);
            Draw(drawNear ? nearMesh : farMesh);
        }
        device->EndScene();
        ReadBack();
    };
    drawBoth(true);
    EXPECT_TRUE(ColourNear(Pixel(28, 28), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(4, 44), {0, 255, 0, 255}, 0));
    drawBoth(false);
    EXPECT_TRUE(ColourNear(Pixel(28, 28), {255, 0, 0, 255}, 0));

    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    drawBoth(true);
    EXPECT_TRUE(ColourNear(Pixel(28, 28), {0, 255, 0, 255}, 0));
}

TEST_F(FixedFunction, CounterClockwiseTrianglesAreCulledAndClockwiseOnesDrawn) {
    TestMesh both;
    both.AddQuad(-1.0f, -0.5f, -0.1f, 0.5f, 0.5f);        // clockwise, left
    both.AddReversedQuad(0.1f, -0.5f, 1.0f, 0.5f, 0.5f);  // counter-clockwise, right
    const UploadedMesh mesh = Upload(both);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    Use(MatteMaterial(1.0f, 1.0f, 1.0f));
    const Rgba white{255, 255, 255, 255};
    const Rgba none{0, 0, 0, 255};

    DrawFrame(mesh, black);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(16, 24), white, 0));
    EXPECT_TRUE(ColourNear(Pixel(48, 24), none, 0));

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    DrawFrame(mesh, black);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(16, 24), none, 0));
    EXPECT_TRUE(ColourNear(Pixel(48, 24), white, 0));

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DrawFrame(mesh, black);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(16, 24), white, 0));
    EXPECT_TRUE(ColourNear(Pixel(48, 24), white, 0));
}

TEST_F(FixedFunction, RowVectorsGoThroughWorldThenView) {
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    Use(MatteMaterial(1.0f, 1.0f, 1.0f));
    TestMesh dot;
    dot.AddQuad(-0.1f, -0.1f, 0.1f, 0.1f, 0.5f);
    const UploadedMesh mesh = Upload(dot);
    D3DMATRIX world = Identity();
    world._41 = 0.5f;  // right by half the screen
    D3DMATRIX view{};  // a quarter turn about z: +x goes to +y
    view._12 = 1.0f;
    view._21 = -1.0f;
    view._33 = view._44 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    DrawFrame(mesh, black);
    ReadBack();
    EXPECT_TRUE(ColourNear(Pixel(32, 12), {255, 255, 255, 255}, 0));  // above the centre
    EXPECT_TRUE(ColourNear(Pixel(48, 24), {0, 0, 0, 255}, 0));        // not turned after all
}

TEST_F(FixedFunction, DepthRunsFromTheNearToTheFarPlaneAsInDirect3D) {
    // D3DXMatrixPerspectiveFovLH(pi / 2, 1, near 1, far 10)
    D3DMATRIX projection{};
    projection._11 = projection._22 = 1.0f;
    projection._33 = 10.0f / 9.0f;
    projection._34 = 1.0f;
    projection._43 = -10.0f / 9.0f;
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    Use(MatteMaterial(1.0f, 1.0f, 1.0f));
    auto visibleAt = [&](float z) {
        TestMesh wall;
        wall.AddQuad(-z, -z, z, z, z);
        DrawFrame(Upload(wall), black);
        ReadBack();
        return Pixel(32, 24).r == 255;
    };
    EXPECT_FALSE(visibleAt(0.7f));  // in front of the near plane
    EXPECT_TRUE(visibleAt(1.2f));
    EXPECT_TRUE(visibleAt(9.8f));
    EXPECT_FALSE(visibleAt(10.5f));  // beyond the far plane
}

TEST_F(FixedFunction, CoverageBlendsItsColourAtTopLeftPixelsAndLeavesTheStateAsItWas) {
    // A scene whose look depends on blending, texture, transform and depth.
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    Use(MatteMaterial(1.0f, 1.0f, 0.5f));
    ASSERT_EQ(device->SetTexture(0, MakeTexture(1, 2, {{255, 255, 0, 100}, {0, 255, 255, 200}})),
              D3D_OK);
    D3DMATRIX world = Identity();
    world._41 = 0.4f;
    device->SetTransform(D3DTS_WORLD, &world);

    const uint8_t coverage[2 * 3] = {255, 0, 128, 255, 255, 255};  // 3 wide, 2 high
    auto frame = [&](bool withCoverage) {
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, blue, 1.0f, 0);
        if (withCoverage) {
            EXPECT_EQ(device->DrawCoverage(4, 2, 3, 2, coverage, 0xFFFF00FF), D3D_OK);
        }
        Draw(centreQuad);
        device->EndScene();
        ReadBack();
        return backPixels;
    };
    const std::vector<uint8_t> without = frame(false);
    const std::vector<uint8_t> with = frame(true);

    const Rgba magenta{255, 0, 255, 255};
    EXPECT_TRUE(ColourNear(Pixel(4, 2), magenta, 0));
    EXPECT_TRUE(ColourNear(Pixel(5, 2), {0, 0, 255, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(6, 2), {128, 0, 255, 255}, 1));
    EXPECT_TRUE(ColourNear(Pixel(6, 3), magenta, 0));
    EXPECT_TRUE(ColourNear(Pixel(7, 2), {0, 0, 255, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(4, 4), {0, 0, 255, 255}, 0));

    int changedOutside = 0;
    for (UINT y = 0; y < backHeight; ++y) {
        for (UINT x = 0; x < backWidth; ++x) {
            if (x >= 4 && x < 7 && y >= 2 && y < 4) continue;
            const size_t at = (static_cast<size_t>(y) * backWidth + x) * 4;
            if (!std::equal(with.begin() + at, with.begin() + at + 4, without.begin() + at)) {
                ++changedOutside;
            }
        }
    }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_FALSE(ColourNear(Pixel(45, 18), {0, 0, 255, 255}, 8));  // the quad is there
}

TEST_F(FixedFunction, TheTextsOfAFrameBlendInTheOrderTheyAndTheMeshesWereDrawn) {
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    Use(MatteMaterial(1.0f, 1.0f, 0.5f));
    const uint8_t full[4] = {255, 255, 255, 255};
    const uint8_t halfThenFull[4] = {128, 128, 255, 255};  // 2 x 2
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, blue, 1.0f, 0);
    EXPECT_EQ(device->DrawCoverage(2, 2, 4, 1, full, 0xFFFF0000), D3D_OK);
    EXPECT_EQ(device->DrawCoverage(4, 2, 2, 2, halfThenFull, 0xFF00FF00), D3D_OK);
    EXPECT_EQ(device->DrawCoverage(34, 22, 1, 1, full, 0xFFFF0000), D3D_OK);  // under the quad
    Draw(centreQuad);
    EXPECT_EQ(device->DrawCoverage(30, 22, 2, 2, full, 0xFFFFFFFF), D3D_OK);  // over it
    device->EndScene();
    ReadBack();

    EXPECT_TRUE(ColourNear(Pixel(2, 2), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(4, 2), {127, 128, 0, 255}, 1));  // green half over red
    EXPECT_TRUE(ColourNear(Pixel(5, 3), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(3, 3), {0, 0, 255, 255}, 0));
    EXPECT_TRUE(ColourNear(Pixel(34, 22), {255, 255, 128, 255}, 1));
    EXPECT_TRUE(ColourNear(Pixel(31, 23), {255, 255, 255, 255}, 0));
}
