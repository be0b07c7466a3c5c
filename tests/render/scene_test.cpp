#include "render/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/camera.h"
#include "core/ghost_path.h"
#include "core/options.h"
#include "platform/egl_context.h"
#include "race/game_state.h"
#include "race/race_records.h"
#include "render/device.h"
#include "render/ghost_drawing.h"
#include "render/mesh_object.h"
#include "render/view_shape.h"
#include "tests/support/media_folder.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/recording_direct3d.h"

namespace {

constexpr int64_t magentaHud = 0xFFFF00FF;

// A frame drawn on a recording device: the objects loaded from one-triangle
// meshes, each with a texture of its own file's name.
class SceneOrder : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* names[] = {"track.x",  "cockpit.x", "zorvek.x", "tree1.x",
                               "tree2.x",  "tree3.x",   "tree1b.x", "tree2b.x",
                               "tree3b.x", "advert.x",  "flag.x"};
        for (const char* name : names) {
            media.WriteTexture(std::string(name) + ".bmp");
            media.WriteMesh(name, {std::string(name) + ".bmp"});
        }
        recordingDirect3D = &direct;
        SetDirect3DFactory(RecordingDirect3D::Create);
        GameOptions = GameOptionsRecord{};
        ASSERT_EQ(InitDirect3D(nullptr, true, false, 640, 480), S_OK);
        ASSERT_EQ(LoadMeshes(), S_OK);
        cameraEye = {0.0f, 1.0f, -3.75f};
        cameraTarget = {0.0f, 0.25f, 0.0f};
        Recording().ClearCalls();
    }
    void TearDown() override {
        ReleaseDevice();
        SetDirect3DFactory(nullptr);
        recordingDirect3D = nullptr;
        GameOptions = GameOptionsRecord{};
        viewWidth = 640.0f;
        viewHeight = 480.0f;
        viewShape = ViewShape{};
    }

    RecordingDevice& Recording() { return *direct.device; }

    // The frame's calls, with each object's draw shown as the texture it binds
    // ("tree1.x.bmp") and the draws themselves left out.
    std::vector<std::string> Frame() {
        std::vector<std::string> names;
        for (const RecordedCall& call : Recording().calls) {
            if (call.name == "SetMaterial" || call.name == "DrawMeshBuffers" ||
                call.name == "CreateMeshBuffers") {
                continue;
            }
            if (call.name == "SetTransform" && call.arguments.at(0) == D3DTS_WORLD) continue;
            if (call.name == "SetTexture") {
                names.push_back(TextureName(call.arguments.at(1)));
                continue;
            }
            std::string name = call.name;
            if (call.name == "SetRenderState" || call.name == "SetTransform") {
                name += ":" + std::to_string(call.arguments.at(0)) + "=" +
                        (call.arguments.size() > 1 ? std::to_string(call.arguments.at(1)) : "");
            }
            names.push_back(name);
        }
        return names;
    }

    std::string TextureName(int64_t address) const {
        for (int slot = 0; slot < textureCount; ++slot) {
            if (reinterpret_cast<int64_t>(textureCache[slot].texture) == address) {
                return textureCache[slot].name;
            }
        }
        return "none";
    }

    MediaFolder media;
    RecordingDirect3D direct;
};

}  // namespace

TEST_F(SceneOrder, DrawsOpaqueObjectsThenBlendedTreesThenTheTwoLines) {
    RenderFrame();
    std::vector<std::string> expected = {
        "SetRenderState:29=0", "BeginScene",          "Clear",
        "SetTransform:3=",     "SetTransform:2=",     "track.x.bmp",
        "cockpit.x.bmp",       "zorvek.x.bmp",        "advert.x.bmp",
        "flag.x.bmp",          "SetRenderState:27=1", "SetRenderState:19=5",
        "SetRenderState:20=6"};
    // Trees 0-5 share one texture, 6-11 the next, and so on.
    for (const char* tree : {"tree1.x.bmp", "tree2.x.bmp", "tree3.x.bmp", "tree1b.x.bmp",
                             "tree2b.x.bmp", "tree3b.x.bmp"}) {
        expected.push_back(tree);
    }
    expected.insert(expected.end(),
                    {"SetRenderState:27=0", "DrawCoverage", "DrawCoverage", "EndScene", "Present"});
    EXPECT_EQ(Frame(), expected);
}

