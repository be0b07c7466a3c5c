#include "shell/game_links.h"

#include "race/race_links.h"
#include "sound/game_sounds.h"

namespace {

void PlayRaceCue(RaceCue cue) {
    if (cue == RaceCue::FinishMusic) {
        PlayIfSilent(musicSound);
        return;
    }
    const int zone = static_cast<int>(cue) - static_cast<int>(RaceCue::Zone0);
    if (zone >= 0 && zone < turnSoundCount) PlayIfSilent(turnSounds[zone]);
}

}  // namespace

void ConnectGame() {
    DisconnectRace();
    raceLinks.playCue = PlayRaceCue;
    raceLinks.stopEngine = StopEngineSound;
}
