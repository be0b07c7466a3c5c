#include "render/image.h"

// jpeglib.h uses FILE without including its header.
#include <cstdio>
//
#include <jpeglib.h>
#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>
#include <utility>

#include "platform/file_bytes.h"
#include "platform/gdi_bitmap.h"
#include "platform/little_endian.h"

// libpng and libjpeg report errors by longjmp. Each decoder therefore keeps its
// setjmp in a function of its own that holds no object with a destructor, so a
// jump never skips one; the owners of the library state live in the caller.

namespace {

// No texture the game uses comes near these; they keep a hostile header from
// asking for gigabytes.
constexpr uint32_t maxDimension = 16384;
constexpr uint64_t maxPixelCount = uint64_t{1} << 26;
constexpr size_t maxFileSize = size_t{256} << 20;

bool SaneSize(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= maxDimension && height <= maxDimension &&
           width * height <= maxPixelCount;
}

// ---- PNG ----

struct PngSource {
    const uint8_t* bytes;
    size_t size;
    size_t position;
};

void ReadPngBytes(png_structp png, png_bytep target, size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->position) png_error(png, "file ends early");
    std::memcpy(target, source->bytes + source->position, count);
    source->position += count;
}

[[noreturn]] void FailPng(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnorePngWarning(png_structp, png_const_charp) {}

class PngReader {
  public:
    PngReader() {
        readStruct =
            png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, IgnorePngWarning);
        if (readStruct != nullptr) infoStruct = png_create_info_struct(readStruct);
    }
    ~PngReader() {
        png_destroy_read_struct(&readStruct, infoStruct ? &infoStruct : nullptr, nullptr);
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
    png_structp png() const { return readStruct; }
    png_infop info() const { return infoStruct; }

  private:
    png_structp readStruct = nullptr;
    png_infop infoStruct = nullptr;
};

bool ReadPng(png_structp png, png_infop info, size_t fileSize, RgbaImage& image,
             std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, maxDimension, maxDimension);
    // Only the header, the palette, transparency and the pixels make the
    // texture; libpng skips every other chunk unread. Left to its own
    // handlers, it would allocate what a text or scale chunk claims before
    // reading it (its length limit only warns), half a gigabyte for a file of
    // a few hundred bytes.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!SaneSize(width, height)) return false;
    // Deflate packs at most about 1032 bytes into one, so a file that claims
    // more raw pixel data than that could never hold it.
    const uint64_t bitsPerPixel =
        uint64_t{png_get_bit_depth(png, info)} * png_get_channels(png, info);
    const uint64_t rawBytes = uint64_t{height} * ((width * bitsPerPixel + 7) / 8 + 1);
    if (rawBytes / 1032 > fileSize) return false;

    png_set_expand(png);  // palette, low-bit grey and tRNS to 8-bit channels and alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4) return false;

    image.width = width;
    image.height = height;
    image.pixels.resize(size_t{width} * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.pixels.data() + size_t{y} * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

bool DecodePng(const uint8_t* bytes, size_t size, RgbaImage& image) {
    PngReader reader;
    if (reader.png() == nullptr || reader.info() == nullptr) return false;
    PngSource source{bytes, size, 0};
    png_set_read_fn(reader.png(), &source, ReadPngBytes);
    std::vector<png_bytep> rows;
    return ReadPng(reader.png(), reader.info(), size, image, rows);
}

// ---- JPEG ----

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void FailJpeg(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

// Level -1 is libjpeg's corrupt-data warning (a file cut short among them): it
// would go on and fill the rest with grey. A damaged texture is refused instead.
void FailJpegOnWarning(j_common_ptr info, int level) {
    if (level < 0) FailJpeg(info);
}

void IgnoreJpegMessage(j_common_ptr) {}

class JpegReader {
  public:
    JpegReader() {
        decompressor.err = jpeg_std_error(&errorManager.base);
        errorManager.base.error_exit = FailJpeg;
        errorManager.base.emit_message = FailJpegOnWarning;
        errorManager.base.output_message = IgnoreJpegMessage;
    }
    // Safe before jpeg_create_decompress too: a structure without memory
    // manager is left alone.
    ~JpegReader() { jpeg_destroy_decompress(&decompressor); }
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;
    jpeg_decompress_struct* info() { return &decompressor; }
    std::jmp_buf& jump() { return errorManager.jump; }

  private:
    JpegErrorManager errorManager{};
    jpeg_decompress_struct decompressor{};
};

bool ReadJpeg(jpeg_decompress_struct* info, std::jmp_buf& jump, const uint8_t* bytes, size_t size,
              RgbaImage& image) {
    if (setjmp(jump)) return false;
    // Created only now, so that even its failure lands on the jump above.
    jpeg_create_decompress(info);
    // Progressive files keep every coefficient of the image in memory.
    info->mem->max_memory_to_use = 512L << 20;
    jpeg_mem_src(info, bytes, static_cast<unsigned long>(size));
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
    // Even a flat picture costs a few bits per 8 x 8 block; a header claiming
    // far more pixels than the file could describe is hostile.
    const uint64_t pixelCount = uint64_t{info->image_width} * info->image_height;
    if (!SaneSize(info->image_width, info->image_height) || pixelCount / 4096 > size) return false;
    switch (info->jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            break;
        default:
            return false;  // CMYK and YCCK: no texture is printed matter
    }
    info->out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(info);
    if (info->output_components != 4 || info->output_width != info->image_width ||
        info->output_height != info->image_height) {
        return false;
    }
    image.width = info->output_width;
    image.height = info->output_height;
    image.pixels.resize(size_t{image.width} * image.height * 4);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image.pixels.data() + size_t{info->output_scanline} * image.width * 4;
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(info);
    return true;
}

bool DecodeJpeg(const uint8_t* bytes, size_t size, RgbaImage& image) {
    JpegReader reader;
    return ReadJpeg(reader.info(), reader.jump(), bytes, size, image);
}

// ---- DDS ----

constexpr size_t ddsDataOffset = 128;  // "DDS " and the 124-byte header
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_ALPHA = 0x2;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

constexpr uint32_t FourCc(const char (&code)[5]) {
    return static_cast<uint32_t>(code[0]) | static_cast<uint32_t>(code[1]) << 8 |
           static_cast<uint32_t>(code[2]) << 16 | static_cast<uint32_t>(code[3]) << 24;
}

struct Rgba8 {
    uint8_t r, g, b, a;
};

Rgba8 Widen565(uint16_t color) {
    return {WidenChannel(color >> 11, 5), WidenChannel((color >> 5) & 0x3F, 6),
            WidenChannel(color & 0x1F, 5), 255};
}

Rgba8 Mix(const Rgba8& first, int firstWeight, const Rgba8& second, int secondWeight) {
    const int total = firstWeight + secondWeight;
    return {static_cast<uint8_t>((first.r * firstWeight + second.r * secondWeight) / total),
            static_cast<uint8_t>((first.g * firstWeight + second.g * secondWeight) / total),
            static_cast<uint8_t>((first.b * firstWeight + second.b * secondWeight) / total), 255};
}

// The 8-byte colour half of every DXT block: two 5-6-5 end points and sixteen
// 2-bit indices, pixel 0 in the lowest bits. Only DXT1 knows the three-colour
// form with transparent black, chosen by the end points' order.
void DecodeColorBlock(const uint8_t* block, bool threeColorForm, Rgba8 (&pixels)[16]) {
    const uint16_t color0 = ReadU16(block);
    const uint16_t color1 = ReadU16(block + 2);
    Rgba8 palette[4] = {Widen565(color0), Widen565(color1)};
    if (color0 > color1 || !threeColorForm) {
        palette[2] = Mix(palette[0], 2, palette[1], 1);
        palette[3] = Mix(palette[0], 1, palette[1], 2);
    } else {
        palette[2] = Mix(palette[0], 1, palette[1], 1);
        palette[3] = {0, 0, 0, 0};
    }
    const uint32_t indices = ReadU32(block + 4);
    for (int i = 0; i < 16; ++i) pixels[i] = palette[(indices >> (2 * i)) & 3];
}

// DXT3: sixteen explicit 4-bit alphas, pixel 0 in the low nibble.
void DecodeExplicitAlpha(const uint8_t* block, Rgba8 (&pixels)[16]) {
    for (int i = 0; i < 16; ++i) {
        const uint8_t nibble = (block[i / 2] >> (4 * (i % 2))) & 0xF;
        pixels[i].a = static_cast<uint8_t>(nibble * 17);
    }
}

// DXT5: two end points and sixteen 3-bit indices in 48 bits. With the first
// end point above the second, six steps lie between them; otherwise four, and
// indices 6 and 7 give fully transparent and fully opaque.
void DecodeInterpolatedAlpha(const uint8_t* block, Rgba8 (&pixels)[16]) {
    const int alpha0 = block[0];
    const int alpha1 = block[1];
    int palette[8] = {alpha0, alpha1};
    if (alpha0 > alpha1) {
        for (int i = 1; i <= 6; ++i) palette[i + 1] = ((7 - i) * alpha0 + i * alpha1) / 7;
    } else {
        for (int i = 1; i <= 4; ++i) palette[i + 1] = ((5 - i) * alpha0 + i * alpha1) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
    uint64_t indices = 0;
    for (int i = 0; i < 6; ++i) indices |= uint64_t{block[2 + i]} << (8 * i);
    for (int i = 0; i < 16; ++i)
        pixels[i].a = static_cast<uint8_t>(palette[(indices >> (3 * i)) & 7]);
}

bool DecodeDxt(const uint8_t* data, size_t available, uint32_t fourCc, RgbaImage& image) {
    const size_t blockSize = fourCc == FourCc("DXT1") ? 8 : 16;
    const uint64_t blocksAcross = (uint64_t{image.width} + 3) / 4;
    const uint64_t blocksDown = (uint64_t{image.height} + 3) / 4;
    if (blocksAcross * blocksDown * blockSize > available) return false;
    image.pixels.assign(size_t{image.width} * image.height * 4, 0);
    for (uint64_t blockY = 0; blockY < blocksDown; ++blockY) {
        for (uint64_t blockX = 0; blockX < blocksAcross; ++blockX) {
            const uint8_t* block = data + (blockY * blocksAcross + blockX) * blockSize;
            Rgba8 pixels[16];
            if (fourCc == FourCc("DXT1")) {
                DecodeColorBlock(block, true, pixels);
            } else {
                DecodeColorBlock(block + 8, false, pixels);
                if (fourCc == FourCc("DXT3")) {
                    DecodeExplicitAlpha(block, pixels);
                } else {
                    DecodeInterpolatedAlpha(block, pixels);
                }
            }
            for (int i = 0; i < 16; ++i) {
                const uint64_t x = blockX * 4 + i % 4;
                const uint64_t y = blockY * 4 + i / 4;
                if (x >= image.width || y >= image.height) continue;
                uint8_t* target = image.pixels.data() + (y * image.width + x) * 4;
                target[0] = pixels[i].r;
                target[1] = pixels[i].g;
                target[2] = pixels[i].b;
                target[3] = pixels[i].a;
            }
        }
    }
    return true;
}

struct MaskChannel {
    uint32_t shift = 0;
    uint32_t bits = 0;
};

bool MakeMaskChannel(uint32_t mask, uint32_t bitCount, MaskChannel& channel) {
    channel = {};
    if (mask == 0) return true;
    if (bitCount < 32 && (mask >> bitCount) != 0) return false;
    channel.shift = static_cast<uint32_t>(std::countr_zero(mask));
    channel.bits = static_cast<uint32_t>(std::countr_one(mask >> channel.shift));
    return channel.shift + channel.bits == 32 || (mask >> (channel.shift + channel.bits)) == 0;
}

uint8_t ExtractMaskChannel(uint32_t pixel, const MaskChannel& channel) {
    const uint64_t fieldMask = (uint64_t{1} << channel.bits) - 1;
    return WidenChannel(static_cast<uint32_t>((pixel >> channel.shift) & fieldMask), channel.bits);
}

bool DecodeUncompressedDds(const uint8_t* data, size_t available, uint32_t flags, uint32_t bitCount,
                           const uint32_t (&masks)[4], RgbaImage& image) {
    if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return false;
    const bool luminance = (flags & DDPF_LUMINANCE) != 0;
    const bool alpha = (flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) != 0;
    MaskChannel channels[4];
    for (int i = 0; i < 3; ++i) {
        if (!MakeMaskChannel(masks[i], bitCount, channels[i])) return false;
    }
    if (!MakeMaskChannel(alpha ? masks[3] : 0, bitCount, channels[3])) return false;

    const uint64_t bytesPerPixel = bitCount / 8;
    const uint64_t pitch = image.width * bytesPerPixel;
    if (pitch * image.height > available) return false;
    image.pixels.resize(size_t{image.width} * image.height * 4);
    for (uint64_t y = 0; y < image.height; ++y) {
        for (uint64_t x = 0; x < image.width; ++x) {
            const uint8_t* source = data + y * pitch + x * bytesPerPixel;
            uint32_t pixel = 0;
            for (uint64_t i = 0; i < bytesPerPixel; ++i) pixel |= uint32_t{source[i]} << (8 * i);
            uint8_t* target = image.pixels.data() + (y * image.width + x) * 4;
            target[0] = ExtractMaskChannel(pixel, channels[0]);
            target[1] = luminance ? target[0] : ExtractMaskChannel(pixel, channels[1]);
            target[2] = luminance ? target[0] : ExtractMaskChannel(pixel, channels[2]);
            target[3] = channels[3].bits ? ExtractMaskChannel(pixel, channels[3]) : 255;
        }
    }
    return true;
}

// Only the top level of a plain 2D texture is read: the device samples no
// other, since no mip filter is ever set.
bool DecodeDds(const uint8_t* bytes, size_t size, RgbaImage& image) {
    if (size < ddsDataOffset || ReadU32(bytes + 4) != 124) return false;
    image.height = ReadU32(bytes + 12);
    image.width = ReadU32(bytes + 16);
    const uint32_t formatFlags = ReadU32(bytes + 80);
    const uint32_t fourCc = ReadU32(bytes + 84);
    const uint32_t bitCount = ReadU32(bytes + 88);
    const uint32_t masks[4] = {ReadU32(bytes + 92), ReadU32(bytes + 96), ReadU32(bytes + 100),
                               ReadU32(bytes + 104)};
    const uint32_t caps2 = ReadU32(bytes + 112);
    if (!SaneSize(image.width, image.height) || (caps2 & (DDSCAPS2_CUBEMAP | DDSCAPS2_VOLUME))) {
        return false;
    }
    const uint8_t* data = bytes + ddsDataOffset;
    const size_t available = size - ddsDataOffset;
    if (formatFlags & DDPF_FOURCC) {
        // DXT2 and DXT4 carry premultiplied colour, which nothing here expects.
        if (fourCc != FourCc("DXT1") && fourCc != FourCc("DXT3") && fourCc != FourCc("DXT5")) {
            return false;
        }
        return DecodeDxt(data, available, fourCc, image);
    }
    if (!(formatFlags & (DDPF_RGB | DDPF_LUMINANCE | DDPF_ALPHA))) return false;
    return DecodeUncompressedDds(data, available, formatFlags, bitCount, masks, image);
}

// ---- BMP ----

bool DecodeBmpImage(const uint8_t* bytes, size_t size, RgbaImage& image) {
    bool hasAlpha = false;
    return DecodeBmp(bytes, size, image.width, image.height, image.pixels, hasAlpha);
}

bool StartsWith(const uint8_t* bytes, size_t size, const char* magic, size_t length) {
    return size >= length && std::memcmp(bytes, magic, length) == 0;
}

}  // namespace

HRESULT DecodeImage(const uint8_t* bytes, size_t size, RgbaImage& image) {
    if (bytes == nullptr) return E_INVALIDARG;
    // Decoded aside, so that a failure leaves the caller's image as it was.
    RgbaImage decoded;
    bool done = false;
    if (StartsWith(bytes, size, "\x89PNG\r\n\x1a\n", 8)) {
        done = DecodePng(bytes, size, decoded);
    } else if (StartsWith(bytes, size, "\xFF\xD8\xFF", 3)) {
        done = DecodeJpeg(bytes, size, decoded);
    } else if (StartsWith(bytes, size, "DDS ", 4)) {
        done = DecodeDds(bytes, size, decoded);
    } else if (StartsWith(bytes, size, "BM", 2)) {
        done = DecodeBmpImage(bytes, size, decoded);
    }
    if (!done) return E_FAIL;
    image = std::move(decoded);
    return S_OK;
}

HRESULT DecodeImageFile(const char* path, RgbaImage& image) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, maxFileSize, bytes)) return E_FAIL;
    return DecodeImage(bytes.data(), bytes.size(), image);
}
