#include "render/mesh_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "race/game_state.h"
#include "render/device.h"
#include "tests/support/media_folder.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/recording_device.h"

namespace {

// A device and a media folder of the test's own, and the renderer's globals
// as InitDirect3D leaves them.
class MeshObjects : public ::testing::Test {
  protected:
    void SetUp() override {
        device = &recording;
        ClearTextureCache();
        textureCount = 0;
        lastTextureSlot = -1;
        RecordedMessageBoxes().clear();
    }
    void TearDown() override {
        ReleaseMeshes();
        device = nullptr;
    }

    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        // Device buffers may be made on the first draw; that is not drawing.
        for (const RecordedCall& call : recording.calls) {
            if (call.name != "CreateMeshBuffers") names.push_back(call.name);
        }
        return names;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const RecordedMessageBox& box : RecordedMessageBoxes()) texts.push_back(box.text);
        return texts;
    }

    RecordingDevice recording;
    MediaFolder media;
};

}  // namespace

TEST_F(MeshObjects, TexturesAreSharedByExactNameAndCaseCounts) {
    media.WriteTexture("bark.bmp");
    media.WriteTexture("Bark.bmp");
    EXPECT_EQ(LoadTextureCached("bark.bmp"), 0);
    EXPECT_EQ(LoadTextureCached("Bark.bmp"), 1);
    EXPECT_EQ(LoadTextureCached("bark.bmp"), 0);
    EXPECT_EQ(textureCount, 2);
    EXPECT_EQ(recording.CountOf("CreateTextureFromPixels"), 2u);
    EXPECT_NE(textureCache[0].texture, nullptr);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

// Names in meshes made on Windows: any case, `\` as the separator. Each
// name still takes its own slot, as the cache goes by the name as written.
TEST_F(MeshObjects, TextureNamesAreFoundAsWindowsFindsThem) {
    media.WriteTexture("tree2.png");
    EXPECT_EQ(LoadTextureCached("Tree2.PNG"), 0);
    EXPECT_EQ(LoadTextureCached(".\\tree2.png"), 1);
    EXPECT_EQ(LoadTextureCached("..\\Media\\TREE2.png"), 2);
    EXPECT_EQ(recording.CountOf("CreateTextureFromPixels"), 3u);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(MeshObjects, MissingTextureIsReportedOncePerNameAndKeepsItsSlot) {
    EXPECT_EQ(LoadTextureCached("gone.png"), 0);
    EXPECT_EQ(LoadTextureCached("gone.png"), 0);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, "Warning: Could not load texture file.");
    EXPECT_EQ(RecordedMessageBoxes()[0].caption, "Tolvarin");
    EXPECT_EQ(RecordedMessageBoxes()[0].type, 0u);
    EXPECT_EQ(RecordedMessageBoxes()[0].owner, nullptr);
    EXPECT_STREQ(textureCache[0].name, "gone.png");
    EXPECT_EQ(textureCache[0].texture, nullptr);
}

TEST_F(MeshObjects, FullCacheGivesNoSlotAndWritesNothingPastIt) {
    for (int i = 0; i < textureCacheSize; ++i) {
        ASSERT_EQ(LoadTextureCached(("t" + std::to_string(i)).c_str()), i);
    }
    RecordedMessageBoxes().clear();
    EXPECT_EQ(LoadTextureCached("one too many"), -1);
    EXPECT_EQ(textureCount, textureCacheSize);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_EQ(LoadTextureCached("t99"), 99);  // names already cached are still found
}

TEST_F(MeshObjects, MissingMeshIsReportedAndDrawsNothing) {
    MeshObject object("nowhere.x", device);
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"Could not find mesh file in the media directory."}));
    EXPECT_EQ(object.materialCount, 0u);
    EXPECT_EQ(object.mesh, nullptr);
    recording.ClearCalls();
    object.Draw();
    EXPECT_TRUE(recording.calls.empty());
}

TEST_F(MeshObjects, LoadTakesAmbientFromDiffuseAndGivesUntexturedMaterialsNoSlot) {
    media.WriteTexture("a.bmp");
    media.WriteMesh("thing.x", {"a.bmp", "", "a.bmp"});
    MeshObject object("thing.x", device);
    ASSERT_EQ(object.materialCount, 3u);
    EXPECT_EQ(object.textureSlots[0], 0);
    EXPECT_EQ(object.textureSlots[1], -1);
    EXPECT_EQ(object.textureSlots[2], 0);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::memcmp(&object.materials[i].Ambient, &object.materials[i].Diffuse,
                              sizeof(D3DCOLORVALUE)),
                  0);
    }
    EXPECT_FLOAT_EQ(object.materials[1].Diffuse.r, 0.4f);
    EXPECT_EQ(textureCount, 1);
}

