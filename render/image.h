#pragma once
// Decoded images: 8-bit RGBA, rows from the top, whatever the file held.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/windows_types.h"

struct RgbaImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes: r, g, b, a
};

// Recognises PNG, JPEG, BMP and DDS by their content, not by the file name.
// Negative result for a missing, unknown or corrupt file.
HRESULT DecodeImageFile(const char* path, RgbaImage& image);
HRESULT DecodeImage(const uint8_t* bytes, size_t size, RgbaImage& image);