TEST_F(SceneOrder, TheGhostIsDrawnUntexturedAfterTheTreesWithoutWritingDepth) {
    bestGhost.Record(GhostSample{0.5f, 10.0f, 2.0f, 20.0f, 1.0f});
    bestGhost.Record(GhostSample{1.0f, 12.0f, 2.0f, 20.0f, 1.0f});
    raceTime = 0.75f;
    RenderFrame();
    std::vector<std::string> frame = Frame();
    const std::vector<std::string> ghost = {"tree3b.x.bmp", "none", "SetRenderState:14=0",
                                            "SetRenderState:14=1", "SetRenderState:27=0"};
    EXPECT_NE(std::search(frame.begin(), frame.end(), ghost.begin(), ghost.end()), frame.end());
    EXPECT_EQ(Recording().CountOf("DrawMeshBuffers"), 41u);
    EXPECT_TRUE(ghostDrawn);
    EXPECT_FLOAT_EQ(ghostDrawnAt.x, 11.0f);
    // The car after it binds its own texture again.
    Recording().ClearCalls();
    RenderFrame();
    frame = Frame();
    EXPECT_NE(std::find(frame.begin(), frame.end(), "cockpit.x.bmp"), frame.end());

    // Hidden by the G key, or once its race is over, no ghost is drawn.
    ghostShown = false;
    Recording().ClearCalls();
    RenderFrame();
    EXPECT_EQ(Recording().CountOf("DrawMeshBuffers"), 40u);
    ghostShown = true;
    raceTime = 1.5f;
    Recording().ClearCalls();
    RenderFrame();
    EXPECT_EQ(Recording().CountOf("DrawMeshBuffers"), 40u);
    bestGhost.Clear();
    raceTime = 0.0f;
}

TEST_F(SceneOrder, EveryPresentObjectIsDrawnAndRemovedOnesAreNot) {
    RenderFrame();
    EXPECT_EQ(Recording().CountOf("DrawMeshBuffers"), 40u);
    Recording().ClearCalls();
    robotObjects[0]->state = -1;
    flagObjects[0]->state = -1;
    treeObjects[12]->state = -1;
    RenderFrame();
    EXPECT_EQ(Recording().CountOf("DrawMeshBuffers"), 37u);
}

TEST_F(SceneOrder, FlagsRideOnTheirRobotsOfTheSameFrame) {
    robotObjects[2]->position = {150.0f, 3.0f, 0.0f};
    flagObjects[1]->position = {1.5f, 1.0f, 0.0f};
    RenderFrame();
    EXPECT_FLOAT_EQ(flagObjects[1]->world._41, 151.5f);
    EXPECT_FLOAT_EQ(flagObjects[1]->world._42, 4.0f);
    robotObjects[2]->position = {100.0f, 3.0f, 0.0f};
    RenderFrame();
    EXPECT_FLOAT_EQ(flagObjects[1]->world._41, 101.5f);
}

