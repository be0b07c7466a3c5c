#pragma once
// Sound synthesis helpers and the PCM WAV writer for the game's sounds.
#include <cstdint>
#include <string>
#include <vector>

// Samples in -1 .. 1 at `rate` samples per second.
struct Sound {
    int rate = 22050;
    std::vector<double> samples;

    Sound() = default;
    Sound(int samplesPerSecond, double seconds)
        : rate(samplesPerSecond), samples(static_cast<size_t>(samplesPerSecond * seconds + 0.5)) {}
    double Seconds() const { return double(samples.size()) / rate; }
};

// Mono 16-bit PCM. The peak is scaled to `peak` first, so every sound sits at
// a known level and none clips.
bool WriteWave(const std::string& path, const Sound& sound, double peak);

// A soft bell-like note: a sine with a touch of its octave and fifth above,
// quick attack, exponential decay, added into `sound`. Partials the rate
// cannot hold are left out rather than folded back as false notes.
void AddBell(Sound& sound, double start, double frequency, double length, double level);
// Additive square-ish lead (odd harmonics up to just below half the rate), with a
// short attack and release, added into `sound`.
void AddLead(Sound& sound, double start, double frequency, double length, double level);
// Triangle-ish tone (odd harmonics falling with their square) for bass and pads.
void AddSoft(Sound& sound, double start, double frequency, double length, double level,
             double attack, double release);
// Frequency of a MIDI note number (69 is A4 = 440 Hz).
double NoteFrequency(int note);

// The step of a one-pole low-pass, y += k * (x - y), that cuts at `cutoff` Hz.
double LowPassStep(double cutoff, int rate);

// Holds every peak down to `ceiling` times the sound's loudest sample: the gain
// falls linearly over `attack` seconds ahead of a peak and recovers over
// `release` after it. The sound then gets more loudness out of the same peak,
// without the crackle of a clip.
void LimitPeaks(Sound& sound, double ceiling, double attack, double release);

// Brings the last `seconds` of a sound down to silence along a straight line,
// so it dies away rather than stops.
void FadeOut(Sound& sound, double seconds);
