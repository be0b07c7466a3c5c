#pragma once
// A race with every other part of the game replaced by doubles: the clock is
// set by the test, and each link records that it was called.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows_types.h"
#include "race/race_links.h"

// Milliseconds the platform clock reports while a RaceFixture is alive.
extern DWORD fakeMilliseconds;

// The calls the linked operations received, in order ("resetRace",
// "renderFrame", "cue:music", "cue:zone3", ...).
extern std::vector<std::string> raceCalls;
extern bool fakeDeviceExists;

// Resets the whole game state to its start-up values, connects recording
// doubles and a settable clock, and undoes it all afterwards.
class RaceFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Calls whose name equals `name`.
    static int Count(const std::string& name);
};

void ResetGameStateForTest();
