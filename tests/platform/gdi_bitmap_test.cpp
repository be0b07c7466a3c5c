#include "platform/gdi_bitmap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

void PutU16(std::vector<uint8_t>& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
    PutU16(bytes, value & 0xFFFF);
    PutU16(bytes, value >> 16);
}

// A BMP file as Windows writes one: the 14-byte file header ("BM", file size,
// two reserved words, offset of the pixels), an info header of `headerSize`
// bytes (40 = BITMAPINFOHEADER; 56, 108 and 124 append the masks and more, left
// zero here apart from the masks), then `afterHeader` (masks of a 40-byte
// header, or a palette of blue, green, red, 0 quads), then the rows, each
// padded with zeros to a multiple of 4 bytes. `rows` are in file order: the
// bottom row first when `height` is positive.
struct BmpFixture {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitsPerPixel = 24;
    uint32_t compression = BI_RGB;
    uint32_t headerSize = 40;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> headerMasks;  // red, green, blue[, alpha] inside a long header
    std::vector<uint8_t> afterHeader;
    std::vector<std::vector<uint8_t>> rows;
};

std::vector<uint8_t> MakeBmp(const BmpFixture& fixture) {
    std::vector<uint8_t> rows;
    for (const std::vector<uint8_t>& row : fixture.rows) {
        rows.insert(rows.end(), row.begin(), row.end());
        while (rows.size() % 4 != 0) rows.push_back(0);
    }
    const uint32_t pixelOffset =
        14 + fixture.headerSize + static_cast<uint32_t>(fixture.afterHeader.size());
    std::vector<uint8_t> bytes = {'B', 'M'};
    PutU32(bytes, pixelOffset + static_cast<uint32_t>(rows.size()));
    PutU32(bytes, 0);
    PutU32(bytes, pixelOffset);
    PutU32(bytes, fixture.headerSize);
    PutU32(bytes, static_cast<uint32_t>(fixture.width));
    PutU32(bytes, static_cast<uint32_t>(fixture.height));
    PutU16(bytes, 1);  // planes
    PutU16(bytes, fixture.bitsPerPixel);
    PutU32(bytes, fixture.compression);
    PutU32(bytes, static_cast<uint32_t>(rows.size()));
    PutU32(bytes, 2835);  // 72 dots per inch, both ways
    PutU32(bytes, 2835);
    PutU32(bytes, fixture.colorsUsed);
    PutU32(bytes, 0);  // important colours
    for (uint32_t mask : fixture.headerMasks) PutU32(bytes, mask);
    bytes.resize(14 + fixture.headerSize, 0);
    bytes.insert(bytes.end(), fixture.afterHeader.begin(), fixture.afterHeader.end());
    bytes.insert(bytes.end(), rows.begin(), rows.end());
    return bytes;
}

std::vector<uint8_t> Row16(const std::vector<uint16_t>& pixels) {
    std::vector<uint8_t> row;
    for (uint16_t pixel : pixels) PutU16(row, pixel);
    return row;
}

std::vector<uint8_t> MasksOf565() {
    std::vector<uint8_t> masks;
    PutU32(masks, 0xF800);
    PutU32(masks, 0x07E0);
    PutU32(masks, 0x001F);
    return masks;
}

GdiBitmap Loaded(const std::vector<uint8_t>& file) {
    GdiBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadFromMemory(file.data(), file.size()));
    return bitmap;
}

// A palette of the given 0x00BBGGRR colours, stored as blue, green, red, 0.
std::vector<uint8_t> Palette(const std::vector<COLORREF>& colours) {
    std::vector<uint8_t> palette;
    for (COLORREF colour : colours) {
        palette.insert(palette.end(),
                       {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                        static_cast<uint8_t>(colour), 0});
    }
    return palette;
}

}  // namespace

