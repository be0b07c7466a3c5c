// kestrune-fuzz-seeds MEDIA CORPORA: fills CORPORA/<target>/ with the seeds of
// each fuzz target. The generated media are the honest files; beside them go
// small variants made from the same pictures and sounds in every form the
// readers accept (depths, headers, compressions, chunk layouts), so that the
// fuzzer starts with each path already reached and with inputs small enough
// to mutate quickly.
//
// The game's headers first: jpeglib.h defines TRUE and FALSE as macros.
#include "core/ghost_path.h"
#include "core/records_file.h"
#include "drive/track_map.h"
#include "platform/file_bytes.h"
#include "platform/gdi_bitmap.h"
#include "render/image.h"
#include "render/x_file.h"
#include "sound/wav_file.h"
#include "tools/encoders/image_encoders.h"
#include "tools/encoders/x_binary_writer.h"
// jpeglib.h uses FILE without including its header.
#include <cstdio>
//
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

bool writeFailed = false;

void Save(const fs::path& folder, const std::string& name, const Bytes& bytes) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "cannot write " << (folder / name) << "\n";
        writeFailed = true;
    }
}

void PutU16(Bytes& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(Bytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutId(Bytes& bytes, const char* id) {
    bytes.insert(bytes.end(), id, id + 4);
}

// A part of a decoded picture, rows from the top.
RgbaImage Crop(const RgbaImage& image, uint32_t left, uint32_t top, uint32_t width,
               uint32_t height) {
    RgbaImage part;
    part.width = std::min(width, image.width - std::min(left, image.width));
    part.height = std::min(height, image.height - std::min(top, image.height));
    for (uint32_t y = 0; y < part.height; ++y) {
        const uint8_t* row = image.pixels.data() + ((size_t{top} + y) * image.width + left) * 4;
        part.pixels.insert(part.pixels.end(), row, row + size_t{part.width} * 4);
    }
    return part;
}

const uint8_t* PixelOf(const RgbaImage& image, uint32_t x, uint32_t y) {
    return image.pixels.data() + (size_t{y} * image.width + x) * 4;
}

// ---- BMP ----

enum class BmpHeader { Core, Info, V4, V5 };

struct BmpForm {
    uint32_t bitsPerPixel;
    uint32_t compression = 0;  // BI_RGB, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3, BI_ALPHABITFIELDS 6
    uint32_t masks[4] = {};
    BmpHeader header = BmpHeader::Info;
    bool topDown = false;
};

uint32_t Grey(const uint8_t* rgba) {
    return (rgba[0] * 77u + rgba[1] * 150u + rgba[2] * 29u) >> 8;
}

// The palette index or packed value of one pixel in `form`.
uint32_t Encode(const uint8_t* rgba, const BmpForm& form) {
    switch (form.bitsPerPixel) {
        case 1:
            return Grey(rgba) >> 7;
        case 4:
            return Grey(rgba) >> 4;
        case 8:  // 3-3-2
            return (rgba[0] >> 5) << 5 | (rgba[1] >> 5) << 2 | rgba[2] >> 6;
        default: {
            uint32_t value = 0;
            for (int c = 0; c < 4; ++c) {
                const uint32_t mask = form.masks[c];
                if (mask == 0) continue;
                const int shift = __builtin_ctz(mask);
                const int bits = __builtin_popcount(mask);
                value |= (uint32_t{rgba[c]} >> (8 - std::min(bits, 8))) << shift;
            }
            return value;
        }
    }
}

Bytes Palette(const BmpForm& form) {
    Bytes palette;
    const uint32_t entries = 1u << form.bitsPerPixel;
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t r, g, b;
        if (form.bitsPerPixel == 8) {
            r = static_cast<uint8_t>((i >> 5) * 255 / 7);
            g = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7);
            b = static_cast<uint8_t>((i & 3) * 255 / 3);
        } else {
            r = g = b = static_cast<uint8_t>(i * 255 / (entries - 1));
        }
        palette.insert(palette.end(), {b, g, r});
        if (form.header != BmpHeader::Core) palette.push_back(0);
    }
    return palette;
}

