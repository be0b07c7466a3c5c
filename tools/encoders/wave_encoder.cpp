#include "tools/encoders/wave_encoder.h"

namespace {

void PutU16(EncodedBytes& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutU32(EncodedBytes& bytes, uint32_t value) {
    PutU16(bytes, value & 0xFFFF);
    PutU16(bytes, value >> 16);
}

void PutTag(EncodedBytes& bytes, const char* tag) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

EncodedBytes EncodePcmWave(uint16_t channels, uint32_t samplesPerSecond, uint16_t bitsPerSample,
                           const std::vector<uint8_t>& samples) {
    const uint32_t dataSize = static_cast<uint32_t>(samples.size());
    const uint32_t blockAlign = channels * ((bitsPerSample + 7u) / 8u);
    EncodedBytes bytes;
    bytes.reserve(44 + dataSize + 1);
    PutTag(bytes, "RIFF");
    PutU32(bytes, 4 + 8 + 16 + 8 + dataSize + (dataSize & 1));
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    PutU32(bytes, 16);
    PutU16(bytes, 1);  // PCM
    PutU16(bytes, channels);
    PutU32(bytes, samplesPerSecond);
    PutU32(bytes, samplesPerSecond * blockAlign);
    PutU16(bytes, blockAlign);
    PutU16(bytes, bitsPerSample);
    PutTag(bytes, "data");
    PutU32(bytes, dataSize);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    if (dataSize & 1) bytes.push_back(0);
    return bytes;
}
