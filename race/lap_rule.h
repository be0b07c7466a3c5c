#pragma once
// Laps: the road-surface test reports the zone it found the car in, and a lap
// counts when the car comes into zone 0 having been through every other zone
// since the race began or since its last lap.
#include <cstdint>

constexpr int32_t startZone = 0;
constexpr int32_t lapsPerRace = 5;

// The time of each lap of the race, in order (0 for laps not yet driven), and
// the race time at which the lap being driven began.
extern float lapTimes[lapsPerRace];
extern float lapStartTime;

// A new race: the car stands in the start zone and has driven no zone yet,
// nor timed any lap.
void StartLaps();

// Applies the lap rule for a car found in road zone `zone` (0..5): on a zone
// change, notes a road zone or, on entering zone 0 after all five road zones,
// counts a lap (the fifth finishes the race); plays the zone's cue and
// remembers the zone.
void EnterZone(int32_t zone);
