#include "shell/game_links.h"

#include "race/race_links.h"
#include "render/device.h"
#include "shell/display_mode.h"
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

// A game runs while the renderer's device exists.
bool DeviceExists() {
    return device != nullptr;
}

}  // namespace

void ConnectGame() {
    DisconnectRace();
    raceLinks.playCue = PlayRaceCue;
    raceLinks.stopEngine = StopEngineSound;
    raceLinks.leaveRace = LeaveRace;
    raceLinks.deviceExists = DeviceExists;
}
