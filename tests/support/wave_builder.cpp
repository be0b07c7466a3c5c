#include "tests/support/wave_builder.h"

void AppendU16(Bytes& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32(Bytes& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
    }
}

void AppendId(Bytes& bytes, const char* id) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(id[i]));
}

Bytes Chunk(const char* id, const Bytes& data, int64_t declaredSize) {
    Bytes bytes;
    AppendId(bytes, id);
    AppendU32(bytes, declaredSize >= 0 ? static_cast<uint32_t>(declaredSize)
                                       : static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    if (data.size() % 2) bytes.push_back(0);
    return bytes;
}

Bytes Riff(const char* formType, const std::vector<Bytes>& chunks) {
    Bytes body;
    AppendId(body, formType);
    for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
    Bytes bytes;
    AppendId(bytes, "RIFF");
    AppendU32(bytes, static_cast<uint32_t>(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

Bytes FormatBytes(uint16_t tag, uint16_t channels, uint32_t samplesPerSecond,
                  uint16_t bitsPerSample) {
    Bytes bytes;
    const uint16_t blockAlign = static_cast<uint16_t>(channels * (bitsPerSample / 8));
    AppendU16(bytes, tag);
    AppendU16(bytes, channels);
    AppendU32(bytes, samplesPerSecond);
    AppendU32(bytes, samplesPerSecond * blockAlign);
    AppendU16(bytes, blockAlign);
    AppendU16(bytes, bitsPerSample);
    return bytes;
}

Bytes PcmWave(uint16_t channels, uint32_t samplesPerSecond, uint16_t bitsPerSample,
              const Bytes& samples) {
    return Riff("WAVE", {Chunk("fmt ", FormatBytes(1, channels, samplesPerSecond, bitsPerSample)),
                         Chunk("data", samples)});
}
