// "tarvik.wav": the tune that plays once a race is finished. Eleven bars of
// 4/4 at 132 beats a minute, about twenty seconds: a lead over bass, chords
// and a light drum kit, in C major.
#include <cmath>
#include <numbers>
#include <vector>

#include "random_stream.h"
#include "wave_writer.h"

namespace {

constexpr double beat = 60.0 / 132.0;
constexpr double twoPi = 2 * std::numbers::pi;

struct Note {
    double beat;  // from the start of the tune
    double length;
    int note;  // MIDI number
};

// The melody, bar by bar (C | F | G | C | Am | F | G | C | F | G | C).
const std::vector<Note>& Melody() {
    static const std::vector<Note> melody = [] {
        // Each bar as (length in beats, note) pairs; 0 is a rest.
        const std::vector<std::vector<std::pair<double, int>>> bars = {
            {{0.5, 67}, {0.5, 72}, {0.5, 76}, {0.5, 79}, {1.5, 84}, {0.5, 79}},
            {{1.0, 81}, {0.5, 77}, {0.5, 81}, {1.0, 84}, {1.0, 81}},
            {{0.5, 83}, {0.5, 81}, {0.5, 79}, {0.5, 77}, {1.0, 74}, {1.0, 79}},
            {{1.5, 76}, {0.5, 74}, {2.0, 72}},
            {{0.5, 76}, {0.5, 81}, {0.5, 84}, {0.5, 81}, {1.0, 76}, {1.0, 81}},
            {{0.5, 77}, {0.5, 81}, {0.5, 84}, {0.5, 86}, {1.0, 84}, {1.0, 81}},
            {{0.5, 79}, {0.5, 83}, {0.5, 86}, {0.5, 83}, {1.0, 79}, {1.0, 86}},
            {{1.5, 84}, {0.5, 83}, {1.0, 84}, {1.0, 79}},
            {{1.0, 81}, {1.0, 84}, {2.0, 89}},
            {{1.0, 86}, {1.0, 83}, {1.0, 79}, {1.0, 86}},
            {{3.0, 84}, {1.0, 0}},
        };
        std::vector<Note> notes;
        double at = 0;
        for (const auto& bar : bars) {
            for (const auto& [length, note] : bar) {
                if (note) notes.push_back({at, length, note});
                at += length;
            }
        }
        return notes;
    }();
    return melody;
}

// Chord roots per bar and whether the chord is minor.
constexpr int chordRoots[11] = {48, 53, 55, 48, 57, 53, 55, 48, 53, 55, 48};
constexpr bool chordMinor[11] = {false, false, false, false, true, false,
                                 false, false, false, false, false};

void AddKick(Sound& sound, double start) {
    size_t first = static_cast<size_t>(start * sound.rate);
    for (size_t n = 0;
         n < static_cast<size_t>(0.25 * sound.rate) && first + n < sound.samples.size(); ++n) {
        double t = double(n) / sound.rate;
        double pitch = 50 + 90 * std::exp(-t * 30);
        sound.samples[first + n] += 0.5 * std::sin(twoPi * pitch * t) * std::exp(-t * 14);
    }
}

void AddNoiseHit(Sound& sound, double start, double length, double level, double brightness,
                 RandomStream& random) {
    size_t first = static_cast<size_t>(start * sound.rate);
    const double step = LowPassStep(1250, sound.rate);
    double low = 0;
    for (size_t n = 0;
         n < static_cast<size_t>(length * sound.rate) && first + n < sound.samples.size(); ++n) {
        double t = double(n) / sound.rate;
        double noise = random.Range(-1, 1);
        low += step * (noise - low);
        // Bright hits keep what the low-pass took out; dull ones keep the low-pass.
        double tone = brightness * (noise - low) + (1 - brightness) * low;
        sound.samples[first + n] += level * tone * std::exp(-t * 6.0 / length);
    }
}

}  // namespace

Sound VictoryTune() {
    const int bars = 11;
    Sound sound(8000, bars * 4 * beat + 1.2);
    RandomStream random(1101);
    for (const Note& n : Melody()) {
        AddLead(sound, n.beat * beat, NoteFrequency(n.note), n.length * beat * 0.95, 0.22);
        // A quiet echo an octave down thickens the lead.
        AddSoft(sound, n.beat * beat, NoteFrequency(n.note - 12), n.length * beat * 0.95, 0.1, 0.01,
                0.05);
    }
    for (int bar = 0; bar < bars; ++bar) {
        double barStart = bar * 4 * beat;
        int root = chordRoots[bar];
        int third = root + (chordMinor[bar] ? 3 : 4);
        bool last = bar == bars - 1;
        double chordLength = last ? 4 * beat + 1.0 : 4 * beat;
        for (int note : {root + 12, third + 12, root + 19}) {
            AddSoft(sound, barStart, NoteFrequency(note), chordLength, 0.07, 0.05, 0.3);
        }
        // Bass: root and octave in eighths, the last bar one long note.
        if (last) {
            AddSoft(sound, barStart, NoteFrequency(root - 12), 4 * beat + 1.0, 0.2, 0.01, 0.6);
        } else {
            for (int eighth = 0; eighth < 8; ++eighth) {
                int note = (eighth % 2 == 0) ? root - 12 : root;
                AddSoft(sound, barStart + eighth * beat / 2, NoteFrequency(note), beat / 2 * 0.8,
                        0.18, 0.005, 0.04);
            }
        }
        // Drums: kick on 1 and 3, snare on 2 and 4, hats on the eighths.
        for (int b = 0; b < 4; ++b) {
            double at = barStart + b * beat;
            if (last && b > 0) break;
            if (b % 2 == 0) AddKick(sound, at);
            if (b % 2 == 1) AddNoiseHit(sound, at, 0.18, 0.35, 0.5, random);
            AddNoiseHit(sound, at, 0.05, 0.08, 1.0, random);
            AddNoiseHit(sound, at + beat / 2, 0.04, 0.05, 1.0, random);
        }
        if (last) AddNoiseHit(sound, barStart, 1.6, 0.22, 0.8, random);  // closing cymbal
    }
    // Mastered as records are: the drums' peaks held down, so the tune carries
    // over the engine on a small share of the mix's headroom.
    LimitPeaks(sound, 0.35, 0.003, 0.12);
    return sound;
}