TEST(GdiBitmapWidening, RoadColoursComeOutExactly) {
    // One 6 x 2 bitmap, 5-6-5 bit fields. Top row (stored last): the six road
    // codes; bottom row: each one step off in one field.
    BmpFixture fixture;
    fixture.width = 6;
    fixture.height = 2;
    fixture.bitsPerPixel = 16;
    fixture.compression = BI_BITFIELDS;
    fixture.afterHeader = MasksOf565();
    fixture.rows = {Row16({0xFFFE, 0xC638, 0x8430, 0xF820, 0x8800, 0xFFC0}),
                    Row16({0xFFFF, 0xC618, 0x8410, 0xF800, 0x8000, 0xFFE0})};
    const GdiBitmap bitmap = Loaded(MakeBmp(fixture));
    ASSERT_EQ(bitmap.Width(), 6);
    ASSERT_EQ(bitmap.Height(), 2);

    EXPECT_EQ(bitmap.GetPixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(bitmap.GetPixel(1, 0), 0x00C6C3C6u);
    EXPECT_EQ(bitmap.GetPixel(2, 0), 0x00848284u);
    EXPECT_EQ(bitmap.GetPixel(3, 0), 0x000000FFu);
    EXPECT_EQ(bitmap.GetPixel(4, 0), 0x00000084u);
    EXPECT_EQ(bitmap.GetPixel(5, 0), 0x0000FFFFu);

    EXPECT_EQ(bitmap.GetPixel(0, 1), 0x00F7FFFFu);  // blue 30: 30 * 8 + 30 / 4 = 247
    EXPECT_EQ(bitmap.GetPixel(1, 1), 0x00C6C7C6u);  // green 49: 49 * 4 + 49 / 16 = 199
    EXPECT_EQ(bitmap.GetPixel(2, 1), 0x00848684u);  // green 33: 134
    EXPECT_EQ(bitmap.GetPixel(3, 1), 0x000004FFu);  // green 1: 4
    EXPECT_EQ(bitmap.GetPixel(4, 1), 0x0000008Cu);  // red 17: 140
    EXPECT_EQ(bitmap.GetPixel(5, 1), 0x0000FBFFu);  // green 62: 251
}

TEST(GdiBitmapWidening, FiveFiveFiveIsThePlainSixteenBitForm) {
    // BI_RGB 16-bit: x-r5-g5-b5, the top bit ignored.
    BmpFixture fixture;
    fixture.width = 4;
    fixture.bitsPerPixel = 16;
    fixture.rows = {Row16({0x7FFF, 0x001F, 0x4210, 0x8000})};
    const GdiBitmap bitmap = Loaded(MakeBmp(fixture));
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(bitmap.GetPixel(1, 0), 0x00FF0000u);
    EXPECT_EQ(bitmap.GetPixel(2, 0), 0x00848484u);  // 16 in every field: 16 * 8 + 4
    EXPECT_EQ(bitmap.GetPixel(3, 0), 0x00000000u);
    EXPECT_FALSE(bitmap.HasAlpha());
}

TEST(GdiBitmapPixels, OutsideTheImageOrWithNothingLoadedIsInvalid) {
    BmpFixture fixture;
    fixture.width = 2;
    fixture.height = 2;
    fixture.rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    const GdiBitmap bitmap = Loaded(MakeBmp(fixture));
    EXPECT_NE(bitmap.GetPixel(1, 1), CLR_INVALID);
    EXPECT_EQ(bitmap.GetPixel(-1, 0), CLR_INVALID);
    EXPECT_EQ(bitmap.GetPixel(0, -1), CLR_INVALID);
    EXPECT_EQ(bitmap.GetPixel(2, 0), CLR_INVALID);
    EXPECT_EQ(bitmap.GetPixel(0, 2), CLR_INVALID);

    const GdiBitmap empty;
    EXPECT_FALSE(empty.IsLoaded());
    EXPECT_EQ(empty.GetPixel(0, 0), CLR_INVALID);
}

TEST(GdiBitmapPixels, PalettedDepthsBottomUpAndTopDown) {
    const std::vector<COLORREF> colours = {0x00000000, 0x00FFFFFF, 0x000000FF,
                                           0x0000FF00, 0x00FF0000, 0x00123456};
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        // 1-bit, 10 pixels a row: the row spans two bytes, the leftmost pixel
        // in the top bit. Top row 1011000011, bottom row its inverse.
        BmpFixture one;
        one.width = 10;
        one.height = topDown ? -2 : 2;
        one.bitsPerPixel = 1;
        one.afterHeader = Palette({0x00000000, 0x00FFFFFF});
        const std::vector<uint8_t> top = {0xB0, 0xC0}, bottom = {0x4F, 0x00};
        one.rows = topDown ? std::vector{top, bottom} : std::vector{bottom, top};
        const GdiBitmap ones = Loaded(MakeBmp(one));
        const int topBits[10] = {1, 0, 1, 1, 0, 0, 0, 0, 1, 1};
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(ones.GetPixel(x, 0), topBits[x] ? 0x00FFFFFFu : 0u) << x;
            EXPECT_EQ(ones.GetPixel(x, 1), topBits[x] ? 0u : 0x00FFFFFFu) << x;
        }

        // 4-bit, 3 pixels: indices 5, 2, 4 in the nibbles 0x52 0x40.
        BmpFixture four;
        four.width = 3;
        four.height = topDown ? -1 : 1;
        four.bitsPerPixel = 4;
        four.colorsUsed = 6;
        four.afterHeader = Palette(colours);
        four.rows = {{0x52, 0x40}};
        const GdiBitmap fours = Loaded(MakeBmp(four));
        EXPECT_EQ(fours.GetPixel(0, 0), 0x00123456u);
        EXPECT_EQ(fours.GetPixel(1, 0), 0x000000FFu);
        EXPECT_EQ(fours.GetPixel(2, 0), 0x00FF0000u);

        // 8-bit, 2 x 2, six palette entries; index 200 lies past them and
        // reads as black rather than past the palette.
        BmpFixture eight;
        eight.width = 2;
        eight.height = topDown ? -2 : 2;
        eight.bitsPerPixel = 8;
        eight.colorsUsed = 6;
        eight.afterHeader = Palette(colours);
        const std::vector<uint8_t> upper = {3, 5}, lower = {200, 1};
        eight.rows = topDown ? std::vector{upper, lower} : std::vector{lower, upper};
        const GdiBitmap eights = Loaded(MakeBmp(eight));
        EXPECT_EQ(eights.GetPixel(0, 0), 0x0000FF00u);
        EXPECT_EQ(eights.GetPixel(1, 0), 0x00123456u);
        EXPECT_EQ(eights.GetPixel(0, 1), 0x00000000u);
        EXPECT_EQ(eights.GetPixel(1, 1), 0x00FFFFFFu);
        EXPECT_EQ(eights.Rgba()[3], 255);
    }
}

