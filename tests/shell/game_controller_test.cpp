// A game controller played through the whole program: SDL's virtual joystick
// plugged in, the main loop's controller read, the window procedure and the
// real race on the headless renderer.
#include "shell/game_controller.h"

#include <memory>

#include "platform/xinput.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "shell/startup.h"
#include "tests/shell/headless_game.h"
#include "tests/support/media_folder.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/virtual_controller.h"

namespace {

class ControllerPlay : public HeadlessGame {
  protected:
    void SetUp() override {
        HeadlessGame::SetUp();
        media.CopyFilesFrom(GeneratedMediaDirectory());
        ASSERT_TRUE(StartProgram());
        pad = std::make_unique<VirtualController>();
        ASSERT_TRUE(pad->Plugged());
        // The pad is noticed at the next look for new controllers, which
        // comes at most that long after the last one.
        LoopOnce();
        LetTimePass(controllerArrivalCheckMilliseconds);
        LoopOnce();
        ASSERT_NE(GameControllerWaitMilliseconds(), controllerArrivalCheckMilliseconds);
    }
    void TearDown() override {
        SetProgramActive(true);
        pad.reset();
        LoopOnce();
        HeadlessGame::TearDown();
    }

    // Down for one turn of the loop, then up for one.
    void Tap(SDL_GameControllerButton button) {
        pad->SetButton(button, true);
        LoopOnce();
        pad->SetButton(button, false);
        LoopOnce();
    }

    // From the splash to a race whose clock runs.
    void StartRacing() {
        Tap(SDL_CONTROLLER_BUTTON_A);
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(phase, Waiting);
        Tap(SDL_CONTROLLER_BUTTON_A);
        ASSERT_EQ(phase, Racing);
    }

