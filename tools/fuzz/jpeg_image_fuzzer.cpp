// JPEG textures (libjpeg-turbo behind our reader).
#include "tools/fuzz/image_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecodeImage(data, size);
}
