#include "race/frame_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/ghost_path.h"
#include "core/options.h"
#include "core/records_file.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "race/game_state.h"
#include "race/lap_rule.h"
#include "race/race_links.h"
#include "race/race_records.h"
#include "race/steering_input.h"
#include "tests/support/race_fixture.h"
#include "tests/support/temporary_directory.h"

namespace {

// Zones the driving double reports, one per racing frame; -1 reports nothing
// (off the road).
std::vector<int> zoneScript;
size_t zoneScriptPosition = 0;
// When set, the collision double wrecks the car in the racing frame with this
// number (1 for the first racing frame).
int wreckInFrame = 0;
int racingFrames = 0;

void DriveByScript() {
    raceCalls.push_back("driveCar");
    ++racingFrames;
    if (zoneScriptPosition < zoneScript.size()) {
        const int zone = zoneScript[zoneScriptPosition++];
        if (zone >= 0) EnterZone(zone);
    }
}

void CollideByScript() {
    raceCalls.push_back("checkCollisions");
    if (wreckInFrame != 0 && racingFrames == wreckInFrame) {
        damageLevel = 4;
        ShowRaceMessage(4);
        phase = Wrecked;
    }
}

class FrameStep : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        zoneScript.clear();
        zoneScriptPosition = 0;
        wreckInFrame = 0;
        racingFrames = 0;
        raceLinks.driveCar = DriveByScript;
        raceLinks.checkCollisions = CollideByScript;
    }

    // The first frame sets up a race; the click starts its clock.
    void StartRacing() {
        StepFrame();
        ASSERT_EQ(phase, Waiting);
        lastTickTime = static_cast<float>(ClockSeconds());
        phase = Racing;
        raceCalls.clear();
    }

    void Frame(DWORD milliseconds) {
        fakeMilliseconds += milliseconds;
        StepFrame();
    }

    // The car has driven round to the last zone before the line `laps` times.
    static void OnTheLastStretch(int laps) {
        lapCount = laps;
        lastZone = 5;
        zonesEntered = 0x3E;
    }
};

}  // namespace

TEST(ScoreLine, StartUpShowsScoreZeroAndBestTimeZeroThenForgetsIt) {
    ResetGameStateForTest();
    score = -1;
    UpdateScoreText();
    EXPECT_EQ(score, 0);
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 0.00\n");
    EXPECT_EQ(bestTime, 1000000.0f);
}

TEST(ScoreLine, KeepsTheLowerTimeOnly) {
    ResetGameStateForTest();
    raceTime = 61.237f;
    UpdateScoreText();
    EXPECT_STREQ(scoreText, "SCORE: 1 BEST TIME: 61.24\n");
    raceTime = 70.0f;
    UpdateScoreText();
    EXPECT_STREQ(scoreText, "SCORE: 2 BEST TIME: 61.24\n");
    EXPECT_EQ(bestTime, 61.237f);
}

TEST_F(FrameStep, NewRaceSetsUpAndDrawsNothing) {
    StepFrame();
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"resetRace"}));
    EXPECT_EQ(phase, Waiting);
}

TEST_F(FrameStep, NewRaceStandsInTheStartZoneWithNoZoneDriven) {
    // A wreck left the car in zone 3 after it had driven most of a lap; the
    // new race's car stands in zone 0 and counts nothing there.
    lastZone = 3;
    zonesEntered = 0x3E;
    StartRacing();
    zoneScript = {0, 0, 1};
    for (int i = 0; i < 3; ++i) Frame(100);
    EXPECT_EQ(lapCount, 0);
    EXPECT_EQ(Count("cue:zone0"), 0);
    EXPECT_EQ(Count("cue:zone1"), 1);
}

TEST_F(FrameStep, WaitingDrawsTheStandingSceneUntilAClick) {
    StepFrame();
    raceCalls.clear();
    Frame(16);
    Frame(16);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"updateWaitingScene", "renderFrame",
                                                   "updateWaitingScene", "renderFrame"}));
    EXPECT_EQ(phase, Waiting);
    EXPECT_EQ(raceTime, 0.0f);
}

TEST_F(FrameStep, RacingFrameWritesTheLapLineThenDrivesDrawsAndTestsHits) {
    StartRacing();
    Frame(20);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"driveCar", "renderFrame", "checkCollisions"}));
    EXPECT_STREQ(scoreText, "Lap:0 Time:0.02\n");
    EXPECT_NEAR(frameTime, 0.02f, 1e-6);
    Frame(30);
    EXPECT_STREQ(scoreText, "Lap:0 Time:0.05\n");
}

