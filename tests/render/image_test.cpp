#include "render/image.h"

#include <gtest/gtest.h>
#include <unistd.h>

// jpeglib.h uses FILE without including its header.
#include <cstdio>
//
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/largest_allocation.h"
#include "tools/encoders/image_encoders.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- PNG and JPEG fixtures, written with libpng and libjpeg ----

// One pixel of 8-bit RGB until the test says otherwise.
struct PngFixture : PngPicture {
    PngFixture() {
        width = 1;
        height = 1;
        colorType = PNG_COLOR_TYPE_RGB;
    }
};

Bytes EncodePng(const PngFixture& fixture) {
    Bytes out = ::EncodePng(fixture);
    EXPECT_FALSE(out.empty());
    return out;
}

// `pixels` holds `components` bytes a pixel in the given colour space.
Bytes EncodeJpeg(uint32_t width, uint32_t height, J_COLOR_SPACE space, int components,
                 const Bytes& pixels) {
    Bytes out = ::EncodeJpeg(JpegPicture{width, height, space, components, pixels, 95});
    EXPECT_FALSE(out.empty());
    return out;
}

// ---- DDS fixtures, written by hand ----

// "DDS ", then the 124-byte header: size 124, flags (caps, height, width,
// pixel format), height, width, pitch, depth, mip count, 11 reserved words,
// the 32-byte pixel format (size 32, flags, FourCC, bit count, red, green,
// blue and alpha masks), caps (texture), caps2-4 and a reserved word. The
// data of the top level follows at byte 128.
struct DdsFixture {
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t formatFlags = 0x40;  // DDPF_RGB
    char fourCc[5] = "";
    uint32_t bitCount = 32;
    uint32_t masks[4] = {};
    uint32_t caps2 = 0;
    Bytes data;
};

void PutU32(Bytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes MakeDds(const DdsFixture& fixture) {
    Bytes bytes = {'D', 'D', 'S', ' '};
    PutU32(bytes, 124);
    PutU32(bytes, 0x1007);
    PutU32(bytes, fixture.height);
    PutU32(bytes, fixture.width);
    PutU32(bytes, 0);
    PutU32(bytes, 0);
    PutU32(bytes, 1);
    for (int i = 0; i < 11; ++i) PutU32(bytes, 0);
    PutU32(bytes, 32);
    PutU32(bytes, fixture.formatFlags);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(fixture.fourCc[i]));
    PutU32(bytes, fixture.bitCount);
    for (uint32_t mask : fixture.masks) PutU32(bytes, mask);
    PutU32(bytes, 0x1000);
    PutU32(bytes, fixture.caps2);
    for (int i = 0; i < 3; ++i) PutU32(bytes, 0);
    bytes.insert(bytes.end(), fixture.data.begin(), fixture.data.end());
    return bytes;
}

DdsFixture Compressed(const char* fourCc, uint32_t width, uint32_t height, const Bytes& blocks) {
    DdsFixture fixture;
    fixture.width = width;
    fixture.height = height;
    fixture.formatFlags = 0x4;  // DDPF_FOURCC
    std::copy(fourCc, fourCc + 4, fixture.fourCc);
    fixture.bitCount = 0;
    fixture.data = blocks;
    return fixture;
}

// Sixteen 3-bit alpha indices, pixel 0 in the lowest bits, as DXT5's 6 bytes.
Bytes PackAlphaIndices(const int (&indices)[16]) {
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i) bits |= uint64_t(indices[i]) << (3 * i);
    Bytes bytes;
    for (int i = 0; i < 6; ++i) bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return bytes;
}

// ---- checks ----

RgbaImage Decoded(const Bytes& file) {
    RgbaImage image;
    EXPECT_EQ(DecodeImage(file.data(), file.size(), image), S_OK);
    EXPECT_EQ(image.pixels.size(), size_t{image.width} * image.height * 4);
    return image;
}

Bytes PixelAt(const RgbaImage& image, uint32_t x, uint32_t y) {
    if (x >= image.width || y >= image.height) return {};
    const uint8_t* pixel = image.pixels.data() + (size_t{y} * image.width + x) * 4;
    return Bytes(pixel, pixel + 4);
}

