#include "drive/car.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "core/options.h"
#include "core/random.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "tests/drive/synthetic_track.h"
#include "tests/support/recording_device.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wave_builder.h"
#include "tools/encoders/encoded_file.h"

class Car : public SyntheticTrack {
  protected:
    void SetUp() override {
        SyntheticTrack::SetUp();
        phase = Racing;
        for (MeshObject* robot : robotObjects) robot->position = {-200.0f, 100.0f, -200.0f};
    }
    void TearDown() override {
        device = nullptr;
        SyntheticTrack::TearDown();
    }

    static void PutCar(float x, float z, float yaw) {
        carObject->position = {x, SlopeHeight(x) + 2.0f, z};
        carObject->rotation = {0.0f, yaw, 0.0f};
    }

    // One racing frame of `seconds` with the cursor at (steer, throttle).
    static void Drive(float steer, float throttle, float seconds) {
        mouseX = steer;
        mouseY = throttle;
        frameTime = seconds;
        DriveCar();
    }

    DWORD LastPitch() const { return engineBuffer.frequencies.back(); }

    // Its heading angle, yaw + 1.57, is exactly 0: the step is then exactly
    // (-L, 0), which keeps a test's arithmetic exact.
    static constexpr float towardsMinusX = -1.57f;
};

TEST_F(Car, ResetPutsTheCarAtTheStartOnTheBareGroundAndZeroesTheRace) {
    carObject->rotation.y = 4.0f;  // where the last race left the heading
    lastZone = 3;
    lapCount = 3;
    damageLevel = 2;
    raceTime = 55.5f;
    std::strcpy(messageText, "GAME OVER");
    fakeMilliseconds = 123456;

    ResetRace();

    EXPECT_EQ(carObject->position.x, 200.0f);
    EXPECT_EQ(carObject->position.z, 10.0f);
    EXPECT_NEAR(carObject->position.y, SlopeHeight(200.0f), 1e-4);  // no ride height yet
    EXPECT_EQ(carObject->rotation.y, 0.0f);                         // the start heading, every race
    EXPECT_EQ(lapCount, 0);
    EXPECT_EQ(damageLevel, 0);
    EXPECT_EQ(raceTime, 0.0f);
    EXPECT_EQ(lastTickTime, 123.456f);
    EXPECT_EQ(lastZone, 3);  // the frame step's set-up puts it back to zone 0
    EXPECT_EQ(phase, Racing);
    EXPECT_STREQ(messageText, "GAME OVER");
    EXPECT_EQ(robotObjects[2]->position.x, 150.0f);  // the obstacles are placed
    const int next = RandomInt();
    SeedRandom(123456);  // seeded with the millisecond count
    EXPECT_EQ(next, RandomInt());

    // Waiting lifts the car onto its ride height and touches nothing else.
    UpdateWaitingScene();
    EXPECT_NEAR(carObject->position.y, SlopeHeight(200.0f) + 2.0f, 1e-4);
    EXPECT_EQ(carObject->position.x, 200.0f);
    EXPECT_EQ(carObject->position.z, 10.0f);
    EXPECT_NEAR(robotObjects[2]->position.y, SlopeHeight(150.0f) + 1.5f, 1e-4);
    EXPECT_EQ(engineBuffer.frequencies.size(), 1u);  // only the start
}

TEST_F(Car, ResetStartsASilentEngineLoopingAt8000Hz) {
    sound.initialised = false;
    ResetRace();
    EXPECT_TRUE(engineBuffer.plays.empty());

    sound.initialised = true;
    ResetRace();
    ASSERT_EQ(engineBuffer.plays.size(), 1u);
    EXPECT_EQ(engineBuffer.plays[0].flags, static_cast<DWORD>(DSBPLAY_LOOPING));
    EXPECT_EQ(engineBuffer.frequencies, std::vector<DWORD>{8000});
    EXPECT_TRUE(engineBuffer.volumes.empty());  // the clip has no volume control

    // After a finished race the engine still runs and is left alone.
    ResetRace();
    EXPECT_EQ(engineBuffer.plays.size(), 1u);
}

TEST_F(Car, ResetRefillsALostEngineBufferAndStaysSilentIfItCannot) {
    engineBuffer.status = DSBSTATUS_BUFFERLOST;
    ResetRace();  // no wave file to refill from
    EXPECT_TRUE(engineBuffer.plays.empty());

    TemporaryDirectory folder;
    WriteBytesToFile(folder.File("eng1.wav"), PcmWave(1, 8000, 8, Bytes(64, 0x90)));
    engineClip.wavFile = std::make_unique<WavFile>();
    engineClip.wavFile->Open(folder.File("eng1.wav").c_str());
    engineClip.bufferSize = 64;
    engineBuffer.memory.assign(64, 0);
    engineBuffer.status = DSBSTATUS_BUFFERLOST;
    ResetRace();
    EXPECT_EQ(engineBuffer.memory, std::vector<BYTE>(64, 0x90));
    EXPECT_EQ(engineBuffer.plays.size(), 1u);
}

