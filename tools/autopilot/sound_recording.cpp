#include "sound_recording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// The primary format the game sets: eight frames of one byte a millisecond.
constexpr uint32_t outputRate = 8000;
constexpr uint8_t silence = 0x80;

void PutU16(std::vector<uint8_t>& bytes, uint32_t value) {
    bytes.push_back(value & 0xFF);
    bytes.push_back((value >> 8) & 0xFF);
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
    PutU16(bytes, value & 0xFFFF);
    PutU16(bytes, value >> 16);
}

void PutTag(std::vector<uint8_t>& bytes, const char* tag) {
    bytes.insert(bytes.end(), tag, tag + 4);
}

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
    const uint32_t dataSize = static_cast<uint32_t>(samples.size());
    std::vector<uint8_t> bytes;
    PutTag(bytes, "RIFF");
    PutU32(bytes, 4 + 8 + 16 + 8 + dataSize + (dataSize & 1));
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    PutU32(bytes, 16);
    PutU16(bytes, 1);  // PCM
    PutU16(bytes, 1);  // mono
    PutU32(bytes, outputRate);
    PutU32(bytes, outputRate);  // bytes per second
    PutU16(bytes, 1);           // block align
    PutU16(bytes, 8);           // bits per sample
    PutTag(bytes, "data");
    PutU32(bytes, dataSize);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    if (dataSize & 1) bytes.push_back(0);  // chunks keep an even length
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         std::fclose);
    if (!file) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
    return std::fclose(file.release()) == 0;
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
