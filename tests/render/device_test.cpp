#include "render/device.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/message_box.h"
#include "render/d3dx_font.h"
#include "render/mesh_object.h"
#include "tests/support/media_folder.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/recording_direct3d.h"

namespace {

HWND TheWindow() {
    return reinterpret_cast<HWND>(0x4242);
}

class DirectThreeD : public ::testing::Test {
  protected:
    void SetUp() override {
        recordingDirect3D = &direct;
        refuseToExist = false;
        SetDirect3DFactory(RecordingDirect3D::Create);
        RecordedMessageBoxes().clear();
    }
    void TearDown() override {
        ReleaseDevice();
        SetDirect3DFactory(nullptr);
        recordingDirect3D = nullptr;
    }

    RecordingDevice& Made() { return *direct.device; }

    RecordingDirect3D direct;
};

}  // namespace

TEST_F(DirectThreeD, WindowedDeviceTakesTheClientAreaAndDaylight) {
    ASSERT_EQ(InitDirect3D(TheWindow(), true, false, 800, 600), S_OK);
    EXPECT_EQ(direct.parameters.BackBufferWidth, 0u);
    EXPECT_EQ(direct.parameters.BackBufferHeight, 0u);
    EXPECT_EQ(direct.parameters.BackBufferFormat, D3DFMT_UNKNOWN);
    EXPECT_EQ(direct.parameters.Windowed, TRUE);
    EXPECT_EQ(direct.parameters.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(direct.parameters.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(direct.parameters.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(direct.parameters.PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
    EXPECT_EQ(direct.type, D3DDEVTYPE_HAL);
    EXPECT_EQ(direct.behaviourFlags, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_EQ(direct.focusWindow, TheWindow());
    EXPECT_EQ(device, direct.device.get());

    const RecordedCall* ambient = nullptr;
    for (const RecordedCall* call : Made().CallsNamed("SetRenderState")) {
        if (call->arguments.at(0) == D3DRS_AMBIENT) ambient = call;
    }
    ASSERT_NE(ambient, nullptr);
    EXPECT_EQ(ambient->arguments.at(1), 0xFFFFFFFF);
    EXPECT_EQ(Made().CountOf("SetLight"), 0u);
    EXPECT_EQ(Made().CountOf("LightEnable"), 0u);
    EXPECT_EQ(Made().CountOf("ShowCursor"), 0u);
    EXPECT_NE(hudFont, nullptr);
}

TEST_F(DirectThreeD, FullScreenDeviceIsSixteenBitAtTheChosenSizeWithoutCursor) {
    ASSERT_EQ(InitDirect3D(TheWindow(), false, false, 1024, 768), S_OK);
    EXPECT_EQ(direct.parameters.BackBufferWidth, 1024u);
    EXPECT_EQ(direct.parameters.BackBufferHeight, 768u);
    EXPECT_EQ(direct.parameters.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(direct.parameters.Windowed, FALSE);
    ASSERT_EQ(Made().CountOf("ShowCursor"), 1u);
    EXPECT_EQ(Made().LastCall("ShowCursor")->arguments.at(0), FALSE);
}

TEST_F(DirectThreeD, NightHasDarkAmbientAndTheDirectionalLightOn) {
    ASSERT_EQ(InitDirect3D(TheWindow(), true, true, 640, 480), S_OK);
    std::vector<std::string> names;
    for (const RecordedCall& call : Made().calls) names.push_back(call.name);
    EXPECT_EQ(names, (std::vector<std::string>{"SetRenderState", "SetRenderState", "SetLight",
                                               "LightEnable"}));
    EXPECT_EQ(Made().calls[0].arguments.at(0), D3DRS_ZENABLE);
    EXPECT_EQ(Made().calls[0].arguments.at(1), D3DZB_TRUE);
    EXPECT_EQ(Made().calls[1].arguments.at(1), 0xFF202020);
    EXPECT_EQ(sceneLight.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(sceneLight.Diffuse.r, 0.8f);
    EXPECT_FLOAT_EQ(sceneLight.Diffuse.a, 0.0f);
    EXPECT_FLOAT_EQ(sceneLight.Specular.g, 1.0f);
    EXPECT_FLOAT_EQ(sceneLight.Direction.y, -0.4f);
    EXPECT_FLOAT_EQ(sceneLight.Direction.z, 0.7f);
    EXPECT_FLOAT_EQ(sceneLight.Range, 0.0f);
    EXPECT_FLOAT_EQ(sceneLight.Attenuation0, 0.0f);
    EXPECT_EQ(Made().calls[3].arguments.at(0), 0);
    EXPECT_EQ(Made().calls[3].arguments.at(1), TRUE);
}

TEST_F(DirectThreeD, NoDeviceShowsTheErrorAndFails) {
    direct.failCreateDevice = true;
    EXPECT_LT(InitDirect3D(TheWindow(), true, true, 640, 480), 0);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(direct.createCount, 1);  // no second, reference-device attempt
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    const RecordedMessageBox& box = RecordedMessageBoxes()[0];
    EXPECT_EQ(box.text,
              "Error initializing DirectX3D. Make sure you have DirectX 9.0c from Microsoft's "
              "Windows Update installed.");
    EXPECT_EQ(box.caption, "Tolvarin");
    EXPECT_EQ(box.type, MB_ICONERROR);
    EXPECT_EQ(box.owner, TheWindow());
    // Direct3D itself stays until the device is released.
    EXPECT_EQ(direct3d, &direct);
}

TEST_F(DirectThreeD, NoDirect3DFailsWithoutAMessage) {
    refuseToExist = true;
    EXPECT_EQ(InitDirect3D(TheWindow(), true, true, 640, 480), E_FAIL);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(DirectThreeD, FontIsBoldArialAtTheScreensCharacterHeight) {
    ASSERT_EQ(InitDirect3D(TheWindow(), true, false, 640, 480), S_OK);
    ASSERT_NE(hudFont, nullptr);
    // 18 points at 96 dots per inch: a 24-pixel character height.
    EXPECT_EQ(hudFont->Font().FamilyName(), "Liberation Sans");
    EXPECT_NE(hudFont->Font().StyleName().find("Bold"), std::string::npos);
    EXPECT_GE(hudFont->Font().LineHeight(), 24);
    EXPECT_LE(hudFont->Font().LineHeight(), 30);
}

TEST_F(DirectThreeD, NewDeviceEmptiesTheTextureCache) {
    MediaFolder media;
    ASSERT_EQ(InitDirect3D(TheWindow(), true, false, 640, 480), S_OK);
    LoadTextureCached("a.png");
    lastTextureSlot = 0;
    ReleaseDevice();
    EXPECT_STREQ(textureCache[0].name, "a.png");  // names outlive the device
    ASSERT_EQ(InitDirect3D(TheWindow(), true, false, 640, 480), S_OK);
    EXPECT_EQ(textureCount, 0);
    EXPECT_EQ(lastTextureSlot, -1);
    EXPECT_STREQ(textureCache[0].name, "");
}

TEST_F(DirectThreeD, ReleaseLetsGoOfEverythingAndASecondReleaseDoesNothing) {
    MediaFolder media;
    media.WriteMesh("track.x", {""});
    ASSERT_EQ(InitDirect3D(TheWindow(), true, false, 640, 480), S_OK);
    LoadMeshes();
    ReleaseDevice();
    EXPECT_EQ(trackObject, nullptr);
    EXPECT_EQ(hudFont, nullptr);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(direct3d, nullptr);
    EXPECT_EQ(direct.releaseCount, 1);
    EXPECT_EQ(direct.device->references, 0u);  // the font and mesh gave theirs back too
    ReleaseDevice();
    EXPECT_EQ(direct.releaseCount, 1);
}
