#include "platform/sound_mixer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr PcmLayout gameOutput{1, 8, 8000};

SoundVoice MakeVoice(const PcmLayout& layout, std::vector<uint8_t> samples) {
    SoundVoice voice;
    voice.layout = layout;
    voice.frameCount = static_cast<uint32_t>(samples.size() / layout.FrameBytes());
    voice.samples = std::make_shared<std::vector<uint8_t>>(std::move(samples));
    voice.frequency = layout.samplesPerSecond;
    return voice;
}

std::vector<uint8_t> Mix(std::vector<SoundVoice*> voices, size_t frames,
                         const PcmLayout& output = gameOutput) {
    std::vector<uint8_t> out(frames * output.FrameBytes(), 0x11);
    MixVoices(voices.data(), voices.size(), output, out.data(), frames);
    return out;
}

// Frames played before a one-shot voice stops, mixing one frame at a time.
size_t FramesUntilStopped(SoundVoice& voice) {
    size_t frames = 0;
    while (voice.playing && frames < 100000) {
        Mix({&voice}, 1);
        ++frames;
    }
    return frames;
}

// 8-bit ramp 0, 1, 2, ... as offsets from silence, so each output sample
// tells which source frame it came from.
std::vector<uint8_t> Ramp(size_t frames) {
    std::vector<uint8_t> ramp(frames);
    for (size_t i = 0; i < frames; ++i) ramp[i] = static_cast<uint8_t>(0x80 + i);
    return ramp;
}

}  // namespace

TEST(SoundMixer, NothingPlayingIsSilenceAtTheOutputsLevel) {
    EXPECT_EQ(Mix({}, 4), std::vector<uint8_t>(4, 0x80));
    EXPECT_EQ(Mix({}, 4, PcmLayout{2, 16, 22050}), std::vector<uint8_t>(16, 0x00));
    SoundVoice stopped = MakeVoice(gameOutput, std::vector<uint8_t>(8, 0xFF));
    EXPECT_EQ(Mix({&stopped}, 4), std::vector<uint8_t>(4, 0x80));
}

TEST(SoundMixer, TwiceTheRateEndsInHalfTheTime) {
    SoundVoice normal = MakeVoice(gameOutput, std::vector<uint8_t>(800, 0xC0));
    normal.playing = true;
    EXPECT_EQ(FramesUntilStopped(normal), 800u);

    SoundVoice doubled = MakeVoice(gameOutput, std::vector<uint8_t>(800, 0xC0));
    doubled.frequency = 16000;
    doubled.playing = true;
    EXPECT_EQ(FramesUntilStopped(doubled), 400u);

    // A 22050 Hz sound of 2205 frames lasts a tenth of a second at 8000 Hz.
    SoundVoice other = MakeVoice(PcmLayout{1, 8, 22050}, std::vector<uint8_t>(2205, 0xC0));
    other.playing = true;
    EXPECT_EQ(FramesUntilStopped(other), 800u);
}

TEST(SoundMixer, AFrequencyChangeTakesEffectAtOnce) {
    SoundVoice voice = MakeVoice(gameOutput, Ramp(100));
    voice.playing = true;
    Mix({&voice}, 10);
    voice.frequency = 24000;
    const std::vector<uint8_t> out = Mix({&voice}, 3);
    EXPECT_EQ(out, (std::vector<uint8_t>{0x80 + 10, 0x80 + 13, 0x80 + 16}));
}

TEST(SoundMixer, HalfTheRateInterpolatesBetweenFrames) {
    std::vector<uint8_t> samples = {0x80, 0x90, 0xA0};
    SoundVoice voice = MakeVoice(gameOutput, samples);
    voice.frequency = 4000;
    voice.playing = true;
    EXPECT_EQ(Mix({&voice}, 4), (std::vector<uint8_t>{0x80, 0x88, 0x90, 0x98}));
}

TEST(SoundMixer, AStoppedVoiceKeepsItsPlaceAndResumesThere) {
    SoundVoice voice = MakeVoice(gameOutput, Ramp(50));
    voice.playing = true;
    Mix({&voice}, 7);
    voice.playing = false;
    EXPECT_EQ(Mix({&voice}, 5), std::vector<uint8_t>(5, 0x80));
    voice.playing = true;
    EXPECT_EQ(Mix({&voice}, 2), (std::vector<uint8_t>{0x80 + 7, 0x80 + 8}));
}

TEST(SoundMixer, ALoopWrapsWithoutAGap) {
    SoundVoice voice = MakeVoice(gameOutput, Ramp(5));
    voice.playing = true;
    voice.looping = true;
    const std::vector<uint8_t> out = Mix({&voice}, 12);
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], 0x80 + i % 5) << "frame " << i;
    EXPECT_TRUE(voice.playing);

    // Resampled, the loop interpolates from its last frame into its first.
    SoundVoice slow = MakeVoice(gameOutput, {0x80, 0xA0});
    slow.frequency = 4000;
    slow.playing = true;
    slow.looping = true;
    EXPECT_EQ(Mix({&slow}, 6), (std::vector<uint8_t>{0x80, 0x90, 0xA0, 0x90, 0x80, 0x90}));
}