// Run-length rows, bottom first: runs of two or more equal pixels as a count
// and a value, stretches of differing ones as literal runs padded to a 16-bit
// word, a line end after each row and a bitmap end after the last. A move of
// nothing at the start reaches the move escape too.
Bytes RunLengthPixels(const RgbaImage& image, const BmpForm& form) {
    const bool fourBit = form.compression == 2;
    Bytes bytes = {0, 2, 0, 0};
    for (uint32_t fileRow = 0; fileRow < image.height; ++fileRow) {
        std::vector<uint32_t> row;
        for (uint32_t x = 0; x < image.width; ++x)
            row.push_back(Encode(PixelOf(image, x, image.height - 1 - fileRow), form));
        for (size_t x = 0; x < row.size();) {
            size_t run = 1;
            while (x + run < row.size() && run < 255 && row[x + run] == row[x]) ++run;
            size_t literal = 0;
            while (run == 1 && x + literal < row.size() && literal < 255 &&
                   (x + literal + 1 == row.size() || row[x + literal] != row[x + literal + 1]))
                ++literal;
            if (literal < 3) {
                const uint32_t value = fourBit ? row[x] << 4 | row[x] : row[x];
                bytes.insert(bytes.end(), {static_cast<uint8_t>(run), static_cast<uint8_t>(value)});
                x += run;
                continue;
            }
            bytes.insert(bytes.end(), {0, static_cast<uint8_t>(literal)});
            Bytes values;
            for (size_t i = 0; i < literal; ++i) {
                if (!fourBit) {
                    values.push_back(static_cast<uint8_t>(row[x + i]));
                } else if (i % 2 == 0) {
                    values.push_back(static_cast<uint8_t>(row[x + i] << 4));
                } else {
                    values.back() |= static_cast<uint8_t>(row[x + i]);
                }
            }
            if (values.size() % 2 != 0) values.push_back(0);
            bytes.insert(bytes.end(), values.begin(), values.end());
            x += literal;
        }
        bytes.insert(bytes.end(), {0, static_cast<uint8_t>(fileRow + 1 == image.height ? 1 : 0)});
    }
    return bytes;
}

