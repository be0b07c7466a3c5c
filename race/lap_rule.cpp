#include "race/lap_rule.h"

#include "race/game_state.h"
#include "race/race_links.h"

namespace {

// Bits 1 to 5: every road zone but the start zone.
constexpr int32_t allRoadZones = 0x3E;

}  // namespace

float lapTimes[lapsPerRace] = {};
float lapStartTime = 0.0f;

void StartLaps() {
    // Without this a race after a wreck away from the line counted a lap in
    // its first frame, the car standing in zone 0.
    lastZone = startZone;
    zonesEntered = 0;
    for (float& time : lapTimes) time = 0.0f;
    lapStartTime = 0.0f;
}

void EnterZone(int32_t zone) {
    if (zone == lastZone) return;
    if (zone == startZone) {
        // Only a lap driven counts, in either direction: rocking back and
        // forth over the line enters zone 0 again and again but never the
        // far side of the circuit.
        if (zonesEntered == allRoadZones) {
            zonesEntered = 0;
            if (lapCount >= 0 && lapCount < lapsPerRace)
                lapTimes[lapCount] = raceTime - lapStartTime;
            lapStartTime = raceTime;
            ++lapCount;
            // Equality, not at-least: the race ends on the fifth lap and no
            // sixth can be counted before the next frame ends it.
            if (lapCount == lapsPerRace) phase = Finished;
        }
    } else {
        zonesEntered |= 1 << zone;
    }
    raceLinks.playCue(static_cast<RaceCue>(static_cast<int>(RaceCue::Zone0) + zone));
    lastZone = zone;
}
