#include "sound_recording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/encoders/wave_encoder.h"

namespace {

// The primary format the game sets: eight frames of one byte a millisecond.
constexpr uint32_t outputRate = 8000;
constexpr uint8_t silence = 0x80;

double Decibels(double level) {
    return level > 0 ? 20 * std::log10(level) : -99.9;
}

}  // namespace

bool SoundRecording::Start(IDirectSound8* device) {
    // Mixing nothing is what hands the mixing over to us.
    if (!device || FAILED(DirectSoundMixForTesting(device, nullptr, 0))) return false;
    directSound = device;
    return true;
}

void SoundRecording::Advance(DWORD milliseconds) {
    if (!directSound || milliseconds == 0) return;
    const size_t frames = static_cast<size_t>(milliseconds) * (outputRate / 1000);
    const size_t first = samples.size();
    samples.resize(first + frames, silence);
    DirectSoundMixForTesting(directSound, samples.data() + first, static_cast<DWORD>(frames));
}

bool SoundRecording::Write(const std::string& path) const {
    return WriteEncodedFile(path, EncodePcmWave(1, outputRate, 8, samples));
}

std::string SoundRecording::Summary() const {
    double sumOfSquares = 0;
    int peak = 0;
    long clipped = 0;
    for (uint8_t sample : samples) {
        const int value = sample - silence;
        sumOfSquares += double(value) * value;
        peak = std::max(peak, std::abs(value));
        // The mixer clamps to the ends of the 8-bit range: a sample there was
        // (or may have been) cut off.
        if (sample == 0x00 || sample == 0xFF) ++clipped;
    }
    const double rms =
        samples.empty() ? 0 : std::sqrt(sumOfSquares / static_cast<double>(samples.size())) / 128;
    char line[160];
    std::snprintf(
        line, sizeof line, "sound: %.1f s, peak %.1f dBFS, RMS %.1f dBFS, clipped samples: %ld",
        double(samples.size()) / outputRate, Decibels(peak / 128.0), Decibels(rms), clipped);
    return line;
}