Bytes MakeBmp(const RgbaImage& image, const BmpForm& form) {
    Bytes header;
    const uint32_t headerSize = form.header == BmpHeader::Core ? 12
                                : form.header == BmpHeader::V4 ? 108
                                : form.header == BmpHeader::V5 ? 124
                                                               : 40;
    PutU32(header, headerSize);
    if (form.header == BmpHeader::Core) {
        PutU16(header, image.width);
        PutU16(header, image.height);
        PutU16(header, 1);
        PutU16(header, form.bitsPerPixel);
    } else {
        PutU32(header, image.width);
        PutU32(header, form.topDown ? static_cast<uint32_t>(-static_cast<int32_t>(image.height))
                                    : image.height);
        PutU16(header, 1);
        PutU16(header, form.bitsPerPixel);
        PutU32(header, form.compression);
        for (int i = 0; i < 5; ++i) PutU32(header, 0);  // size, resolution, colours
        if (form.header == BmpHeader::Info) {
            if (form.compression == 3) {
                for (int c = 0; c < 3; ++c) PutU32(header, form.masks[c]);
            } else if (form.compression == 6) {
                for (int c = 0; c < 4; ++c) PutU32(header, form.masks[c]);
            }
        } else {
            for (int c = 0; c < 4; ++c) PutU32(header, form.masks[c]);
            PutId(header, "BGRs");
            header.resize(headerSize, 0);
        }
    }
    if (form.bitsPerPixel <= 8) {
        const Bytes palette = Palette(form);
        header.insert(header.end(), palette.begin(), palette.end());
    }

    const uint32_t stride = (image.width * form.bitsPerPixel + 31) / 32 * 4;
    const bool runLength = form.compression == 1 || form.compression == 2;
    Bytes pixels(runLength ? 0 : size_t{stride} * image.height, 0);
    if (runLength) pixels = RunLengthPixels(image, form);
    for (uint32_t y = 0; y < image.height && !runLength; ++y) {
        const uint32_t fileRow = form.topDown ? y : image.height - 1 - y;
        uint8_t* row = pixels.data() + size_t{fileRow} * stride;
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint32_t value = Encode(PixelOf(image, x, y), form);
            if (form.bitsPerPixel < 8) {
                const uint32_t bit = x * form.bitsPerPixel;
                row[bit / 8] |= static_cast<uint8_t>(value << (8 - form.bitsPerPixel - bit % 8));
            } else {
                for (uint32_t i = 0; i < form.bitsPerPixel / 8; ++i)
                    row[x * form.bitsPerPixel / 8 + i] = static_cast<uint8_t>(value >> (8 * i));
            }
        }
    }

    Bytes file = {'B', 'M'};
    PutU32(file, static_cast<uint32_t>(14 + header.size() + pixels.size()));
    PutU32(file, 0);
    PutU32(file, static_cast<uint32_t>(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// 24-bit pixels for the core header's own forms: BGR as the masks say.
BmpForm Form(uint32_t bitsPerPixel, uint32_t compression = 0, uint32_t red = 0, uint32_t green = 0,
             uint32_t blue = 0, uint32_t alpha = 0) {
    BmpForm form;
    form.bitsPerPixel = bitsPerPixel;
    form.compression = compression;
    if (bitsPerPixel == 24 || (bitsPerPixel == 32 && compression == 0)) {
        red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    } else if (bitsPerPixel == 16 && compression == 0) {
        red = 0x7C00, green = 0x03E0, blue = 0x001F;
    }
    form.masks[0] = red, form.masks[1] = green, form.masks[2] = blue, form.masks[3] = alpha;
    return form;
}

void BmpVariants(const RgbaImage& image, const fs::path& folder, const std::string& stem) {
    Save(folder, stem + "-1.bmp", MakeBmp(image, Form(1)));
    Save(folder, stem + "-4.bmp", MakeBmp(image, Form(4)));
    Save(folder, stem + "-8.bmp", MakeBmp(image, Form(8)));
    Save(folder, stem + "-rle4.bmp", MakeBmp(image, Form(4, 2)));
    Save(folder, stem + "-rle8.bmp", MakeBmp(image, Form(8, 1)));
    Save(folder, stem + "-555.bmp", MakeBmp(image, Form(16)));
    Save(folder, stem + "-565.bmp", MakeBmp(image, Form(16, 3, 0xF800, 0x07E0, 0x001F)));
    Save(folder, stem + "-4444.bmp", MakeBmp(image, Form(16, 6, 0x0F00, 0x00F0, 0x000F, 0xF000)));
    Save(folder, stem + "-24.bmp", MakeBmp(image, Form(24)));
    Save(folder, stem + "-32.bmp", MakeBmp(image, Form(32)));
    BmpForm topDown = Form(24);
    topDown.topDown = true;
    Save(folder, stem + "-24-top-down.bmp", MakeBmp(image, topDown));
    BmpForm core = Form(8);
    core.header = BmpHeader::Core;
    Save(folder, stem + "-8-core.bmp", MakeBmp(image, core));
    core = Form(24);
    core.header = BmpHeader::Core;
    Save(folder, stem + "-24-core.bmp", MakeBmp(image, core));
    BmpForm v4 = Form(32, 3, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    v4.header = BmpHeader::V4;
    Save(folder, stem + "-32-alpha-v4.bmp", MakeBmp(image, v4));
    BmpForm v5 = Form(16, 3, 0xF800, 0x07E0, 0x001F);
    v5.header = BmpHeader::V5;
    v5.topDown = true;
    Save(folder, stem + "-565-v5.bmp", MakeBmp(image, v5));
}

// ---- DDS ----

Bytes DdsHeader(uint32_t width, uint32_t height, uint32_t formatFlags, const char* fourCc,
                uint32_t bitCount, const uint32_t (&masks)[4]) {
    Bytes bytes = {'D', 'D', 'S', ' '};
    PutU32(bytes, 124);
    PutU32(bytes, 0x1007);  // caps, height, width, pixel format
    PutU32(bytes, height);
    PutU32(bytes, width);
    for (int i = 0; i < 3; ++i) PutU32(bytes, 0);  // pitch, depth, mip count
    for (int i = 0; i < 11; ++i) PutU32(bytes, 0);
    PutU32(bytes, 32);
    PutU32(bytes, formatFlags);
    for (int i = 0; i < 4; ++i) bytes.push_back(fourCc ? static_cast<uint8_t>(fourCc[i]) : 0);
    PutU32(bytes, bitCount);
    for (uint32_t mask : masks) PutU32(bytes, mask);
    PutU32(bytes, 0x1000);  // texture
    for (int i = 0; i < 4; ++i) PutU32(bytes, 0);
    return bytes;
}

Bytes UncompressedDds(const RgbaImage& image, uint32_t formatFlags, uint32_t bitCount,
                      const uint32_t (&masks)[4]) {
    Bytes bytes = DdsHeader(image.width, image.height, formatFlags, nullptr, bitCount, masks);
    BmpForm form;
    form.bitsPerPixel = 32;  // packs by masks whatever the width
    std::copy(masks, masks + 4, form.masks);
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            uint8_t rgba[4];
            std::memcpy(rgba, PixelOf(image, x, y), 4);
            if (formatFlags & 0x20000) rgba[0] = static_cast<uint8_t>(Grey(rgba));  // luminance
            const uint32_t value = Encode(rgba, form);
            for (uint32_t i = 0; i < bitCount / 8; ++i)
                bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    return bytes;
}

uint16_t To565(const uint8_t* rgba) {
    return static_cast<uint16_t>((rgba[0] >> 3) << 11 | (rgba[1] >> 2) << 5 | rgba[2] >> 3);
}

// A plain block compressor: the darkest and brightest pixels as end points,
// each pixel the nearest of the four colours.
void ColorBlock(const uint8_t* (&block)[16], bool threeColor, Bytes& out) {
    int low = 0, high = 0;
    for (int i = 1; i < 16; ++i) {
        if (Grey(block[i]) < Grey(block[low])) low = i;
        if (Grey(block[i]) > Grey(block[high])) high = i;
    }
    uint16_t color0 = To565(block[high]), color1 = To565(block[low]);
    if (threeColor ? color0 > color1 : color0 < color1) std::swap(color0, color1);
    if (!threeColor && color0 == color1) color1 = color0 > 0 ? color0 - 1 : 1;
    if (!threeColor && color0 < color1) std::swap(color0, color1);
    PutU16(out, color0);
    PutU16(out, color1);
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        uint32_t index;
        if (threeColor && block[i][3] < 128) {
            index = 3;
        } else {
            // Position between the end points by brightness.
            const int g0 = static_cast<int>(Grey(block[high])),
                      g1 = static_cast<int>(Grey(block[low]));
            const int g = static_cast<int>(Grey(block[i]));
            const int span = std::max(1, g0 - g1);
            const int step = ((g0 - g) * (threeColor ? 2 : 3) + span / 2) / span;
            index = threeColor ? (step == 0   ? 0
                                  : step == 1 ? 2
                                              : 1)
                               : (step == 0   ? 0
                                  : step == 1 ? 2
                                  : step == 2 ? 3
                                              : 1);
        }
        indices |= index << (2 * i);
    }
    PutU32(out, indices);
}

Bytes DxtDds(const RgbaImage& image, const char* fourCc) {
    Bytes bytes = DdsHeader(image.width, image.height, 0x4, fourCc, 0, {0, 0, 0, 0});
    const bool dxt1 = std::strcmp(fourCc, "DXT1") == 0;
    const bool dxt3 = std::strcmp(fourCc, "DXT3") == 0;
    for (uint32_t by = 0; by < (image.height + 3) / 4; ++by) {
        for (uint32_t bx = 0; bx < (image.width + 3) / 4; ++bx) {
            const uint8_t* block[16];
            for (int i = 0; i < 16; ++i) {
                const uint32_t x = std::min(bx * 4 + i % 4, image.width - 1);
                const uint32_t y = std::min(by * 4 + i / 4, image.height - 1);
                block[i] = PixelOf(image, x, y);
            }
            if (dxt3) {
                for (int i = 0; i < 16; i += 2)
                    bytes.push_back(
                        static_cast<uint8_t>(block[i][3] >> 4 | (block[i + 1][3] >> 4) << 4));
            } else if (!dxt1) {
                uint8_t alpha0 = 0, alpha1 = 255;
                for (const uint8_t* pixel : block) {
                    alpha0 = std::max(alpha0, pixel[3]);
                    alpha1 = std::min(alpha1, pixel[3]);
                }
                bytes.push_back(alpha0);
                bytes.push_back(alpha1);
                uint64_t indices = 0;
                for (int i = 0; i < 16; ++i) {
                    const int span = std::max(1, alpha0 - alpha1);
                    const int step = ((alpha0 - block[i][3]) * 7 + span / 2) / span;
                    const uint64_t index = step == 0   ? 0
                                           : step == 7 ? 1
                                                       : static_cast<uint64_t>(step + 1);
                    indices |= index << (3 * i);
                }
                for (int i = 0; i < 6; ++i)
                    bytes.push_back(static_cast<uint8_t>(indices >> (8 * i)));
            }
            bool anyClear = false;
            for (const uint8_t* pixel : block) anyClear = anyClear || pixel[3] < 128;
            ColorBlock(block, dxt1 && anyClear, bytes);
        }
    }
    return bytes;
}

void DdsVariants(const RgbaImage& image, const fs::path& folder, const std::string& stem) {
    Save(folder, stem + "-dxt1.dds", DxtDds(image, "DXT1"));
    Save(folder, stem + "-dxt3.dds", DxtDds(image, "DXT3"));
    Save(folder, stem + "-dxt5.dds", DxtDds(image, "DXT5"));
    Save(folder, stem + "-a8r8g8b8.dds",
         UncompressedDds(image, 0x41, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}));
    Save(folder, stem + "-x8r8g8b8.dds",
         UncompressedDds(image, 0x40, 32, {0xFF0000, 0xFF00, 0xFF, 0}));
    Save(folder, stem + "-r8g8b8.dds",
         UncompressedDds(image, 0x40, 24, {0xFF0000, 0xFF00, 0xFF, 0}));
    Save(folder, stem + "-r5g6b5.dds",
         UncompressedDds(image, 0x40, 16, {0xF800, 0x07E0, 0x001F, 0}));
    Save(folder, stem + "-a1r5g5b5.dds",
         UncompressedDds(image, 0x41, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}));
    Save(folder, stem + "-a4r4g4b4.dds",
         UncompressedDds(image, 0x41, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}));
    Save(folder, stem + "-l8.dds", UncompressedDds(image, 0x20000, 8, {0xFF, 0, 0, 0}));
    Save(folder, stem + "-a8l8.dds", UncompressedDds(image, 0x20001, 16, {0xFF, 0, 0, 0xFF00}));
    Save(folder, stem + "-a8.dds", UncompressedDds(image, 0x2, 8, {0, 0, 0, 0xFF}));
}

