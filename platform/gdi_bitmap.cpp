#include "platform/gdi_bitmap.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "platform/file_bytes.h"
#include "platform/little_endian.h"

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

constexpr size_t fileHeaderSize = 14;
constexpr uint32_t coreHeaderSize = 12;  // BITMAPCOREHEADER, the OS/2 1.x form
constexpr uint32_t infoHeaderSize = 40;  // BITMAPINFOHEADER and its V2..V5 extensions

// No picture the game uses comes near these; they keep a hostile header from
// asking for gigabytes even when the file is long enough to back it.
constexpr uint32_t maxDimension = 32768;
constexpr uint64_t maxPixelCount = uint64_t{1} << 26;
constexpr size_t maxFileSize = size_t{512} << 20;

struct ChannelMask {
    uint32_t shift = 0;
    uint32_t bits = 0;  // 0: the channel is absent
};

// Only contiguous masks are meaningful; anything else is a corrupt header.
bool MakeChannelMask(uint32_t mask, ChannelMask& channel) {
    if (mask == 0) {
        channel = {};
        return true;
    }
    channel.shift = static_cast<uint32_t>(std::countr_zero(mask));
    channel.bits = static_cast<uint32_t>(std::countr_one(mask >> channel.shift));
    return channel.shift + channel.bits == 32 || (mask >> (channel.shift + channel.bits)) == 0;
}

uint8_t ExtractChannel(uint32_t pixel, const ChannelMask& channel) {
    const uint64_t fieldMask = (uint64_t{1} << channel.bits) - 1;
    return WidenChannel(static_cast<uint32_t>((pixel >> channel.shift) & fieldMask), channel.bits);
}

struct BmpLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    bool topDown = false;
    uint32_t bitsPerPixel = 0;
    uint32_t compression = BI_RGB;
    size_t paletteOffset = 0;
    size_t paletteEntrySize = 4;
    uint32_t paletteCount = 0;
    uint32_t masks[4] = {};  // red, green, blue, alpha
    size_t pixelOffset = 0;
};

