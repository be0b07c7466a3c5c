#include "race/frame_step.h"

#include <cstdio>
#include <cstring>

#include "core/ghost_path.h"
#include "core/options.h"
#include "platform/clock.h"
#include "race/game_state.h"
#include "race/lap_rule.h"
#include "race/race_links.h"
#include "race/race_records.h"

namespace {

constexpr uint8_t escapeKey = 0x1B;
constexpr uint8_t carKey = 0x43;    // C
constexpr uint8_t ghostKey = 0x47;  // G
constexpr float noBestTime = 1000000.0f;

// The race clock is single precision on purpose: readings are rounded to floats
// of seconds since the process started before they are subtracted, so frames
// closer together than the float spacing get no time and are skipped.
float ClockReading() {
    return static_cast<float>(ClockSeconds());
}

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
    WriteLapTimesText();
    raceLinks.driveCar();
    raceLinks.renderFrame();
    // After drawing: a hit shows first in the next frame, and a wreck in the
    // frame of the fifth lap replaces the finish.
    raceLinks.checkCollisions();
    HandleKeys();
}

void FinishRace() {
    UpdateScoreText();
    KeepFinishedRace();
    WriteRaceLapsText();
    ShowRaceMessage(5);
    if (GameOptions.musicOn) raceLinks.playCue(RaceCue::FinishMusic);
    phase = NewRace;
}

void EndWreckedRace() {
    // A wreck ends the run of finished races, and a race never finished has
    // no time to compete with.
    score = 0;
    WriteScoreLine();
    ShowRaceMessage(6);
    lapTimesText[0] = '\0';
    raceLinks.renderFrame();
    phase = NewRace;
    raceLinks.stopEngine();
}

}  // namespace

double ClockSeconds() {
    return static_cast<double>(timeGetTime()) * 0.001;
}

void StepFrame() {
    switch (phase) {
        case NewRace:
            raceLinks.resetRace();
            StartLaps();
            raceGhost.Clear();
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
    // A tap not read by this frame belonged to a phase that reads no keys.
    std::memset(keyPressed, 0, sizeof keyPressed);
}

// "0.00" until a race has been finished, as the start-up line shows it.
void WriteScoreLine() {
    const float shown = bestTime == noBestTime ? 0.0f : bestTime;
    std::snprintf(scoreText, sizeof scoreText, "SCORE: %d BEST TIME: %.2f\n", score,
                  static_cast<double>(shown));
}

void UpdateScoreText() {
    ++score;
    if (raceTime < bestTime) bestTime = raceTime;
    WriteScoreLine();
    // The start-up call sees a race time of 0; without this the first real
    // race could never set the best time.
    if (bestTime == 0.0f) bestTime = noBestTime;
}

void SetPaused(bool paused) {
    if (paused) {
        // Nested suspensions (a menu, then a minimise) keep the first answer.
        if (phaseBeforePause == notPaused) phaseBeforePause = phase;
        phase = Waiting;
        return;
    }
    lastTickTime = ClockReading();
    if (!raceLinks.deviceExists()) {
        phaseBeforePause = notPaused;
        phase = NewRace;
        return;
    }
    // Back to what the game was doing: a race waiting for its click still
    // waits (the menu it was started from is no click, and the cursor is on
    // the menu bar), a running race runs on with its clock restarted.
    if (phaseBeforePause != notPaused) phase = phaseBeforePause;
    phaseBeforePause = notPaused;
}

void StartRaceClock() {
    if (phase != Waiting) return;
    const bool suspended = phaseBeforePause != notPaused;
    // A click while suspended only goes on with a race that was running or
    // waiting; a race being set up or ended is left to the resume.
    if (suspended && phaseBeforePause != Racing && phaseBeforePause != Waiting) return;
    const bool newRace = !suspended || phaseBeforePause == Waiting;
    phaseBeforePause = notPaused;
    lastTickTime = ClockReading();
    phase = Racing;
    // The last race's result may stand while the new one waits; once it runs
    // the line greets the race it is.
    if (newRace) ShowRaceMessage(0);
}

void PressKey(uint8_t key) {
    keyDown[key] = 1;
    if (!raceLinks.deviceExists()) return;  // no race to act in
    if (key == escapeKey) {
        // At once and in every phase: waiting for the click and the result
        // screens are part of the race as much as the racing frames.
        LeaveRaceByEscape();
        return;
    }
    // The ghost hides and shows again in any phase; it is only drawn.
    if (key == ghostKey) ghostShown = !ghostShown;
    keyPressed[key] = 1;
}

void ReleaseKey(uint8_t key) {
    keyDown[key] = 0;
}

void LeaveRaceByEscape() {
    phaseBeforePause = notPaused;
    lapTimesText[0] = '\0';
    raceLinks.leaveRace();
}

void HandleKeys() {
    // Keys are read as levels, a key held down acting in every racing frame,
    // and a tap between two frames acts once.
    if (keyDown[escapeKey] || keyPressed[escapeKey]) {
        LeaveRaceByEscape();
    } else if (keyDown[carKey] || keyPressed[carKey]) {
        raceLinks.toggleCar();
    }
    std::memset(keyPressed, 0, sizeof keyPressed);
}