// ---- PNG ----

struct PngForm {
    int colorType;
    int bitDepth = 8;
    bool interlaced = false;
    bool transparency = false;  // tRNS: palette alphas, or one transparent colour
};

Bytes MakePng(const RgbaImage& image, const PngForm& form) {
    const int channels = form.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : form.colorType == PNG_COLOR_TYPE_RGB     ? 3
                         : form.colorType == PNG_COLOR_TYPE_GA      ? 2
                                                                    : 1;
    const int bytesPerSample = form.bitDepth == 16 ? 2 : 1;
    std::vector<Bytes> rows(image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        Bytes& row = rows[y];
        row.assign((size_t{image.width} * channels * form.bitDepth + 7) / 8 * bytesPerSample, 0);
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint8_t* rgba = PixelOf(image, x, y);
            uint32_t samples[4];
            if (form.colorType == PNG_COLOR_TYPE_PALETTE) {
                samples[0] = Encode(rgba, Form(8));
            } else if (channels <= 2) {
                samples[0] = Grey(rgba) >> (8 - std::min(form.bitDepth, 8));
                samples[1] = rgba[3];
            } else {
                for (int c = 0; c < 4; ++c) samples[c] = rgba[c];
            }
            for (int c = 0; c < channels; ++c) {
                if (form.bitDepth == 16) {
                    row[(size_t{x} * channels + c) * 2] = static_cast<uint8_t>(samples[c]);
                    row[(size_t{x} * channels + c) * 2 + 1] = static_cast<uint8_t>(samples[c]);
                } else if (form.bitDepth == 8) {
                    row[size_t{x} * channels + c] = static_cast<uint8_t>(samples[c]);
                } else {
                    const size_t bit = size_t{x} * form.bitDepth;
                    row[bit / 8] |=
                        static_cast<uint8_t>(samples[0] << (8 - form.bitDepth - bit % 8));
                }
            }
        }
    }
    PngPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.colorType = form.colorType;
    picture.bitDepth = form.bitDepth;
    picture.interlaced = form.interlaced;
    picture.gamma = 0.45455;
    if (form.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < 256; ++i) {
            picture.palette.push_back({static_cast<png_byte>((i >> 5) * 255 / 7),
                                       static_cast<png_byte>(((i >> 2) & 7) * 255 / 7),
                                       static_cast<png_byte>((i & 3) * 255 / 3)});
            if (form.transparency) picture.paletteAlpha.push_back(static_cast<png_byte>(i));
        }
    } else if (form.transparency) {
        picture.transparentColour = png_color_16{};
    }
    picture.rows = std::move(rows);
    return EncodePng(picture);
}

