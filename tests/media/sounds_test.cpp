// The ten sounds, read with the game's WAV reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "media_files.h"
#include "sound/wav_file.h"

namespace {

struct Samples {
    WAVEFORMATEX format{};
    std::vector<double> values;  // -1 .. 1
    double Seconds() const { return double(values.size()) / format.nSamplesPerSec; }
};

Samples Read(const std::string& name) {
    Samples samples;
    WavFile file;
    EXPECT_FALSE(FAILED(file.Open(MediaFile(name).c_str()))) << name;
    if (!file.Format()) return samples;
    samples.format = *file.Format();
    std::vector<BYTE> bytes(file.DataSize());
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

const char* const soundNames[] = {"turn1.wav",    "turn2.wav", "turn3.wav", "turn4.wav",
                                  "turn5.wav",    "turn6.wav", "eng1.wav",  "crash.wav",
                                  "grelmash.wav", "tarvik.wav"};

TEST(Sounds, EveryOneIsMonoPcmThatIsNeitherSilentNorClipped) {
    for (const char* name : soundNames) {
        Samples s = Read(name);
        EXPECT_EQ(s.format.wFormatTag, 1) << name;
        EXPECT_EQ(s.format.nChannels, 1) << name;
        EXPECT_TRUE(s.format.wBitsPerSample == 8 || s.format.wBitsPerSample == 16) << name;
        EXPECT_GT(Peak(s), 0.2) << name;
        EXPECT_LT(Peak(s), 0.99) << name;
    }
}

TEST(Sounds, ZoneCuesAreShortAndAllDifferent) {
    std::vector<std::vector<double>> cues;
    for (int i = 1; i <= 6; ++i) {
        Samples s = Read("turn" + std::to_string(i) + ".wav");
        EXPECT_LT(s.Seconds(), 1.5);
        for (const auto& other : cues) EXPECT_NE(s.values, other) << "turn" << i << ".wav";
        cues.push_back(s.values);
    }
}

TEST(Sounds, EngineIsAuthoredAt8000AndLoopsWithoutAClick) {
    Samples s = Read("eng1.wav");
    EXPECT_EQ(s.format.nSamplesPerSec, 8000u);
    ASSERT_GT(s.values.size(), 1000u);
    // The step from the last sample back to the first is no bigger than the
    // steps inside the loop.
    double largest = 0;
    for (size_t i = 1; i < s.values.size(); ++i)
        largest = std::max(largest, std::abs(s.values[i] - s.values[i - 1]));
    EXPECT_LE(std::abs(s.values.front() - s.values.back()), largest);
    double mean = 0;
    for (double v : s.values) mean += v / static_cast<double>(s.values.size());
    EXPECT_NEAR(mean, 0.0, 0.01);
}

TEST(Sounds, FinishingTuneLastsAboutTwentySeconds) {
    Samples s = Read("tarvik.wav");
    EXPECT_GT(s.Seconds(), 15.0);
    EXPECT_LT(s.Seconds(), 25.0);
}

TEST(Sounds, CrashAndRobotCallAreShortEffects) {
    for (const char* name : {"crash.wav", "grelmash.wav"}) {
        Samples s = Read(name);
        EXPECT_GT(s.Seconds(), 0.3) << name;
        EXPECT_LT(s.Seconds(), 3.0) << name;
    }
}

}  // namespace
