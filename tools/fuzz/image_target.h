#pragma once
// The body shared by the texture targets: an image file through DecodeImage,
// as D3DXCreateTextureFromFileA reads it. Which decoder runs depends on the
// bytes alone, so the targets differ in their seeds and dictionaries (and the
// PNG target in mending checksums): each format gets a corpus and a fuzzing
// time of its own instead of sharing one with the others.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/image.h"
#include "tools/fuzz/require.h"

inline int FuzzDecodeImage(const uint8_t* data, size_t size) {
    RgbaImage image;
    image.width = 7;
    if (DecodeImage(data, size, image) < 0) {
        // A failure leaves the caller's image as it was.
        FUZZ_REQUIRE(image.width == 7 && image.height == 0 && image.pixels.empty());
        return 0;
    }
    FUZZ_REQUIRE(image.width > 0 && image.height > 0);
    FUZZ_REQUIRE(image.pixels.size() == size_t{image.width} * image.height * 4);
    return 0;
}