void PngVariants(const RgbaImage& image, const fs::path& folder, const std::string& stem) {
    Save(folder, stem + "-grey1.png", MakePng(image, {PNG_COLOR_TYPE_GRAY, 1}));
    Save(folder, stem + "-grey4-trns.png", MakePng(image, {PNG_COLOR_TYPE_GRAY, 4, false, true}));
    Save(folder, stem + "-grey16.png", MakePng(image, {PNG_COLOR_TYPE_GRAY, 16}));
    Save(folder, stem + "-grey-alpha.png", MakePng(image, {PNG_COLOR_TYPE_GA, 8}));
    Save(folder, stem + "-palette-trns.png",
         MakePng(image, {PNG_COLOR_TYPE_PALETTE, 8, false, true}));
    Save(folder, stem + "-rgb16-trns.png", MakePng(image, {PNG_COLOR_TYPE_RGB, 16, false, true}));
    Save(folder, stem + "-rgba-interlaced.png",
         MakePng(image, {PNG_COLOR_TYPE_RGB_ALPHA, 8, true}));
}

// ---- JPEG ----

struct JpegForm {
    bool grey = false;
    bool progressive = false;
    int restartRows = 0;
    int quality = 75;
};

Bytes MakeJpeg(const RgbaImage& image, const JpegForm& form) {
    JpegPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.colourSpace = form.grey ? JCS_GRAYSCALE : JCS_RGB;
    picture.components = form.grey ? 1 : 3;
    picture.quality = form.quality;
    picture.progressive = form.progressive;
    picture.restartRows = form.restartRows;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint8_t* rgba = PixelOf(image, x, y);
            if (form.grey) {
                picture.pixels.push_back(static_cast<uint8_t>(Grey(rgba)));
            } else {
                picture.pixels.insert(picture.pixels.end(), rgba, rgba + 3);
            }
        }
    }
    return EncodeJpeg(picture);
}

void JpegVariants(const RgbaImage& image, const fs::path& folder, const std::string& stem) {
    Save(folder, stem + "-grey.jpg", MakeJpeg(image, {true}));
    Save(folder, stem + "-progressive.jpg", MakeJpeg(image, {false, true}));
    Save(folder, stem + "-restarts.jpg", MakeJpeg(image, {false, false, 1, 40}));
    Save(folder, stem + "-grey-progressive.jpg", MakeJpeg(image, {true, true, 0, 90}));
}

// ---- WAV ----

Bytes Chunk(const char* id, const Bytes& data) {
    Bytes chunk;
    PutId(chunk, id);
    PutU32(chunk, static_cast<uint32_t>(data.size()));
    chunk.insert(chunk.end(), data.begin(), data.end());
    if (data.size() % 2) chunk.push_back(0);
    return chunk;
}