    MediaFolder media;
    std::unique_ptr<VirtualController> pad;
};

TEST_F(ControllerPlay, AStickAtRestStandsStillAndAtItsEndSteersAsTheCursorAtTheEdge) {
    MoveMouse(100, 100);  // on the splash: pixels, no steering
    StartRacing();
    const D3DVECTOR start = carObject->position;
    const float heading = carObject->rotation.y;
    for (int i = 0; i < 30; ++i) LoopOnce();
    EXPECT_EQ(mouseX, 0.0f);
    EXPECT_EQ(mouseY, 0.0f);
    EXPECT_EQ(carObject->position.x, start.x);
    EXPECT_EQ(carObject->position.z, start.z);
    EXPECT_EQ(carObject->rotation.y, heading);

    // The cursor at the right edge of the picture, then at its top.
    MoveMouse(static_cast<int>(viewWidth), static_cast<int>(viewHeight) / 2);
    LoopOnce();
    const float rightEdge = mouseX;
    MoveMouse(static_cast<int>(viewWidth) / 2, 0);
    LoopOnce();
    const float topEdge = mouseY;

    pad->SetStick(32767, 0);
    LoopOnce();
    EXPECT_EQ(mouseX, rightEdge);
    EXPECT_EQ(mouseY, 0.0f);
    pad->SetStick(0, -32768);
    LoopOnce();
    EXPECT_EQ(mouseX, 0.0f);
    EXPECT_EQ(mouseY, topEdge);
    for (int i = 0; i < 10; ++i) LoopOnce();
    EXPECT_NE(carObject->position.z, start.z);

    // The mouse takes over as soon as it moves, the stick when it moves again.
    MoveMouse(static_cast<int>(viewWidth) / 4, static_cast<int>(viewHeight) / 2);
    LoopOnce();
    LoopOnce();
    EXPECT_EQ(mouseX, -0.5f);
    EXPECT_EQ(mouseY, 0.0f);
    pad->SetStick(-32768, 32767);
    LoopOnce();
    EXPECT_EQ(mouseX, -rightEdge);
    EXPECT_EQ(mouseY, -topEdge);

    // A small push is still rest; the triggers drive forward and backward.
    pad->SetStick(3000, -3000);
    pad->SetTrigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    LoopOnce();
    EXPECT_EQ(mouseX, 0.0f);
    EXPECT_EQ(mouseY, topEdge);
    pad->SetTrigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    pad->SetTrigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    LoopOnce();
    EXPECT_EQ(mouseY, -topEdge);
}

TEST_F(ControllerPlay, ButtonsStartAndLeaveARaceOncePerPress) {
    // A held down from the splash starts the game once: the race it sets up
    // still waits.
    pad->SetButton(SDL_CONTROLLER_BUTTON_A, true);
    LoopOnce();
    ASSERT_NE(device, nullptr);
    for (int i = 0; i < 5; ++i) LoopOnce();
    EXPECT_EQ(phase, Waiting);
    pad->SetButton(SDL_CONTROLLER_BUTTON_A, false);
    LoopOnce();
    Tap(SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(phase, Racing);

    // In a race Start pauses it and goes on.
    Tap(SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(racePaused);
    EXPECT_EQ(phase, Waiting);
    Tap(SDL_CONTROLLER_BUTTON_START);
    EXPECT_FALSE(racePaused);
    ASSERT_EQ(phase, Racing);

    // B is Escape.
    pad->SetButton(SDL_CONTROLLER_BUTTON_B, true);
    LoopOnce();
    LoopOnce();
    EXPECT_EQ(device, nullptr);
    pad->SetButton(SDL_CONTROLLER_BUTTON_B, false);
    LoopOnce();
    EXPECT_EQ(keyDown[VK_ESCAPE], 0);

    // Start is File > Start; Back is Escape too, and Start still held does
    // not start the game again.
    pad->SetButton(SDL_CONTROLLER_BUTTON_START, true);
    LoopOnce();
    ASSERT_NE(device, nullptr);
    LoopOnce();
    Tap(SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(phase, Racing);
    pad->SetButton(SDL_CONTROLLER_BUTTON_BACK, true);
    LoopOnce();
    LoopOnce();
    EXPECT_EQ(device, nullptr);
    pad->SetButton(SDL_CONTROLLER_BUTTON_BACK, false);
    for (int i = 0; i < 5; ++i) LoopOnce();
    EXPECT_EQ(device, nullptr);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(ControllerPlay, UnpluggingMidRaceChangesNothingElse) {
    StartRacing();
    pad->SetStick(0, -32768);
    for (int i = 0; i < 10; ++i) LoopOnce();
    const float timeBefore = raceTime;
    const int lapsBefore = lapCount;
    const int damageBefore = damageLevel;

    pad->Unplug();
    LoopOnce();
    // Gone, the stick reads as let go: the car stands, the race goes on.
    const D3DVECTOR stopped = carObject->position;
    for (int i = 0; i < 10; ++i) LoopOnce();
    EXPECT_NE(device, nullptr);
    EXPECT_EQ(phase, Racing);
    EXPECT_GT(raceTime, timeBefore);
    EXPECT_EQ(lapCount, lapsBefore);
    EXPECT_EQ(damageLevel, damageBefore);
    EXPECT_EQ(carObject->position.x, stopped.x);
    EXPECT_EQ(carObject->position.z, stopped.z);
    EXPECT_TRUE(RecordedMessageBoxes().empty());

    MoveMouse(static_cast<int>(viewWidth) / 2, 0);
    LoopOnce();
    EXPECT_EQ(mouseY, 1.0f);
}

TEST_F(ControllerPlay, UnpluggedWhilePausedTheRaceWaitsForTheOtherHands) {
    StartRacing();
    pad->SetStick(0, -32768);
    LoopOnce();
    Tap(SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(racePaused);
    const float timeBefore = raceTime;
    pad->Unplug();
    for (int i = 0; i < 10; ++i) LoopOnce();
    EXPECT_TRUE(racePaused);
    EXPECT_EQ(raceTime, timeBefore);
    PressKey(0x50);  // P: the keyboard goes on, with the stick let go
    LoopOnce();
    EXPECT_EQ(phase, Racing);
    EXPECT_EQ(mouseY, 0.0f);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(ControllerPlay, AHitRumblesBrieflyAndTheWreckLonger) {
    StartRacing();
    EXPECT_EQ(pad->highRumble, 0);
    damageLevel = 1;  // as the collision test counts a hit
    LoopOnce();
    EXPECT_GT(pad->lowRumble, 0);
    EXPECT_GT(pad->highRumble, 0);
    LetTimePass(250);
    LoopOnce();
    EXPECT_EQ(pad->highRumble, 0);
    damageLevel = 4;
    LoopOnce();
    const Uint16 wreck = pad->highRumble;
    LetTimePass(250);
    LoopOnce();
    EXPECT_EQ(pad->highRumble, wreck);
    EXPECT_GT(wreck, 0);
    LetTimePass(500);
    LoopOnce();
    EXPECT_EQ(pad->highRumble, 0);
}

TEST_F(ControllerPlay, IsReadOnlyWhileTheProgramHasTheFocus) {
    SetProgramActive(false);
    Tap(SDL_CONTROLLER_BUTTON_START);
    Tap(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(device, nullptr);

    SetProgramActive(true);
    StartRacing();
    SetProgramActive(false);
    pad->SetStick(32767, 0);
    Tap(SDL_CONTROLLER_BUTTON_B);
    EXPECT_NE(device, nullptr);
    EXPECT_EQ(mouseX, 0.0f);
}

}  // namespace