// Every strict prefix of a fixture must fail, and touch nothing beyond it:
// each cut is its own allocation of exactly that length.
void ExpectEveryTruncationFails(const Bytes& file, size_t step = 1) {
    for (size_t length = 0; length < file.size(); length += step) {
        const Bytes cut(file.begin(), file.begin() + length);
        RgbaImage image;
        image.width = 7;
        EXPECT_LT(DecodeImage(cut.data(), cut.size(), image), 0) << "cut at " << length;
        EXPECT_EQ(image.width, 7u) << "cut at " << length;
    }
}

// Flipping any byte may or may not spoil the file, but must never crash or
// produce an image whose pixel buffer disagrees with its size.
void ExpectCorruptionIsHarmless(const Bytes& file) {
    for (size_t at = 0; at < file.size(); ++at) {
        Bytes corrupt = file;
        corrupt[at] ^= 0xA5;
        RgbaImage image;
        if (SUCCEEDED(DecodeImage(corrupt.data(), corrupt.size(), image))) {
            EXPECT_EQ(image.pixels.size(), size_t{image.width} * image.height * 4) << at;
        }
    }
}

PngFixture PalettePngWithTransparency() {
    // 3 x 2, 8-bit palette of red, green, blue; tRNS makes red transparent
    // and green half transparent, and leaves blue (no tRNS entry) opaque.
    PngFixture fixture;
    fixture.width = 3;
    fixture.height = 2;
    fixture.colorType = PNG_COLOR_TYPE_PALETTE;
    fixture.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    fixture.paletteAlpha = {0, 128};
    fixture.rows = {{0, 1, 2}, {2, 2, 1}};
    return fixture;
}

}  // namespace

