#include "drive/obstacles.h"

#include <cmath>

#include "core/random.h"
#include "drive/track_map.h"
#include "race/game_state.h"
#include "sound/game_sounds.h"

namespace {

constexpr int32_t present = 0;
constexpr int32_t removed = -1;

// Touching means coming closer than this in the ground plane.
constexpr double hitDistance = 3.0;
// A robot nearer than this, but not touching, may call out.
constexpr double callDistance = 20.0;
// About one frame in ten in which a near robot calls.
constexpr double callChance = 0.9;

// A robot's origin sits this far above the ground under it.
constexpr float robotRideHeight = 1.5f;
// Scales a draw less one half: the wobble turns at most 2.5 radians a second
// either way.
constexpr double wobbleRate = 5.0;
// Per second and per unit of distance to the car, at a full draw: the farther
// the car, the harder the pull.
constexpr double pullRate = 5.0;
// World units per second, applied to each axis on its own.
constexpr float robotSpeedLimit = 10.0f;
constexpr float uphillBrake = 0.25f;

constexpr D3DVECTOR robotStarts[robotCount] = {
    {0.0f, 0.0f, -225.0f},
    {0.0f, 0.0f, 225.0f},
    {150.0f, 0.0f, 0.0f},
    {-150.0f, 0.0f, 0.0f},
};

// Relative to the robot that carries the flag: robot 0 carries flag 0 and
// robot 2 flag 1.
constexpr D3DVECTOR flagOffset = {1.5f, 1.0f, 0.0f};
constexpr D3DVECTOR flagTilt = {0.0f, 0.0f, -1.1f};
constexpr D3DVECTOR advertPosition = {-145.0f, 6.0f, 160.0f};
constexpr D3DVECTOR advertRotation = {0.0f, 5.14f, 0.0f};

// A uniform number in [0, 1], in double.
double RandomUnit() {
    return RandomInt() / 32767.0;
}

// The flag a robot carries, or nullptr.
MeshObject* FlagOf(int robot) {
    if (robot == 0) return flagObjects[0];
    if (robot == 2) return flagObjects[1];
    return nullptr;
}

// Distance in the ground plane from the car to a tree's spot, in double.
double TreeDistance(const D3DVECTOR& car, int tree) {
    const double dx = car.x - treeSpots[tree][0];
    const double dz = car.z - treeSpots[tree][2];
    return std::sqrt(dx * dx + dz * dz);
}

float RobotDistance(const D3DVECTOR& car, const D3DVECTOR& robot) {
    const float dx = car.x - robot.x;
    const float dz = car.z - robot.z;
    return std::sqrt(dx * dx + dz * dz);
}

// At most one robot is hit a frame: the first hit ends the test.
void CheckRobots(const D3DVECTOR& car) {
    for (int i = 0; i < robotCount; ++i) {
        MeshObject* robot = robotObjects[i];
        if (robot == nullptr || robot->state == removed) continue;
        const float distance = RobotDistance(car, robot->position);
        // Far robots cost no random draw, so the sequence depends on who is near.
        if (distance >= callDistance) continue;
        if (distance < hitDistance) {
            PlayIfSilent(crashSound);
            ++damageLevel;
            robot->state = removed;
            if (MeshObject* flag = FlagOf(i)) flag->state = removed;
            ShowRaceMessage(damageLevel);
            if (damageLevel == 4) phase = Wrecked;
            return;
        }
        if (RandomUnit() > callChance) PlayIfSilent(robotNearSound);
    }
}

}  // namespace

double treeSpots[treeCount][3] = {
    {73.95, 0.0, -39.21},     {69.8, 0.0, -75.178},    {-4.15, 0.0, -82.758},
    {32.3, 0.0, -162.276},    {-33.35, 0.0, -215.653}, {-63.95, 0.0, -194.076},
    {-133.35, 0.0, -171.006}, {-144.8, 0.0, -111.094}, {-106.25, 0.0, -79.517},
    {-130.2, 0.0, -35.968},   {-121.9, 0.0, 58.814},   {-172.9, 0.0, 92.587},
    {-144.8, 0.0, 119.825},   {-161.45, 0.0, 153.597}, {-130.2, 0.0, 193.852},
    {-85.4, 0.0, 172.104},    {-21.9, 0.0, 167.713},   {-22.9, 0.0, 127.457},
    {1.05, 0.0, 87.15},       {45.85, 0.0, 112.192},   {86.45, 0.0, 152.499},
    {132.3, 0.0, 172.104},    {165.2, 0.0, 110.429},   {193.75, 0.0, 147.062},
    {217.7, 0.0, 87.15},      {182.3, 0.0, 66.447},    {214.6, 0.0, 7.633},
    {178.15, 0.0, -7.633},    {196.9, 0.0, -47.94},    {165.65, 0.0, -79.517},
    {121.9, 0.0, -84.954},
};