TEST_F(Car, TheCursorSetsTurnRateAndSpeedWithNoCarryOver) {
    PutCar(200.0f, 10.0f, 0.0f);  // on the ring, heading +z
    Drive(0.0f, 0.0f, 0.02f);     // centre: nothing moves
    EXPECT_EQ(carObject->position.x, 200.0f);
    EXPECT_EQ(carObject->position.z, 10.0f);
    EXPECT_EQ(carObject->rotation.y, 0.0f);
    EXPECT_EQ(LastPitch(), 8000u);

    Drive(0.0f, 1.0f, 0.05f);  // top edge: 100 units a second
    EXPECT_NEAR(carObject->position.z, 15.0f, 1e-4);
    // 1.57 falls a little short of pi/2: the car leans towards -x by a little
    // under a thousandth of its step.
    const float lean = (200.0f - carObject->position.x) / 5.0f;
    EXPECT_GT(lean, 0.00079f);
    EXPECT_LT(lean, 0.001f);
    EXPECT_NEAR(carObject->position.y, SlopeHeight(carObject->position.x) + 2.0f, 1e-4);
    Drive(0.0f, -1.0f, 0.05f);  // bottom edge: back the same way
    EXPECT_NEAR(carObject->position.z, 10.0f, 1e-4);

    // Side edges turn on the spot at 2.5 radians a second, never wrapped.
    PutCar(200.0f, 10.0f, 7.0f);
    Drive(1.0f, 0.0f, 0.1f);
    EXPECT_FLOAT_EQ(carObject->rotation.y, 7.25f);
    Drive(-1.0f, 0.0f, 0.2f);
    EXPECT_FLOAT_EQ(carObject->rotation.y, 6.75f);
    EXPECT_EQ(carObject->position.z, 10.0f);

    PutCar(0.0f, 0.0f, towardsMinusX);  // grass: 12.5 units a second
    Drive(0.0f, 1.0f, 0.5f);
    EXPECT_EQ(carObject->position.x, -6.25f);
}

TEST_F(Car, TheWorldsEdgeHoldsTheCarAsAWallDoes) {
    LoadMap(PaintedMap(480, 480, zoneCodes[2]));  // road everywhere: whole steps
    // Straight at the edge: the car stops on it, heading unchanged.
    const float towardsPlusX = 1.5716f;
    PutCar(230.0f, 0.0f, towardsPlusX);
    Drive(0.0f, 1.0f, 0.1f);
    EXPECT_EQ(carObject->position.x, 234.0f);
    Drive(0.0f, 1.0f, 0.1f);
    EXPECT_EQ(carObject->position.x, 234.0f);
    EXPECT_EQ(carObject->rotation.y, towardsPlusX);
    // Backing away is free, and so is turning round and driving back.
    Drive(0.0f, -1.0f, 0.05f);
    EXPECT_LT(carObject->position.x, 234.0f);
    // Along the edge the car slides: only the step across it is held.
    PutCar(-10.0f, -233.0f, 2.83f);  // heading mostly -z, a third as much +x
    Drive(0.0f, 1.0f, 0.1f);
    EXPECT_EQ(carObject->position.z, -234.0f);
    EXPECT_GT(carObject->position.x, -7.5f);
    EXPECT_NEAR(carObject->position.y, SlopeHeight(carObject->position.x) + 2.0f, 1e-4);
}

TEST_F(Car, TheRoadIsJudgedWhereTheFullStepWouldEnd) {
    // Towards the ring's inner edge at x = 190: the full step of 6.25 would end
    // in the infield, so only an eighth is taken, though it would stay on road.
    PutCar(194.0f, 10.0f, towardsMinusX);
    Drive(0.0f, 1.0f, 0.0625f);
    EXPECT_EQ(carObject->position.x, 194.0f - 0.78125f);
    // Backing out of the infield, the full step ends on the road and is all
    // taken, though an eighth would have stayed on the grass.
    PutCar(187.0f, 10.0f, towardsMinusX);
    Drive(0.0f, -1.0f, 0.0625f);
    EXPECT_EQ(carObject->position.x, 193.25f);
}