// The file header: the signature, where the pixels start and how long the
// bitmap header says it is.
bool ReadFileHeader(const uint8_t* bytes, size_t size, BmpLayout& layout, uint32_t& headerSize) {
    if (size < fileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    layout.pixelOffset = ReadU32(bytes + 10);
    headerSize = ReadU32(bytes + fileHeaderSize);
    return headerSize <= size - fileHeaderSize;
}

void ReadCoreHeader(const uint8_t* header, BmpLayout& layout) {
    layout.width = ReadU16(header + 4);
    layout.height = ReadU16(header + 6);
    layout.bitsPerPixel = ReadU16(header + 10);
    layout.paletteEntrySize = 3;
    layout.paletteOffset = fileHeaderSize + coreHeaderSize;
}

// A plain info header is followed by the masks; the later headers hold them
// inside, the alpha mask from the 56-byte form on.
bool ReadBitFieldMasks(const uint8_t* header, uint32_t headerSize, size_t size, BmpLayout& layout) {
    const size_t maskCount = layout.compression == BI_ALPHABITFIELDS ? 4 : 3;
    const uint8_t* masks = header + infoHeaderSize;
    if (headerSize == infoHeaderSize) {
        if (size - layout.paletteOffset < maskCount * 4) return false;
        layout.paletteOffset += maskCount * 4;
    }
    const size_t available = headerSize == infoHeaderSize ? maskCount : headerSize >= 56 ? 4 : 3;
    for (size_t i = 0; i < available; ++i) layout.masks[i] = ReadU32(masks + 4 * i);
    return true;
}

bool ReadInfoHeader(const uint8_t* header, uint32_t headerSize, size_t size, BmpLayout& layout,
                    uint32_t& colorsUsed) {
    const int32_t width = static_cast<int32_t>(ReadU32(header + 4));
    const int32_t height = static_cast<int32_t>(ReadU32(header + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    layout.width = static_cast<uint32_t>(width);
    layout.topDown = height < 0;
    layout.height = static_cast<uint32_t>(height < 0 ? -height : height);
    layout.bitsPerPixel = ReadU16(header + 14);
    layout.compression = ReadU32(header + 16);
    colorsUsed = ReadU32(header + 32);
    layout.paletteOffset = fileHeaderSize + headerSize;
    if (layout.compression == BI_BITFIELDS || layout.compression == BI_ALPHABITFIELDS) {
        return ReadBitFieldMasks(header, headerSize, size, layout);
    }
    return true;
}

bool IsInfoHeaderSize(uint32_t headerSize) {
    return headerSize == infoHeaderSize || headerSize == 52 || headerSize == 56 ||
           headerSize == 108 || headerSize == 124;
}

bool SizeIsSane(const BmpLayout& layout) {
    return layout.width != 0 && layout.height != 0 && layout.width <= maxDimension &&
           layout.height <= maxDimension && uint64_t{layout.width} * layout.height <= maxPixelCount;
}

// Whether the depth and the compression go together, with the masks a plain
// 16- or 32-bit bitmap implies filled in.
bool AcceptPixelFormat(BmpLayout& layout) {
    switch (layout.bitsPerPixel) {
        case 1:
        case 24:
            return layout.compression == BI_RGB;
        case 4:
        case 8: {
            const uint32_t runLength = layout.bitsPerPixel == 8 ? BI_RLE8 : BI_RLE4;
            // Run-length bitmaps are stored from the bottom row up only.
            return layout.compression == BI_RGB ||
                   (layout.compression == runLength && !layout.topDown);
        }
        case 16:
            if (layout.compression == BI_RGB) {
                layout.masks[0] = 0x7C00;  // 5-5-5, the top bit unused
                layout.masks[1] = 0x03E0;
                layout.masks[2] = 0x001F;
                layout.masks[3] = 0;
            } else if (layout.compression != BI_BITFIELDS &&
                       layout.compression != BI_ALPHABITFIELDS) {
                return false;
            }
            for (uint32_t mask : layout.masks) {
                if (mask > 0xFFFF) return false;
            }
            return true;
        case 32:
            if (layout.compression == BI_RGB) {
                // The fourth byte of a plain 32-bit bitmap is padding, not alpha.
                layout.masks[0] = 0x00FF0000;
                layout.masks[1] = 0x0000FF00;
                layout.masks[2] = 0x000000FF;
                layout.masks[3] = 0;
                return true;
            }
            return layout.compression == BI_BITFIELDS || layout.compression == BI_ALPHABITFIELDS;
        default:
            return false;
    }
}

// How many palette entries there are, and whether the file holds them all.
bool ReadPaletteExtent(size_t size, uint32_t colorsUsed, BmpLayout& layout) {
    if (layout.bitsPerPixel > 8) return true;
    const uint32_t fullPalette = 1u << layout.bitsPerPixel;
    layout.paletteCount = colorsUsed == 0 || colorsUsed > fullPalette ? fullPalette : colorsUsed;
    // Writers often store fewer entries than the depth implies; the pixel
    // offset tells where the palette really ends.
    if (layout.pixelOffset > layout.paletteOffset) {
        const size_t stored = (layout.pixelOffset - layout.paletteOffset) / layout.paletteEntrySize;
        if (stored < layout.paletteCount) layout.paletteCount = static_cast<uint32_t>(stored);
    }
    return layout.paletteOffset <= size &&
           (size - layout.paletteOffset) / layout.paletteEntrySize >= layout.paletteCount;
}

bool ReadLayout(const uint8_t* bytes, size_t size, BmpLayout& layout) {
    uint32_t headerSize = 0;
    if (!ReadFileHeader(bytes, size, layout, headerSize)) return false;
    const uint8_t* header = bytes + fileHeaderSize;
    uint32_t colorsUsed = 0;
    if (headerSize == coreHeaderSize) {
        ReadCoreHeader(header, layout);
    } else if (!IsInfoHeaderSize(headerSize) ||
               !ReadInfoHeader(header, headerSize, size, layout, colorsUsed)) {
        return false;
    }
    if (!SizeIsSane(layout) || !AcceptPixelFormat(layout) ||
        !ReadPaletteExtent(size, colorsUsed, layout)) {
        return false;
    }
    return layout.pixelOffset >= fileHeaderSize + headerSize && layout.pixelOffset <= size;
}

// A palette index for every pixel, rows from the top. The pixels runs never
// reach (skipped by a move, an early end of line or of the bitmap) are
// black, as on the fresh bitmap Windows draws the runs into.
using PixelIndices = std::vector<uint16_t>;
constexpr uint16_t untouchedPixel = 256;

uint32_t RunLengthIndex(bool fourBit, uint8_t value, uint32_t i) {
    if (!fourBit) return value;
    return i % 2 == 0 ? value >> 4 : value & 0x0F;
}

// BI_RLE8 and BI_RLE4: pairs of a count and a value repeat the value; a count
// of 0 is an escape: 0 ends the line, 1 ends the bitmap, 2 moves right and up
// by the next two bytes, more starts that many literal pixels padded to a
// 16-bit word. Runs are cut at the right edge rather than wrapped, and data
// that ends early ends the bitmap, so hostile runs can neither write outside
// the picture nor cost more than one visit of each pixel.
PixelIndices ExpandRunLength(const uint8_t* data, size_t size, const BmpLayout& layout) {
    const uint32_t width = layout.width;
    const uint32_t height = layout.height;
    const bool fourBit = layout.compression == BI_RLE4;
    PixelIndices indices(size_t{width} * height, untouchedPixel);
    uint32_t x = 0;
    uint32_t y = 0;  // from the bottom row, as stored
    const auto put = [&](uint32_t count, auto indexOf) {
        const uint32_t drawn = std::min(count, width - x);
        uint16_t* row = indices.data() + size_t{height - 1 - y} * width;
        for (uint32_t i = 0; i < drawn; ++i) row[x + i] = static_cast<uint16_t>(indexOf(i));
        x += drawn;
    };
    size_t at = 0;
    while (y < height && size - at >= 2) {
        const uint8_t count = data[at];
        const uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            put(count, [&](uint32_t i) { return RunLengthIndex(fourBit, value, i); });
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (size - at < 2) break;
            x = std::min(width, x + data[at]);
            y += data[at + 1];
            at += 2;
        } else {
            const size_t literalBytes = fourBit ? (value + 1u) / 2 : value;
            if (size - at < literalBytes) break;
            const uint8_t* literal = data + at;
            put(value, [&](uint32_t i) {
                return fourBit ? RunLengthIndex(true, literal[i / 2], i) : literal[i];
            });
            at = std::min(size, at + literalBytes + (literalBytes & 1));
        }
    }
    return indices;
}

// Rows of 1-, 4- or 8-bit indices, each padded to a 32-bit word.
PixelIndices UnpackIndices(const uint8_t* data, uint64_t stride, const BmpLayout& layout) {
    const uint32_t bitsPerPixel = layout.bitsPerPixel;
    PixelIndices indices(size_t{layout.width} * layout.height);
    for (uint32_t row = 0; row < layout.height; ++row) {
        const uint32_t fileRow = layout.topDown ? row : layout.height - 1 - row;
        const uint8_t* source = data + stride * fileRow;
        uint16_t* target = indices.data() + size_t{row} * layout.width;
        for (uint32_t x = 0; x < layout.width; ++x) {
            const uint64_t bit = uint64_t{x} * bitsPerPixel;
            // The leftmost pixel sits in the most significant bits.
            const uint32_t shift = 8 - bitsPerPixel - static_cast<uint32_t>(bit % 8);
            target[x] =
                static_cast<uint16_t>((source[bit / 8] >> shift) & ((1u << bitsPerPixel) - 1));
        }
    }
    return indices;
}

// Palette indices to pixels; indices past the palette read as black.
std::vector<uint8_t> PaintIndices(const PixelIndices& indices, const uint8_t* bytes,
                                  const BmpLayout& layout) {
    uint8_t palette[untouchedPixel + 1][3] = {};
    for (uint32_t i = 0; i < layout.paletteCount; ++i) {
        const uint8_t* entry = bytes + layout.paletteOffset + i * layout.paletteEntrySize;
        palette[i][0] = entry[2];
        palette[i][1] = entry[1];
        palette[i][2] = entry[0];
    }
    std::vector<uint8_t> pixels(indices.size() * 4);
    for (size_t i = 0; i < indices.size(); ++i) {
        const uint8_t* colour = palette[indices[i]];
        pixels[i * 4] = colour[0];
        pixels[i * 4 + 1] = colour[1];
        pixels[i * 4 + 2] = colour[2];
        pixels[i * 4 + 3] = 255;
    }
    return pixels;
}

// 16-, 24- and 32-bit rows, each padded to a 32-bit word.
std::vector<uint8_t> UnpackTrueColour(const uint8_t* data, uint64_t stride, const BmpLayout& layout,
                                      const ChannelMask (&channels)[4]) {
    std::vector<uint8_t> pixels(size_t{layout.width} * layout.height * 4);
    for (uint32_t row = 0; row < layout.height; ++row) {
        const uint32_t fileRow = layout.topDown ? row : layout.height - 1 - row;
        const uint8_t* source = data + stride * fileRow;
        uint8_t* target = pixels.data() + size_t{row} * layout.width * 4;
        for (uint32_t x = 0; x < layout.width; ++x, target += 4) {
            if (layout.bitsPerPixel == 24) {
                target[0] = source[x * 3 + 2];
                target[1] = source[x * 3 + 1];
                target[2] = source[x * 3];
                target[3] = 255;
                continue;
            }
            const uint32_t pixel =
                layout.bitsPerPixel == 16 ? ReadU16(source + x * 2) : ReadU32(source + x * 4);
            for (int c = 0; c < 3; ++c) target[c] = ExtractChannel(pixel, channels[c]);
            target[3] = channels[3].bits ? ExtractChannel(pixel, channels[3]) : 255;
        }
    }
    return pixels;
}

}  // namespace

uint8_t WidenChannel(uint32_t value, uint32_t bits) {
    if (bits == 0) return 0;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    uint32_t widened = 0;
    for (int filled = 0; filled < 8; filled += static_cast<int>(bits)) {
        const int shift = 8 - filled - static_cast<int>(bits);
        widened |= shift >= 0 ? value << shift : value >> -shift;
    }
    return static_cast<uint8_t>(widened);
}

bool DecodeBmp(const uint8_t* bytes, size_t size, uint32_t& width, uint32_t& height,
               std::vector<uint8_t>& rgba, bool& hasAlpha) {
    if (bytes == nullptr) return false;
    BmpLayout layout;
    if (!ReadLayout(bytes, size, layout)) return false;
    const uint8_t* data = bytes + layout.pixelOffset;
    const size_t dataSize = size - layout.pixelOffset;

    std::vector<uint8_t> pixels;
    ChannelMask channels[4];
    if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4) {
        pixels = PaintIndices(ExpandRunLength(data, dataSize, layout), bytes, layout);
    } else {
        // Rows are padded to whole 32-bit words; the last row's padding may
        // be missing from the file without losing a pixel.
        const uint64_t rowBits = uint64_t{layout.width} * layout.bitsPerPixel;
        const uint64_t stride = (rowBits + 31) / 32 * 4;
        const uint64_t needed = stride * (layout.height - 1) + (rowBits + 7) / 8;
        if (needed > dataSize) return false;
        if (layout.bitsPerPixel <= 8) {
            pixels = PaintIndices(UnpackIndices(data, stride, layout), bytes, layout);
        } else {
            if (layout.bitsPerPixel != 24) {
                for (int i = 0; i < 4; ++i) {
                    if (!MakeChannelMask(layout.masks[i], channels[i])) return false;
                }
            }
            pixels = UnpackTrueColour(data, stride, layout, channels);
        }
    }

    width = layout.width;
    height = layout.height;
    rgba = std::move(pixels);
    hasAlpha = channels[3].bits != 0;
    return true;
}

bool GdiBitmap::LoadFromFile(const char* path) {
    Clear();
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, maxFileSize, bytes)) return false;
    return LoadFromMemory(bytes.data(), bytes.size());
}

bool GdiBitmap::LoadFromMemory(const uint8_t* bytes, size_t size) {
    Clear();
    return DecodeBmp(bytes, size, width, height, rgba, hasAlpha);
}

void GdiBitmap::Clear() {
    width = 0;
    height = 0;
    hasAlpha = false;
    rgba.clear();
    rgba.shrink_to_fit();
}

COLORREF GdiBitmap::GetPixel(LONG x, LONG y) const {
    if (x < 0 || y < 0 || static_cast<uint32_t>(x) >= width || static_cast<uint32_t>(y) >= height) {
        return CLR_INVALID;
    }
    const uint8_t* pixel = rgba.data() + (size_t{static_cast<uint32_t>(y)} * width + x) * 4;
    return static_cast<COLORREF>(pixel[0]) | static_cast<COLORREF>(pixel[1]) << 8 |
           static_cast<COLORREF>(pixel[2]) << 16;
}
