#include "bench_lap.h"

#include <time.h>

#include <cstring>

#include "core/media_path.h"
#include "platform/clock.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/mesh_object.h"

namespace {

// Two minutes of racing is far more than one lap.
constexpr long frameLimit = 60L * 120;
constexpr DWORD lapStartMilliseconds = 1000000;
constexpr long waitingFrames = 2;

DWORD clockMilliseconds = lapStartMilliseconds;
long clockFrame = 0;
std::vector<CircuitPoint> centreLine;

// What a race reset carries over from the race before, as it was before the
// first lap.
struct CarriedOver {
    bool kept = false;
    D3DVECTOR carRotation{};
    int32_t lastZone = 0;
    float frameTime = 0.0f;
    D3DVECTOR robotRotation[robotCount]{};
    D3DVECTOR robotVelocity[robotCount]{};
    D3DVECTOR treeRotation[treeCount]{};
} carriedOver;

DWORD BenchClock() {
    return clockMilliseconds;
}

// 16, 17, 17 milliseconds: sixty frames a second on average.
void AdvanceClock() {
    clockMilliseconds += (clockFrame++ % 3 == 0) ? 16 : 17;
}

void KeepOrRestoreCarriedOver() {
    CarriedOver& kept = carriedOver;
    if (!kept.kept) {
        kept.carRotation = carObject->rotation;
        kept.lastZone = lastZone;
        kept.frameTime = frameTime;
        for (int i = 0; i < robotCount; ++i) {
            if (robotObjects[i]) kept.robotRotation[i] = robotObjects[i]->rotation;
            if (robotObjects[i]) kept.robotVelocity[i] = robotObjects[i]->velocity;
        }
        for (int i = 0; i < treeCount; ++i) {
            if (treeObjects[i]) kept.treeRotation[i] = treeObjects[i]->rotation;
        }
        kept.kept = true;
    }
    carObject->rotation = kept.carRotation;
    lastZone = kept.lastZone;
    frameTime = kept.frameTime;
    for (int i = 0; i < robotCount; ++i) {
        if (robotObjects[i]) robotObjects[i]->rotation = kept.robotRotation[i];
        if (robotObjects[i]) robotObjects[i]->velocity = kept.robotVelocity[i];
    }
    for (int i = 0; i < treeCount; ++i) {
        if (treeObjects[i]) treeObjects[i]->rotation = kept.treeRotation[i];
    }
}

// The new race's set-up frame and the waiting frames, then the click that
// starts the race clock. Returns the frames stepped.
long BeginLap() {
    KeepOrRestoreCarriedOver();
    clockMilliseconds = lapStartMilliseconds;
    clockFrame = 0;
    std::memset(keyDown, 0, sizeof keyDown);
    phase = NewRace;
    long frames = 0;
    for (; frames < 1 + waitingFrames; ++frames) {
        AdvanceClock();
        StepFrame();
    }
    AdvanceClock();
    StartRaceClock();
    return frames;
}

std::vector<CircuitPoint> PresentRobots() {
    std::vector<CircuitPoint> robots;
    for (MeshObject* robot : robotObjects) {
        if (robot && robot->state == 0) robots.push_back({robot->position.x, robot->position.z});
    }
    return robots;
}

double ThreadProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool SamePosition(const D3DVECTOR& a, const D3DVECTOR& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

void UseBenchClock() {
    SetTimeSource(BenchClock);
}

bool LoadCircuit() {
    centreLine = ReadCentreLine(MediaPath("circuit.txt"));
    return !centreLine.empty();
}

LapRecord DriveLap() {
    LapRecord record;
    if (carObject == nullptr) return record;
    record.frames = BeginLap();
    while (phase == Racing && record.racingFrames < frameLimit) {
        const MousePosition mouse =
            SteerAlong(centreLine, carObject->position.x, carObject->position.z,
                       carObject->rotation.y, PresentRobots());
        mouseX = mouse.x;
        mouseY = mouse.y;
        record.hand.push_back(mouse);
        record.groundPoints.push_back({carObject->position.x, carObject->position.z});
        for (MeshObject* robot : robotObjects) {
            if (robot) record.groundPoints.push_back({robot->position.x, robot->position.z});
        }
        StepFrame();
        ++record.frames;
        ++record.racingFrames;
        if (lapCount >= 1) {
            record.completed = phase == Racing;
            break;
        }
        AdvanceClock();
    }
    record.carAtEnd = carObject->position;
    return record;
}

double ReplayLap(const LapRecord& lap) {
    if (carObject == nullptr || lap.hand.empty()) return -1.0;
    BeginLap();
    const double start = ThreadProcessorSeconds();
    for (size_t frame = 0; frame < lap.hand.size(); ++frame) {
        mouseX = lap.hand[frame].x;
        mouseY = lap.hand[frame].y;
        StepFrame();
        AdvanceClock();
    }
    const double seconds = ThreadProcessorSeconds() - start;
    const bool same = lapCount >= 1 && SamePosition(carObject->position, lap.carAtEnd);
    return same ? seconds : -1.0;
}
