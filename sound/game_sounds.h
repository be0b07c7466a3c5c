#pragma once
// The game's ten sounds: their slots, the order start-up loads them in, the
// order shut-down destroys them in, and the rule of every play site. A slot
// whose sound could not be loaded is null, and every operation here skips it.
#include "sound/sound_device.h"

constexpr int turnSoundCount = 6;

extern SoundClip* engineSound;                 // "eng1.wav", looping, re-pitched
extern SoundClip* turnSounds[turnSoundCount];  // "turn1.wav" to "turn6.wav", by zone
extern SoundClip* crashSound;                  // "crash.wav"
extern SoundClip* robotNearSound;              // "grelmash.wav"
extern SoundClip* musicSound;                  // "tarvik.wav"

// Loads the ten sounds into their slots, in the game's order, through
// soundDevice (made by CreateSoundDevice just before). Without a ready device
// every slot stays null.
void LoadGameSounds();

// Destroys the clips (engine, turn 0 to 5, crash, robot, music), nulling each
// slot, then the sound device.
void ReleaseGameSounds();

// Whether a device exists and is initialised: the first test of every play site.
bool SoundReady();

// The rule of every play site: play once, with (0, 0, 0, -1, 0), only when the
// device is ready and the clip is silent. A request while it plays is dropped.
void PlayIfSilent(SoundClip* clip);

// The race reset's start of the engine: looping at 8000 Hz when the device is
// ready and the engine is silent. A stopped engine resumes where it stopped.
void StartEngineSound();

// Game over stops the engine where it stands, when the device is ready.
void StopEngineSound();

// Leaving a race silences it: the engine and every cue, the tune included,
// stop where they stand, when the device is ready.
void StopRaceSounds();
