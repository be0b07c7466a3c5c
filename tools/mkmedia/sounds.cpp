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
// They ring above the engine's band, and held up by the limiter, they stand
// clear of it without a louder peak.
Sound ZoneCue(int zone) {
    struct Note {
        double start;
        int note;
        double length;
    };
    static const std::vector<Note> figures[6] = {
        {{0.0, 84, 0.08}, {0.07, 88, 0.08}, {0.14, 91, 0.08}, {0.21, 96, 0.27}},  // C E G C: lap
        {{0.0, 79, 0.12}, {0.11, 84, 0.22}},                                      // G C
        {{0.0, 81, 0.12}, {0.11, 88, 0.22}},                                      // A E
        {{0.0, 84, 0.08}, {0.11, 84, 0.22}},                                      // C C
        {{0.0, 88, 0.12}, {0.11, 83, 0.22}},                                      // E B
        {{0.0, 86, 0.09}, {0.08, 90, 0.09}, {0.16, 93, 0.2}},                     // D F# A
    };
    double end = 0;
    for (const Note& n : figures[zone]) end = std::max(end, n.start + n.length);
    Sound sound(8000, end);
    for (const Note& n : figures[zone])
        AddBell(sound, n.start, NoteFrequency(n.note), n.length, 0.5);
    LimitPeaks(sound, 0.25, 0.002, 0.08);
    // The limiter holds the last ring up.
    FadeOut(sound, 0.08);
    return sound;
}

// Engine loop, authored at the game's own 8000 samples per second: the game
// plays it at 8000 Hz at rest and raises the rate with speed. What lets a
// player hear that rise on small speakers is the upper harmonics of the
// firing, so each stroke rings the exhaust's resonances between 300 Hz and
// 1.6 kHz, and the low firing itself is kept faint. Half a second holds
// exactly 25 strokes and every filter runs round the loop, so the end leads
// into the start without a click.
Sound EngineLoop() {
    const int rate = 8000, length = 4000, stroke = 160;  // 50 strokes per second
    Sound sound(rate, double(length) / rate);
    RandomStream random(801);
    // The firing: a short pulse per stroke, each a little different in
    // strength and timing, as a real engine's are.
    std::vector<double> firing(length);
    for (int p = 0; p < length / stroke; ++p) {
        double strength = random.Range(0.75, 1.2);
        int start = p * stroke + static_cast<int>(random.Range(-4, 4));
        for (int n = 0; n < 8; ++n) {
            double shape = 0.5 - 0.5 * std::cos(twoPi * n / 8);
            firing[((start + n) % length + length) % length] += strength * shape;
        }
    }
    // Exhaust noise, louder just after each stroke.
    std::vector<double> noise(length);
    for (int n = 0; n < length; ++n) {
        double sinceStroke = double(n % stroke) / stroke;
        noise[n] = random.Range(-1, 1) * (0.25 + std::exp(-sinceStroke * 6));
    }
    struct Resonance {
        double frequency, bandwidth, firingGain, noiseGain;
    };
    const Resonance resonances[] = {
        {310, 55, 0.8, 0.02}, {720, 75, 1.4, 0.03}, {1150, 100, 1.2, 0.04}, {1600, 130, 0.9, 0.05}};
    for (const Resonance& r : resonances) {
        double radius = std::exp(-std::numbers::pi * r.bandwidth / rate);
        double a1 = 2 * radius * std::cos(twoPi * r.frequency / rate), a2 = -radius * radius;
        // A band-pass with zeros at 0 Hz and 4 kHz: the firing's lows stay out.
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        // Twice round the loop, keeping the second pass, whose state already wraps.
        for (int pass = 0; pass < 2; ++pass) {
            for (int n = 0; n < length; ++n) {
                double input = r.firingGain * firing[n] + r.noiseGain * noise[n];
                double y = (1 - radius * radius) / 2 * (input - x2) + a1 * y1 + a2 * y2;
                x2 = x1;
                x1 = input;
                y2 = y1;
                y1 = y;
                if (pass == 1) sound.samples[n] += y;
            }
        }
    }
    double power = 0;
    for (double value : sound.samples) power += value * value / length;
    // The firing's own low notes, faint: body, not boom.
    for (int n = 0; n < length; ++n) {
        double t = double(n) / rate;
        sound.samples[n] = sound.samples[n] / std::sqrt(power) + 0.2 * std::sin(twoPi * 50 * t) +
                           0.15 * std::sin(twoPi * 100 * t + 0.7);
    }
    // Saturation rounds the strokes' peaks off, so the engine is loud for its
    // peak and leaves the other sounds room above it.
    for (double& value : sound.samples) value = std::tanh(2.0 * value);
    double mean = 0;
    for (double value : sound.samples) mean += value / length;
    for (double& value : sound.samples) value -= mean;
    return sound;
}

