#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "race/game_state.h"
#include "race/lap_rule.h"
#include "tests/support/race_fixture.h"

using LapRule = RaceFixture;

TEST_F(LapRule, CountsOnlyOnEntryIntoZoneZero) {
    phase = Racing;
    lastZone = 5;
    EnterZone(0);
    EXPECT_EQ(lapCount, 1);
    EnterZone(0);  // staying in the zone
    EXPECT_EQ(lapCount, 1);
    EnterZone(1);
    EnterZone(2);
    EXPECT_EQ(lapCount, 1);
    EXPECT_EQ(lastZone, 2);
}

TEST_F(LapRule, PlaysTheCueOfEveryZoneEnteredZeroIncluded) {
    lastZone = 4;
    EnterZone(5);
    EnterZone(5);
    EnterZone(0);
    EnterZone(3);
    EXPECT_EQ(raceCalls, (std::vector<std::string>{"cue:zone5", "cue:zone0", "cue:zone3"}));
}

TEST_F(LapRule, ReversingAcrossTheLineCountsEachEntry) {
    phase = Racing;
    lastZone = 5;
    EnterZone(0);
    EnterZone(5);  // backwards out of the start zone
    EnterZone(0);  // and forwards again
    EXPECT_EQ(lapCount, 2);
}

TEST_F(LapRule, FifthLapFinishesAndOnlyExactlyTheFifth) {
    phase = Racing;
    lapCount = 4;
    lastZone = 1;
    EnterZone(0);
    EXPECT_EQ(phase, Finished);

    phase = Racing;
    lapCount = 5;
    lastZone = 1;
    EnterZone(0);
    EXPECT_EQ(lapCount, 6);
    EXPECT_EQ(phase, Racing);
}

TEST_F(LapRule, LastZoneOfAnEarlierRaceCountsALapAtOnce) {
    // A wreck left the car in zone 3; the next race starts inside zone 0.
    lastZone = 3;
    lapCount = 0;
    EnterZone(0);
    EXPECT_EQ(lapCount, 1);
}

TEST_F(LapRule, FirstRaceOfARunStartsInZoneZeroWithoutALap) {
    EnterZone(0);
    EXPECT_EQ(lapCount, 0);
    EXPECT_TRUE(raceCalls.empty());
}

TEST(RaceMessages, ShowRaceMessageCopiesWholeRowsAndIgnoresRowsBeyondTheTable) {
    ShowRaceMessage(1);
    EXPECT_STREQ(messageText, "Avoid trees and drunken Zorveks.");
    ShowRaceMessage(7);
    EXPECT_STREQ(messageText, "Avoid trees and drunken Zorveks.");
    ShowRaceMessage(0);
    EXPECT_STREQ(messageText, "Welcome to Kestrune! Use mouse to drive.");
}
