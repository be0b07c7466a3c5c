#pragma once
// The audio device that plays the software mix (platform/sound_mixer.h):
// SDL's on the desktop, Web Audio in a browser. The device asks for the mix
// itself, whenever it needs more, through the fill function it was opened
// with; never between LockSoundOutput and UnlockSoundOutput.
#include <cstddef>
#include <cstdint>

#include "platform/sound_mixer.h"

// An open device; 0 is none.
using SoundOutputId = uint32_t;

// Writes `bytes` bytes of the mix, in the layout the device was opened at.
using SoundOutputFill = void (*)(void* context, uint8_t* output, int bytes);

// Brings up the sound system before the first device; false when there is none.
bool StartSoundOutputs();
void StopSoundOutputs();

// Opens the default playback device at `layout`, paused. `shortBuffer` asks
// for a short block between fills, for a device that stands only briefly.
// 0 when the device does not open.
SoundOutputId OpenSoundOutput(const PcmLayout& layout, bool shortBuffer, SoundOutputFill fill,
                              void* context);
// Waits out a fill under way.
void CloseSoundOutput(SoundOutputId output);
// A paused device plays silence and asks for nothing; pausing waits out a
// fill under way.
void PauseSoundOutput(SoundOutputId output, bool paused);

// Holds the device's fills off while the caller changes what they read.
void LockSoundOutput(SoundOutputId output);
void UnlockSoundOutput(SoundOutputId output);

// Whether the device went away under the program (unplugged).
bool SoundOutputRemoved(SoundOutputId output);

// The name the desktop's volume mixer lists the program's sound under.
void NameSoundOutputs(const char* name);
