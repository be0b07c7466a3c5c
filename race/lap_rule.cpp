#include "race/lap_rule.h"

#include "race/game_state.h"
#include "race/race_links.h"

void EnterZone(int32_t zone) {
    if (zone == lastZone) return;
    if (zone == startZone) {
        ++lapCount;
        // Equality, not at-least: the race ends on the fifth lap and no sixth
        // can be counted before the next frame ends it.
        if (lapCount == lapsPerRace) phase = Finished;
    }
    raceLinks.playCue(static_cast<RaceCue>(static_cast<int>(RaceCue::Zone0) + zone));
    lastZone = zone;
}
