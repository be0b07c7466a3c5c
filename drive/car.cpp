#include "drive/car.h"

#include <algorithm>
#include <cmath>

#include "core/float_math.h"
#include "core/ghost_path.h"
#include "core/options.h"
#include "core/random.h"
#include "drive/obstacles.h"
#include "drive/track_map.h"
#include "platform/clock.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "sound/game_sounds.h"

namespace {

// All single precision: the car's motion is float from input to position.
constexpr float steeringRate = 2.5f;  // radians per second at mouseX = 1
constexpr float speedScale = 100.0f;  // world units per second at mouseY = 1
// Added to the yaw before sine and cosine. It is 1.57, not pi/2: the line of
// travel leans a little under a thousandth of the step towards -x, and that
// lean is part of how the car drives and of every lap time.
constexpr float headingOffset = 1.57f;
constexpr float rideHeight = 2.0f;
// Off the road the car covers one eighth of what the mouse asks.
constexpr float offRoadFactor = 0.125f;
constexpr float startX = 200.0f;
constexpr float startZ = 10.0f;

constexpr int32_t engineBasePitch = 8000;  // Hz standing still
constexpr float enginePitchGain = 4.0f;
constexpr int32_t enginePitchCap = 48000;

constexpr float cameraDistance = 3.75f;
constexpr float cameraHeight = 1.0f;
constexpr float targetHeight = 0.25f;
constexpr float headlightRange = 75.0f;

// The engine pitch for a step of (dx, dz) taken in dt seconds: it rises with
// the square of the distance per frame, so it also rises with longer frames.
int32_t EnginePitch(float dx, float dz, float dt) {
    if (!(dt > 0.0f)) return engineBasePitch;
    const float rise = (dx * dx + dz * dz) * enginePitchGain / dt;
    // Capped before converting: the truncated rise reaches the cap from 40000
    // on, and a very long frame would not fit an int.
    if (rise >= static_cast<float>(enginePitchCap - engineBasePitch)) return enginePitchCap;
    return engineBasePitch + static_cast<int32_t>(rise);  // truncates towards zero
}

// The step along one axis that keeps a coordinate within the world's edge. A
// car already beyond it (only a test can put it there) is not pushed further.
float HeldInsideTheWorld(float at, float step) {
    const float to = at + step;
    if (to > worldEdge && step > 0.0f) return std::max(worldEdge - at, 0.0f);
    if (to < -worldEdge && step < 0.0f) return std::min(-worldEdge - at, 0.0f);
    return step;
}

void UpdateHeadlight() {
    if (!GameOptions.lightsOn) return;
    // The light rides at the camera; colours and attenuation stay as the
    // device set them up.
    sceneLight.Type = D3DLIGHT_POINT;
    sceneLight.Position = cameraEye;
    sceneLight.Range = headlightRange;
    if (device != nullptr) device->SetLight(0, &sceneLight);
}

}  // namespace

void ResetRace() {
    SeedRandom(timeGetTime());
    lastTickTime = static_cast<float>(ClockSeconds());
    // No ride height yet: the first waiting frame lifts the car onto it.
    carObject->position = {startX, TrackHeight(startX, startZ), startZ};
    // Every race starts as the first one does, facing up the start straight,
    // not wherever the last race left the car (sideways after a wreck).
    carObject->rotation.y = 0.0f;
    PlaceObstacles();
    // A running engine is left alone: after a finished race it keeps the last
    // racing frame's pitch until the next racing frame.
    StartEngineSound();
    lapCount = 0;
    damageLevel = 0;
    raceTime = 0.0f;
}

void UpdateWaitingScene() {
    D3DVECTOR& car = carObject->position;
    car.y = TrackHeight(car.x, car.z) + rideHeight;
    UpdateCamera();
    AlignTrees();
    TurnRobots();
}

void DriveCar() {
    const float dt = frameTime;
    D3DVECTOR& car = carObject->position;
    float& yaw = carObject->rotation.y;

    // Never wrapped: the yaw grows without bound as the car circles.
    yaw = yaw + dt * mouseX * steeringRate;

    const float asked = mouseY * dt * speedScale;
    const float heading = yaw + headingOffset;
    float dx = -Cosine(heading) * asked;
    float dz = Sine(heading) * asked;

    // The road is judged where the full step would end, even when the car
    // then takes only an eighth of it.
    if (!CheckRoadSurface(car.x + dx, car.z + dz)) {
        dx *= offRoadFactor;
        dz *= offRoadFactor;
    }

    // The map, and the world drawn, end at its edge: the car stops there as
    // at a wall, each axis on its own so that it can slide along it, turn and
    // drive back.
    dx = HeldInsideTheWorld(car.x, dx);
    dz = HeldInsideTheWorld(car.z, dz);

    // Not gated on the sound device: a missing clip is simply skipped.
    SetFrequency(engineSound, EnginePitch(dx, dz, dt));

    car.x += dx;
    car.z += dz;
    car.y = TrackHeight(car.x, car.z) + rideHeight;
    // The race's path, which becomes the ghost if the race is the fastest.
    raceGhost.Record(GhostSample{raceTime, car.x, car.y, car.z, yaw});

    UpdateCamera();
    UpdateHeadlight();
    AlignTrees();
    // Last, so the robots are pulled towards where the car is now.
    MoveRobots();
}

void UpdateCamera() {
    const D3DVECTOR& car = carObject->position;
    const float heading = carObject->rotation.y + headingOffset;
    cameraTarget = {car.x, car.y + targetHeight, car.z};
    cameraEye.y = car.y + cameraHeight;
    cameraEye.x = car.x + cameraDistance * Cosine(heading);
    cameraEye.z = car.z - cameraDistance * Sine(heading);
}

void ToggleCarState() {
    if (carObject != nullptr && carObject->state != 0) carObject->state = -1;
}
