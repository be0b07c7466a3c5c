// The game's ten sounds, all synthesised: six zone cues, the engine loop, the
// crash, the robots' call and the finishing tune.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "media_writers.h"
#include "random_stream.h"
#include "wave_writer.h"

Sound VictoryTune();  // tune.cpp

namespace {

constexpr double twoPi = 2 * std::numbers::pi;

// Zone cues: short bell figures, each its own shape, so a player learns where
// on the lap they are by ear. Zone 0's cue, the lap chime, is the brightest.
Sound ZoneCue(int zone) {
    struct Note {
        double start;
        int note;
        double length;
    };
    static const std::vector<Note> figures[6] = {
        {{0.0, 84, 0.3}, {0.07, 88, 0.3}, {0.14, 91, 0.3}, {0.21, 96, 0.45}},  // C E G C: lap
        {{0.0, 79, 0.25}, {0.09, 84, 0.3}},                                    // G C
        {{0.0, 81, 0.25}, {0.09, 88, 0.3}},                                    // A E
        {{0.0, 84, 0.16}, {0.1, 84, 0.28}},                                    // C C
        {{0.0, 88, 0.25}, {0.09, 83, 0.3}},                                    // E B
        {{0.0, 86, 0.2}, {0.08, 90, 0.2}, {0.16, 93, 0.3}},                    // D F# A
    };
    Sound sound(22050, 0.7);
    for (const Note& n : figures[zone])
        AddBell(sound, n.start, NoteFrequency(n.note), n.length, 0.5);
    return sound;
}

// Engine loop, authored at 8000 samples per second: the game plays it at
// 8000 Hz at rest and raises the rate with speed. Half a second holds exactly
// twenty firing strokes and whole periods of every tone, and the noise is
// filtered round the loop, so the end meets the start without a click.
Sound EngineLoop() {
    const int rate = 8000, length = 4000, stroke = 200;  // 40 strokes per second
    Sound sound(rate, double(length) / rate);
    RandomStream random(801);
    for (int p = 0; p < length / stroke; ++p) {
        double strength = 0.75 + 0.4 * random.Unit();
        int start = p * stroke + static_cast<int>(random.Range(-3, 3));
        for (int n = 0; n < 3 * stroke; ++n) {
            double t = double(n) / rate;
            // A fast but smooth rise: an instant one would click forty times a second.
            double pop = (1 - std::exp(-t * 1500)) * std::exp(-t * 55) *
                         (std::sin(twoPi * 170 * t) + 0.5 * std::sin(twoPi * 395 * t + 1.0) +
                          0.2 * std::sin(twoPi * 880 * t + 2.0));
            sound.samples[((start + n) % length + length) % length] += strength * pop;
        }
    }
    for (int n = 0; n < length; ++n) {
        double t = double(n) / rate;
        sound.samples[n] += 0.55 * std::sin(twoPi * 40 * t) + 0.3 * std::sin(twoPi * 80 * t + 0.6) +
                            0.12 * std::sin(twoPi * 120 * t + 1.3);
    }
    // Exhaust hiss: noise low-passed round the loop twice, keeping the second
    // pass, whose filter state already wraps.
    std::vector<double> noise(length);
    for (double& value : noise) value = random.Range(-1, 1);
    double state = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 0; n < length; ++n) {
            state += 0.18 * (noise[n] - state);
            if (pass == 1) sound.samples[n] += 0.35 * state;
        }
    }
    double mean = 0;
    for (double value : sound.samples) mean += value / length;
    for (double& value : sound.samples) value -= mean;
    return sound;
}

Sound Crash() {
    Sound sound(22050, 1.2);
    RandomStream random(901);
    double low = 0;
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        double t = double(i) / sound.rate;
        double thump = std::sin(twoPi * (75 - 25 * t) * t) * std::exp(-t * 11);
        low += 0.22 * (random.Range(-1, 1) - low);
        double crunch = low * std::exp(-t * 4.5) * 1.6;
        double metal = 0;
        const double partials[][2] = {{523, 4.0}, {1187, 5.5}, {1649, 7.0}, {2311, 9.0}};
        for (const auto& partial : partials)
            metal += std::sin(twoPi * partial[0] * t) * std::exp(-t * partial[1]);
        sound.samples[i] = 0.9 * thump + crunch + 0.18 * metal * std::min(1.0, t * 60);
    }
    // Bits of debris settling.
    for (int k = 0; k < 9; ++k) {
        double at = random.Range(0.12, 0.85);
        double pitch = random.Range(900, 2600);
        size_t first = static_cast<size_t>(at * sound.rate);
        for (size_t n = 0; n < 500 && first + n < sound.samples.size(); ++n) {
            double t = double(n) / sound.rate;
            sound.samples[first + n] += 0.25 * std::exp(-t * 90) * std::sin(twoPi * pitch * t);
        }
    }
    return sound;
}

