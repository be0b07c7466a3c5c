#pragma once
// PNG and JPEG files made in memory with libpng and libjpeg. Each encoder
// returns the file's bytes, or none when the library refused the picture.
#include <png.h>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tools/encoders/encoded_file.h"

struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;                 // PLTE
    std::vector<png_byte> paletteAlpha;             // tRNS of a palette
    std::optional<png_color_16> transparentColour;  // tRNS of grey or RGB
    std::optional<double> gamma;                    // gAMA
    // As PNG stores them: packed below 8 bits, 16-bit samples big-endian.
    std::vector<std::vector<uint8_t>> rows;
};

EncodedBytes EncodePng(const PngPicture& picture);

// 8-bit RGB or RGBA rows from RGBA pixels, rows from the top.
PngPicture RgbaPngPicture(uint32_t width, uint32_t height, const uint8_t* rgba, bool withAlpha);

struct JpegPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    J_COLOR_SPACE colourSpace = JCS_RGB;
    int components = 3;
    std::vector<uint8_t> pixels;  // `components` bytes a pixel, rows from the top
    int quality = 75;
    bool progressive = false;
    int restartRows = 0;
};

EncodedBytes EncodeJpeg(const JpegPicture& picture);

// RGB pixels from RGBA ones.
JpegPicture RgbJpegPicture(uint32_t width, uint32_t height, const uint8_t* rgba, int quality);
