#include "race/lap_rule.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "race/game_state.h"
#include "tests/support/race_fixture.h"

using LapRule = RaceFixture;

namespace {

// Drives through the zones in the order given.
void Drive(std::initializer_list<int32_t> zones) {
    for (int32_t zone : zones) EnterZone(zone);
}

}  // namespace

TEST_F(LapRule, CountsALapOnlyWhenEveryZoneWasDrivenSinceTheLast) {
    phase = Racing;
    StartLaps();
    Drive({1, 2, 3, 4, 5, 0});
    EXPECT_EQ(lapCount, 1);
    Drive({0});  // staying in the zone
    EXPECT_EQ(lapCount, 1);
    Drive({1, 2, 3, 2, 3, 4, 5, 0});  // a detour back and forth on the way
    EXPECT_EQ(lapCount, 2);
    Drive({1, 2, 0});  // a short cut over the grass
    EXPECT_EQ(lapCount, 2);
    Drive({3, 4, 5, 0});  // the rest of the lap still counts it
    EXPECT_EQ(lapCount, 3);
    EXPECT_EQ(lastZone, 0);
}

TEST_F(LapRule, RockingOverTheLineCountsNothing) {
    phase = Racing;
    StartLaps();
    for (int rock = 0; rock < 6; ++rock) Drive({5, 0});
    EXPECT_EQ(lapCount, 0);
    // Backwards over the line just after a lap: nothing either.
    Drive({1, 2, 3, 4, 5, 0, 5, 0});
    EXPECT_EQ(lapCount, 1);
}

TEST_F(LapRule, ALapDrivenTheWrongWayRoundStillCounts) {
    phase = Racing;
    StartLaps();
    Drive({5, 4, 3, 2, 1, 0});
    EXPECT_EQ(lapCount, 1);
}

TEST_F(LapRule, PlaysTheCueOfEveryZoneEnteredZeroIncluded) {
    lastZone = 4;
    EnterZone(5);
    EnterZone(5);
    EnterZone(0);
    EnterZone(3);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"cue:zone5", "cue:zone0", "cue:zone3"}));
}

TEST_F(LapRule, FifthLapFinishesAndOnlyExactlyTheFifth) {
    phase = Racing;
    StartLaps();
    lapCount = 4;
    Drive({1, 2, 3, 4, 5, 0});
    EXPECT_EQ(phase, Finished);

    phase = Racing;
    lapCount = 5;
    Drive({1, 2, 3, 4, 5, 0});
    EXPECT_EQ(lapCount, 6);
    EXPECT_EQ(phase, Racing);
}

TEST_F(LapRule, ANewRaceStandsInTheStartZoneWithoutALap) {
    // A wreck left the car in zone 3 with most of a lap driven.
    lastZone = 3;
    zonesEntered = 0x3E;
    StartLaps();
    EnterZone(0);
    EXPECT_EQ(lapCount, 0);
    EXPECT_TRUE(raceCalls.empty());
    Drive({5, 0});
    EXPECT_EQ(lapCount, 0);
}

TEST(RaceMessages, ShowRaceMessageCopiesWholeRowsAndIgnoresRowsBeyondTheTable) {
    ShowRaceMessage(1);
    EXPECT_STREQ(messageText, "Avoid trees and drunken Zorveks.");
    ShowRaceMessage(7);
    EXPECT_STREQ(messageText, "Avoid trees and drunken Zorveks.");
    ShowRaceMessage(0);
    EXPECT_STREQ(messageText, "Welcome to Kestrune! Use mouse to drive.");
}
