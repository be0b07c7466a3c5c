// The share of one core that the sound mixer takes with all ten of the game's
// sounds playing, in the primary format the game sets (mono, 8000 Hz, 8 bits).
// The device's own mixing is taken over and done here, in blocks of the size
// the audio thread asks for, so the processor time is the mixer's alone.
#include <time.h>

#include <vector>

#include "measures.h"
#include "sound/game_sounds.h"

namespace {

constexpr DWORD outputRate = 8000;
// What the device asks for per callback at 8000 Hz (about 32 ms).
constexpr DWORD blockFrames = 256;
constexpr double outputSeconds = 120.0;

double ThreadProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::vector<SoundClip*> TenSounds() {
    std::vector<SoundClip*> clips(turnSounds, turnSounds + turnSoundCount);
    clips.push_back(engineSound);
    clips.push_back(crashSound);
    clips.push_back(robotNearSound);
    clips.push_back(musicSound);
    return clips;
}

// Processor seconds to mix `outputSeconds` of output. The engine is re-pitched
// before each block, as the car's motion does from frame to frame.
double MixSeconds() {
    std::vector<BYTE> block(blockFrames);
    const long blocks = static_cast<long>(outputSeconds * outputRate / blockFrames);
    const double start = ThreadProcessorSeconds();
    for (long i = 0; i < blocks; ++i) {
        SetFrequency(engineSound, 8000 + static_cast<DWORD>(i % 400) * 100);
        DirectSoundMixForTesting(soundDevice->directSound, block.data(), blockFrames);
    }
    return ThreadProcessorSeconds() - start;
}

}  // namespace

SoundFigures MeasureSound(int runs) {
    SoundFigures figures;
    figures.outputSeconds = outputSeconds;
    if (!SoundReady()) {
        figures.missing = "no sound device";
        return figures;
    }
    const std::vector<SoundClip*> clips = TenSounds();
    for (SoundClip* clip : clips) {
        if (clip == nullptr) {
            figures.missing = "a sound did not load";
            return figures;
        }
    }
    std::vector<double> playing;
    std::vector<double> silent;
    for (int run = 0; run < runs; ++run) {
        for (SoundClip* clip : clips) Stop(clip);
        silent.push_back(MixSeconds() / outputSeconds * 100.0);
        // Looping, so that none falls silent before the measurement ends.
        for (SoundClip* clip : clips) Play(clip, 0, DSBPLAY_LOOPING, 0, -1, 0);
        playing.push_back(MixSeconds() / outputSeconds * 100.0);
        figures.playing = 0;
        for (SoundClip* clip : clips) figures.playing += IsPlaying(clip) ? 1 : 0;
    }
    for (SoundClip* clip : clips) Stop(clip);
    figures.sharePercent = Median(playing);
    figures.silentSharePercent = Median(silent);
    return figures;
}
