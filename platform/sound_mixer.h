#pragma once
// The software mixer behind the DirectSound stand-in. It knows nothing of
// devices or threads: the caller hands it the voices and an output block, and
// holds whatever lock keeps the voices still meanwhile. Tests and the
// benchmark drive it directly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The layout of PCM sample frames: 8-bit unsigned or 16-bit signed
// little-endian samples, one or two interleaved channels (left first).
struct PcmLayout {
    uint16_t channels = 1;
    uint16_t bitsPerSample = 8;
    uint32_t samplesPerSecond = 8000;

    uint32_t FrameBytes() const { return channels * (bitsPerSample / 8u); }
};

// Whether the mixer can read or write this layout.
bool IsMixableLayout(const PcmLayout& layout);

// One secondary buffer: its sound and where and how it plays. Duplicated
// buffers share the samples and keep their own playing state.
struct SoundVoice {
    std::shared_ptr<std::vector<uint8_t>> samples;
    PcmLayout layout;
    uint32_t frameCount = 0;  // whole frames in samples

    // 32.32 fixed point: whole frames above, the fraction between two frames
    // below. Keeps a stopped voice's place, so it resumes where it stopped.
    uint64_t position = 0;
    uint32_t frequency = 8000;  // frames per second it plays at now
    int32_t volume = 0;         // hundredths of a decibel, 0 full, -10000 silent
    int32_t pan = 0;            // hundredths of a decibel taken off the far side
    bool playing = false;
    bool looping = false;
    bool lost = false;  // the device went away under it; it waits for a restore
    // Heard while another program has the focus (DSBCAPS_GLOBALFOCUS).
    bool globalFocus = false;
};

// Gain of an attenuation in hundredths of a decibel: 1 at 0, 0 at -10000 and
// below, about 0.5 at -600.
float AttenuationGain(int32_t hundredthsOfDecibel);

// Mixes `frameCount` frames of every playing voice into `output`, laid out as
// `outputLayout`, and moves the voices on. Each voice is resampled from its
// own frequency by linear interpolation, scaled by its volume and pan, summed
// and clipped. A one-shot voice that reaches its end stops and rewinds to 0; a
// looping voice wraps without a gap. Nothing playing gives silence (0x80 for
// 8-bit output, 0 for 16-bit). While the program is not active only
// global-focus voices are heard; the others play on unheard, so they are
// heard again, further on, when it is.
void MixVoices(SoundVoice* const* voices, size_t voiceCount, const PcmLayout& outputLayout,
               uint8_t* output, size_t frameCount, bool programActive = true);