TEST_F(Car, EnginePitchRisesWithTheSquaredStepPerSecondAndIsCapped) {
    LoadMap(PaintedMap(480, 480, zoneCodes[2]));  // road everywhere
    struct Case {
        float throttle;
        float seconds;
        DWORD pitch;
    };
    const Case cases[] = {
        {0.0625f, 0.5f, 8078},                        // a rise of 78.125 is cut, not rounded
        {-0.0625f, 0.5f, 8078},                       // backwards alike
        {1.0f, 0.5f, 28000},    {0.5f, 1.0f, 18000},  // the same speed, a longer frame: higher
        {1.0f, 1.0f, 48000},                          // exactly the cap
        {-1.0f, 2.0f, 48000},
    };
    for (const Case& c : cases) {
        PutCar(0.0f, 0.0f, towardsMinusX);
        Drive(0.0f, c.throttle, c.seconds);
        EXPECT_EQ(LastPitch(), c.pitch) << c.throttle << " for " << c.seconds << " s";
    }
    // Off the road the shortened step counts; the device state is not asked.
    LoadMap(PaintedMap(480, 480, grassCode));
    sound.initialised = false;
    PutCar(0.0f, 0.0f, towardsMinusX);
    Drive(0.0f, 0.25f, 0.5f);
    EXPECT_EQ(LastPitch(), 8019u);
    engineSound = nullptr;  // a missing clip is skipped
    Drive(0.0f, 1.0f, 0.1f);
}

TEST_F(Car, TheCameraSitsBehindAndAboveTheCar) {
    LoadMap(PaintedMap(480, 480, zoneCodes[1]));
    PutCar(10.0f, 20.0f, 0.7f);
    const D3DVECTOR before = carObject->position;
    Drive(0.0f, 1.0f, 0.1f);
    const D3DVECTOR& car = carObject->position;
    EXPECT_FLOAT_EQ(cameraTarget.x, car.x);
    EXPECT_FLOAT_EQ(cameraTarget.y, car.y + 0.25f);
    EXPECT_FLOAT_EQ(cameraTarget.z, car.z);
    EXPECT_FLOAT_EQ(cameraEye.y, car.y + 1.0f);
    // 3.75 back along the line the car came.
    const float length = std::hypot(car.x - before.x, car.z - before.z);
    EXPECT_NEAR(cameraEye.x, car.x - 3.75f * (car.x - before.x) / length, 1e-4);
    EXPECT_NEAR(cameraEye.z, car.z - 3.75f * (car.z - before.z) / length, 1e-4);
}

TEST_F(Car, TheHeadlightRidesAtTheCameraOnlyWhenLightsAreOn) {
    RecordingDevice recording;
    device = &recording;
    sceneLight = D3DLIGHT9{};
    sceneLight.Type = D3DLIGHT_DIRECTIONAL;
    sceneLight.Direction = {0.0f, -1.0f, 0.5f};
    const D3DLIGHT9 setUpLight = sceneLight;
    PutCar(200.0f, 10.0f, 0.0f);

    GameOptions.lightsOn = 0;
    Drive(0.5f, 1.0f, 0.05f);
    EXPECT_EQ(std::memcmp(&sceneLight, &setUpLight, sizeof sceneLight), 0);
    EXPECT_EQ(recording.CountOf("SetLight"), 0u);

    GameOptions.lightsOn = 1;
    Drive(0.2f, 1.0f, 0.05f);
    EXPECT_EQ(sceneLight.Type, D3DLIGHT_POINT);
    EXPECT_EQ(sceneLight.Position.x, cameraEye.x);
    EXPECT_EQ(sceneLight.Position.y, cameraEye.y);
    EXPECT_EQ(sceneLight.Position.z, cameraEye.z);
    EXPECT_EQ(sceneLight.Range, 75.0f);
    EXPECT_EQ(sceneLight.Direction.z, 0.5f);  // the rest as the device set it
    ASSERT_EQ(recording.CountOf("SetLight"), 1u);
    EXPECT_EQ(recording.LastCall("SetLight")->arguments[0], 0);

    device = nullptr;  // no device: the record still follows the camera
    Drive(0.0f, 1.0f, 0.05f);
    EXPECT_EQ(sceneLight.Position.z, cameraEye.z);
}

TEST_F(Car, TheCKeyMarksOnlyANonzeroStateRemoved) {
    ToggleCarState();
    EXPECT_EQ(carObject->state, 0);
    carObject->state = 5;
    ToggleCarState();
    EXPECT_EQ(carObject->state, -1);
    delete carObject;
    carObject = nullptr;
    ToggleCarState();  // no car: nothing to do
}
