#include "race/frame_step.h"

#include <cstdio>

#include "platform/clock.h"
#include "race/game_state.h"
#include "race/race_links.h"
#include "shell/options.h"

namespace {

constexpr uint8_t escapeKey = 0x1B;
constexpr uint8_t carKey = 0x43;  // C
constexpr float noBestTime = 1000000.0f;

// The race clock is single precision on purpose: readings are rounded to floats
// of seconds since the system started before they are subtracted, so frames
// closer together than the float spacing get no time and are skipped.
float ClockReading() { return static_cast<float>(ClockSeconds()); }

void RunRacingFrame() {
    const float now = ClockReading();
    frameTime = now - lastTickTime;
    if (frameTime <= 0.0f) {
        // The millisecond counter wraps after about 49.7 days; restarting the
        // race clock at the wrapped reading keeps the race going instead of
        // freezing it until the next resume.
        if (now < lastTickTime) lastTickTime = now;
        HandleKeys();
        return;
    }
    lastTickTime = now;
    raceTime += frameTime;
    // Written before the car moves, so the frame of the fifth lap shows lap 4.
    std::snprintf(scoreText, sizeof scoreText, "Lap:%d Time:%.2f\n", lapCount,
                  static_cast<double>(raceTime));
    raceLinks.driveCar();
    raceLinks.renderFrame();
    // After drawing: a hit shows first in the next frame, and a wreck in the
    // frame of the fifth lap replaces the finish.
    raceLinks.checkCollisions();
    HandleKeys();
}

void FinishRace() {
    UpdateScoreText();
    ShowRaceMessage(5);
    if (GameOptions.musicOn) raceLinks.playCue(RaceCue::FinishMusic);
    phase = NewRace;
}

void EndWreckedRace() {
    score = -1;
    UpdateScoreText();
    ShowRaceMessage(6);
    raceLinks.renderFrame();
    phase = NewRace;
    raceLinks.stopEngine();
}

}  // namespace

double ClockSeconds() { return static_cast<double>(timeGetTime()) * 0.001; }

void StepFrame() {
    switch (phase) {
        case NewRace:
            raceLinks.resetRace();
            phase = Waiting;
            break;
        case Waiting:
            raceLinks.updateWaitingScene();
            raceLinks.renderFrame();
            break;
        case Racing:
            RunRacingFrame();
            break;
        case Finished:
            FinishRace();
            break;
        case Wrecked:
            EndWreckedRace();
            break;
        default:
            break;
    }
}

void UpdateScoreText() {
    ++score;
    if (raceTime < bestTime) bestTime = raceTime;
    std::snprintf(scoreText, sizeof scoreText, "SCORE: %d BEST TIME: %.2f\n", score,
                  static_cast<double>(bestTime));
    // The start-up call sees a race time of 0; without this the first real
    // race could never set the best time.
    if (bestTime == 0.0f) bestTime = noBestTime;
}

void SetPaused(bool paused) {
    if (paused) {
        phase = Waiting;
        return;
    }
    lastTickTime = ClockReading();
    phase = raceLinks.deviceExists() ? Racing : NewRace;
}

void HandleKeys() {
    // Keys are read as levels: a key held down acts in every racing frame.
    if (keyDown[escapeKey]) {
        raceLinks.leaveRace();
    } else if (keyDown[carKey]) {
        raceLinks.toggleCar();
    }
}
