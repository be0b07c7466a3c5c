#include "tests/support/race_fixture.h"

#include <algorithm>
#include <cstring>

#include "core/ghost_path.h"
#include "core/options.h"
#include "core/records_file.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "race/game_state.h"
#include "race/lap_rule.h"
#include "race/race_records.h"
#include "race/steering_input.h"

DWORD fakeMilliseconds = 0;
std::vector<std::string> raceCalls;
bool fakeDeviceExists = true;

namespace {

DWORD FakeClock() {
    return fakeMilliseconds;
}

void RecordReset() {
    raceCalls.push_back("resetRace");
}
void RecordWaiting() {
    raceCalls.push_back("updateWaitingScene");
}
void RecordDrive() {
    raceCalls.push_back("driveCar");
}
void RecordCollisions() {
    raceCalls.push_back("checkCollisions");
}
void RecordRender() {
    raceCalls.push_back("renderFrame");
}
void RecordLeave() {
    raceCalls.push_back("leaveRace");
    // What the real leaving sequence does to the race state.
    fakeDeviceExists = false;
    phase = NewRace;
}
bool FakeDevice() {
    return fakeDeviceExists;
}
void RecordCue(RaceCue cue) {
    if (cue == RaceCue::FinishMusic) {
        raceCalls.push_back("cue:music");
    } else {
        const int zone = static_cast<int>(cue) - static_cast<int>(RaceCue::Zone0);
        raceCalls.push_back("cue:zone" + std::to_string(zone));
    }
}
void RecordStopEngine() {
    raceCalls.push_back("stopEngine");
}
void RecordToggleCar() {
    raceCalls.push_back("toggleCar");
}
void RecordSilence() {
    raceCalls.push_back("silenceRace");
}
void RecordStartEngine() {
    raceCalls.push_back("startEngine");
}

}  // namespace

void ResetGameStateForTest() {
    phase = NewRace;
    lapCount = 0;
    lastZone = 0;
    zonesEntered = 0;
    damageLevel = 0;
    raceTime = 0.0f;
    score = 0;
    bestTime = 1000000.0f;
    lastTickTime = 0.0f;
    frameTime = 0.0f;
    mouseX = 0.0f;
    mouseY = 0.0f;
    std::memset(keyDown, 0, sizeof keyDown);
    std::memset(keyPressed, 0, sizeof keyPressed);
    viewWidth = 640.0f;
    viewHeight = 480.0f;
    phaseBeforePause = notPaused;
    racePaused = false;
    steeringHand = SteeringHand::None;
    SetProgramActive(true);
    std::strcpy(scoreText, "SCORE: 0");
    std::strcpy(messageText, "Welcome");
    GameOptions = GameOptionsRecord{};
    // No records file, no ghost: a test that wants them names its own files.
    recordsFileName.clear();
    ghostFileName.clear();
    LoadPlayerRecords();
    ghostShown = true;
    StartLaps();
    lastZone = 0;
}

void RaceFixture::SetUp() {
    ResetGameStateForTest();
    fakeMilliseconds = 1000;
    SetTimeSource(FakeClock);
    raceCalls.clear();
    fakeDeviceExists = true;
    raceLinks = RaceLinks{RecordReset,      RecordWaiting,   RecordDrive,   RecordCollisions,
                          RecordRender,     RecordLeave,     FakeDevice,    RecordCue,
                          RecordStopEngine, RecordToggleCar, RecordSilence, RecordStartEngine};
}

void RaceFixture::TearDown() {
    DisconnectRace();
    SetTimeSource(nullptr);
    ResetGameStateForTest();
}

int RaceFixture::Count(const std::string& name) {
    return static_cast<int>(std::count(raceCalls.begin(), raceCalls.end(), name));
}