TEST_F(FrameStep, FrameWithoutClockAdvanceOnlyReadsKeys) {
    StartRacing();
    Frame(20);
    raceCalls.clear();
    const float tick = lastTickTime;
    Frame(0);
    EXPECT_TRUE(raceCalls.empty());
    EXPECT_EQ(lastTickTime, tick);
    keyDown[0x1B] = 1;
    Frame(0);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"leaveRace"}));
}

TEST_F(FrameStep, ClockReadingsAreRoundedToFloatsBeforeSubtracting) {
    // After 2^17 seconds of uptime a float holds the clock in steps of 1/64 s:
    // a frame 5 ms later sees no time at all, and the next one gets both.
    fakeMilliseconds = 131072000;
    StartRacing();
    Frame(5);
    EXPECT_EQ(racingFrames, 0);
    EXPECT_EQ(raceTime, 0.0f);
    Frame(11);
    EXPECT_EQ(racingFrames, 1);
    EXPECT_EQ(frameTime, 0.015625f);
    EXPECT_EQ(raceTime, 0.015625f);
}

TEST_F(FrameStep, FifthLapShowsLapFourThenFinishesWithMusic) {
    StartRacing();
    for (int lap = 0; lap < 5; ++lap) zoneScript.insert(zoneScript.end(), {1, 2, 3, 4, 5, 0});
    for (int i = 0; i < 30; ++i) Frame(100);
    EXPECT_EQ(lapCount, 5);
    EXPECT_EQ(phase, Finished);
    EXPECT_STREQ(scoreText, "Lap:4 Time:3.00\n");

    raceCalls.clear();
    Frame(100);
    EXPECT_EQ(score, 1);
    EXPECT_FLOAT_EQ(bestTime, 3.0f);
    EXPECT_STREQ(scoreText, "SCORE: 1 BEST TIME: 3.00\n");
    EXPECT_STREQ(messageText, "You made it 5 laps!");
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"cue:music"}));
    EXPECT_EQ(phase, NewRace);

    raceCalls.clear();
    Frame(100);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"resetRace"}));
    EXPECT_EQ(phase, Waiting);
    EXPECT_STREQ(messageText, "You made it 5 laps!");  // stays until the next message
}

TEST_F(FrameStep, FinishPlaysNoMusicWhenTheOptionIsOff) {
    GameOptions.musicOn = 0;
    StartRacing();
    OnTheLastStretch(4);
    zoneScript = {0};
    Frame(100);
    ASSERT_EQ(phase, Finished);
    raceCalls.clear();
    Frame(100);
    EXPECT_STREQ(messageText, "You made it 5 laps!");
    EXPECT_EQ(Count("cue:music"), 0);
    EXPECT_EQ(score, 1);
}

TEST_F(FrameStep, FourthHitWrecksTheCarAndEndsWithGameOver) {
    bestTime = 0.5f;
    score = 3;
    StartRacing();
    wreckInFrame = 2;
    Frame(400);
    Frame(400);
    ASSERT_EQ(phase, Wrecked);
    raceCalls.clear();
    Frame(400);
    EXPECT_STREQ(messageText, "GAME OVER");
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 0.50\n");
    EXPECT_EQ(score, 0);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"renderFrame", "stopEngine"}));
    EXPECT_EQ(phase, NewRace);
}

TEST_F(FrameStep, OnlyAFinishedRaceCompetesForTheBestTime) {
    // Races of 0.75 s (wrecked), 2 s (finished) and 0.5 s (wrecked); the
    // doubles' race set-up leaves the race time to the test, which gives all
    // but its last frame at once.
    auto race = [this](DWORD milliseconds, bool wrecked) {
        StartRacing();
        raceTime = static_cast<float>(milliseconds - 100) * 0.001f;
        racingFrames = 0;
        wreckInFrame = wrecked ? 1 : 0;
        if (!wrecked) OnTheLastStretch(4);
        zoneScript = {0};
        zoneScriptPosition = 0;
        Frame(100);
        Frame(16);  // the race ends
    };
    race(750, true);
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 0.00\n");
    EXPECT_EQ(bestTime, 1000000.0f);
    race(2000, false);
    EXPECT_STREQ(scoreText, "SCORE: 1 BEST TIME: 2.00\n");
    race(500, true);
    EXPECT_STREQ(messageText, "GAME OVER");
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 2.00\n");
}