// The robot's call, "Grelmash!": a buzzing voice through moving formants,
// ring-modulated and given a short metallic echo.
Sound RobotCall() {
    Sound sound(22050, 1.05);
    struct Segment {
        double from, to;
        double pitch;       // Hz at the segment's start
        double f1, f2, f3;  // formants
        double voice;       // loudness of the buzz
        double growl;       // depth of the rolled "r"
        double hiss;        // loudness of the "sh"
    };
    const Segment segments[] = {
        {0.00, 0.08, 104, 300, 1600, 2400, 0.5, 0.0, 0.0},   // g
        {0.08, 0.20, 110, 450, 1300, 2300, 0.9, 0.8, 0.0},   // r
        {0.20, 0.34, 118, 560, 1850, 2550, 1.0, 0.0, 0.0},   // e
        {0.34, 0.42, 114, 380, 1000, 2400, 0.6, 0.0, 0.0},   // l
        {0.42, 0.48, 112, 300, 1000, 2400, 0.08, 0.0, 0.0},  // pause
        {0.48, 0.56, 120, 260, 1100, 2300, 0.55, 0.0, 0.0},  // m
        {0.56, 0.80, 118, 760, 1250, 2500, 1.0, 0.0, 0.0},   // a
        {0.80, 1.00, 84, 500, 1500, 2500, 0.0, 0.0, 1.0},    // sh
    };
    const int count = sizeof(segments) / sizeof(segments[0]);
    auto at = [&](double t) {
        Segment s = segments[count - 1];
        for (int i = 0; i < count; ++i) {
            if (t < segments[i].to || i == count - 1) {
                const Segment& a = segments[i];
                const Segment& b = segments[std::min(i + 1, count - 1)];
                double span = 0.4 * (a.to - a.from);
                double k = std::clamp((t - (a.to - span)) / span, 0.0, 1.0);
                k = k * k * (3 - 2 * k);  // the last part of each sound glides into the next
                s = {a.from,
                     a.to,
                     a.pitch + (b.pitch - a.pitch) * k,
                     a.f1 + (b.f1 - a.f1) * k,
                     a.f2 + (b.f2 - a.f2) * k,
                     a.f3 + (b.f3 - a.f3) * k,
                     a.voice + (b.voice - a.voice) * k,
                     a.growl,
                     a.hiss + (b.hiss - a.hiss) * k};
                break;
            }
        }
        return s;
    };
    RandomStream random(1001);
    double phase = 0;
    double y1[3] = {0, 0, 0}, y2[3] = {0, 0, 0};
    double hissLow = 0, hissHigh = 0;
    std::vector<double> dry(sound.samples.size());
    for (size_t i = 0; i < dry.size(); ++i) {
        double t = double(i) / sound.rate;
        Segment s = at(t);
        phase += s.pitch / sound.rate;
        // Band-limited buzz: harmonics up to 4 kHz.
        double buzz = 0;
        for (int k = 1; k * s.pitch < 4000; ++k) buzz += std::sin(twoPi * k * phase) / k;
        double growl = 1 - s.growl * 0.5 * (1 + std::sin(twoPi * 28 * t));
        double source = buzz * s.voice * growl;
        double formants[3] = {s.f1, s.f2, s.f3};
        const double gains[3] = {1.0, 0.7, 0.35};
        double voiced = 0;
        for (int f = 0; f < 3; ++f) {
            double r = std::exp(-std::numbers::pi * 110.0 / sound.rate);
            double theta = twoPi * formants[f] / sound.rate;
            double y = (1 - r) * source + 2 * r * std::cos(theta) * y1[f] - r * r * y2[f];
            y2[f] = y1[f];
            y1[f] = y;
            voiced += gains[f] * y;
        }
        // "sh": noise with its lows and highs trimmed.
        double noise = random.Range(-1, 1);
        hissLow += 0.55 * (noise - hissLow);
        hissHigh += 0.12 * (hissLow - hissHigh);
        double hiss = (hissLow - hissHigh) * s.hiss * 0.5 * std::min(1.0, (1.0 - t) * 8);
        double robot = voiced * (0.6 + 0.4 * std::sin(twoPi * 70 * t));
        double fade = std::min(1.0, t * 80) * std::min(1.0, (sound.Seconds() - t) * 30);
        dry[i] = (robot + hiss) * fade;
    }
    const size_t delay = static_cast<size_t>(0.035 * sound.rate);
    for (size_t i = 0; i < dry.size(); ++i) {
        sound.samples[i] = dry[i] + (i >= delay ? 0.35 * sound.samples[i - delay] : 0.0);
    }
    return sound;
}

}  // namespace

bool WriteSounds(const std::string& folder) {
    for (int zone = 0; zone < 6; ++zone) {
        std::string name = folder + "/turn" + std::to_string(zone + 1) + ".wav";
        if (!WriteWave(name, ZoneCue(zone), 0.6)) return false;
    }
    return WriteWave(folder + "/eng1.wav", EngineLoop(), 0.5) &&
           WriteWave(folder + "/crash.wav", Crash(), 0.8) &&
           WriteWave(folder + "/grelmash.wav", RobotCall(), 0.75) &&
           WriteWave(folder + "/tarvik.wav", VictoryTune(), 0.7);
}
