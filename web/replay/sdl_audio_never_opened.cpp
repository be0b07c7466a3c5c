// The desktop's DirectSound stand-in, built here without output as in the
// desktop's tests, never opens SDL's audio; emscripten's SDL has no device
// functions, so these take their place and open nothing.
#include <SDL.h>

extern "C" {

SDL_AudioDeviceID SDL_OpenAudioDevice(const char*, int, const SDL_AudioSpec*, SDL_AudioSpec*, int) {
    return 0;
}

SDL_AudioStatus SDL_GetAudioDeviceStatus(SDL_AudioDeviceID) {
    return SDL_AUDIO_STOPPED;
}

void SDL_PauseAudioDevice(SDL_AudioDeviceID, int) {}
void SDL_LockAudioDevice(SDL_AudioDeviceID) {}
void SDL_UnlockAudioDevice(SDL_AudioDeviceID) {}
void SDL_CloseAudioDevice(SDL_AudioDeviceID) {}

SDL_bool SDL_SetHint(const char*, const char*) {
    return SDL_FALSE;
}
}