TEST_F(FrameStep, WreckInTheFrameOfTheFifthLapEndsTheRaceAsAWreck) {
    StartRacing();
    OnTheLastStretch(4);
    zoneScript = {0};
    wreckInFrame = 1;
    Frame(100);
    EXPECT_EQ(phase, Wrecked);
    Frame(100);
    EXPECT_STREQ(messageText, "GAME OVER");
    EXPECT_EQ(score, 0);
    EXPECT_EQ(Count("cue:music"), 0);
}

TEST_F(FrameStep, PauseAndResumeDoNotCountTheTimeBetween) {
    StartRacing();
    Frame(100);
    SetPaused(true);
    EXPECT_EQ(phase, Waiting);
    fakeMilliseconds += 10000;  // ten seconds in a menu
    SetPaused(false);
    EXPECT_EQ(phase, Racing);
    Frame(100);
    EXPECT_NEAR(raceTime, 0.2f, 1e-5);
}

TEST_F(FrameStep, ALongStallCountsAsAnEighthOfASecondAndAnOrdinaryFrameAsItself) {
    StartRacing();
    Frame(100);
    EXPECT_NEAR(frameTime, 0.1f, 1e-5);
    fakeMilliseconds += 3600000;  // an hour with the machine asleep
    Frame(0);
    EXPECT_EQ(frameTime, 0.125f);
    EXPECT_EQ(racingFrames, 2);
    EXPECT_NEAR(raceTime, 0.225f, 1e-5);
}

TEST_F(FrameStep, PausedByThePlayerTheRaceStandsSilentUntilPOrTheClick) {
    StartRacing();
    Frame(100);
    PressKey(0x50);  // P
    PressKey(0x50);  // the key repeating while held
    EXPECT_TRUE(racePaused);
    EXPECT_EQ(phase, Waiting);
    EXPECT_EQ(Count("silenceRace"), 1);
    raceCalls.clear();
    Frame(5000);
    // Drawn with its message, but nothing moves, not even the robots.
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"renderFrame"}));
    ReleaseKey(0x50);
    PressKey(0x13);  // the Pause key goes on as P does
    ReleaseKey(0x13);
    EXPECT_FALSE(racePaused);
    EXPECT_EQ(phase, Racing);
    EXPECT_EQ(Count("startEngine"), 1);
    Frame(100);
    EXPECT_NEAR(raceTime, 0.2f, 1e-5);

    PressKey(0x50);
    ReleaseKey(0x50);
    fakeMilliseconds += 7000;
    StartRaceClock();  // the click goes on too, with no greeting
    EXPECT_EQ(phase, Racing);
    EXPECT_FALSE(racePaused);
    Frame(100);
    EXPECT_NEAR(raceTime, 0.3f, 1e-5);
}

TEST_F(FrameStep, PauseActsOnlyOnARunningRace) {
    PressKey(0x50);  // a race still being set up
    ReleaseKey(0x50);
    fakeDeviceExists = false;  // the splash: no race at all
    PressKey(0x50);
    ReleaseKey(0x50);
    fakeDeviceExists = true;
    StepFrame();
    PressKey(0x50);  // a race waiting for its click
    ReleaseKey(0x50);
    EXPECT_FALSE(racePaused);
    EXPECT_EQ(phase, Waiting);
    phase = Finished;
    PressKey(0x50);
    ReleaseKey(0x50);
    EXPECT_EQ(phase, Finished);
    EXPECT_EQ(Count("silenceRace"), 0);
}

TEST_F(FrameStep, LosingTheFocusPausesARunningRaceAndOnlyThePlayerGoesOn) {
    StartRacing();
    PressKey(0x26);  // Up, held as the focus leaves: its release is never seen
    SetProgramActive(false);
    Frame(100);
    EXPECT_TRUE(racePaused);
    EXPECT_EQ(racingFrames, 0);
    EXPECT_EQ(keyDown[0x26], 0);
    SetProgramActive(true);
    Frame(100);
    // A menu or a minimise on top of the pause ends with the race still paused.
    SetPaused(true);
    SetPaused(false);
    Frame(100);
    EXPECT_EQ(phase, Waiting);
    EXPECT_EQ(racingFrames, 0);
    StartRaceClock();
    Frame(100);
    EXPECT_EQ(racingFrames, 1);
    EXPECT_NEAR(raceTime, 0.1f, 1e-5);
    // Leaving a paused race leaves no pause behind for the next one.
    PressKey(0x50);
    PressKey(0x1B);
    EXPECT_FALSE(racePaused);
}