Bytes Riff(const std::vector<Bytes>& chunks) {
    Bytes body;
    PutId(body, "WAVE");
    for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
    Bytes file;
    PutId(file, "RIFF");
    PutU32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes FormatChunkData(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                      const Bytes* extra) {
    Bytes format;
    PutU16(format, tag);
    PutU16(format, channels);
    PutU32(format, rate);
    PutU32(format, rate * channels * bits / 8);
    PutU16(format, channels * bits / 8);
    PutU16(format, bits);
    if (extra) {
        PutU16(format, static_cast<uint32_t>(extra->size()));
        format.insert(format.end(), extra->begin(), extra->end());
    }
    return format;
}

// 16-bit mono samples in, the same sound in other layouts out.
void WavVariants(const std::vector<int16_t>& samples, uint32_t rate, const fs::path& folder,
                 const std::string& stem) {
    Bytes pcm16, pcm8, stereo;
    for (int16_t sample : samples) {
        PutU16(pcm16, static_cast<uint16_t>(sample));
        pcm8.push_back(static_cast<uint8_t>((sample >> 8) + 128));
        PutU16(stereo, static_cast<uint16_t>(sample));
        PutU16(stereo, static_cast<uint16_t>(-sample));
    }
    Bytes oddPcm8 = pcm8;
    if (oddPcm8.size() % 2 == 0) oddPcm8.pop_back();
    Save(folder, stem + "-8bit-odd.wav",
         Riff({Chunk("fmt ", FormatChunkData(1, 1, rate, 8, nullptr)), Chunk("data", oddPcm8)}));
    Save(folder, stem + "-16bit-stereo.wav",
         Riff({Chunk("fmt ", FormatChunkData(1, 2, rate, 16, nullptr)), Chunk("data", stereo)}));
    // PCM written with a cbSize, then a list and a fact chunk before the data.
    const Bytes none;
    Bytes info;
    PutId(info, "INFO");
    const Bytes name = Chunk("INAM", Bytes{'t', 'e', 's', 't', 0});
    info.insert(info.end(), name.begin(), name.end());
    Bytes fact;
    PutU32(fact, static_cast<uint32_t>(samples.size()));
    Save(folder, stem + "-list-fact.wav",
         Riff({Chunk("LIST", info), Chunk("fmt ", FormatChunkData(1, 1, rate, 16, &none)),
               Chunk("fact", fact), Chunk("data", pcm16)}));
    // WAVE_FORMAT_EXTENSIBLE: 22 extra bytes, valid bits, channel mask, sub-format.
    Bytes extensible;
    PutU16(extensible, 16);
    PutU32(extensible, 4);
    PutU16(extensible, 1);
    const uint8_t pcmGuidTail[] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    extensible.insert(extensible.end(), std::begin(pcmGuidTail), std::end(pcmGuidTail));
    Save(folder, stem + "-extensible.wav",
         Riff({Chunk("fmt ", FormatChunkData(0xFFFE, 1, rate, 16, &extensible)),
               Chunk("data", pcm16)}));
    // A data chunk that claims more than the file holds.
    Bytes cut =
        Riff({Chunk("fmt ", FormatChunkData(1, 1, rate, 16, nullptr)), Chunk("data", pcm16)});
    cut.resize(cut.size() - pcm16.size() / 2);
    Save(folder, stem + "-cut.wav", cut);
}

// ---- .x ----

const char* const textScene = R"(xof 0303txt 0032
template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}
Header { 1; 0; 1; }
Material Red {
 1;0;0;1.000000;;
 8.0;
 0.5;0.5;0.5;;
 0;0;0.25;;
 TextureFilename { "red.png"; }
}
Frame Outer {
 FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,10,0,0,1;; }
 Unknown { 1; { Inner } Nested { 2; } }
 Frame Inner {
  FrameTransformMatrix { 0,0,-1,0,0,1,0,0,1,0,0,0,0,5,0,1;; }
  Mesh Shape {
   5;
   0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;0.0;1.0;, 0.0;0.0;1.0;, 2.0;0.0;0.0;;
   2;
   4;0,1,2,3;, 3;1,4,2;;
   MeshNormals { 2; 0.0;1.0;0.0;, 0.0;0.0;-2.0;; 2; 4;0,0,0,0;, 3;1,1,0;; }
   MeshTextureCoords { 5; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;, 0.5;0.5;; }
   MeshMaterialList {
    2; 2; 1, 0;;
    { Red }
    Material { 0.0;0.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "blue.png"; } }
   }
  }
 }
}
Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; MeshNormals { 3; 0;0;1;, 0;0;1;, 0;0;1;; 0; } }
)";

