#include <SDL.h>

#include "platform/sound_output.h"

bool StartSoundOutputs() {
    // SDL would otherwise take SIGINT and SIGTERM for itself, and the game,
    // which never asks SDL for events, could then not be stopped by them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

void StopSoundOutputs() {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SoundOutputId OpenSoundOutput(const PcmLayout& layout, bool shortBuffer, SoundOutputFill fill,
                              void* context) {
    SDL_AudioSpec desired{};
    desired.freq = static_cast<int>(layout.samplesPerSecond);
    desired.format = layout.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    desired.channels = static_cast<Uint8>(layout.channels);
    // About 30 ms a callback: late changes are heard within a frame or two.
    Uint16 samples = 64;
    while (!shortBuffer && samples < 4096 && samples < layout.samplesPerSecond / 32) samples *= 2;
    desired.samples = samples;
    // The fill runs on SDL's audio thread, which holds the device lock meanwhile.
    desired.callback = fill;
    desired.userdata = context;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts our mix to whatever the hardware
    // plays, so the mix is always in the format the game set.
    return SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained, 0);
}

void CloseSoundOutput(SoundOutputId output) {
    if (output != 0) SDL_CloseAudioDevice(output);
}

void PauseSoundOutput(SoundOutputId output, bool paused) {
    if (output != 0) SDL_PauseAudioDevice(output, paused ? 1 : 0);
}

void LockSoundOutput(SoundOutputId output) {
    if (output != 0) SDL_LockAudioDevice(output);
}

void UnlockSoundOutput(SoundOutputId output) {
    if (output != 0) SDL_UnlockAudioDevice(output);
}

// SDL reports a removed device only through its event queue, which nothing in
// the game pumps; the device's status says the same.
bool SoundOutputRemoved(SoundOutputId output) {
    return output != 0 && SDL_GetAudioDeviceStatus(output) == SDL_AUDIO_STOPPED;
}

void NameSoundOutputs(const char* name) {
    SDL_SetHint(SDL_HINT_APP_NAME, name);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, name);
}