// Run-length bitmaps as Windows reads them: a count and a value repeat the
// value (alternating nibbles for RLE4); 0 0 ends a line, 0 1 the bitmap,
// 0 2 dx dy moves right and up, 0 n starts n literal pixels padded to a
// 16-bit word. What no run reaches is black; runs stop at the right edge.
TEST(GdiBitmapPixels, RunLengthRowsDecodeAndStayInsideThePicture) {
    const std::vector<COLORREF> colours = {0x00101010, 0x000000FF, 0x0000FF00,
                                           0x00FF0000, 0x00123456, 0x00FFFFFF};
    BmpFixture eight;
    eight.width = 4;
    eight.height = 3;
    eight.bitsPerPixel = 8;
    eight.compression = BI_RLE8;
    eight.colorsUsed = 6;
    eight.afterHeader = Palette(colours);
    eight.rows = {{3, 1,              // bottom row: three of index 1
                   0, 2, 0, 1,        // up a row, staying at x = 3
                   6, 5,              // six of index 5: one fits
                   0, 0,              // end of line: the top row
                   0, 3, 2, 3, 4, 0,  // three literal pixels, padded
                   0, 1,              // end of bitmap
                   7, 4}};            // past the end: never read
    const GdiBitmap eights = Loaded(MakeBmp(eight));
    const COLORREF expected8[3][4] = {{colours[2], colours[3], colours[4], 0},
                                      {0, 0, 0, colours[5]},
                                      {colours[1], colours[1], colours[1], 0}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(eights.GetPixel(x, y), expected8[y][x]) << x << y;
    }

    BmpFixture four = eight;
    four.width = 5;
    four.height = 2;
    four.bitsPerPixel = 4;
    four.compression = BI_RLE4;
    four.rows = {{5, 0x12,           // bottom row: 1 2 1 2 1
                  0, 0,              // end of line
                  0, 3, 0x34, 0x50,  // three literal nibbles in two bytes
                  0, 2, 1, 0,        // one to the right
                  1, 0x40,           // one of index 4
                  0, 1}};
    const GdiBitmap fours = Loaded(MakeBmp(four));
    const COLORREF expected4[2][5] = {{colours[3], colours[4], colours[5], 0, colours[4]},
                                      {colours[1], colours[2], colours[1], colours[2], colours[1]}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) EXPECT_EQ(fours.GetPixel(x, y), expected4[y][x]) << x << y;
    }

    // A move far past the top ends the picture; what came before stays.
    BmpFixture offTheTop = eight;
    offTheTop.rows = {{2, 5, 0, 2, 255, 255, 200, 1, 0, 200, 1, 2}};
    const GdiBitmap moved = Loaded(MakeBmp(offTheTop));
    EXPECT_EQ(moved.GetPixel(1, 2), colours[5]);
    EXPECT_EQ(moved.GetPixel(3, 0), 0u);

    // Cut anywhere in its runs, the file still loads as far as they go.
    const std::vector<uint8_t> file = MakeBmp(eight);
    const size_t pixelOffset = file[10];
    for (size_t length = 0; length < file.size(); ++length) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + length);
        EXPECT_EQ(GdiBitmap().LoadFromMemory(cut.data(), cut.size()), length >= pixelOffset)
            << length;
    }
}

