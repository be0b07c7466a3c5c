#pragma once
// Laps: the road-surface test reports the zone it found the car in, and a lap
// counts each time the car passes from another zone into zone 0.
#include <cstdint>

constexpr int32_t startZone = 0;
constexpr int32_t lapsPerRace = 5;

// Applies the lap rule for a car found in road zone `zone` (0..5): on a zone
// change, counts a lap on entering zone 0 (the fifth finishes the race), plays
// the zone's cue and remembers the zone.
void EnterZone(int32_t zone);
