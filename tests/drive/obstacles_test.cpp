#include "drive/obstacles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/random.h"
#include "race/game_state.h"
#include "tests/drive/synthetic_track.h"

namespace {

// The next `count` numbers after SeedRandom(seed); leaves the generator
// seeded with `seed` again.
std::vector<int> DrawsAfter(uint32_t seed, int count) {
    SeedRandom(seed);
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) draws.push_back(RandomInt());
    SeedRandom(seed);
    return draws;
}

// A seed whose first draw makes a near robot call out (above 0.9), or not.
uint32_t SeedWhoseFirstDrawCalls(bool calls) {
    uint32_t seed = 1;
    while ((DrawsAfter(seed, 1)[0] / 32767.0 > 0.9) != calls) ++seed;
    return seed;
}

}  // namespace

class Obstacles : public SyntheticTrack {
  protected:
    void SetUp() override {
        SyntheticTrack::SetUp();
        phase = Racing;
        // Robots out of calling range unless a test brings one near.
        for (int i = 0; i < robotCount; ++i) robotObjects[i]->position = {-200.0f, 0.0f, -200.0f};
    }

    static void PutCar(float x, float z) { carObject->position = {x, SlopeHeight(x) + 2.0f, z}; }
    static void PutCarAtTree(int tree) {
        PutCar(static_cast<float>(treeSpots[tree][0]), static_cast<float>(treeSpots[tree][2]));
    }
    static int Plays(const FakeSoundBuffer& buffer) {
        return static_cast<int>(buffer.plays.size());
    }
};

TEST_F(Obstacles, PlaceObstaclesPutsAllBackPresentAndKeepsRobotMotion) {
    for (MeshObject* robot : robotObjects) {
        robot->state = -1;
        robot->velocity = {0.3f, 0.0f, -0.4f};
        robot->rotation.y = 1.2f;
    }
    for (MeshObject* tree : treeObjects) tree->state = -1;
    for (MeshObject* flag : flagObjects) flag->state = -1;

    PlaceObstacles();

    const float startX[robotCount] = {0.0f, 0.0f, 150.0f, -150.0f};
    const float startZ[robotCount] = {-225.0f, 225.0f, 0.0f, 0.0f};
    for (int i = 0; i < robotCount; ++i) {
        const MeshObject& robot = *robotObjects[i];
        EXPECT_EQ(robot.state, 0);
        EXPECT_EQ(robot.position.x, startX[i]);
        EXPECT_EQ(robot.position.y, 0.0f);
        EXPECT_EQ(robot.position.z, startZ[i]);
        EXPECT_EQ(robot.velocity.z, -0.4f);
        EXPECT_EQ(robot.rotation.y, 1.2f);
    }
    for (int i = 0; i < treeCount; ++i) {
        EXPECT_EQ(treeObjects[i]->state, 0);
        EXPECT_EQ(treeObjects[i]->position.z, static_cast<float>(treeSpots[i][2]));
        EXPECT_NEAR(treeObjects[i]->position.y, SlopeHeight(treeObjects[i]->position.x), 1e-4);
    }
    for (MeshObject* flag : flagObjects) {
        EXPECT_EQ(flag->state, 0);
        EXPECT_EQ(flag->position.x, 1.5f);
        EXPECT_EQ(flag->rotation.z, -1.1f);
    }
    EXPECT_EQ(advertObject->position.z, 160.0f);
    EXPECT_EQ(advertObject->rotation.y, 5.14f);
}

TEST_F(Obstacles, WaitingRobotsStandStillBeforeTheFirstRaceAndFidgetLater) {
    frameTime = 0.0f;  // no racing frame since the program started
    TurnRobots();
    for (MeshObject* robot : robotObjects) {
        EXPECT_EQ(robot->rotation.y, 0.0f);
        EXPECT_NEAR(robot->position.y, SlopeHeight(robot->position.x) + 1.5f, 1e-4);
    }
    frameTime = 0.05f;  // the last racing frame of an earlier race
    const std::vector<int> draws = DrawsAfter(9, 5);
    TurnRobots();
    for (int i = 0; i < robotCount; ++i) {
        EXPECT_FLOAT_EQ(robotObjects[i]->rotation.y,
                        static_cast<float>((draws[i] / 32767.0 - 0.5) * 0.05f * 5.0));
    }
    EXPECT_EQ(RandomInt(), draws[4]);  // one draw per robot
}

