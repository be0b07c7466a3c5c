// PNG textures (libpng behind our reader). libpng refuses a chunk whose CRC
// does not match, so almost every mutation would die at the first check;
// the CRCs are therefore set right before decoding, and the mutations reach
// the chunks' contents. A crashing input is the repaired bytes: those are what
// a regression test must hold.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/fuzz/image_target.h"

namespace {

uint32_t ReadBigEndian(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

// Each whole chunk after the 8-byte signature: length, type, data, CRC.
void RepairChunkCrcs(std::vector<uint8_t>& file) {
    size_t at = 8;
    while (file.size() - at >= 12) {
        const uint32_t length = ReadBigEndian(&file[at]);
        if (length > file.size() - at - 12) break;
        const uint32_t crc =
            static_cast<uint32_t>(crc32(0, &file[at + 4], static_cast<uInt>(length) + 4));
        uint8_t* stored = &file[at + 8 + length];
        for (int i = 0; i < 4; ++i) stored[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at += size_t{length} + 12;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    if (size >= 8) RepairChunkCrcs(file);
    return FuzzDecodeImage(file.data(), file.size());
}
