// DDS textures: DXT1, DXT3, DXT5 and uncompressed, our own decoder.
#include "tools/fuzz/image_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecodeImage(data, size);
}