TEST_F(MeshObjects, DrawBindsTexturesOnlyOnChangeAndSetsTheWorldBeforeEverySubset) {
    media.WriteTexture("a.bmp");
    media.WriteTexture("b.bmp");
    media.WriteMesh("one.x", {"a.bmp", "a.bmp", ""});
    media.WriteMesh("two.x", {"", "b.bmp"});
    MeshObject first("one.x", device);
    MeshObject second("two.x", device);
    recording.ClearCalls();

    first.Draw();
    EXPECT_EQ(CallNames(), (std::vector<std::string>{
                               "SetMaterial", "SetTexture", "SetTransform", "DrawMeshBuffers",
                               "SetMaterial", "SetTransform", "DrawMeshBuffers", "SetMaterial",
                               "SetTexture", "SetTransform", "DrawMeshBuffers"}));
    EXPECT_EQ(lastTextureSlot, -1);

    // The untextured first material of the next object finds nothing bound:
    // no call. Its second binds b.
    recording.ClearCalls();
    second.Draw();
    EXPECT_EQ(recording.CountOf("SetTexture"), 1u);
    EXPECT_EQ(lastTextureSlot, 1);

    // Next frame: the state carries over, so b is unbound for the untextured
    // subset and bound again for the other.
    recording.ClearCalls();
    second.Draw();
    EXPECT_EQ(recording.CountOf("SetTexture"), 2u);
    recording.ClearCalls();
    first.Draw();
    EXPECT_EQ(recording.CountOf("SetTexture"), 2u);
    const RecordedCall* world = recording.LastCall("SetTransform");
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->arguments.at(0), D3DTS_WORLD);
}

TEST_F(MeshObjects, RemovedObjectDrawsNothingAndKeepsItsWorld) {
    media.WriteMesh("thing.x", {""});
    MeshObject object("thing.x", device);
    object.position = {5.0f, 6.0f, 7.0f};
    object.Draw();
    object.state = -1;
    object.position = {1.0f, 1.0f, 1.0f};
    recording.ClearCalls();
    object.Draw();
    EXPECT_TRUE(recording.calls.empty());
    EXPECT_FLOAT_EQ(object.world._41, 5.0f);
}

TEST_F(MeshObjects, WorldTurnsAboutTheOriginThenMovesThenFollowsTheParent) {
    MeshObject robot;
    robot.rotation = {0.0f, 1.5707964f, 0.0f};  // a quarter turn: +z becomes +x
    robot.position = {10.0f, 2.0f, 20.0f};
    robot.UpdateWorld();
    EXPECT_NEAR(robot.world._31, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(robot.world._41, 10.0f);
    EXPECT_FLOAT_EQ(robot.world._43, 20.0f);

    MeshObject flag;
    flag.position = {0.0f, 1.0f, 1.5f};
    flag.parentMatrix = &robot.world;
    flag.Draw();  // nothing loaded: only the world is built
    // (0, 1, 1.5) in the robot's frame: turned to (1.5, 1, 0), then moved.
    EXPECT_NEAR(flag.world._41, 11.5f, 1e-5f);
    EXPECT_NEAR(flag.world._42, 3.0f, 1e-5f);
    EXPECT_NEAR(flag.world._43, 20.0f, 1e-5f);
}

TEST_F(MeshObjects, LoadMeshesMakesTheFortyObjectsInTextureOrder) {
    const char* names[] = {"track.x",  "cockpit.x", "zorvek.x", "tree1.x",  "tree2.x", "tree3.x",
                           "tree1b.x", "tree2b.x",  "tree3b.x", "advert.x", "flag.x"};
    for (const char* name : names) {
        media.WriteTexture(std::string(name) + ".bmp");
        media.WriteMesh(name, {std::string(name) + ".bmp"});
    }
    std::strcpy(messageText, "GAME OVER");
    EXPECT_EQ(LoadMeshes(), S_OK);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_STREQ(messageText, "Welcome to Kestrune! Use mouse to drive.");
    // Slots follow the loading order.
    EXPECT_EQ(textureCount, 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_STREQ(textureCache[i].name, (std::string(names[i]) + ".bmp").c_str());
    EXPECT_EQ(treeObjects[5]->textureSlots[0], 3);
    EXPECT_EQ(treeObjects[6]->textureSlots[0], 4);
    EXPECT_EQ(treeObjects[30]->textureSlots[0], 8);
    EXPECT_EQ(flagObjects[0]->parentMatrix, &robotObjects[0]->world);
    EXPECT_EQ(flagObjects[1]->parentMatrix, &robotObjects[2]->world);
    EXPECT_NE(robotObjects[0]->mesh, robotObjects[1]->mesh);  // each loads its own copy
}

TEST_F(MeshObjects, MissingRobotMeshIsReportedForEachRobotAndLoadingGoesOn) {
    EXPECT_EQ(LoadMeshes(), S_OK);
    // Nothing exists: one box per object, 40 in all.
    EXPECT_EQ(RecordedMessageBoxes().size(), 40u);
    media.WriteMesh("track.x", {""});
    ReleaseMeshes();
    RecordedMessageBoxes().clear();
    LoadMeshes();
    EXPECT_EQ(RecordedMessageBoxes().size(), 39u);
}

TEST_F(MeshObjects, ReleaseFreesObjectsAndTexturesButKeepsTheNames) {
    media.WriteTexture("a.bmp");
    media.WriteMesh("track.x", {"a.bmp"});
    LoadMeshes();
    ASSERT_EQ(recording.LiveTextures(), 1u);
    ASSERT_GT(recording.LiveMeshBuffers() + 1, 0u);
    ReleaseMeshes();
    EXPECT_EQ(trackObject, nullptr);
    EXPECT_EQ(treeObjects[30], nullptr);
    EXPECT_EQ(flagObjects[1], nullptr);
    EXPECT_EQ(recording.LiveTextures(), 0u);
    EXPECT_EQ(recording.LiveMeshBuffers(), 0u);
    EXPECT_EQ(textureCache[0].texture, nullptr);
    EXPECT_STREQ(textureCache[0].name, "a.bmp");
    ReleaseMeshes();  // a second release does nothing
}
