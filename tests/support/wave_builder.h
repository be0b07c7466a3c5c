#pragma once
// Builds RIFF/WAVE files byte by byte, so each test can craft exactly the
// file it needs (honest or hostile) and write it into a folder of its own.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

void AppendU16(Bytes& bytes, uint16_t value);
void AppendU32(Bytes& bytes, uint32_t value);
void AppendId(Bytes& bytes, const char* id);  // four characters

// A chunk: id, size, data and the fill byte after odd data. `declaredSize`
// replaces the true size in the header when it is not -1.
Bytes Chunk(const char* id, const Bytes& data, int64_t declaredSize = -1);

// "RIFF", the size of everything after it, the form type, then the chunks.
Bytes Riff(const char* formType, const std::vector<Bytes>& chunks);

// The 16 bytes of a "fmt " chunk with a consistent block align and byte rate.
Bytes FormatBytes(uint16_t tag, uint16_t channels, uint32_t samplesPerSecond,
                  uint16_t bitsPerSample);

// A whole plain PCM wave file: "fmt " (16 bytes) and "data".
Bytes PcmWave(uint16_t channels, uint32_t samplesPerSecond, uint16_t bitsPerSample,
              const Bytes& samples);