TEST_F(Obstacles, EveryRobotRemovedOrNotDrawsYawThenXPullThenZPull) {
    frameTime = 0.1f;
    PutCar(10.0f, 20.0f);
    for (MeshObject* robot : robotObjects) robot->position = {9.0f, 100.0f, 18.5f};  // no brake
    robotObjects[1]->state = -1;
    const std::vector<int> draws = DrawsAfter(77, 13);
    MoveRobots();
    for (int i = 0; i < robotCount; ++i) {
        const MeshObject& robot = *robotObjects[i];
        EXPECT_FLOAT_EQ(robot.rotation.y,
                        static_cast<float>((draws[3 * i] / 32767.0 - 0.5) * 0.1f * 5.0));
        // Pulled by the distance to the car, 1 in x and 1.5 in z, under the limit.
        EXPECT_FLOAT_EQ(robot.velocity.x, static_cast<float>(draws[3 * i + 1] / 32767.0 * 0.5));
        EXPECT_FLOAT_EQ(robot.velocity.z, static_cast<float>(draws[3 * i + 2] / 32767.0 * 0.75));
        EXPECT_FLOAT_EQ(robot.position.x, 9.0f + robot.velocity.x);
        EXPECT_NEAR(robot.position.y, SlopeHeight(robot.position.x) + 1.5f, 1e-4);
    }
    EXPECT_EQ(RandomInt(), draws[12]);
}

TEST_F(Obstacles, RobotSpeedIsLimitedOnEachAxisByItself) {
    frameTime = 0.1f;
    PutCar(200.0f, -200.0f);
    robotObjects[0]->position = {0.0f, 100.0f, 0.0f};  // pulled hard both ways
    // Robot 3 stands at the car with last race's speed: the limit applies in
    // the first frame.
    robotObjects[3]->position = {200.0f, 100.0f, -200.0f};
    robotObjects[3]->velocity = {-50.0f, 0.0f, 50.0f};
    SeedRandom(3);
    ASSERT_GE(DrawsAfter(3, 3)[1], 328);  // a pull of at least a unit a frame
    ASSERT_GE(DrawsAfter(3, 3)[2], 328);
    MoveRobots();
    // 10 units a second per axis: the diagonal is the fast course.
    EXPECT_FLOAT_EQ(robotObjects[0]->velocity.x, 1.0f);
    EXPECT_FLOAT_EQ(robotObjects[0]->velocity.z, -1.0f);
    EXPECT_FLOAT_EQ(robotObjects[0]->position.x, 1.0f);
    EXPECT_FLOAT_EQ(robotObjects[3]->velocity.x, -1.0f);
    EXPECT_FLOAT_EQ(robotObjects[3]->velocity.z, 1.0f);
}

TEST_F(Obstacles, RisingGroundAheadBrakesToAQuarterAgainstLastFramesHeight) {
    frameTime = 0.1f;
    MeshObject& robot = *robotObjects[0];
    // With the car on the robot there is no pull; it coasts up the slope (+x).
    robot.position = {0.0f, SlopeHeight(0.0f) + 1.5f, 0.0f};
    robot.velocity = {0.8f, 0.0f, 0.0f};
    for (float expected : {0.2f, 0.05f}) {
        PutCar(robot.position.x, 0.0f);
        MoveRobots();
        EXPECT_FLOAT_EQ(robot.velocity.x, expected);
    }
    robot.velocity = {-0.8f, 0.0f, 0.0f};  // downhill: no brake, no damping
    PutCar(robot.position.x, 0.0f);
    MoveRobots();
    EXPECT_FLOAT_EQ(robot.velocity.x, -0.8f);
    // Standing higher last frame than the ground ahead: uphill, yet no brake.
    robot.position.y = 50.0f;
    robot.velocity = {0.8f, 0.0f, 0.0f};
    PutCar(robot.position.x, 0.0f);
    MoveRobots();
    EXPECT_FLOAT_EQ(robot.velocity.x, 0.8f);
}

TEST_F(Obstacles, ATreeIsHitOnceMeasuredFromItsDoubleSpot) {
    // 73.95 rounds down as a float: this car is exactly 3.0 from the float
    // spot, which would be no hit, and a hair nearer the double one.
    const float spotX = static_cast<float>(treeSpots[0][0]);
    ASSERT_LT(static_cast<double>(spotX), treeSpots[0][0]);
    PutCar(spotX + 3.0f, static_cast<float>(treeSpots[0][2]));
    treeObjects[0]->position = {-100.0f, 0.0f, -100.0f};  // plays no part
    CheckCollisions();
    EXPECT_EQ(damageLevel, 1);
    EXPECT_STREQ(messageText, "Avoid trees and drunken Zorveks.");
    EXPECT_EQ(treeObjects[0]->state, -1);
    EXPECT_EQ(Plays(crashBuffer), 1);
    EXPECT_EQ(phase, Racing);
    // A removed tree is driven through.
    crashBuffer.status = 0;
    CheckCollisions();
    EXPECT_EQ(damageLevel, 1);
    // Without a sound device the hit still counts, silently.
    sound.initialised = false;
    PutCarAtTree(4);
    CheckCollisions();
    EXPECT_EQ(damageLevel, 2);
    EXPECT_EQ(Plays(crashBuffer), 1);
}

