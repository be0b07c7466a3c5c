#include "wave_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "image_files.h"
#include "tools/encoders/wave_encoder.h"

namespace {

// Envelope of a note: linear attack, flat, linear release, zero outside.
double Envelope(double t, double length, double attack, double release) {
    if (t < 0 || t > length) return 0;
    double level = 1.0;
    if (t < attack) level = t / attack;
    if (t > length - release) level = std::min(level, (length - t) / release);
    return level;
}

template <typename Voice>
void AddVoice(Sound& sound, double start, double length, Voice voice) {
    size_t first = static_cast<size_t>(std::max(0.0, start) * sound.rate);
    size_t last =
        std::min(sound.samples.size(), static_cast<size_t>((start + length) * sound.rate) + 1);
    for (size_t i = first; i < last; ++i) {
        double t = double(i) / sound.rate - start;
        sound.samples[i] += voice(t);
    }
}

}  // namespace

bool WriteWave(const std::string& path, const Sound& sound, double peak) {
    double loudest = 0;
    for (double s : sound.samples) loudest = std::max(loudest, std::abs(s));
    double gain = loudest > 0 ? peak / loudest : 0;
    std::vector<uint8_t> samples;
    samples.reserve(sound.samples.size() * 2);
    for (double s : sound.samples) {
        const auto value = static_cast<uint16_t>(
            static_cast<int16_t>(std::lround(std::clamp(s * gain, -1.0, 1.0) * 32767.0)));
        samples.push_back(static_cast<uint8_t>(value & 0xFF));
        samples.push_back(static_cast<uint8_t>(value >> 8));
    }
    return WriteBytesToFile(path, EncodePcmWave(1, static_cast<uint32_t>(sound.rate), 16, samples));
}

double NoteFrequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

void AddBell(Sound& sound, double start, double frequency, double length, double level) {
    const double twoPi = 2 * std::numbers::pi;
    const double highest = 0.45 * sound.rate;
    const double second = 2 * frequency < highest ? 0.3 : 0.0;
    const double third = 3 * frequency < highest ? 0.12 : 0.0;
    AddVoice(sound, start, length, [&](double t) {
        double envelope = Envelope(t, length, 0.004, 0.02) * std::exp(-t * 2.5 / length);
        double tone = std::sin(twoPi * frequency * t) +
                      second * std::sin(twoPi * 2 * frequency * t) * std::exp(-t * 12) +
                      third * std::sin(twoPi * 3 * frequency * t) * std::exp(-t * 20);
        return level * envelope * tone;
    });
}

void AddLead(Sound& sound, double start, double frequency, double length, double level) {
    const double twoPi = 2 * std::numbers::pi;
    int harmonics = std::max(1, static_cast<int>(0.45 * sound.rate / frequency));
    AddVoice(sound, start, length, [&](double t) {
        double envelope = Envelope(t, length, 0.01, std::min(0.06, length / 3)) *
                          (0.75 + 0.25 * std::exp(-t * 8));
        double vibrato = 1 + 0.004 * std::sin(twoPi * 5.5 * t) * std::min(1.0, t * 4);
        double value = 0;
        for (int k = 1; k <= harmonics; k += 2) {
            value += std::sin(twoPi * k * frequency * vibrato * t) / k * std::exp(-0.08 * k);
        }
        return level * envelope * value;
    });
}

void AddSoft(Sound& sound, double start, double frequency, double length, double level,
             double attack, double release) {
    const double twoPi = 2 * std::numbers::pi;
    int harmonics = std::max(1, std::min(9, static_cast<int>(sound.rate / 3.0 / frequency)));
    AddVoice(sound, start, length, [&](double t) {
        double envelope = Envelope(t, length, attack, release);
        double value = 0;
        for (int k = 1; k <= harmonics; k += 2)
            value += std::sin(twoPi * k * frequency * t) / (k * k);
        return level * envelope * value;
    });
}

double LowPassStep(double cutoff, int rate) {
    return 1 - std::exp(-2 * std::numbers::pi * cutoff / rate);
}

void LimitPeaks(Sound& sound, double ceiling, double attack, double release) {
    std::vector<double>& samples = sound.samples;
    double loudest = 0;
    for (double s : samples) loudest = std::max(loudest, std::abs(s));
    if (loudest == 0 || samples.empty()) return;
    const double limit = ceiling * loudest;
    // The gain each sample needs, lowered ahead of every peak by the attack
    // ramp and held down after it by the release. Each pass only lowers the
    // gain, so no sample ends above the limit.
    std::vector<double> gain(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        gain[i] = std::min(1.0, limit / std::max(std::abs(samples[i]), 1e-12));
    const double fall = 1.0 / std::max(1.0, attack * sound.rate);
    for (size_t i = samples.size() - 1; i-- > 0;) gain[i] = std::min(gain[i], gain[i + 1] + fall);
    const double rise = 1 - std::exp(-1.0 / std::max(1.0, release * sound.rate));
    for (size_t i = 1; i < samples.size(); ++i)
        gain[i] = std::min(gain[i], gain[i - 1] + (1 - gain[i - 1]) * rise);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] *= gain[i];
}

void FadeOut(Sound& sound, double seconds) {
    const size_t count = std::min(sound.samples.size(), static_cast<size_t>(seconds * sound.rate));
    for (size_t i = 0; i < count; ++i)
        sound.samples[sound.samples.size() - 1 - i] *= double(i) / double(count);
}