TEST_F(FrameStep, ResumeGoesBackToWhatTheGameWasDoing) {
    // A race waiting for its click still waits after a menu, a move and a
    // minimise, however they nest.
    StepFrame();
    ASSERT_EQ(phase, Waiting);
    SetPaused(true);
    SetPaused(true);
    SetPaused(false);
    EXPECT_EQ(phase, Waiting);
    SetPaused(false);  // the dialog chosen from the menu closes
    EXPECT_EQ(phase, Waiting);
    Frame(100);
    EXPECT_EQ(racingFrames, 0);

    // A race being ended when the suspension came ends after it.
    phase = Finished;
    SetPaused(true);
    SetPaused(false);
    EXPECT_EQ(phase, Finished);
}

TEST_F(FrameStep, TheClickStartsTheClockAndGreetsTheRace) {
    std::strcpy(messageText, "GAME OVER");  // the last race's result stays while waiting
    StepFrame();
    Frame(100);
    EXPECT_STREQ(messageText, "GAME OVER");
    fakeMilliseconds = 4500;
    StartRaceClock();
    EXPECT_EQ(phase, Racing);
    EXPECT_FLOAT_EQ(lastTickTime, 4.5f);
    EXPECT_STREQ(messageText, "Welcome to Kestrune! Use mouse to drive.");

    // A click on a race suspended while running goes on with it as it was.
    ShowRaceMessage(2);
    SetPaused(true);
    StartRaceClock();
    EXPECT_EQ(phase, Racing);
    EXPECT_STREQ(messageText, "You've damaged the front end.");
    StartRaceClock();  // a click while racing changes nothing
    EXPECT_STREQ(messageText, "You've damaged the front end.");
}

TEST_F(FrameStep, ResumeWithoutADeviceSetsUpANewRace) {
    fakeDeviceExists = false;
    phase = Waiting;
    SetPaused(false);
    EXPECT_EQ(phase, NewRace);
}

TEST_F(FrameStep, ClockWrapRestartsTheRaceClockInsteadOfFreezing) {
    // Near the wrap a float holds the clock in half seconds, hence long frames.
    fakeMilliseconds = 0xFFFFF000u;  // 4096 ms before the counter wraps
    StartRacing();
    Frame(1000);
    ASSERT_EQ(racingFrames, 1);
    const float before = raceTime;
    Frame(3140);  // wraps to 44 ms
    EXPECT_EQ(racingFrames, 1);
    EXPECT_FLOAT_EQ(lastTickTime, 0.044f);
    Frame(20);
    EXPECT_EQ(racingFrames, 2);
    EXPECT_NEAR(raceTime - before, 0.02f, 1e-5);
}

TEST_F(FrameStep, EscapeHeldLeavesTheRaceAndNothingRunsWithoutADevice) {
    StartRacing();
    keyDown[0x1B] = 1;
    keyDown[0x43] = 1;  // Escape comes first
    Frame(20);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"driveCar", "renderFrame", "checkCollisions",
                                                   "leaveRace"}));
    EXPECT_EQ(phase, NewRace);
}

TEST_F(FrameStep, ATapBetweenTwoFramesActsOnce) {
    StartRacing();
    PressKey(0x43);
    ReleaseKey(0x43);
    Frame(20);
    Frame(20);
    EXPECT_EQ(Count("toggleCar"), 1);
    // A tap on a frame that reads no keys is gone with that frame.
    phase = Waiting;
    PressKey(0x43);
    ReleaseKey(0x43);
    Frame(20);
    phase = Racing;
    Frame(20);
    EXPECT_EQ(Count("toggleCar"), 1);
}

TEST_F(FrameStep, EscapeLeavesTheRaceInEveryPhaseAtOnce) {
    for (int32_t now : {NewRace, Waiting, Racing, Finished, Wrecked}) {
        fakeDeviceExists = true;
        phase = now;
        raceCalls.clear();
        PressKey(0x1B);
        ReleaseKey(0x1B);
        EXPECT_EQ(raceCalls, (std::vector<std::string>{"leaveRace"})) << "phase " << now;
        EXPECT_EQ(phase, NewRace);
    }
    // Without a race there is nothing to leave, and nothing waits for one.
    raceCalls.clear();
    PressKey(0x1B);
    ReleaseKey(0x1B);
    fakeDeviceExists = true;
    StepFrame();
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"resetRace"}));
}

