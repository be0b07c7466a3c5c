// Reports the mixer's processor time per second of output with all ten of the
// game's sounds playing at once, in the primary format the game sets (mono,
// 8000 Hz, 8 bits). The sounds are of mixed formats, so every conversion path
// of the mixer is timed; all loop, so none drops out early; the engine is
// re-pitched every 1/60 s as the car-motion step does.
//
// Usage: kestrune-soundbench [seconds of output, default 3600]
#include <string.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/sound_mixer.h"

namespace {

SoundVoice MakeVoice(uint16_t channels, uint32_t rate, uint16_t bits, double seconds) {
    SoundVoice voice;
    voice.layout = PcmLayout{channels, bits, rate};
    voice.frameCount = static_cast<uint32_t>(rate * seconds);
    auto samples = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(voice.frameCount) *
                                                          voice.layout.FrameBytes());
    for (size_t i = 0; i < samples->size(); ++i) {
        (*samples)[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);  // noise
    }
    voice.samples = samples;
    voice.frequency = rate;
    voice.playing = true;
    voice.looping = true;
    return voice;
}

double ProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        std::printf(
            "usage: kestrune-soundbench [SECONDS]\n"
            "Times the sound mixer with all ten of the game's sounds playing at once (mixed\n"
            "formats, all looping, the engine re-pitched as the car moves) into the game's\n"
            "primary format, mono 8000 Hz 8-bit, and prints the processor time per second\n"
            "of output and its share of one core.\n"
            "  SECONDS  seconds of output to mix (default 3600)\n"
            "Exit status 0 when the share is under 1%%, 1 otherwise, 2 on a bad argument.\n");
        return 0;
    }
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 3600;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: kestrune-soundbench [seconds of output]\n");
        return 2;
    }
    const PcmLayout output{1, 8, 8000};

    std::vector<SoundVoice> voices;
    for (int turn = 0; turn < 6; ++turn) voices.push_back(MakeVoice(1, 22050, 16, 0.4));
    voices.push_back(MakeVoice(1, 8000, 8, 0.5));     // the engine
    voices.push_back(MakeVoice(2, 44100, 16, 1.0));   // the crash
    voices.push_back(MakeVoice(1, 11025, 8, 1.5));    // the robot's call
    voices.push_back(MakeVoice(2, 22050, 16, 20.0));  // the music
    SoundVoice& engine = voices[6];
    engine.volume = -300;
    voices[7].pan = 2000;
    std::vector<SoundVoice*> playing;
    for (SoundVoice& voice : voices) playing.push_back(&voice);

    // SDL asks for about 30 ms at a time at 8000 Hz; the engine's pitch moves
    // between calls as it would from frame to frame.
    constexpr size_t callbackFrames = 256;
    std::vector<uint8_t> block(callbackFrames);
    const size_t totalFrames = static_cast<size_t>(seconds) * output.samplesPerSecond;
    unsigned checksum = 0;
    const double start = ProcessorSeconds();
    for (size_t done = 0; done < totalFrames; done += callbackFrames) {
        engine.frequency = 8000 + static_cast<uint32_t>((done / callbackFrames) % 400) * 100;
        MixVoices(playing.data(), playing.size(), output, block.data(), callbackFrames);
        checksum += block[done % callbackFrames];
    }
    const double spent = ProcessorSeconds() - start;

    const double perSecond = spent / static_cast<double>(seconds);
    std::printf("mixed %ld s of output (mono, 8000 Hz, 8-bit) from 10 playing sounds\n", seconds);
    std::printf("processor time: %.3f s in all, %.1f us per second of output\n", spent,
                perSecond * 1e6);
    std::printf("share of one core: %.4f%% (target: under 1%%)\n", perSecond * 100.0);
    std::printf("checksum %u\n", checksum);
    return perSecond < 0.01 ? 0 : 1;
}