TEST(GdiBitmapPixels, CoreHeaderPaletteHasThreeByteEntries) {
    // BITMAPCOREHEADER: size 12, 16-bit width and height, planes, depth; then
    // blue, green, red triples: two of them, the pixel offset marking the
    // palette's end short of the 256 the depth implies. 8-bit, 2 x 1, indices
    // 1 and 0.
    std::vector<uint8_t> file = {'B', 'M'};
    PutU32(file, 14 + 12 + 6 + 4);
    PutU32(file, 0);
    PutU32(file, 14 + 12 + 6);
    PutU32(file, 12);
    PutU16(file, 2);
    PutU16(file, 1);
    PutU16(file, 1);
    PutU16(file, 8);
    file.insert(file.end(), {0x10, 0x20, 0x30, 0x40, 0x50, 0x60});
    file.insert(file.end(), {1, 0, 0, 0});
    const GdiBitmap bitmap = Loaded(file);
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0x00405060u);
    EXPECT_EQ(bitmap.GetPixel(1, 0), 0x00102030u);
}

TEST(GdiBitmapPixels, TwentyFourBitRowsArePaddedAndStoredBlueFirst) {
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        // 3 pixels = 9 bytes, padded to 12.
        BmpFixture fixture;
        fixture.width = 3;
        fixture.height = topDown ? -2 : 2;
        const std::vector<uint8_t> top = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
        const std::vector<uint8_t> bottom = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF};
        fixture.rows = topDown ? std::vector{top, bottom} : std::vector{bottom, top};
        const GdiBitmap bitmap = Loaded(MakeBmp(fixture));
        EXPECT_EQ(bitmap.GetPixel(0, 0), 0x00010203u);
        EXPECT_EQ(bitmap.GetPixel(2, 0), 0x00070809u);
        EXPECT_EQ(bitmap.GetPixel(0, 1), 0x00FF0000u);
        EXPECT_EQ(bitmap.GetPixel(1, 1), 0x0000FF00u);
        EXPECT_EQ(bitmap.GetPixel(2, 1), 0x000000FFu);
        const std::vector<uint8_t> expectedTopLeft = {0x03, 0x02, 0x01, 0xFF};
        EXPECT_EQ(std::vector<uint8_t>(bitmap.Rgba().begin(), bitmap.Rgba().begin() + 4),
                  expectedTopLeft);
    }
}