TEST_F(FrameStep, KeysAreLevelsReadOnlyAtTheEndOfRacingFrames) {
    keyDown[0x43] = 1;
    StepFrame();  // NewRace
    StepFrame();  // Waiting
    EXPECT_EQ(Count("toggleCar"), 0);
    lastTickTime = static_cast<float>(ClockSeconds());
    phase = Racing;
    Frame(20);
    Frame(20);
    EXPECT_EQ(Count("toggleCar"), 2);
}

TEST_F(FrameStep, UnknownPhaseDoesNothing) {
    phase = 17;
    StepFrame();
    EXPECT_TRUE(raceCalls.empty());
    EXPECT_EQ(phase, 17);
}

TEST_F(FrameStep, ClockKeepsItsResolutionWhateverTheUptime) {
    // Thirty days after boot a float of seconds since boot steps in quarter
    // seconds; the clock counts from the process's start instead.
    static uint64_t uptime = 0;
    uptime = 30ull * 24 * 3600 * 1000;
    SetTimeSource(nullptr);
    SetUptimeSource([] { return uptime; });
    StartRacing();
    for (int i = 0; i < 10; ++i) {
        uptime += 16;
        StepFrame();
        EXPECT_NEAR(frameTime, 0.016f, 0.001f);
    }
    EXPECT_EQ(racingFrames, 10);
    SetUptimeSource(nullptr);
}

TEST(ClockSeconds, IsTheMillisecondCounterInSeconds) {
    DWORD (*clock)() = [] { return DWORD{4294967295u}; };
    SetTimeSource(clock);
    EXPECT_DOUBLE_EQ(ClockSeconds(), 4294967.295);
    SetTimeSource(nullptr);
}

class KeySteering : public FrameStep {};

TEST_F(KeySteering, ATapSteersALittleAndAHeldKeySteersFully) {
    StartRacing();
    mouseX = 0.7f;   // where the cursor last was
    PressKey(0x27);  // Right, tapped between two frames
    ReleaseKey(0x27);
    EXPECT_EQ(steeringHand, SteeringHand::Keys);
    Frame(20);
    EXPECT_NEAR(mouseX, 0.1f, 1e-5);
    Frame(20);
    EXPECT_NEAR(mouseX, 0.0f, 1e-5);
    PressKey(0x57);  // W
    PressKey(0x41);  // A
    for (int i = 0; i < 12; ++i) Frame(20);
    EXPECT_FLOAT_EQ(mouseX, -1.0f);
    EXPECT_FLOAT_EQ(mouseY, 1.0f);
    ReleaseKey(0x41);
    PressKey(0x28);  // Down with W still held: they cancel out
    for (int i = 0; i < 12; ++i) Frame(20);
    EXPECT_FLOAT_EQ(mouseX, 0.0f);
    EXPECT_FLOAT_EQ(mouseY, 0.0f);
}

TEST_F(KeySteering, SpaceAndEnterAreTheClick) {
    StepFrame();
    PressKey(0x20);
    EXPECT_EQ(phase, Racing);
    PressKey(0x50);  // paused
    PressKey(0x20);  // held: the repeat goes on with nothing
    EXPECT_EQ(phase, Waiting);
    PressKey(0x0D);
    EXPECT_EQ(phase, Racing);
}

TEST_F(KeySteering, WhicheverHandMovedLastSteers) {
    StartRacing();
    PressKey(0x26);  // Up
    Frame(100);
    EXPECT_GT(mouseY, 0.0f);
    Steer(SteeringHand::Mouse, 0.25f, -0.5f);  // the mouse moves; Up is still held
    Frame(100);
    EXPECT_EQ(mouseX, 0.25f);
    EXPECT_EQ(mouseY, -0.5f);
    PressKey(0x44);  // D: the keys take over, from rest
    EXPECT_EQ(mouseY, 0.0f);
    Frame(100);
    EXPECT_NEAR(mouseX, 0.5f, 1e-5);
    EXPECT_NEAR(mouseY, 0.5f, 1e-5);
}

