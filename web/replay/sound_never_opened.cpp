// The replay program's sound output: the DirectSound stand-in is made
// without output, as in the desktop's tests, so no device is ever asked for;
// under node there would be none to open.
#include "platform/sound_output.h"

bool StartSoundOutputs() {
    return true;
}

void StopSoundOutputs() {}

SoundOutputId OpenSoundOutput(const PcmLayout&, bool, SoundOutputFill, void*) {
    return 0;
}

void CloseSoundOutput(SoundOutputId) {}
void PauseSoundOutput(SoundOutputId, bool) {}
void LockSoundOutput(SoundOutputId) {}
void UnlockSoundOutput(SoundOutputId) {}

bool SoundOutputRemoved(SoundOutputId) {
    return false;
}

void NameSoundOutputs(const char*) {}