// The binary form of the same kind of scene.
Bytes BinaryScene(bool doubles) {
    XBinaryWriter x(doubles, true, doubles ? "0303" : "0302");
    x.Word(31), x.Name("Vector"), x.Open(), x.Guid();
    for (const char* member : {"x", "y", "z"}) x.Word(42), x.Name(member), x.Word(20);
    x.Close();
    x.Object("Material", "Red"), x.Floats({1, 0, 0, 1, 8, 0.5, 0.5, 0.5, 0, 0, 0.25}), x.Close();
    x.Object("Frame", "Outer");
    x.Object("FrameTransformMatrix"), x.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1});
    x.Close();
    x.Object("Mesh", "Shape");
    x.Integers({5});
    x.Floats({0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 2, 0, 0});
    x.Integers({2, 4, 0, 1, 2, 3, 3, 1, 4, 2});
    x.Object("MeshNormals");
    x.Integers({2}), x.Floats({0, 1, 0, 0, 0, -2}), x.Integers({2, 4, 0, 0, 0, 0, 3, 1, 1, 0});
    x.Close();
    x.Object("MeshTextureCoords"), x.Integers({5}), x.Floats({0, 0, 1, 0, 1, 1, 0, 1, 0.5, 0.5});
    x.Close();
    x.Object("MeshMaterialList"), x.Integers({2, 2, 1, 0});
    x.Open(), x.Name("Red"), x.Close();
    x.Object("Material"), x.Floats({0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0});
    x.Object("TextureFilename"), x.String("blue.png"), x.Close();
    x.Close();
    x.Close();  // MeshMaterialList
    x.Close();  // Mesh
    x.Close();  // Frame
    x.Object("Mesh"), x.Word(3), x.Dword(3);
    x.Floats({0, 0, 0, 0, 1, 0, 1, 0, 0});
    x.Integers({1, 3, 0, 1, 2});
    x.Close();
    return x.bytes;
}

// ---- options ----

Bytes OptionsRecord(uint32_t width, uint32_t windowed, uint32_t lightsOn, uint32_t musicOn) {
    Bytes bytes;
    for (uint32_t value : {width, windowed, lightsOn, musicOn}) PutU32(bytes, value);
    return bytes;
}

// ---- the media ----

bool ReadMedia(const fs::path& path, Bytes& bytes) {
    if (!ReadFileBytes(path.c_str(), size_t{64} << 20, bytes)) {
        std::cerr << "cannot read " << path << "\n";
        return false;
    }
    return true;
}

bool DecodeMediaPicture(const fs::path& path, RgbaImage& image) {
    Bytes bytes;
    if (!ReadMedia(path, bytes) || DecodeImage(bytes.data(), bytes.size(), image) < 0) {
        std::cerr << "cannot decode " << path << "\n";
        return false;
    }
    return true;
}

std::vector<int16_t> MediaSamples(const fs::path& path, size_t count, uint32_t& rate) {
    WavFile wav;
    std::vector<int16_t> samples;
    if (wav.Open(path.c_str()) < 0 || wav.Format()->wBitsPerSample != 16) {
        std::cerr << "cannot read the sound " << path << "\n";
        return samples;
    }
    rate = wav.Format()->nSamplesPerSec;
    samples.resize(std::min<size_t>(count, wav.DataSize() / 2));
    DWORD got = 0;
    wav.Read(reinterpret_cast<BYTE*>(samples.data()), static_cast<DWORD>(samples.size() * 2), &got);
    samples.resize(got / 2);
    return samples;
}