TEST(GdiBitmapPixels, ThirtyTwoBitAlphaOnlyWithAnAlphaMask) {
    // Plain 32-bit: blue, green, red, and a padding byte that is not alpha.
    BmpFixture plain;
    plain.width = 1;
    plain.bitsPerPixel = 32;
    plain.rows = {{0x30, 0x20, 0x10, 0x40}};
    const GdiBitmap padded = Loaded(MakeBmp(plain));
    EXPECT_FALSE(padded.HasAlpha());
    EXPECT_EQ(padded.GetPixel(0, 0), 0x00302010u);
    EXPECT_EQ(padded.Rgba()[3], 255);

    // A 108-byte (V4) header with masks in red, green, blue, alpha byte order.
    BmpFixture masked;
    masked.width = 2;
    masked.height = -1;
    masked.bitsPerPixel = 32;
    masked.compression = BI_BITFIELDS;
    masked.headerSize = 108;
    masked.headerMasks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    masked.rows = {{0x10, 0x20, 0x30, 0x80, 0xFF, 0xFF, 0xFF, 0x00}};
    const GdiBitmap alpha = Loaded(MakeBmp(masked));
    EXPECT_TRUE(alpha.HasAlpha());
    const std::vector<uint8_t> expected = {0x10, 0x20, 0x30, 0x80, 0xFF, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(alpha.Rgba(), expected);
    EXPECT_EQ(alpha.GetPixel(0, 0), 0x00302010u);  // GetPixel knows no alpha

    // A 40-byte header with three masks after it: no alpha.
    BmpFixture three = masked;
    three.headerSize = 40;
    three.headerMasks = {};
    three.afterHeader = {0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0};
    const GdiBitmap noAlpha = Loaded(MakeBmp(three));
    EXPECT_FALSE(noAlpha.HasAlpha());
    EXPECT_EQ(noAlpha.Rgba()[3], 255);
    EXPECT_EQ(noAlpha.GetPixel(1, 0), 0x00FFFFFFu);
}

TEST(GdiBitmapLoading, LoadsFromAFileAndAFailureLeavesItEmpty) {
    BmpFixture fixture;
    fixture.rows = {{0x00, 0x00, 0xFF}};
    const std::vector<uint8_t> file = MakeBmp(fixture);
    char path[] = "/tmp/kestrune_bitmap_XXXXXX";
    const int descriptor = mkstemp(path);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(write(descriptor, file.data(), file.size()), static_cast<ssize_t>(file.size()));
    close(descriptor);

    GdiBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadFromFile(path));
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0x000000FFu);
    unlink(path);

    EXPECT_FALSE(bitmap.LoadFromFile(path));
    EXPECT_FALSE(bitmap.IsLoaded());
    EXPECT_EQ(bitmap.GetPixel(0, 0), CLR_INVALID);
    EXPECT_FALSE(bitmap.LoadFromFile("/tmp"));
    EXPECT_FALSE(bitmap.LoadFromFile(nullptr));
}