TEST(SoundMixer, AOneShotStopsAndRewindsAtItsEnd) {
    SoundVoice voice = MakeVoice(gameOutput, Ramp(4));
    voice.playing = true;
    const std::vector<uint8_t> out = Mix({&voice}, 6);
    EXPECT_EQ(out, (std::vector<uint8_t>{0x80, 0x81, 0x82, 0x83, 0x80, 0x80}));
    EXPECT_FALSE(voice.playing);
    EXPECT_EQ(voice.position, 0u);
    voice.playing = true;
    EXPECT_EQ(Mix({&voice}, 2), (std::vector<uint8_t>{0x80, 0x81}));
}

TEST(SoundMixer, SixHundredthsOfADecibelDownHalveTheAmplitude) {
    SoundVoice voice = MakeVoice(gameOutput, std::vector<uint8_t>(8, 0xC0));  // +64
    voice.volume = -600;
    voice.playing = true;
    for (uint8_t sample : Mix({&voice}, 8)) EXPECT_NEAR(sample - 0x80, 32, 1);

    SoundVoice silent = MakeVoice(gameOutput, std::vector<uint8_t>(8, 0xC0));
    silent.volume = -10000;
    silent.playing = true;
    EXPECT_EQ(Mix({&silent}, 4), std::vector<uint8_t>(4, 0x80));
    EXPECT_TRUE(silent.playing);  // silent, but still on its way
}

TEST(SoundMixer, SixteenBitAndStereoSourcesMixToEightBitMono) {
    // 16-bit signed: 0 is silence, 0x4000 a quarter of full scale up.
    SoundVoice wide = MakeVoice(PcmLayout{1, 16, 8000}, {0x00, 0x00, 0x00, 0x40, 0x00, 0xC0});
    wide.playing = true;
    EXPECT_EQ(Mix({&wide}, 3), (std::vector<uint8_t>{0x80, 0xC0, 0x40}));

    // Stereo: the two sides are averaged; opposite sides cancel to silence.
    SoundVoice stereo = MakeVoice(PcmLayout{2, 8, 8000}, {0xC0, 0xC0, 0xC0, 0x40, 0x80, 0xC0});
    stereo.playing = true;
    EXPECT_EQ(Mix({&stereo}, 3), (std::vector<uint8_t>{0xC0, 0x80, 0xA0}));

    SoundVoice stereoWide =
        MakeVoice(PcmLayout{2, 16, 44100}, std::vector<uint8_t>(44100 / 10 * 4, 0x00));
    stereoWide.playing = true;
    EXPECT_EQ(Mix({&stereoWide}, 800), std::vector<uint8_t>(800, 0x80));
    EXPECT_FALSE(stereoWide.playing);  // a tenth of a second at 8000 Hz
}

TEST(SoundMixer, VoicesAreSummedAndClipped) {
    SoundVoice a = MakeVoice(gameOutput, std::vector<uint8_t>(4, 0xA0));  // +32
    SoundVoice b = MakeVoice(gameOutput, std::vector<uint8_t>(4, 0x90));  // +16
    a.playing = b.playing = true;
    EXPECT_EQ(Mix({&a, &b}, 2), std::vector<uint8_t>(2, 0xB0));

    SoundVoice loud = MakeVoice(gameOutput, std::vector<uint8_t>(4, 0xF0));
    SoundVoice louder = MakeVoice(gameOutput, std::vector<uint8_t>(4, 0xFF));
    SoundVoice low = MakeVoice(gameOutput, std::vector<uint8_t>(4, 0x00));
    SoundVoice lower = MakeVoice(gameOutput, std::vector<uint8_t>(4, 0x10));
    loud.playing = louder.playing = low.playing = lower.playing = true;
    EXPECT_EQ(Mix({&loud, &louder}, 1), std::vector<uint8_t>(1, 0xFF));  // no wrap to quiet
    EXPECT_EQ(Mix({&low, &lower}, 1), std::vector<uint8_t>(1, 0x00));
}

TEST(SoundMixer, PanTakesTheFarSideDown) {
    const PcmLayout stereoOut{2, 16, 8000};
    SoundVoice voice = MakeVoice(gameOutput, std::vector<uint8_t>(4, 0xC0));
    voice.pan = 10000;  // fully right
    voice.playing = true;
    const std::vector<uint8_t> out = Mix({&voice}, 1, stereoOut);
    const int16_t left = static_cast<int16_t>(out[0] | (out[1] << 8));
    const int16_t right = static_cast<int16_t>(out[2] | (out[3] << 8));
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 16384);

    voice.pan = -600;  // the right side down by half
    const std::vector<uint8_t> half = Mix({&voice}, 1, stereoOut);
    EXPECT_EQ(static_cast<int16_t>(half[0] | (half[1] << 8)), 16384);
    EXPECT_NEAR(static_cast<int16_t>(half[2] | (half[3] << 8)), 8212, 2);
}

TEST(SoundMixer, NeverReadsPastTheSamplesItHolds) {
    // A voice that claims more frames than its samples hold plays only those.
    SoundVoice voice = MakeVoice(gameOutput, Ramp(3));
    voice.frameCount = 1000;
    voice.playing = true;
    EXPECT_EQ(Mix({&voice}, 5), (std::vector<uint8_t>{0x80, 0x81, 0x82, 0x80, 0x80}));
    EXPECT_FALSE(voice.playing);
}
