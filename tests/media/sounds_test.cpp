// The ten sounds, read with the game's WAV reader, and heard through the
// game's mixer at its output format (8000 Hz, 8-bit, mono).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "media_files.h"
#include "platform/sound_mixer.h"
#include "sound/wav_file.h"

namespace {

struct Samples {
    WAVEFORMATEX format{};
    std::vector<BYTE> bytes;
    std::vector<double> values;  // -1 .. 1
    double Seconds() const { return double(values.size()) / format.nSamplesPerSec; }
};

Samples Read(const std::string& name) {
    Samples samples;
    WavFile file;
    EXPECT_FALSE(FAILED(file.Open(MediaFile(name).c_str()))) << name;
    if (!file.Format()) return samples;
    samples.format = *file.Format();
    std::vector<BYTE>& bytes = samples.bytes;
    bytes.resize(file.DataSize());
    DWORD read = 0;
    EXPECT_FALSE(FAILED(file.Read(bytes.data(), static_cast<DWORD>(bytes.size()), &read)));
    EXPECT_EQ(read, bytes.size());
    if (samples.format.wBitsPerSample == 16) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            samples.values.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)) /
                                     32768.0);
        }
    } else if (samples.format.wBitsPerSample == 8) {
        for (BYTE b : bytes) samples.values.push_back((b - 128) / 128.0);
    }
    return samples;
}

double Peak(const Samples& s) {
    double peak = 0;
    for (double v : s.values) peak = std::max(peak, std::abs(v));
    return peak;
}

double Rms(const std::vector<double>& values, size_t first = 0, size_t count = SIZE_MAX) {
    const size_t end = std::min(values.size(), first + std::min(count, values.size()));
    double sum = 0;
    for (size_t i = first; i < end; ++i) sum += values[i] * values[i];
    return end > first ? std::sqrt(sum / double(end - first)) : 0;
}

// The loudest tenth of a second: how loud a short sound strikes the ear.
double LoudestTenth(const Samples& s) {
    const size_t window = s.format.nSamplesPerSec / 10;
    double loudest = 0;
    for (size_t first = 0; first + window <= s.values.size(); first += window / 4)
        loudest = std::max(loudest, Rms(s.values, first, window));
    return loudest;
}

constexpr PcmLayout gameOutput{1, 8, 8000};

// A playing voice over a sound's samples, as the sound device makes one.
SoundVoice VoiceOf(const Samples& s) {
    SoundVoice voice;
    voice.layout = {s.format.nChannels, s.format.wBitsPerSample, s.format.nSamplesPerSec};
    voice.samples = std::make_shared<std::vector<uint8_t>>(s.bytes);
    voice.frameCount = static_cast<uint32_t>(s.bytes.size() / voice.layout.FrameBytes());
    voice.frequency = s.format.nSamplesPerSec;
    voice.playing = true;
    return voice;
}

// What the game's output carries for these voices, as bytes.
std::vector<uint8_t> Mix(std::vector<SoundVoice*> voices, size_t frames) {
    std::vector<uint8_t> out(frames);
    MixVoices(voices.data(), voices.size(), gameOutput, out.data(), frames);
    return out;
}

std::vector<double> Values(const std::vector<uint8_t>& bytes) {
    std::vector<double> values;
    for (uint8_t b : bytes) values.push_back((b - 128) / 128.0);
    return values;
}

// The share of a periodic signal's energy between `low` and `high` Hz, from
// its discrete Fourier transform at the game's output rate.
double EnergyShare(const std::vector<double>& values, double low, double high) {
    const size_t n = values.size();
    std::vector<double> cosines(n), sines(n);
    for (size_t i = 0; i < n; ++i) {
        cosines[i] = std::cos(2 * std::numbers::pi * double(i) / double(n));
        sines[i] = std::sin(2 * std::numbers::pi * double(i) / double(n));
    }
    double total = 0, inBand = 0;
    for (double v : values) total += v * v * double(n);  // Parseval
    for (size_t k = 1; k < n / 2; ++k) {
        const double hertz = double(k) * gameOutput.samplesPerSecond / double(n);
        if (hertz < low || hertz > high) continue;
        double re = 0, im = 0;
        for (size_t i = 0, at = 0; i < n; ++i, at = (at + k) % n) {
            re += values[i] * cosines[at];
            im -= values[i] * sines[at];
        }
        inBand += 2 * (re * re + im * im);  // the bin and its mirror
    }
    return total > 0 ? inBand / total : 0;
}

// The rank of `value` among `all`, as a share of them below it.
double ShareBelow(const std::vector<double>& all, double value) {
    return double(std::count_if(all.begin(), all.end(), [&](double v) { return v < value; })) /
           double(all.size());
}

const char* const soundNames[] = {"turn1.wav",    "turn2.wav", "turn3.wav", "turn4.wav",
                                  "turn5.wav",    "turn6.wav", "eng1.wav",  "crash.wav",
                                  "grelmash.wav", "tarvik.wav"};

TEST(Sounds, EveryOneIsMonoPcmThatIsNeitherSilentNorClipped) {
    for (const char* name : soundNames) {
        Samples s = Read(name);
        EXPECT_EQ(s.format.wFormatTag, 1) << name;
        EXPECT_EQ(s.format.nChannels, 1) << name;
        EXPECT_TRUE(s.format.wBitsPerSample == 8 || s.format.wBitsPerSample == 16) << name;
        EXPECT_GT(Peak(s), 0.05) << name;
        EXPECT_LT(Peak(s), 0.99) << name;
    }
}

