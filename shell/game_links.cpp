#include "shell/game_links.h"

#include "drive/car.h"
#include "drive/obstacles.h"
#include "race/race_links.h"
#include "render/device.h"
#include "render/scene.h"
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
    raceLinks.resetRace = ResetRace;
    raceLinks.updateWaitingScene = UpdateWaitingScene;
    raceLinks.driveCar = DriveCar;
    raceLinks.checkCollisions = CheckCollisions;
    raceLinks.renderFrame = RenderFrame;
    raceLinks.leaveRace = LeaveRace;
    raceLinks.deviceExists = DeviceExists;
    raceLinks.playCue = PlayRaceCue;
    raceLinks.stopEngine = StopEngineSound;
    raceLinks.toggleCar = ToggleCarState;
    raceLinks.silenceRace = StopRaceSounds;
    raceLinks.startEngine = StartEngineSound;
}