TEST_F(SceneOrder, SkyFollowsTheLightsOptionEveryFrame) {
    GameOptions.lightsOn = 0;
    RenderFrame();
    EXPECT_EQ(Recording().LastCall("Clear")->arguments.at(3), 0xFF2850FF);
    EXPECT_EQ(Recording().LastCall("Clear")->arguments.at(2), D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    GameOptions.lightsOn = 1;
    RenderFrame();
    EXPECT_EQ(Recording().LastCall("Clear")->arguments.at(3), 0xFF000000);
}

TEST_F(SceneOrder, FailedBeginSceneStillPresents) {
    Recording().results["BeginScene"] = E_FAIL;
    RenderFrame();
    EXPECT_EQ(Frame(), (std::vector<std::string>{"SetRenderState:29=0", "BeginScene", "Present"}));
}

TEST_F(SceneOrder, TextureBindingsCarryOverFromFrameToFrame) {
    RenderFrame();
    const size_t first = Recording().CountOf("SetTexture");
    Recording().ClearCalls();
    RenderFrame();
    // The last tree's texture is still bound, so the track binds its own again:
    // every change, and only changes, cost a call.
    EXPECT_EQ(Recording().CountOf("SetTexture"), first);
    EXPECT_EQ(first, 11u);
}

TEST_F(SceneOrder, TheLinesAreMagentaInsideTheirRectangles) {
    std::strcpy(messageText, "GAME OVER");
    std::strcpy(scoreText, "SCORE: 3 BEST TIME: 61.24\n");
    viewWidth = 800.0f;
    viewHeight = 600.0f;
    RenderFrame();
    const auto lines = Recording().CallsNamed("DrawCoverage");
    ASSERT_EQ(lines.size(), 2u);
    // arguments: left, top, width, height, colour.
    const auto& message = lines[0]->arguments;
    EXPECT_EQ(message.at(4), magentaHud);
    EXPECT_GE(message.at(1), 5);
    EXPECT_LE(message.at(1) + message.at(3), 40);
    // Centred: as much room on the left as on the right, to a pixel or two.
    EXPECT_NEAR(static_cast<double>(message.at(0)),
                static_cast<double>(800 - (message.at(0) + message.at(2))), 2);
    const auto& scoreLine = lines[1]->arguments;
    EXPECT_EQ(scoreLine.at(4), magentaHud);
    EXPECT_GE(scoreLine.at(1), 520);
    EXPECT_LE(scoreLine.at(1) + scoreLine.at(3), 600);
    EXPECT_LT(scoreLine.at(0), 5);  // from the left edge
}

TEST_F(SceneOrder, APausedRaceSaysSoInTheMiddleBetweenTheLines) {
    viewWidth = 800.0f;
    viewHeight = 600.0f;
    racePaused = true;
    RenderFrame();
    racePaused = false;
    const auto lines = Recording().CallsNamed("DrawCoverage");
    ASSERT_EQ(lines.size(), 3u);
    const auto& paused = lines[2]->arguments;
    EXPECT_EQ(paused.at(4), magentaHud);
    // Clear of the message line above and the score line below.
    EXPECT_GE(paused.at(1), 280);
    EXPECT_LE(paused.at(1) + paused.at(3), 320);
    EXPECT_NEAR(static_cast<double>(paused.at(0)),
                static_cast<double>(800 - (paused.at(0) + paused.at(2))), 2);
    Recording().ClearCalls();
    RenderFrame();
    EXPECT_EQ(Recording().CallsNamed("DrawCoverage").size(), 2u);
}

// At the display's own size the view widens with the display, and the lines
// keep their size and places relative to the picture's height and centre:
// readable on a 3840 x 2160 screen.
TEST_F(SceneOrder, AtTheDisplaysSizeTheViewWidensAndTheLinesGrowWithThePicture) {
    const ViewShape wide = DisplaySizeViewShape(1920.0f, 1080.0f);
    EXPECT_FLOAT_EQ(wide.aspect, 4.0f / 3.0f);
    EXPECT_EQ(wide.scoreLeft, 240);
    EXPECT_FLOAT_EQ(DisplaySizeViewShape(1024.0f, 768.0f).aspect, 1.0f);

    std::strcpy(messageText, "GAME OVER");
    std::strcpy(scoreText, "SCORE: 3 BEST TIME: 61.24\n");
    viewWidth = 3840.0f;
    viewHeight = 2160.0f;
    viewShape = DisplaySizeViewShape(viewWidth, viewHeight);
    ASSERT_EQ(ResetDeviceForm(false, false, 3840, 2160), S_OK);
    Recording().ClearCalls();
    RenderFrame();
    const auto lines = Recording().CallsNamed("DrawCoverage");
    ASSERT_EQ(lines.size(), 2u);
    const auto& message = lines[0]->arguments;  // left, top, width, height
    EXPECT_GE(message.at(1), 5 * 4.5 - 1);
    EXPECT_LE(message.at(1) + message.at(3), 40 * 4.5 + 1);
    EXPECT_GE(message.at(3), 60);  // the 24-pixel letters of 480 rows, grown
    EXPECT_NEAR(static_cast<double>(message.at(0)),
                static_cast<double>(3840 - (message.at(0) + message.at(2))), 2);
    const auto& scoreLine = lines[1]->arguments;
    EXPECT_GE(scoreLine.at(1), 2160 - 80 * 4.5);
    EXPECT_GE(scoreLine.at(0), 480);  // the left edge of the 4:3 picture in the middle
    EXPECT_LT(scoreLine.at(0), 480 + 20);

    // The lap times and the paused line grow and keep their places with them.
    std::strcpy(lapTimesText, "Lap 1: 16.20\n");
    racePaused = true;
    Recording().ClearCalls();
    RenderFrame();
    racePaused = false;
    lapTimesText[0] = '\0';
    const auto withLaps = Recording().CallsNamed("DrawCoverage");
    ASSERT_EQ(withLaps.size(), 4u);
    for (size_t line = 2; line < 4; ++line) EXPECT_GE(withLaps[line]->arguments.at(3), 60);
    const auto& lapLine = withLaps[3]->arguments;
    EXPECT_GE(lapLine.at(0), 480);
    EXPECT_GE(lapLine.at(1), 40 * 4.5 - 1);
}

// The frame as a player sees it, drawn by the OpenGL device on a headless
// context: sky, and the two lines in magenta, clipped to their rectangles.
TEST(ScenePixels, HudLinesAreMagentaAndClippedToTheirRectangles) {
    if (!EglLibraryPresent()) GTEST_SKIP() << "the EGL library is not installed";
    std::string error;
    std::unique_ptr<EglContext> context = EglContext::Create(640, 480, &error);
    ASSERT_NE(context, nullptr) << error;
    MediaFolder media;  // empty: every object draws nothing, with a box each
    GameOptions = GameOptionsRecord{};
    GameOptions.lightsOn = 0;
    ASSERT_EQ(InitDirect3D(context->Window(), true, false, 640, 480), S_OK);
    LoadMeshes();
    // A line far wider than the view loses both ends.
    std::memset(messageText, 'W', textSize - 1);
    messageText[textSize - 1] = '\0';
    std::strcpy(scoreText, "Lap:2 Time:12.34\n");
    RenderFrame();

    UINT width = 0, height = 0;
    std::vector<uint8_t> rgba;
    ASSERT_EQ(device->ReadBackBuffer(width, height, rgba), S_OK);
    ASSERT_EQ(width, 640u);
    ASSERT_EQ(height, 480u);
    auto isMagenta = [&](UINT x, UINT y) {
        const uint8_t* pixel = &rgba[(y * width + x) * 4];
        return pixel[0] > 200 && pixel[1] < 60 && pixel[2] > 200;
    };
    auto isSky = [&](UINT x, UINT y) {
        const uint8_t* pixel = &rgba[(y * width + x) * 4];
        return pixel[0] == 40 && pixel[1] == 80 && pixel[2] == 255;
    };
    int messagePixels = 0, scorePixels = 0;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            if (!isMagenta(x, y)) continue;
            if (y >= 5 && y < 40) {
                ++messagePixels;
            } else if (y >= 400) {
                ++scorePixels;
            } else {
                ADD_FAILURE() << "magenta outside the lines at " << x << ", " << y;
                return;
            }
        }
    }
    EXPECT_GT(messagePixels, 1000);
    EXPECT_GT(scorePixels, 200);
    // The clipped message reaches both edges; the sky shows between the lines.
    int leftColumn = 0, rightColumn = 0;
    for (UINT y = 5; y < 40; ++y) {
        leftColumn += isMagenta(0, y) || isMagenta(1, y) || isMagenta(2, y);
        rightColumn += isMagenta(637, y) || isMagenta(638, y) || isMagenta(639, y);
    }
    EXPECT_GT(leftColumn, 0);
    EXPECT_GT(rightColumn, 0);
    EXPECT_TRUE(isSky(320, 240));
    EXPECT_TRUE(isSky(320, 2));
    ReleaseDevice();
}
