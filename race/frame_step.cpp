#include "race/frame_step.h"

#include <cstdio>
#include <cstring>

#include "core/ghost_path.h"
#include "core/options.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "race/game_state.h"
#include "race/lap_rule.h"
#include "race/race_links.h"
#include "race/race_records.h"
#include "race/steering_input.h"

namespace {

constexpr uint8_t escapeKey = 0x1B;
constexpr uint8_t carKey = 0x43;         // C
constexpr uint8_t ghostKey = 0x47;       // G
constexpr uint8_t pauseKey = 0x50;       // P
constexpr uint8_t pauseBreakKey = 0x13;  // the Pause key
// The click's keys, so that the keys alone can play a race.
constexpr uint8_t spaceKey = 0x20;
constexpr uint8_t enterKey = 0x0D;
// A stall (a suspended machine, a stopped process) is no race time: no frame
// moves the car further than an eighth of a second would, the slowest
// picture still worth steering by. Exact in binary, so a frame of a tenth of
// a second (just over it, once rounded) still counts whole.
constexpr float longestFrame = 0.125f;
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
    if (frameTime > longestFrame) frameTime = longestFrame;
    raceTime += frameTime;
    // Written before the car moves, so the frame of the fifth lap shows lap 4.
    std::snprintf(scoreText, sizeof scoreText, "Lap:%d Time:%.2f\n", lapCount,
                  static_cast<double>(raceTime));
    RampKeySteering(frameTime);
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

// Keys held when the focus went elsewhere are never seen going up; they are
// let go instead of steering or acting when the player comes back.
void LetGoOfEveryKey() {
    std::memset(keyDown, 0, sizeof keyDown);
    std::memset(keyPressed, 0, sizeof keyPressed);
}

void TogglePause() {
    if (racePaused) {
        ResumeRace();
    } else {
        PauseRace();
    }
}

}  // namespace

double ClockSeconds() {
    return static_cast<double>(timeGetTime()) * 0.001;
}

void StepFrame() {
    // A race that runs on unseen, steered by the last values, is lost: the
    // same test that mutes the sound pauses it.
    if (!ProgramIsActive()) {
        LetGoOfEveryKey();
        PauseRace();
    }
    switch (phase) {
        case NewRace:
            racePaused = false;
            raceLinks.resetRace();
            StartLaps();
            raceGhost.Clear();
            phase = Waiting;
            break;
        case Waiting:
            // Paused, nothing moves: not even the robots turning in place.
            if (!racePaused) raceLinks.updateWaitingScene();
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
        racePaused = false;
        phase = NewRace;
        return;
    }
    // A race the player paused, or that paused itself while the player was
    // elsewhere, goes on only when the player says so: a restored window may
    // have a cursor parked anywhere under it.
    if (racePaused) return;
    // Back to what the game was doing: a race waiting for its click still
    // waits (the menu it was started from is no click, and the cursor is on
    // the menu bar), a running race runs on with its clock restarted.
    if (phaseBeforePause != notPaused) phase = phaseBeforePause;
    phaseBeforePause = notPaused;
}

void PauseRace() {
    if (racePaused || !raceLinks.deviceExists()) return;
    const int32_t running = phaseBeforePause == notPaused ? phase : phaseBeforePause;
    if (running != Racing) return;
    phaseBeforePause = Racing;
    phase = Waiting;
    racePaused = true;
    raceLinks.silenceRace();
}

void ResumeRace() {
    if (!racePaused) return;
    racePaused = false;
    phaseBeforePause = notPaused;
    lastTickTime = ClockReading();
    phase = Racing;
    raceLinks.startEngine();
}

void StartRaceClock() {
    if (phase != Waiting) return;
    if (racePaused) {
        ResumeRace();
        return;
    }
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
    // A key held down repeats its press; the pause must not flicker with it.
    const bool repeat = keyDown[key] != 0;
    keyDown[key] = 1;
    if (!raceLinks.deviceExists()) return;  // no race to act in
    if (key == escapeKey) {
        // At once and in every phase: waiting for the click and the result
        // screens are part of the race as much as the racing frames.
        LeaveRaceByEscape();
        return;
    }
    if (key == pauseKey || key == pauseBreakKey) {
        if (!repeat) TogglePause();
        return;
    }
    if (key == spaceKey || key == enterKey) {
        if (!repeat) StartRaceClock();
        return;
    }
    // The ghost hides and shows again in any phase; it is only drawn.
    if (key == ghostKey) {
        if (!repeat) ghostShown = !ghostShown;
        return;
    }
    PressSteeringKey(key);
    keyPressed[key] = 1;
}

void ReleaseKey(uint8_t key) {
    keyDown[key] = 0;
}

void LeaveRaceByEscape() {
    phaseBeforePause = notPaused;
    racePaused = false;
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