TEST(GdiBitmapLoading, EveryTruncationFailsCleanly) {
    BmpFixture paletted;
    paletted.width = 5;
    paletted.height = 3;
    paletted.bitsPerPixel = 8;
    paletted.afterHeader = Palette(std::vector<COLORREF>(256, 0x00808080));
    paletted.rows = {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}};
    BmpFixture masked;
    masked.width = 3;
    masked.height = 2;
    masked.bitsPerPixel = 16;
    masked.compression = BI_BITFIELDS;
    masked.afterHeader = MasksOf565();
    masked.rows = {Row16({1, 2, 3}), Row16({4, 5, 6})};
    // The last row's padding is not needed, so every cut before the end of
    // the last pixel must fail: 5 bytes padded with 3, 6 bytes padded with 2.
    const std::pair<BmpFixture, size_t> fixtures[] = {{paletted, 3}, {masked, 2}};
    for (const auto& [fixture, lastRowPadding] : fixtures) {
        const std::vector<uint8_t> file = MakeBmp(fixture);
        ASSERT_TRUE(GdiBitmap().LoadFromMemory(file.data(), file.size() - lastRowPadding));
        for (size_t length = 0; length < file.size() - lastRowPadding; ++length) {
            // A copy of exactly `length` bytes, so a read past it is caught.
            const std::vector<uint8_t> cut(file.begin(), file.begin() + length);
            GdiBitmap bitmap;
            EXPECT_FALSE(bitmap.LoadFromMemory(cut.data(), cut.size())) << length;
        }
    }
}

TEST(GdiBitmapLoading, HostileHeadersAreRefused) {
    BmpFixture good;
    good.width = 2;
    good.rows = {{1, 2, 3, 4, 5, 6}};
    GdiBitmap bitmap;

    auto refused = [&](const BmpFixture& fixture) {
        const std::vector<uint8_t> file = MakeBmp(fixture);
        return !bitmap.LoadFromMemory(file.data(), file.size());
    };
    EXPECT_FALSE(refused(good));

    BmpFixture huge = good;  // far more pixels than the file holds
    huge.width = 30000;
    huge.height = 30000;
    EXPECT_TRUE(refused(huge));
    BmpFixture longerThanTheFile = good;  // within the size bound, but 48 MB of rows
    longerThanTheFile.width = 4000;
    longerThanTheFile.height = 4000;
    EXPECT_TRUE(refused(longerThanTheFile));
    BmpFixture widest = good;
    widest.width = INT32_MAX;
    EXPECT_TRUE(refused(widest));
    BmpFixture negativeWidth = good;
    negativeWidth.width = -2;
    EXPECT_TRUE(refused(negativeWidth));
    BmpFixture noRows = good;
    noRows.height = INT32_MIN;
    EXPECT_TRUE(refused(noRows));
    BmpFixture topDownRuns = good;  // run-length rows are stored bottom-up only
    topDownRuns.bitsPerPixel = 8;
    topDownRuns.compression = BI_RLE8;
    topDownRuns.height = -1;
    EXPECT_TRUE(refused(topDownRuns));
    BmpFixture runsOnTrueColour = good;
    runsOnTrueColour.compression = BI_RLE8;
    EXPECT_TRUE(refused(runsOnTrueColour));
    BmpFixture oddDepth = good;
    oddDepth.bitsPerPixel = 7;
    EXPECT_TRUE(refused(oddDepth));
    BmpFixture scatteredMask = good;  // a green mask with a hole in it
    scatteredMask.bitsPerPixel = 16;
    scatteredMask.compression = BI_BITFIELDS;
    scatteredMask.afterHeader = {0x00, 0xF8, 0, 0, 0xA0, 0x07, 0, 0, 0x1F, 0, 0, 0};
    EXPECT_TRUE(refused(scatteredMask));
    BmpFixture unknownHeader = good;
    unknownHeader.headerSize = 44;
    EXPECT_TRUE(refused(unknownHeader));

    std::vector<uint8_t> pointsIntoHeader = MakeBmp(good);
    pointsIntoHeader[10] = 20;  // pixel offset inside the info header
    EXPECT_FALSE(bitmap.LoadFromMemory(pointsIntoHeader.data(), pointsIntoHeader.size()));
    std::vector<uint8_t> headerPastEnd = MakeBmp(good);
    headerPastEnd[14] = 0xFF;  // info header longer than the file
    EXPECT_FALSE(bitmap.LoadFromMemory(headerPastEnd.data(), headerPastEnd.size()));
    EXPECT_FALSE(bitmap.LoadFromMemory(nullptr, 100));
}
