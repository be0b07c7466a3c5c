#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "drive/car.h"
#include "drive/obstacles.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "race/race_links.h"
#include "render/mesh_object.h"
#include "tests/drive/synthetic_track.h"

// Whole races over the synthetic circuit: the real race set-up, waiting scene,
// car and collision test behind the frame step, a drawing that does nothing,
// the clock moved by the test, and the car steered only by where the test
// puts the cursor.
class HeadlessRace : public SyntheticTrack {
  protected:
    void SetUp() override {
        SyntheticTrack::SetUp();
        raceLinks.resetRace = ResetRace;
        raceLinks.updateWaitingScene = UpdateWaitingScene;
        raceLinks.driveCar = DriveCar;
        raceLinks.checkCollisions = CheckCollisions;
        // renderFrame stays the fixture's recorder, which draws nothing.
    }

    // The cursor in the 640 x 480 client area, as the window procedure turns
    // it into the steering and throttle inputs.
    static void MoveCursor(int x, int y) {
        mouseX = 2.0f * static_cast<float>(x) / viewWidth - 1.0f;
        mouseY = 1.0f - 2.0f * static_cast<float>(y) / viewHeight;
    }

    // The left button in the waiting phase: the race clock starts now.
    static void Click() { StartRaceClock(); }

    static void Frame() {
        fakeMilliseconds += 16;
        StepFrame();
    }

    // Sets up a race, waits a few frames and clicks.
    static void StartRace() {
        ASSERT_EQ(phase, NewRace);
        StepFrame();
        ASSERT_EQ(phase, Waiting);
        for (int i = 0; i < 10; ++i) Frame();
        Click();
    }

    // Racing frames until the race ends or `seconds` of race time pass.
    template <typename Steer>
    static void RaceUntilItEnds(float seconds, Steer steer) {
        while (phase == Racing && raceTime < seconds) {
            steer();
            Frame();
        }
    }

    static int Cues(const std::string& name) { return Count(name); }
};

TEST_F(HeadlessRace, FiveLapsRoundTheRingFinishTheRace) {
    StartRace();
    // Hard left at full throttle: 2 radians a second at 100 units a second, a
    // circle of radius 50 round the ring's centre, starting on the line.
    RaceUntilItEnds(60.0f, [] { MoveCursor(64, 0); });
    ASSERT_EQ(phase, Finished);
    EXPECT_EQ(lapCount, 5);
    EXPECT_LT(damageLevel, 4);
    // About five times round a circle of radius 50 at 100 units a second.
    EXPECT_NEAR(raceTime, 5 * 2 * std::numbers::pi * 50.0 / 100.0, 1.0);
    // Every zone was entered five times, each with its cue.
    for (int zone = 0; zone < 6; ++zone) {
        EXPECT_EQ(Cues("cue:zone" + std::to_string(zone)), 5) << "zone " << zone;
    }
    // The frame of the fifth lap still showed lap 4.
    EXPECT_EQ(std::string(scoreText).rfind("Lap:4 Time:", 0), 0u) << scoreText;

    const float finishTime = raceTime;
    Frame();
    EXPECT_STREQ(messageText, "You made it 5 laps!");
    EXPECT_EQ(score, 1);
    EXPECT_EQ(bestTime, finishTime);
    EXPECT_EQ(Cues("cue:music"), 1);
    EXPECT_EQ(phase, NewRace);
    // The engine was started once and goes on into the next race.
    EXPECT_EQ(engineBuffer.plays.size(), 1u);
    EXPECT_EQ(Cues("stopEngine"), 0);

    // The next race starts where the car finished in zone 0: no lap at once.
    Frame();
    EXPECT_EQ(phase, Waiting);
    EXPECT_EQ(lapCount, 0);
}

TEST_F(HeadlessRace, RockingOverTheLineCountsNoLap) {
    StartRace();
    // Forwards into zone 1 and backwards into zone 5, six times over.
    int rocks = 0;
    bool forwards = true;
    RaceUntilItEnds(30.0f, [&] {
        const float z = carObject->position.z;
        if (forwards && z > 42.0f) forwards = false;
        if (!forwards && z < -22.0f) {
            forwards = true;
            ++rocks;
        }
        MoveCursor(320, rocks == 6 ? 240 : forwards ? 120 : 360);
    });
    EXPECT_EQ(rocks, 6);
    EXPECT_GE(Cues("cue:zone0"), 6);
    EXPECT_EQ(lapCount, 0);
    EXPECT_EQ(phase, Racing);
}

TEST_F(HeadlessRace, DrivingIntoTheTreesWrecksTheCar) {
    StartRace();
    // Aim at the nearest trees one after another; each one hit is removed, so
    // the next present one becomes the target.
    const int targets[] = {26, 27, 28, 29, 25, 24};
    auto steer = [&] {
        const int* target = std::find_if(std::begin(targets), std::end(targets),
                                         [](int tree) { return treeObjects[tree]->state == 0; });
        if (target == std::end(targets)) return;
        const D3DVECTOR& car = carObject->position;
        const double bearing =
            std::atan2(treeSpots[*target][0] - car.x, treeSpots[*target][2] - car.z);
        double error = std::remainder(bearing - carObject->rotation.y, 2.0 * std::numbers::pi);
        const double turn = std::clamp(error * 2.0, -1.0, 1.0);
        // Slow down while facing away, so the car turns tight enough.
        const double throttle = std::max(0.15, std::cos(error));
        MoveCursor(static_cast<int>(std::lround((turn + 1.0) * 320.0)),
                   static_cast<int>(std::lround((1.0 - throttle) * 240.0)));
    };
    RaceUntilItEnds(120.0f, steer);
    ASSERT_EQ(phase, Wrecked);
    EXPECT_GE(damageLevel, 4);
    EXPECT_STREQ(messageText, "You're running on your rims.");
    const int drawnBefore = Count("renderFrame");

    Frame();
    EXPECT_STREQ(messageText, "GAME OVER");
    EXPECT_EQ(score, 0);
    EXPECT_EQ(std::string(scoreText).rfind("SCORE: 0 BEST TIME: ", 0), 0u) << scoreText;
    EXPECT_EQ(Count("renderFrame"), drawnBefore + 1);  // the wreck is drawn once
    EXPECT_EQ(Cues("stopEngine"), 1);
    EXPECT_EQ(phase, NewRace);

    // Everything hit is back for the next race, and the car faces up the
    // start straight again however it was wrecked; the result stands until
    // the click.
    Frame();
    EXPECT_EQ(phase, Waiting);
    EXPECT_EQ(damageLevel, 0);
    for (MeshObject* tree : treeObjects) EXPECT_EQ(tree->state, 0);
    for (MeshObject* robot : robotObjects) EXPECT_EQ(robot->state, 0);
    EXPECT_EQ(carObject->position.x, 200.0f);
    EXPECT_EQ(carObject->rotation.y, 0.0f);
    EXPECT_STREQ(messageText, "GAME OVER");
    Click();
    EXPECT_STREQ(messageText, "Welcome to Kestrune! Use mouse to drive.");
}