TEST_F(Obstacles, OneTreeAFrameTheLowerIndexFirst) {
    // No two trees of the circuit are within reach of one car: two are stood
    // side by side for this test and put back after it.
    struct MovedTree {
        MovedTree(int index, double z) : tree(index) {
            std::memcpy(saved, treeSpots[tree], sizeof saved);
            treeSpots[tree][0] = 0.0;
            treeSpots[tree][2] = z;
        }
        ~MovedTree() { std::memcpy(treeSpots[tree], saved, sizeof saved); }
        int tree;
        double saved[3];
    };
    const MovedTree nine(9, -1.0);
    const MovedTree five(5, 1.0);
    PutCar(0.0f, 0.0f);
    CheckCollisions();
    EXPECT_EQ(treeObjects[5]->state, -1);
    EXPECT_EQ(treeObjects[9]->state, 0);
    CheckCollisions();
    EXPECT_EQ(treeObjects[9]->state, -1);
    EXPECT_EQ(damageLevel, 2);
    EXPECT_STREQ(messageText, "You've damaged the front end.");
}

TEST_F(Obstacles, ARobotHitTakesItsFlagAndEndsTheTest) {
    PutCar(100.0f, 50.0f);
    robotObjects[1]->position = {103.0f, 0.0f, 50.0f};  // exactly 3.0: no hit
    CheckCollisions();
    EXPECT_EQ(damageLevel, 0);

    const int flagOfRobot[robotCount] = {0, -1, 1, -1};
    for (int hit = 0; hit < robotCount; ++hit) {
        for (MeshObject* flag : flagObjects) flag->state = 0;
        robotObjects[hit]->position = {102.99f, 0.0f, 50.0f};
        // A second robot within reach and a third near enough to call are
        // never looked at: the first hit ends the test.
        robotObjects[(hit + 1) % robotCount]->position = {98.0f, 0.0f, 50.0f};
        robotObjects[(hit + 2) % robotCount]->position = {110.0f, 0.0f, 50.0f};
        const std::vector<int> draws = DrawsAfter(21, 1);
        CheckCollisions();
        EXPECT_EQ(robotObjects[hit]->state, -1);
        EXPECT_EQ(damageLevel, hit + 1);
        if (hit < robotCount - 1) {
            EXPECT_EQ(robotObjects[(hit + 1) % robotCount]->state, 0);
        }
        if (hit < robotCount - 2) {
            EXPECT_EQ(RandomInt(), draws[0]);
        }
        for (int flag = 0; flag < flagCount; ++flag) {
            EXPECT_EQ(flagObjects[flag]->state, flag == flagOfRobot[hit] ? -1 : 0)
                << "robot " << hit << ", flag " << flag;
        }
        for (MeshObject* robot : robotObjects) robot->position = {-200.0f, 0.0f, -200.0f};
    }
    // The fourth hit wrecked the car.
    EXPECT_STREQ(messageText, "You're running on your rims.");
    EXPECT_EQ(phase, Wrecked);
}

TEST_F(Obstacles, ATreeAndARobotInOneFrameDamageTwice) {
    damageLevel = 3;
    PutCarAtTree(26);
    robotObjects[2]->position = {carObject->position.x + 1.0f, 0.0f, carObject->position.z};
    CheckCollisions();
    EXPECT_EQ(damageLevel, 5);
    EXPECT_EQ(treeObjects[26]->state, -1);
    EXPECT_EQ(robotObjects[2]->state, -1);
    EXPECT_EQ(phase, Wrecked);
    EXPECT_EQ(Plays(crashBuffer), 1);  // still playing from the tree
}

TEST_F(Obstacles, OnlyAPresentRobotNearerThanTwentyDrawsAndMayCall) {
    PutCar(100.0f, 50.0f);
    robotObjects[0]->position = {120.0f, 0.0f, 50.0f};  // exactly 20.0
    robotObjects[1]->position = {101.0f, 0.0f, 50.0f};  // removed: neither hits nor calls
    robotObjects[1]->state = -1;
    const std::vector<int> draws = DrawsAfter(SeedWhoseFirstDrawCalls(true), 1);
    CheckCollisions();
    EXPECT_EQ(RandomInt(), draws[0]);
    EXPECT_EQ(damageLevel, 0);
    EXPECT_EQ(Plays(robotNearBuffer), 0);

    robotObjects[0]->position = {119.9f, 0.0f, 50.0f};
    SeedRandom(SeedWhoseFirstDrawCalls(true));
    CheckCollisions();
    EXPECT_EQ(Plays(robotNearBuffer), 1);
    robotNearBuffer.status = 0;
    SeedRandom(SeedWhoseFirstDrawCalls(false));
    CheckCollisions();
    EXPECT_EQ(Plays(robotNearBuffer), 1);
}