void PlaceObstacles() {
    for (int i = 0; i < robotCount; ++i) {
        MeshObject* robot = robotObjects[i];
        if (robot == nullptr) continue;
        // Height 0 until the next TurnRobots or MoveRobots stands it on the
        // ground.
        robot->position = robotStarts[i];
        robot->state = present;
    }
    for (int i = 0; i < treeCount; ++i) {
        MeshObject* tree = treeObjects[i];
        if (tree == nullptr) continue;
        const float x = static_cast<float>(treeSpots[i][0]);
        const float z = static_cast<float>(treeSpots[i][2]);
        tree->position = {x, TrackHeight(x, z), z};
        tree->state = present;
    }
    for (MeshObject* flag : flagObjects) {
        if (flag == nullptr) continue;
        flag->position = flagOffset;
        flag->rotation = flagTilt;
        flag->state = present;
    }
    if (advertObject != nullptr) {
        advertObject->position = advertPosition;
        advertObject->rotation = advertRotation;
    }
}

void AlignTrees() {
    if (carObject == nullptr) return;
    for (MeshObject* tree : treeObjects) {
        if (tree != nullptr) tree->rotation = carObject->rotation;
    }
}

void TurnRobots() {
    // frameTime stands still while waiting: 0 before the program's first race,
    // so the robots stand still; the last racing frame's length afterwards, so
    // they fidget.
    for (MeshObject* robot : robotObjects) {
        if (robot == nullptr) continue;
        robot->rotation.y =
            static_cast<float>(robot->rotation.y + (RandomUnit() - 0.5) * frameTime * wobbleRate);
        robot->position.y = TrackHeight(robot->position.x, robot->position.z) + robotRideHeight;
    }
}

void MoveRobots() {
    if (carObject == nullptr) return;
    const float dt = frameTime;
    const D3DVECTOR car = carObject->position;
    // A removed robot keeps wandering unseen, and keeps drawing its numbers.
    for (MeshObject* robot : robotObjects) {
        if (robot == nullptr) continue;
        D3DVECTOR& position = robot->position;
        D3DVECTOR& velocity = robot->velocity;

        // The wobble is only drawn; it does not steer.
        robot->rotation.y =
            static_cast<float>(robot->rotation.y + (RandomUnit() - 0.5) * dt * wobbleRate);

        const float towardsX = car.x - position.x;
        const float towardsZ = car.z - position.z;
        // Two draws, x first: the order is part of the random sequence.
        const double pullX = RandomUnit() * dt * towardsX * pullRate;
        const double pullZ = RandomUnit() * dt * towardsZ * pullRate;
        velocity.x = static_cast<float>(velocity.x + pullX);
        velocity.z = static_cast<float>(velocity.z + pullZ);

        // Each axis on its own, so a diagonal course is the faster one.
        const float cap = dt * robotSpeedLimit;
        if (velocity.x > cap) velocity.x = cap;
        if (velocity.z > cap) velocity.z = cap;
        const float floor = dt * -robotSpeedLimit;
        if (velocity.x < floor) velocity.x = floor;
        if (velocity.z < floor) velocity.z = floor;

        // Against last frame's height: ground rising ahead brakes the robot
        // again in every frame that it keeps rising.
        const float ahead = TrackHeight(position.x + velocity.x, position.z + velocity.z);
        if (ahead + robotRideHeight - position.y > 0.0f) {
            velocity.x *= uphillBrake;
            velocity.z *= uphillBrake;
        }

        position.x += velocity.x;
        position.z += velocity.z;
        position.y = TrackHeight(position.x, position.z) + robotRideHeight;
    }
}

void CheckCollisions() {
    if (carObject == nullptr) return;
    const D3DVECTOR car = carObject->position;
    for (int i = 0; i < treeCount; ++i) {
        MeshObject* tree = treeObjects[i];
        if (tree == nullptr || tree->state == removed) continue;
        if (TreeDistance(car, i) < hitDistance) {
            PlayIfSilent(crashSound);
            ++damageLevel;
            ShowRaceMessage(damageLevel);
            tree->state = removed;
            if (damageLevel == 4) phase = Wrecked;
            // One tree a frame: a second one within reach is hit next frame.
            break;
        }
    }
    CheckRobots(car);
}