TEST(Sounds, ZoneCuesAreShortAndAllDifferent) {
    std::vector<std::vector<double>> cues;
    for (int i = 1; i <= 6; ++i) {
        Samples s = Read("turn" + std::to_string(i) + ".wav");
        EXPECT_LT(s.Seconds(), 0.6);
        for (const auto& other : cues) EXPECT_NE(s.values, other) << "turn" << i << ".wav";
        cues.push_back(s.values);
    }
}

TEST(Sounds, EngineIsAuthoredAt8000AndLoopsWithoutAClick) {
    Samples s = Read("eng1.wav");
    EXPECT_EQ(s.format.nSamplesPerSec, 8000u);
    ASSERT_GT(s.values.size(), 1000u);
    // From the last sample into the first, the wave moves as it does inside
    // the loop: neither its step nor its bend stands out.
    const size_t n = s.values.size();
    std::vector<double> steps, bends;
    for (size_t i = 1; i + 1 < n; ++i) {
        steps.push_back(std::abs(s.values[i] - s.values[i - 1]));
        bends.push_back(std::abs(s.values[i + 1] - 2 * s.values[i] + s.values[i - 1]));
    }
    EXPECT_LT(ShareBelow(steps, std::abs(s.values[0] - s.values[n - 1])), 0.9);
    EXPECT_LT(ShareBelow(bends, std::abs(s.values[0] - 2 * s.values[n - 1] + s.values[n - 2])),
              0.9);
    double mean = 0;
    for (double v : s.values) mean += v / static_cast<double>(s.values.size());
    EXPECT_NEAR(mean, 0.0, 0.01);
}

// Small speakers play little below 200 Hz; the engine must be heard, and heard
// to rise, above it, from rest to the pitch cap.
TEST(Sounds, EngineIsHeardAbove200HzAtRestAndAtThePitchCap) {
    Samples s = Read("eng1.wav");
    ASSERT_EQ(s.values.size(), 4000u);  // half a second: 2 Hz between bins
    for (uint32_t frequency : {8000u, 48000u}) {
        SoundVoice engine = VoiceOf(s);
        engine.looping = true;
        engine.frequency = frequency;
        // Whole loops at either rate, so the transform sees one periodic wave.
        const std::vector<double> heard = Values(Mix({&engine}, 4000));
        EXPECT_GE(EnergyShare(heard, 201, 4000), 0.6) << frequency << " Hz";
        if (frequency == 8000) {
            EXPECT_GE(EnergyShare(heard, 150, 2000), 0.6);
        }
    }
}

// The loudest set of sounds that can play together, each at its own peak in
// the same output frame, with the engine at the pitch cap: the mix stays
// inside the 8-bit range, with either sign and any of the cues.
TEST(Sounds, WorstCaseMixNeverClips) {
    std::vector<Samples> others = {Read("eng1.wav"), Read("crash.wav"), Read("grelmash.wav"),
                                   Read("tarvik.wav")};
    for (int cue = 1; cue <= 6; ++cue) {
        std::vector<Samples> set = others;
        set.push_back(Read("turn" + std::to_string(cue) + ".wav"));
        for (double sign : {1.0, -1.0}) {
            std::vector<SoundVoice> voices;
            for (const Samples& s : set) {
                const size_t peak =
                    std::max_element(s.values.begin(), s.values.end(),
                                     [&](double a, double b) { return sign * a < sign * b; }) -
                    s.values.begin();
                voices.push_back(VoiceOf(s));
                voices.back().position = static_cast<uint64_t>(peak) << 32;
            }
            voices[0].looping = true;
            voices[0].frequency = 48000;
            std::vector<SoundVoice*> playing;
            for (SoundVoice& voice : voices) playing.push_back(&voice);
            const std::vector<uint8_t> out = Mix(playing, 400);
            // The peaks did meet: the first frame is the loudest the mix can be.
            EXPECT_GT(sign * (out[0] - 128), 100) << "turn" << cue;
            for (uint8_t b : out) {
                ASSERT_GT(b, 0) << "turn" << cue;
                ASSERT_LT(b, 255) << "turn" << cue;
            }
        }
    }
}

TEST(Sounds, CuesAndCrashStrikeAboveTheEngine) {
    const double engine = Rms(Read("eng1.wav").values);
    for (const char* name : {"turn1.wav", "turn2.wav", "turn3.wav", "turn4.wav", "turn5.wav",
                             "turn6.wav", "crash.wav"}) {
        EXPECT_GT(LoudestTenth(Read(name)), 1.25 * engine) << name;
    }
}

// Long enough to be a tune, and it ends as one: the last chord dies away
// before the file does.
TEST(Sounds, FinishingTuneLastsAtLeastTenSecondsAndIsNotCutOff) {
    Samples s = Read("tarvik.wav");
    EXPECT_GT(s.Seconds(), 10.0);
    EXPECT_LT(s.Seconds(), 25.0);
    const size_t tenth = s.format.nSamplesPerSec / 10;
    ASSERT_GT(s.values.size(), 20 * tenth);
    EXPECT_LT(Rms(s.values, s.values.size() - tenth / 2), 0.01 * Peak(s));
    // It fades rather than stops: a second before the end it still sounds.
    EXPECT_GT(Rms(s.values, s.values.size() - 12 * tenth, tenth), 0.05 * Peak(s));
}

TEST(Sounds, CrashAndRobotCallAreShortEffects) {
    for (const char* name : {"crash.wav", "grelmash.wav"}) {
        Samples s = Read(name);
        EXPECT_GT(s.Seconds(), 0.3) << name;
        EXPECT_LT(s.Seconds(), 3.0) << name;
    }
}

}  // namespace