TEST_F(FrameStep, EachLapShowsItsTimeForAFewSecondsAndTheFinishShowsEveryLap) {
    // Frames of an eighth of a second, the longest that counts whole: exact in
    // binary, so the times below are exact too.
    StartRacing();
    zoneScript.insert(zoneScript.end(), {1, 2, 3, 4, 5, 0});
    zoneScript.insert(zoneScript.end(), 40, 0);  // the first lap's time on show
    for (int lap = 1; lap < 5; ++lap) zoneScript.insert(zoneScript.end(), {1, 2, 3, 4, 5, 0});
    for (int i = 0; i < 6; ++i) Frame(125);
    ASSERT_EQ(lapCount, 1);
    // As the lap line, the lap's time shows from the frame after it was counted.
    EXPECT_STREQ(lapTimesText, "");
    Frame(125);
    EXPECT_STREQ(scoreText, "Lap:1 Time:0.88\n");
    EXPECT_STREQ(lapTimesText, "Lap 1: 0.75\n");
    for (int i = 0; i < 30; ++i) Frame(125);
    EXPECT_STREQ(lapTimesText, "Lap 1: 0.75\n");  // 3.875 s on
    Frame(125);
    EXPECT_STREQ(lapTimesText, "");  // four seconds on
    while (phase == Racing) Frame(125);
    Frame(125);
    EXPECT_STREQ(messageText, "You made it 5 laps!");
    EXPECT_STREQ(lapTimesText,
                 "Lap 1: 0.75\nLap 2: 5.75\nLap 3: 0.75\nLap 4: 0.75\nLap 5: 0.75\n"
                 "Best lap: 0.75\n");
    Frame(125);  // the next race waits with the last one's laps on show
    EXPECT_NE(lapTimesText[0], '\0');

    // The next race shows the best lap of all races beside each of its own.
    StartRacing();
    raceTime = 0.0f;  // the doubles' race set-up leaves these to the test
    lapCount = 0;
    zoneScriptPosition = 0;
    for (int i = 0; i < 7; ++i) Frame(100);
    EXPECT_STREQ(lapTimesText, "Lap 1: 0.60\nBest lap: 0.75\n");
}

TEST_F(FrameStep, AFinishedRaceIsKeptInTheRecordsFileAndAWreckNever) {
    const TemporaryDirectory dataHome;
    recordsFileName = dataHome.File("kestrune/records.txt");
    ghostFileName = dataHome.File("kestrune/ghost.kgh");
    auto race = [this](bool wrecked) {
        StartRacing();
        raceTime = 0.0f;
        lapCount = 0;
        racingFrames = 0;
        zoneScript.clear();
        zoneScriptPosition = 0;
        for (int lap = 0; lap < 5; ++lap) zoneScript.insert(zoneScript.end(), {1, 2, 3, 4, 5, 0});
        wreckInFrame = wrecked ? 20 : 0;
        raceGhost.Record(GhostSample{0.5f, 1.0f, 2.0f, 3.0f, 0.25f});  // as DriveCar does
        while (phase == Racing) Frame(125);
        Frame(125);  // the race ends
    };
    race(true);
    EXPECT_FALSE(std::ifstream(recordsFileName).is_open());
    EXPECT_FALSE(std::ifstream(ghostFileName).is_open());

    race(false);
    std::ifstream saved(recordsFileName);
    const std::string text((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_EQ(text, "kestrune-records 1\nbest-race-time 3.75\nbest-lap-time 0.75\n");
    EXPECT_TRUE(std::ifstream(ghostFileName).is_open());

    // The next start shows the kept best time in its first score line, and
    // knows the ghost.
    ResetGameStateForTest();
    recordsFileName = dataHome.File("kestrune/records.txt");
    ghostFileName = dataHome.File("kestrune/ghost.kgh");
    score = -1;
    UpdateScoreText();
    LoadPlayerRecords();
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 3.75\n");
    EXPECT_EQ(bestTime, 3.75f);
    EXPECT_EQ(bestLapTime, 0.75f);
    ASSERT_EQ(bestGhost.Samples().size(), 1u);
    EXPECT_EQ(bestGhost.Samples()[0].x, 1.0f);
}

TEST_F(FrameStep, TheGKeyHidesAndShowsTheGhost) {
    StartRacing();
    EXPECT_TRUE(ghostShown);
    PressKey(0x47);
    ReleaseKey(0x47);
    EXPECT_FALSE(ghostShown);
    PressKey(0x47);
    EXPECT_TRUE(ghostShown);
}
