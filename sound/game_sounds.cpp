#include "sound/game_sounds.h"

SoundClip* engineSound = nullptr;
SoundClip* turnSounds[turnSoundCount] = {};
SoundClip* crashSound = nullptr;
SoundClip* robotNearSound = nullptr;
SoundClip* musicSound = nullptr;

namespace {

constexpr DWORD engineFrequency = 8000;

void DestroySlot(SoundClip*& slot) {
    DestroyClip(slot);
    slot = nullptr;
}

}  // namespace

void LoadGameSounds() {
    static const char* const turnFiles[turnSoundCount] = {
        "turn1.wav", "turn2.wav", "turn3.wav", "turn4.wav", "turn5.wav", "turn6.wav",
    };
    for (int i = 0; i < turnSoundCount; ++i) turnSounds[i] = LoadSound(turnFiles[i], 0);
    // Only the engine changes pitch.
    engineSound = LoadSound("eng1.wav", DSBCAPS_CTRLFREQUENCY);
    crashSound = LoadSound("crash.wav", 0);
    robotNearSound = LoadSound("grelmash.wav", 0);
    musicSound = LoadSound("tarvik.wav", 0);
}

void ReleaseGameSounds() {
    DestroySlot(engineSound);
    for (SoundClip*& slot : turnSounds) DestroySlot(slot);
    DestroySlot(crashSound);
    DestroySlot(robotNearSound);
    DestroySlot(musicSound);
    DestroySoundDevice();
}

bool SoundReady() {
    return soundDevice && soundDevice->initialised;
}

void PlayIfSilent(SoundClip* clip) {
    if (SoundReady() && clip && !clip->IsPlaying()) clip->Play(0, 0, 0, -1, 0);
}

void StartEngineSound() {
    if (SoundReady() && engineSound && !engineSound->IsPlaying()) {
        engineSound->Play(0, DSBPLAY_LOOPING, 0, engineFrequency, 0);
    }
}

void StopEngineSound() {
    if (SoundReady()) Stop(engineSound);
}

void StopRaceSounds() {
    if (!SoundReady()) return;
    Stop(engineSound);
    for (SoundClip* clip : turnSounds) Stop(clip);
    Stop(crashSound);
    Stop(robotNearSound);
    Stop(musicSound);
}