TEST(PngDecoding, PaletteWithTransparencyGivesAlpha) {
    const RgbaImage image = Decoded(EncodePng(PalettePngWithTransparency()));
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_EQ(PixelAt(image, 0, 0), (Bytes{255, 0, 0, 0}));
    EXPECT_EQ(PixelAt(image, 1, 0), (Bytes{0, 255, 0, 128}));
    EXPECT_EQ(PixelAt(image, 2, 0), (Bytes{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(image, 0, 1), (Bytes{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(image, 2, 1), (Bytes{0, 255, 0, 128}));
}

TEST(PngDecoding, SixteenBitGreyScalesToEightBits) {
    // Big-endian samples 0x0000, 0xFFFF, 0x8080, 0x1234; scaling to 8 bits
    // rounds v * 255 / 65535: 0, 255, 128, 18.
    PngFixture fixture;
    fixture.width = 4;
    fixture.colorType = PNG_COLOR_TYPE_GRAY;
    fixture.bitDepth = 16;
    fixture.rows = {{0x00, 0x00, 0xFF, 0xFF, 0x80, 0x80, 0x12, 0x34}};
    const RgbaImage image = Decoded(EncodePng(fixture));
    EXPECT_EQ(PixelAt(image, 0, 0), (Bytes{0, 0, 0, 255}));
    EXPECT_EQ(PixelAt(image, 1, 0), (Bytes{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(image, 2, 0), (Bytes{128, 128, 128, 255}));
    EXPECT_EQ(PixelAt(image, 3, 0), (Bytes{18, 18, 18, 255}));
}

TEST(PngDecoding, GreyFormsAndTransparentColourGetAlpha) {
    PngFixture greyAlpha;  // grey + alpha, 8 bits each
    greyAlpha.width = 2;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows = {{200, 50, 7, 255}};
    const RgbaImage first = Decoded(EncodePng(greyAlpha));
    EXPECT_EQ(PixelAt(first, 0, 0), (Bytes{200, 200, 200, 50}));
    EXPECT_EQ(PixelAt(first, 1, 0), (Bytes{7, 7, 7, 255}));

    PngFixture oneBit;  // 1-bit grey with tRNS naming grey 0 transparent: 1 0 1
    oneBit.width = 3;
    oneBit.colorType = PNG_COLOR_TYPE_GRAY;
    oneBit.bitDepth = 1;
    oneBit.transparentColour = png_color_16{};  // grey 0
    oneBit.rows = {{0b10100000}};
    const RgbaImage second = Decoded(EncodePng(oneBit));
    EXPECT_EQ(PixelAt(second, 0, 0), (Bytes{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(second, 1, 0), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(PixelAt(second, 2, 0), (Bytes{255, 255, 255, 255}));
}

TEST(PngDecoding, RgbaAndInterlacedRgbKeepEveryPixel) {
    PngFixture rgba;
    rgba.width = 2;
    rgba.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.rows = {{1, 2, 3, 4, 250, 251, 252, 253}};
    const RgbaImage first = Decoded(EncodePng(rgba));
    EXPECT_EQ(first.pixels, (Bytes{1, 2, 3, 4, 250, 251, 252, 253}));

    // 9 x 9 Adam7: every pass holds pixels; pixel (x, y) = (x, y, x * y).
    PngFixture interlaced;
    interlaced.width = 9;
    interlaced.height = 9;
    interlaced.interlaced = true;
    for (uint8_t y = 0; y < 9; ++y) {
        Bytes row;
        for (uint8_t x = 0; x < 9; ++x) row.insert(row.end(), {x, y, uint8_t(x * y)});
        interlaced.rows.push_back(row);
    }
    const RgbaImage second = Decoded(EncodePng(interlaced));
    int wrong = 0;
    for (uint8_t y = 0; y < 9; ++y) {
        for (uint8_t x = 0; x < 9; ++x) {
            if (PixelAt(second, x, y) != Bytes{x, y, uint8_t(x * y), 255}) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(PngDecoding, DamagedFilesFailCleanly) {
    const Bytes file = EncodePng(PalettePngWithTransparency());
    ExpectEveryTruncationFails(file);
    ExpectCorruptionIsHarmless(file);

    Bytes badCrc = file;
    badCrc[29] ^= 1;  // the IHDR chunk's CRC (8 signature + 8 + 13 data bytes)
    RgbaImage image;
    EXPECT_LT(DecodeImage(badCrc.data(), badCrc.size(), image), 0);

    // A header claiming 8000 x 8000 pixels, with its CRC made good again: a
    // file of a hundred bytes cannot hold 64 MB even deflated.
    Bytes huge = file;
    huge[16] = 0, huge[17] = 0, huge[18] = 0x1F, huge[19] = 0x40;
    huge[20] = 0, huge[21] = 0, huge[22] = 0x1F, huge[23] = 0x40;
    const uLong crc = crc32(0, huge.data() + 12, 17);  // chunk type and data
    for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    EXPECT_LT(DecodeImage(huge.data(), huge.size(), image), 0);
}

// A chunk of `type` with `data`, its CRC made good, as libpng wants it.
Bytes PngChunk(const char* type, const Bytes& data, uint32_t statedLength) {
    Bytes chunk;
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(uint8_t(statedLength >> shift));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(4 + data.size()));
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(uint8_t(crc >> shift));
    return chunk;
}

// Found by fuzzing: right after the header, an "sCAL" chunk claiming
// 0x21000004 bytes in a file of 417. libpng only warned about the length and
// allocated it all (half a gigabyte) before finding the file too short.
TEST(PngDecoding, AChunkClaimingMoreThanTheFileAllocatesNothingForIt) {
    const Bytes file = EncodePng(PalettePngWithTransparency());
    const size_t afterHeader = 8 + 25;  // signature, IHDR
    for (const char* type :
         {"sCAL", "tEXt", "zTXt", "iTXt", "iCCP", "pCAL", "sPLT", "eXIf", "hIST", "prVt"}) {
        Bytes hostile(file.begin(), file.begin() + afterHeader);
        const Bytes chunk = PngChunk(type, {}, 0x21000004);
        hostile.insert(hostile.end(), chunk.begin(), chunk.end() - 4);  // no data, no CRC
        hostile.insert(hostile.end(), file.begin() + afterHeader, file.end());
        RgbaImage image;
        image.width = 7;
        LargestAllocation largest;
        EXPECT_LT(DecodeImage(hostile.data(), hostile.size(), image), 0) << type;
        EXPECT_EQ(image.width, 7u) << type;
        EXPECT_LT(largest.Bytes(), size_t{1} << 20) << type;
    }

    // Honest chunks of these kinds are passed over; the picture is the same.
    Bytes annotated(file.begin(), file.begin() + afterHeader);
    for (const Bytes& chunk :
         {PngChunk("tEXt", {'C', 'o', 'm', 0, 'h', 'i'}, 6),
          PngChunk("gAMA", {0, 0, 0xB1, 0x8F}, 4), PngChunk("sCAL", {1, '1', 0, '1'}, 4)}) {
        annotated.insert(annotated.end(), chunk.begin(), chunk.end());
    }
    annotated.insert(annotated.end(), file.begin() + afterHeader, file.end());
    EXPECT_EQ(Decoded(annotated).pixels, Decoded(file).pixels);
}

TEST(JpegDecoding, ColourAndGreyComeOutNearTheirSource) {
    // 16 x 16 in four flat 8 x 8 quadrants: red, green / blue, grey. Flat
    // blocks survive quality 95 within a few levels, chroma subsampling included.
    Bytes rgb;
    const uint8_t quadrants[4][3] = {{220, 30, 30}, {30, 200, 40}, {20, 40, 210}, {128, 128, 128}};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint8_t* colour = quadrants[(y / 8) * 2 + x / 8];
            rgb.insert(rgb.end(), colour, colour + 3);
        }
    }
    const RgbaImage colour = Decoded(EncodeJpeg(16, 16, JCS_RGB, 3, rgb));
    ASSERT_EQ(colour.width, 16u);
    ASSERT_EQ(colour.height, 16u);
    const uint32_t centres[4][2] = {{3, 3}, {12, 3}, {3, 12}, {12, 12}};
    for (int q = 0; q < 4; ++q) {
        const Bytes pixel = PixelAt(colour, centres[q][0], centres[q][1]);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(pixel[c], quadrants[q][c], 6) << q << " " << c;
        EXPECT_EQ(pixel[3], 255);
    }

    const Bytes grey(8 * 8, 77);
    const RgbaImage greyImage = Decoded(EncodeJpeg(8, 8, JCS_GRAYSCALE, 1, grey));
    const Bytes pixel = PixelAt(greyImage, 4, 4);
    EXPECT_NEAR(pixel[0], 77, 2);
    EXPECT_EQ(pixel[0], pixel[1]);
    EXPECT_EQ(pixel[0], pixel[2]);
    EXPECT_EQ(pixel[3], 255);
}

TEST(JpegDecoding, CmykIsRefused) {
    const Bytes cmyk(8 * 8 * 4, 100);
    const Bytes file = EncodeJpeg(8, 8, JCS_CMYK, 4, cmyk);
    RgbaImage image;
    EXPECT_LT(DecodeImage(file.data(), file.size(), image), 0);
}

TEST(JpegDecoding, DamagedFilesFailWithoutEndingTheProcess) {
    Bytes rgb;
    for (int i = 0; i < 16 * 16; ++i) rgb.insert(rgb.end(), {uint8_t(i), uint8_t(255 - i), 90});
    const Bytes file = EncodeJpeg(16, 16, JCS_RGB, 3, rgb);
    ExpectEveryTruncationFails(file);
    ExpectCorruptionIsHarmless(file);

    // The start-of-frame's height and width (after FF C0, length, precision)
    // set to 16384 x 16384, which a file this size cannot describe.
    Bytes huge = file;
    for (size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0x40, huge[i + 6] = 0, huge[i + 7] = 0x40, huge[i + 8] = 0;
            break;
        }
    }
    RgbaImage image;
    EXPECT_LT(DecodeImage(huge.data(), huge.size(), image), 0);
}

TEST(BmpDecoding, GoesThroughTheBitmapDecoderWithItsAlpha) {
    // 14-byte file header, 108-byte V4 header (1 x 1, one plane, 32-bit, bit
    // fields; the masks at its byte 40: red in byte 2 of the pixel, green in
    // byte 1, blue in byte 0, alpha in byte 3), then one pixel: blue 0x30,
    // green 0x20, red 0x10, alpha 0x40.
    Bytes file = {'B', 'M'};
    PutU32(file, 14 + 108 + 4);
    PutU32(file, 0);
    PutU32(file, 14 + 108);
    PutU32(file, 108);
    PutU32(file, 1);
    PutU32(file, 1);
    file.insert(file.end(), {1, 0, 32, 0});
    PutU32(file, 3);  // BI_BITFIELDS
    file.resize(14 + 40, 0);
    PutU32(file, 0x00FF0000);
    PutU32(file, 0x0000FF00);
    PutU32(file, 0x000000FF);
    PutU32(file, 0xFF000000);
    file.resize(14 + 108, 0);
    file.insert(file.end(), {0x30, 0x20, 0x10, 0x40});
    const RgbaImage image = Decoded(file);
    EXPECT_EQ(image.pixels, (Bytes{0x10, 0x20, 0x30, 0x40}));
    ExpectEveryTruncationFails(file);
}

TEST(DdsDecoding, UncompressedFormatsFollowTheirMasks) {
    DdsFixture argb;  // A8R8G8B8, 2 x 1: stored b, g, r, a
    argb.width = 2;
    argb.height = 1;
    argb.formatFlags = 0x41;  // DDPF_RGB | DDPF_ALPHAPIXELS
    argb.masks[0] = 0x00FF0000, argb.masks[1] = 0x0000FF00, argb.masks[2] = 0x000000FF;
    argb.masks[3] = 0xFF000000;
    argb.data = {0x30, 0x20, 0x10, 0x80, 0xFF, 0x00, 0x00, 0x00};
    EXPECT_EQ(Decoded(MakeDds(argb)).pixels, (Bytes{0x10, 0x20, 0x30, 0x80, 0, 0, 0xFF, 0}));

    DdsFixture xrgb = argb;  // the same masks without DDPF_ALPHAPIXELS: opaque
    xrgb.formatFlags = 0x40;
    EXPECT_EQ(Decoded(MakeDds(xrgb)).pixels, (Bytes{0x10, 0x20, 0x30, 255, 0, 0, 0xFF, 255}));

    DdsFixture rgb24;  // R8G8B8, 3 x 1, rows not padded
    rgb24.width = 3;
    rgb24.height = 1;
    rgb24.bitCount = 24;
    rgb24.masks[0] = 0xFF0000, rgb24.masks[1] = 0x00FF00, rgb24.masks[2] = 0x0000FF;
    rgb24.data = {3, 2, 1, 6, 5, 4, 9, 8, 7};
    EXPECT_EQ(Decoded(MakeDds(rgb24)).pixels, (Bytes{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));

    DdsFixture r5g6b5;  // 16-bit, widened like GetPixel: 0xC618 -> 198, 195, 198
    r5g6b5.width = 1;
    r5g6b5.height = 2;
    r5g6b5.bitCount = 16;
    r5g6b5.masks[0] = 0xF800, r5g6b5.masks[1] = 0x07E0, r5g6b5.masks[2] = 0x001F;
    r5g6b5.data = {0x18, 0xC6, 0x1F, 0x00};
    EXPECT_EQ(Decoded(MakeDds(r5g6b5)).pixels, (Bytes{198, 195, 198, 255, 0, 0, 255, 255}));

    DdsFixture a1r5g5b5;  // one alpha bit: 0x7C00 is transparent red, 0x801F opaque blue
    a1r5g5b5.width = 2;
    a1r5g5b5.height = 1;
    a1r5g5b5.bitCount = 16;
    a1r5g5b5.formatFlags = 0x41;
    a1r5g5b5.masks[0] = 0x7C00, a1r5g5b5.masks[1] = 0x03E0, a1r5g5b5.masks[2] = 0x001F;
    a1r5g5b5.masks[3] = 0x8000;
    a1r5g5b5.data = {0x00, 0x7C, 0x1F, 0x80};
    EXPECT_EQ(Decoded(MakeDds(a1r5g5b5)).pixels, (Bytes{255, 0, 0, 0, 0, 0, 255, 255}));

    DdsFixture a4l4;  // luminance with alpha, 8-bit: 0x3C -> alpha 3 * 17, grey 12 * 17
    a4l4.width = 1;
    a4l4.height = 1;
    a4l4.bitCount = 8;
    a4l4.formatFlags = 0x20001;  // DDPF_LUMINANCE | DDPF_ALPHAPIXELS
    a4l4.masks[0] = 0x0F, a4l4.masks[3] = 0xF0;
    a4l4.data = {0x3C};
    EXPECT_EQ(Decoded(MakeDds(a4l4)).pixels, (Bytes{204, 204, 204, 51}));
}

TEST(DdsDecoding, Dxt1FourColourAndThreeColourBlocks) {
    // Block 1: colour0 0xF800 (red) > colour1 0x001F (blue), so four colours:
    // red, blue, 2/3 red + 1/3 blue = (170, 0, 85), 1/3 red + 2/3 blue =
    // (85, 0, 170). Every row's indices 0, 1, 2, 3: the byte 0b11100100.
    // Block 2: colour0 0x001F <= colour1 0xF800: blue, red, their mean
    // (127, 0, 127) and transparent black; rows 3, 2, 1, 0: 0b00011011.
    const Bytes blocks = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4,
                          0x1F, 0x00, 0x00, 0xF8, 0x1B, 0x1B, 0x1B, 0x1B};
    const RgbaImage image = Decoded(MakeDds(Compressed("DXT1", 8, 4, blocks)));
    for (uint32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(PixelAt(image, 0, y), (Bytes{255, 0, 0, 255}));
        EXPECT_EQ(PixelAt(image, 1, y), (Bytes{0, 0, 255, 255}));
        EXPECT_EQ(PixelAt(image, 2, y), (Bytes{170, 0, 85, 255}));
        EXPECT_EQ(PixelAt(image, 3, y), (Bytes{85, 0, 170, 255}));
        EXPECT_EQ(PixelAt(image, 4, y), (Bytes{0, 0, 0, 0}));
        EXPECT_EQ(PixelAt(image, 5, y), (Bytes{127, 0, 127, 255}));
        EXPECT_EQ(PixelAt(image, 6, y), (Bytes{255, 0, 0, 255}));
        EXPECT_EQ(PixelAt(image, 7, y), (Bytes{0, 0, 255, 255}));
    }
}

TEST(DdsDecoding, Dxt1SizesNotAMultipleOfFourUseWholeBlocks) {
    // 5 x 2: two blocks across, one down; the pixels outside the image are
    // dropped. Block 1 all index 0 (white), block 2 all index 1 (black).
    const Bytes blocks = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0xFF, 0xFF, 0x00, 0x00, 0x55, 0x55, 0x55, 0x55};
    const RgbaImage image = Decoded(MakeDds(Compressed("DXT1", 5, 2, blocks)));
    ASSERT_EQ(image.width, 5u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_EQ(PixelAt(image, 3, 1), (Bytes{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(image, 4, 0), (Bytes{0, 0, 0, 255}));
    EXPECT_EQ(PixelAt(image, 4, 1), (Bytes{0, 0, 0, 255}));
}

TEST(DdsDecoding, Dxt3ExplicitAlphaAndAlwaysFourColours) {
    // Alpha half: 4 bits a pixel, pixel 0 in the low nibble. Row 0: 0, 15, 8,
    // 1 (bytes 0xF0 0x18) -> 0, 255, 136, 17; the other rows all 15.
    // Colour half: colour0 0x0000 <= colour1 0xFFFF would mean DXT1's
    // three-colour form, but DXT3 always has four: index 3 of every pixel is
    // 1/3 black + 2/3 white = 170, opaque.
    const Bytes block = {0xF0, 0x18, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                         0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const RgbaImage image = Decoded(MakeDds(Compressed("DXT3", 4, 4, block)));
    EXPECT_EQ(PixelAt(image, 0, 0), (Bytes{170, 170, 170, 0}));
    EXPECT_EQ(PixelAt(image, 1, 0), (Bytes{170, 170, 170, 255}));
    EXPECT_EQ(PixelAt(image, 2, 0), (Bytes{170, 170, 170, 136}));
    EXPECT_EQ(PixelAt(image, 3, 0), (Bytes{170, 170, 170, 17}));
    EXPECT_EQ(PixelAt(image, 3, 3), (Bytes{170, 170, 170, 255}));
}

TEST(DdsDecoding, Dxt5InterpolatedAlphaInBothForms) {
    // Pixels 0 to 7 take alpha indices 0 to 7, pixels 8 to 15 index 1.
    // Block 1: alpha0 255 > alpha1 0: eight levels 255, 0, then
    // (6 * 255) / 7 = 218, 182, 145, 109, 72, 36.
    // Block 2: alpha0 0 <= alpha1 100: 0, 100, then 20, 40, 60, 80, and 0, 255.
    // Colour halves: white (index 0 everywhere).
    const int indices[16] = {0, 1, 2, 3, 4, 5, 6, 7, 1, 1, 1, 1, 1, 1, 1, 1};
    const Bytes packed = PackAlphaIndices(indices);
    const Bytes white = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    Bytes blocks = {255, 0};
    blocks.insert(blocks.end(), packed.begin(), packed.end());
    blocks.insert(blocks.end(), white.begin(), white.end());
    blocks.insert(blocks.end(), {0, 100});
    blocks.insert(blocks.end(), packed.begin(), packed.end());
    blocks.insert(blocks.end(), white.begin(), white.end());
    const RgbaImage image = Decoded(MakeDds(Compressed("DXT5", 8, 4, blocks)));
    const int first[8] = {255, 0, 218, 182, 145, 109, 72, 36};
    const int second[8] = {0, 100, 20, 40, 60, 80, 0, 255};
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(PixelAt(image, i % 4, i / 4)[3], first[i]) << i;
        EXPECT_EQ(PixelAt(image, 4 + i % 4, i / 4)[3], second[i]) << i;
    }
    EXPECT_EQ(PixelAt(image, 0, 3), (Bytes{255, 255, 255, 0}));
    EXPECT_EQ(PixelAt(image, 4, 3), (Bytes{255, 255, 255, 100}));
}

TEST(DdsDecoding, DamagedAndUnsupportedFilesFail) {
    const Bytes white = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    ExpectEveryTruncationFails(MakeDds(Compressed("DXT1", 4, 4, white)));
    const Bytes dxt5(32, 0x5A);
    ExpectEveryTruncationFails(MakeDds(Compressed("DXT5", 8, 4, dxt5)));
    ExpectCorruptionIsHarmless(MakeDds(Compressed("DXT5", 8, 4, dxt5)));

    RgbaImage image;
    auto refused = [&](const DdsFixture& fixture) {
        const Bytes file = MakeDds(fixture);
        return DecodeImage(file.data(), file.size(), image) < 0;
    };
    EXPECT_TRUE(refused(Compressed("DXT2", 4, 4, Bytes(16))));  // premultiplied
    EXPECT_TRUE(refused(Compressed("DX10", 4, 4, Bytes(200))));
    EXPECT_TRUE(refused(Compressed("DXT1", 16384, 16384, white)));  // data far too short
    DdsFixture cube = Compressed("DXT1", 4, 4, white);
    cube.caps2 = 0xFE00;
    EXPECT_TRUE(refused(cube));
    DdsFixture badMask;  // a red mask past the 16 bits of the pixel
    badMask.width = 1;
    badMask.height = 1;
    badMask.bitCount = 16;
    badMask.masks[0] = 0x1F0000;
    badMask.data = {0, 0, 0, 0};
    EXPECT_TRUE(refused(badMask));
    DdsFixture oddDepth = badMask;
    oddDepth.bitCount = 12;
    oddDepth.masks[0] = 0xF00;
    EXPECT_TRUE(refused(oddDepth));
}

TEST(ImageRecognition, FormatComesFromTheContentNotTheName) {
    const Bytes png = EncodePng(PalettePngWithTransparency());
    char path[] = "/tmp/kestrune_texture_XXXXXX.bmp";
    const int descriptor = mkstemps(path, 4);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(write(descriptor, png.data(), png.size()), static_cast<ssize_t>(png.size()));
    close(descriptor);
    RgbaImage image;
    EXPECT_EQ(DecodeImageFile(path, image), S_OK);
    EXPECT_EQ(PixelAt(image, 1, 0), (Bytes{0, 255, 0, 128}));
    unlink(path);

    RgbaImage untouched;
    untouched.width = 3;
    EXPECT_LT(DecodeImageFile(path, untouched), 0);
    EXPECT_LT(DecodeImageFile(nullptr, untouched), 0);
    const Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 't', 'r', 'e', 'e'};
    EXPECT_LT(DecodeImage(text.data(), text.size(), untouched), 0);
    EXPECT_LT(DecodeImage(text.data(), 0, untouched), 0);
    EXPECT_LT(DecodeImage(nullptr, 10, untouched), 0);
    EXPECT_EQ(untouched.width, 3u);
    EXPECT_TRUE(untouched.pixels.empty());
}