Sound Crash() {
    Sound sound(8000, 1.2);
    RandomStream random(901);
    const double crunchStep = LowPassStep(870, sound.rate);
    double low = 0;
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        double t = double(i) / sound.rate;
        double thump = std::sin(twoPi * (75 - 25 * t) * t) * std::exp(-t * 11);
        low += crunchStep * (random.Range(-1, 1) - low);
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
    // Driven hard, as a real impact overloads the ear: loud for its peak.
    for (double& value : sound.samples) value = std::tanh(1.5 * value);
    LimitPeaks(sound, 0.6, 0.002, 0.15);
    return sound;
}

// The robot's call, "Grelmash!": a buzzing voice through moving formants,
// ring-modulated and given a short metallic echo.
Sound RobotCall() {
    Sound sound(8000, 1.05);
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
    const double hissTop = LowPassStep(2800, sound.rate), hissBottom = LowPassStep(450, sound.rate);
    std::vector<double> dry(sound.samples.size());
    for (size_t i = 0; i < dry.size(); ++i) {
        double t = double(i) / sound.rate;
        Segment s = at(t);
        phase += s.pitch / sound.rate;
        // Band-limited buzz: harmonics up to what the rate holds.
        double buzz = 0;
        for (int k = 1; k * s.pitch < 0.45 * sound.rate; ++k)
            buzz += std::sin(twoPi * k * phase) / k;
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
        hissLow += hissTop * (noise - hissLow);
        hissHigh += hissBottom * (hissLow - hissHigh);
        double hiss = (hissLow - hissHigh) * s.hiss * 0.5 * std::min(1.0, (1.0 - t) * 8);
        double robot = voiced * (0.6 + 0.4 * std::sin(twoPi * 70 * t));
        double fade = std::min(1.0, t * 80) * std::min(1.0, (sound.Seconds() - t) * 30);
        dry[i] = (robot + hiss) * fade;
    }
    const size_t delay = static_cast<size_t>(0.035 * sound.rate);
    for (size_t i = 0; i < dry.size(); ++i) {
        sound.samples[i] = dry[i] + (i >= delay ? 0.35 * sound.samples[i - delay] : 0.0);
    }
    // Its lowest buzz, which small speakers do not play, would only take
    // headroom: two gentle high-passes take it out.
    const double step = LowPassStep(220, sound.rate);
    for (int pass = 0; pass < 2; ++pass) {
        double low = 0;
        for (double& value : sound.samples) {
            low += step * (value - low);
            value -= low;
        }
    }
    // A growl of overdrive makes it a creature's, and holds its peaks down.
    double loudest = 0;
    for (double value : sound.samples) loudest = std::max(loudest, std::abs(value));
    for (double& value : sound.samples) value = std::tanh(3 * value / loudest);
    LimitPeaks(sound, 0.6, 0.003, 0.1);
    FadeOut(sound, 0.06);  // the echo of the "sh" and the limiter's lift
    return sound;
}

}  // namespace

// The peak of each sound, as a share of full scale. The game plays every
// sound at full volume into one 8-bit mix, and the loudest set that can sound
// at once (the engine, a zone cue, the crash, the robot and the tune) may
// meet peak on peak: their peaks add up to less than full scale, so the mix
// never clips. Within that, the engine is as loud as its steady hum needs,
// and the cues and the crash, which must be heard over it, get the most.
constexpr double enginePeak = 0.19;
constexpr double cuePeak = 0.24;
constexpr double crashPeak = 0.23;
constexpr double robotPeak = 0.11;
constexpr double tunePeak = 0.18;
static_assert(enginePeak + cuePeak + crashPeak + robotPeak + tunePeak < 0.97);

bool WriteSounds(const std::string& folder) {
    for (int zone = 0; zone < 6; ++zone) {
        std::string name = folder + "/turn" + std::to_string(zone + 1) + ".wav";
        if (!WriteWave(name, ZoneCue(zone), cuePeak)) return false;
    }
    return WriteWave(folder + "/eng1.wav", EngineLoop(), enginePeak) &&
           WriteWave(folder + "/crash.wav", Crash(), crashPeak) &&
           WriteWave(folder + "/grelmash.wav", RobotCall(), robotPeak) &&
           WriteWave(folder + "/tarvik.wav", VictoryTune(), tunePeak);
}
