// The browser's sound device: Web Audio pulls the mix from the page's own
// turn of the event loop (platform/web/sound_output.js). There is one thread,
// so nothing needs locking: a fill never runs in the middle of the game's code.
#include "platform/sound_output.h"

#include <emscripten/emscripten.h>

#include <vector>

extern "C" {
int kestrune_sound_open(int rate, int channels, int bits, int shortBuffer);
void kestrune_sound_close(int id);
void kestrune_sound_pause(int id, int paused);
}

namespace {

struct Fill {
    SoundOutputFill fill = nullptr;
    void* context = nullptr;
    std::vector<uint8_t> block;
};

// Indexed by the id the page gave the device.
std::vector<Fill> fills;

Fill* FillOf(SoundOutputId output) {
    return output != 0 && output < fills.size() && fills[output].fill ? &fills[output] : nullptr;
}

}  // namespace

// The page asks for `bytes` bytes of the mix of device `id`; they stay in
// the block returned until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t* kestrune_sound_fill(int id, int bytes) {
    Fill* target = FillOf(static_cast<SoundOutputId>(id));
    if (target == nullptr || bytes <= 0) return nullptr;
    target->block.resize(static_cast<size_t>(bytes));
    target->fill(target->context, target->block.data(), bytes);
    return target->block.data();
}

bool StartSoundOutputs() {
    return true;
}

void StopSoundOutputs() {}

SoundOutputId OpenSoundOutput(const PcmLayout& layout, bool shortBuffer, SoundOutputFill fill,
                              void* context) {
    const int id = kestrune_sound_open(static_cast<int>(layout.samplesPerSecond), layout.channels,
                                       layout.bitsPerSample, shortBuffer ? 1 : 0);
    if (id <= 0) return 0;
    const SoundOutputId output = static_cast<SoundOutputId>(id);
    if (fills.size() <= output) fills.resize(output + 1);
    fills[output].fill = fill;
    fills[output].context = context;
    return output;
}

void CloseSoundOutput(SoundOutputId output) {
    Fill* target = FillOf(output);
    if (target == nullptr) return;
    kestrune_sound_close(static_cast<int>(output));
    *target = Fill{};
}

void PauseSoundOutput(SoundOutputId output, bool paused) {
    if (FillOf(output) != nullptr) kestrune_sound_pause(static_cast<int>(output), paused ? 1 : 0);
}

void LockSoundOutput(SoundOutputId) {}

void UnlockSoundOutput(SoundOutputId) {}

// A browser keeps its sound device: a removed card only moves the sound to
// another, or to none, which Web Audio plays on unheard.
bool SoundOutputRemoved(SoundOutputId) {
    return false;
}

// The browser lists the sound under the page's tab.
void NameSoundOutputs(const char*) {}
