#pragma once
// PCM wave files made in memory: the media generator's sounds, the
// autopilot's recording of the mixer and the sound tests' honest files.
#include <cstdint>
#include <vector>

#include "tools/encoders/encoded_file.h"

// "RIFF" "WAVE" with a 16-byte "fmt " chunk (PCM, block align and byte rate
// from the format) and a "data" chunk holding `samples` as they are, with the
// pad byte that keeps a chunk's length even.
EncodedBytes EncodePcmWave(uint16_t channels, uint32_t samplesPerSecond, uint16_t bitsPerSample,
                           const std::vector<uint8_t>& samples);
