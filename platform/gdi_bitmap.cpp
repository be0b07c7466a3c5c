#include "platform/gdi_bitmap.h"

#include <bit>
#include <utility>

#include "platform/file_bytes.h"
#include "platform/little_endian.h"

namespace {

constexpr uint32_t BI_RGB = 0;
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

bool ReadLayout(const uint8_t* bytes, size_t size, BmpLayout& layout) {
    if (size < fileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    layout.pixelOffset = ReadU32(bytes + 10);
    const uint8_t* header = bytes + fileHeaderSize;
    const uint32_t headerSize = ReadU32(header);
    if (headerSize > size - fileHeaderSize) return false;

    uint32_t colorsUsed = 0;
    if (headerSize == coreHeaderSize) {
        layout.width = ReadU16(header + 4);
        layout.height = ReadU16(header + 6);
        layout.bitsPerPixel = ReadU16(header + 10);
        layout.paletteEntrySize = 3;
        layout.paletteOffset = fileHeaderSize + coreHeaderSize;
    } else if (headerSize == infoHeaderSize || headerSize == 52 || headerSize == 56 ||
               headerSize == 108 || headerSize == 124) {
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
            // A plain info header is followed by the masks; the later headers
            // hold them inside, the alpha mask from the 56-byte form on.
            const size_t maskCount = layout.compression == BI_ALPHABITFIELDS ? 4 : 3;
            const uint8_t* masks = header + infoHeaderSize;
            if (headerSize == infoHeaderSize) {
                if (size - layout.paletteOffset < maskCount * 4) return false;
                layout.paletteOffset += maskCount * 4;
            }
            const size_t available = headerSize == infoHeaderSize ? maskCount
                                     : headerSize >= 56           ? 4
                                                                  : 3;
            for (size_t i = 0; i < available; ++i) layout.masks[i] = ReadU32(masks + 4 * i);
        }
    } else {
        return false;
    }

    if (layout.width == 0 || layout.height == 0 || layout.width > maxDimension ||
        layout.height > maxDimension || uint64_t{layout.width} * layout.height > maxPixelCount) {
        return false;
    }

    switch (layout.bitsPerPixel) {
        case 1:
        case 4:
        case 8:
        case 24:
            if (layout.compression != BI_RGB) return false;  // RLE is not supported
            break;
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
            break;
        case 32:
            if (layout.compression == BI_RGB) {
                // The fourth byte of a plain 32-bit bitmap is padding, not alpha.
                layout.masks[0] = 0x00FF0000;
                layout.masks[1] = 0x0000FF00;
                layout.masks[2] = 0x000000FF;
                layout.masks[3] = 0;
            } else if (layout.compression != BI_BITFIELDS &&
                       layout.compression != BI_ALPHABITFIELDS) {
                return false;
            }
            break;
        default:
            return false;
    }

    if (layout.bitsPerPixel <= 8) {
        const uint32_t fullPalette = 1u << layout.bitsPerPixel;
        layout.paletteCount =
            colorsUsed == 0 || colorsUsed > fullPalette ? fullPalette : colorsUsed;
        // Writers often store fewer entries than the depth implies; the pixel
        // offset tells where the palette really ends.
        if (layout.pixelOffset > layout.paletteOffset) {
            const size_t stored =
                (layout.pixelOffset - layout.paletteOffset) / layout.paletteEntrySize;
            if (stored < layout.paletteCount) layout.paletteCount = static_cast<uint32_t>(stored);
        }
        if (layout.paletteOffset > size ||
            (size - layout.paletteOffset) / layout.paletteEntrySize < layout.paletteCount) {
            return false;
        }
    }
    return layout.pixelOffset >= fileHeaderSize + headerSize && layout.pixelOffset <= size;
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

    // Rows are padded to whole 32-bit words; the last row's padding may be
    // missing from the file without losing a pixel.
    const uint64_t rowBits = uint64_t{layout.width} * layout.bitsPerPixel;
    const uint64_t stride = (rowBits + 31) / 32 * 4;
    const uint64_t needed = stride * (layout.height - 1) + (rowBits + 7) / 8;
    if (needed > size - layout.pixelOffset) return false;

    ChannelMask channels[4];
    if (layout.bitsPerPixel == 16 || layout.bitsPerPixel == 32) {
        for (int i = 0; i < 4; ++i) {
            if (!MakeChannelMask(layout.masks[i], channels[i])) return false;
        }
    }

    uint8_t palette[256][3] = {};  // indices past the palette read as black
    for (uint32_t i = 0; i < layout.paletteCount; ++i) {
        const uint8_t* entry = bytes + layout.paletteOffset + i * layout.paletteEntrySize;
        palette[i][0] = entry[2];
        palette[i][1] = entry[1];
        palette[i][2] = entry[0];
    }

    std::vector<uint8_t> pixels(size_t{layout.width} * layout.height * 4);
    for (uint32_t row = 0; row < layout.height; ++row) {
        const uint32_t fileRow = layout.topDown ? row : layout.height - 1 - row;
        const uint8_t* source = bytes + layout.pixelOffset + stride * fileRow;
        uint8_t* target = pixels.data() + size_t{row} * layout.width * 4;
        for (uint32_t x = 0; x < layout.width; ++x, target += 4) {
            switch (layout.bitsPerPixel) {
                case 1:
                case 4:
                case 8: {
                    const uint32_t bitsPerPixel = layout.bitsPerPixel;
                    const uint64_t bit = uint64_t{x} * bitsPerPixel;
                    // The leftmost pixel sits in the most significant bits.
                    const uint32_t shift = 8 - bitsPerPixel - static_cast<uint32_t>(bit % 8);
                    const uint32_t index = (source[bit / 8] >> shift) & ((1u << bitsPerPixel) - 1);
                    target[0] = palette[index][0];
                    target[1] = palette[index][1];
                    target[2] = palette[index][2];
                    target[3] = 255;
                    break;
                }
                case 24:
                    target[0] = source[x * 3 + 2];
                    target[1] = source[x * 3 + 1];
                    target[2] = source[x * 3];
                    target[3] = 255;
                    break;
                default: {
                    const uint32_t pixel = layout.bitsPerPixel == 16 ? ReadU16(source + x * 2)
                                                                     : ReadU32(source + x * 4);
                    for (int c = 0; c < 3; ++c) target[c] = ExtractChannel(pixel, channels[c]);
                    target[3] = channels[3].bits ? ExtractChannel(pixel, channels[3]) : 255;
                    break;
                }
            }
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
    return DecodeBmp(bytes, size, width_, height_, rgba_, hasAlpha_);
}

void GdiBitmap::Clear() {
    width_ = 0;
    height_ = 0;
    hasAlpha_ = false;
    rgba_.clear();
    rgba_.shrink_to_fit();
}

COLORREF GdiBitmap::GetPixel(LONG x, LONG y) const {
    if (x < 0 || y < 0 || static_cast<uint32_t>(x) >= width_ ||
        static_cast<uint32_t>(y) >= height_) {
        return CLR_INVALID;
    }
    const uint8_t* pixel = rgba_.data() + (size_t{static_cast<uint32_t>(y)} * width_ + x) * 4;
    return static_cast<COLORREF>(pixel[0]) | static_cast<COLORREF>(pixel[1]) << 8 |
           static_cast<COLORREF>(pixel[2]) << 16;
}