// Whether the reader behind `target` takes the file: a seed it refuses would
// only teach the fuzzer the way out.
bool Accepted(const std::string& target, const Bytes& bytes) {
    if (target == "x-file") {
        CpuMesh mesh;
        std::vector<MeshMaterial> materials;
        return ParseXFile(bytes.data(), bytes.size(), mesh, materials) >= 0;
    }
    if (target == "wav-file") {
        WavFile wav;
        return wav.OpenMemory(bytes.data(), static_cast<DWORD>(bytes.size())) >= 0 &&
               wav.DataSize() > 0;
    }
    if (target == "track-map") {
        GdiBitmap bitmap;
        return bitmap.LoadFromMemory(bytes.data(), bytes.size());
    }
    if (target == "options") return bytes.size() >= 16;
    if (target == "player-records") {
        PlayerRecords records;
        GhostPath ghost;
        return DecodeRecords(bytes, records) || ghost.Decode(bytes);
    }
    RgbaImage image;
    return DecodeImage(bytes.data(), bytes.size(), image) >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: kestrune-fuzz-seeds MEDIA CORPORA\n";
        return 2;
    }
    const fs::path media = argv[1];
    const fs::path corpora = argv[2];
    const char* const targets[] = {"x-file",    "wav-file",  "track-map",
                                   "bmp-image", "png-image", "jpeg-image",
                                   "dds-image", "options",   "player-records"};
    for (const char* target : targets) fs::create_directories(corpora / target);

    // The media themselves, each to the targets that read its kind.
    for (const fs::directory_entry& entry : fs::directory_iterator(media)) {
        const std::string extension = entry.path().extension().string();
        const char* target = extension == ".x"     ? "x-file"
                             : extension == ".wav" ? "wav-file"
                             : extension == ".bmp" ? "bmp-image"
                             : extension == ".png" ? "png-image"
                             : extension == ".jpg" ? "jpeg-image"
                                                   : nullptr;
        if (!target) continue;
        fs::copy_file(entry.path(), corpora / target / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
    }
    fs::copy_file(media / "trackmap16.bmp", corpora / "track-map" / "trackmap16.bmp",
                  fs::copy_options::overwrite_existing);

    RgbaImage tyre, trackMapPicture, flag, carhub, grass;
    if (!DecodeMediaPicture(media / "tyre.bmp", tyre) ||
        !DecodeMediaPicture(media / "trackmap16.bmp", trackMapPicture) ||
        !DecodeMediaPicture(media / "flag.png", flag) ||
        !DecodeMediaPicture(media / "carhub.png", carhub) ||
        !DecodeMediaPicture(media / "grass.jpg", grass)) {
        return 1;
    }

    BmpVariants(Crop(tyre, 0, 0, 21, 13), corpora / "bmp-image", "tyre");
    // The track map near the start line, where every lap zone meets, and a
    // corner of the map with the rim the road test never reads.
    for (uint32_t x = 0; x + 96 <= trackMapPicture.width; x += 24) {
        for (uint32_t y = 0; y + 96 <= trackMapPicture.height; y += 24) {
            const RgbaImage part = Crop(trackMapPicture, x, y, 96, 96);
            bool seen[zoneCount] = {};
            int zones = 0;
            for (uint32_t i = 0; i < part.pixels.size(); i += 4) {
                const COLORREF colour = part.pixels[i] | part.pixels[i + 1] << 8 |
                                        static_cast<COLORREF>(part.pixels[i + 2]) << 16;
                const int32_t zone = TrackZone(colour);
                if (zone != noZone && !seen[zone]) seen[zone] = true, ++zones;
            }
            if (zones >= 3) {
                BmpVariants(part, corpora / "track-map",
                            "trackmap-" + std::to_string(x) + "-" + std::to_string(y));
                x = trackMapPicture.width;  // one such part is enough
                break;
            }
        }
    }
    Save(corpora / "track-map", "trackmap-corner-565.bmp",
         MakeBmp(Crop(trackMapPicture, 0, 0, 8, 8), Form(16, 3, 0xF800, 0x07E0, 0x001F)));

    DdsVariants(flag, corpora / "dds-image", "flag");
    DdsVariants(Crop(carhub, 5, 3, 13, 7), corpora / "dds-image", "carhub-odd");
    PngVariants(Crop(flag, 0, 0, 19, 11), corpora / "png-image", "flag");
    PngVariants(Crop(carhub, 0, 0, 32, 32), corpora / "png-image", "carhub");
    JpegVariants(Crop(grass, 0, 0, 37, 21), corpora / "jpeg-image", "grass");

    for (const char* sound : {"eng1.wav", "crash.wav"}) {
        uint32_t rate = 0;
        const std::vector<int16_t> samples = MediaSamples(media / sound, 301, rate);
        if (samples.empty()) return 1;
        WavVariants(samples, rate, corpora / "wav-file", fs::path(sound).stem().string());
    }

    Save(corpora / "x-file", "scene-text.x", Bytes(textScene, textScene + std::strlen(textScene)));
    Save(corpora / "x-file", "scene-binary32.x", BinaryScene(false));
    Save(corpora / "x-file", "scene-binary64.x", BinaryScene(true));

    Save(corpora / "options", "defaults.kvz", OptionsRecord(640, 1, 1, 1));
    Save(corpora / "options", "full-screen-800-day.kvz", OptionsRecord(800, 0, 0, 1));
    Save(corpora / "options", "full-screen-1024-silent.kvz", OptionsRecord(1024, 0, 1, 0));
    Save(corpora / "options", "odd-values.kvz", OptionsRecord(1280, 7, 0xFFFFFFFF, 2));
    Bytes shortRecord = OptionsRecord(800, 0, 0, 0);
    shortRecord.resize(12);
    Save(corpora / "options", "short.kvz", shortRecord);

    const std::string records = EncodeRecords(PlayerRecords{83.8339844f, 16.6170044f});
    Save(corpora / "player-records", "records.txt", Bytes(records.begin(), records.end()));
    GhostPath ghost;
    for (int frame = 1; frame <= 120; ++frame) {
        const float time = static_cast<float>(frame) / 60.0f;
        ghost.Record(GhostSample{time, 100.0f - time, 2.5f, time * 3.0f, time * 0.1f});
    }
    Save(corpora / "player-records", "ghost.kgh", ghost.Encode());

    bool allAccepted = true;
    for (const char* target : targets) {
        for (const fs::directory_entry& entry : fs::directory_iterator(corpora / target)) {
            Bytes bytes;
            if (!ReadMedia(entry.path(), bytes)) return 1;
            if (!Accepted(target, bytes) && entry.path().filename() != "short.kvz") {
                std::cerr << "seed refused by its reader: " << entry.path() << "\n";
                allAccepted = false;
            }
        }
    }
    return writeFailed || !allAccepted ? 1 : 0;
}
