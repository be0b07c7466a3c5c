#include "platform/sound_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Output is mixed in blocks of this many frames, so the sums live on the stack
// and the audio thread never allocates.
constexpr size_t blockFrames = 256;
constexpr int32_t silentAttenuation = -10000;

// One sample as a signed 16-bit value, whatever the source's width.
float SampleAt(const uint8_t* frame, uint16_t bitsPerSample, uint16_t channel) {
    if (bitsPerSample == 8) return static_cast<float>((frame[channel] - 128) * 256);
    const uint8_t* bytes = frame + channel * 2;
    return static_cast<float>(static_cast<int16_t>(bytes[0] | (bytes[1] << 8)));
}

// Adds one voice to the block's sums (interleaved by output channel) and
// moves it on.
void MixVoice(SoundVoice& voice, bool heard, uint32_t outputRate, uint16_t outputChannels,
              float* sums, size_t frames) {
    const std::vector<uint8_t>& samples = *voice.samples;
    const uint32_t frameBytes = voice.layout.FrameBytes();
    // A voice never reads past what its samples really hold.
    const uint64_t framesHeld = frameBytes ? samples.size() / frameBytes : 0;
    const uint64_t frameCount = std::min<uint64_t>(voice.frameCount, framesHeld);
    if (frameCount == 0 || outputRate == 0) {
        voice.playing = false;
        voice.position = 0;
        return;
    }
    const uint64_t end = frameCount << 32;
    if (voice.position >= end) voice.position = voice.looping ? voice.position % end : 0;

    const float gain = heard ? AttenuationGain(voice.volume) : 0.0f;
    // Pan takes its attenuation off the far side only.
    const float leftGain = gain * (voice.pan > 0 ? AttenuationGain(-voice.pan) : 1.0f);
    const float rightGain = gain * (voice.pan < 0 ? AttenuationGain(voice.pan) : 1.0f);
    // Rounded up, so a sound whose length is a whole number of output frames
    // ends exactly there rather than one frame late.
    const uint64_t step =
        ((static_cast<uint64_t>(voice.frequency) << 32) + outputRate - 1) / outputRate;
    const uint16_t sourceChannels = voice.layout.channels;
    const uint16_t bits = voice.layout.bitsPerSample;
    const uint8_t* data = samples.data();

    for (size_t i = 0; i < frames; ++i) {
        const uint64_t index = voice.position >> 32;
        const float fraction =
            static_cast<float>(voice.position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        // A loop interpolates into its start; a one-shot holds its last frame.
        const uint64_t following = index + 1 < frameCount ? index + 1 : (voice.looping ? 0 : index);
        const uint8_t* here = data + index * frameBytes;
        const uint8_t* there = data + following * frameBytes;

        float left = SampleAt(here, bits, 0);
        left += (SampleAt(there, bits, 0) - left) * fraction;
        float right = left;
        if (sourceChannels == 2) {
            right = SampleAt(here, bits, 1);
            right += (SampleAt(there, bits, 1) - right) * fraction;
        }
        left *= leftGain;
        right *= rightGain;
        if (outputChannels == 2) {
            sums[i * 2] += left;
            sums[i * 2 + 1] += right;
        } else {
            sums[i] += (left + right) * 0.5f;
        }

        voice.position += step;
        if (voice.position >= end) {
            if (voice.looping) {
                voice.position %= end;
            } else {
                voice.playing = false;
                voice.position = 0;
                return;
            }
        }
    }
}

void WriteBlock(const float* sums, size_t count, uint16_t bitsPerSample, uint8_t* output) {
    for (size_t i = 0; i < count; ++i) {
        const long rounded = std::lround(std::clamp(sums[i], -32768.0f, 32767.0f));
        if (bitsPerSample == 8) {
            output[i] = static_cast<uint8_t>((rounded + 32768) >> 8);
        } else {
            const uint16_t bits = static_cast<uint16_t>(static_cast<int16_t>(rounded));
            output[i * 2] = static_cast<uint8_t>(bits & 0xFF);
            output[i * 2 + 1] = static_cast<uint8_t>(bits >> 8);
        }
    }
}

}  // namespace

bool IsMixableLayout(const PcmLayout& layout) {
    return (layout.channels == 1 || layout.channels == 2) &&
           (layout.bitsPerSample == 8 || layout.bitsPerSample == 16) && layout.samplesPerSecond > 0;
}

float AttenuationGain(int32_t hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= silentAttenuation) return 0.0f;
    if (hundredthsOfDecibel >= 0) return 1.0f;
    return std::pow(10.0f, static_cast<float>(hundredthsOfDecibel) / 2000.0f);
}

void MixVoices(SoundVoice* const* voices, size_t voiceCount, const PcmLayout& outputLayout,
               uint8_t* output, size_t frameCount, bool programActive) {
    if (!output || !IsMixableLayout(outputLayout)) return;
    const uint16_t channels = outputLayout.channels;
    const size_t bytesPerValue = outputLayout.bitsPerSample / 8u;
    float sums[blockFrames * 2];
    for (size_t done = 0; done < frameCount;) {
        const size_t frames = std::min(blockFrames, frameCount - done);
        std::fill(sums, sums + frames * channels, 0.0f);
        for (size_t v = 0; v < voiceCount; ++v) {
            SoundVoice* voice = voices[v];
            if (!voice || !voice->playing || !voice->samples || !IsMixableLayout(voice->layout)) {
                continue;
            }
            MixVoice(*voice, programActive || voice->globalFocus, outputLayout.samplesPerSecond,
                     channels, sums, frames);
        }
        WriteBlock(sums, frames * channels, outputLayout.bitsPerSample,
                   output + done * channels * bytesPerValue);
        done += frames;
    }
}
