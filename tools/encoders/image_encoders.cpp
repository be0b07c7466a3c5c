#include "tools/encoders/image_encoders.h"

#include <csetjmp>
#include <cstdlib>
#include <memory>

namespace {

void AppendBytes(png_structp png, png_bytep data, size_t count) {
    auto* out = static_cast<EncodedBytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void FlushNothing(png_structp) {}

// Apart from EncodePng so that nothing with a destructor lives across the
// library's longjmp.
bool WritePng(png_structp png, png_infop info, const PngPicture& picture,
              std::vector<png_bytep>& rows, EncodedBytes& out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &out, AppendBytes, FlushNothing);
    png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty()) {
        png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
    }
    if (!picture.paletteAlpha.empty() || picture.transparentColour) {
        png_set_tRNS(png, info, picture.paletteAlpha.data(),
                     static_cast<int>(picture.paletteAlpha.size()),
                     picture.transparentColour ? &*picture.transparentColour : nullptr);
    }
    if (picture.gamma) png_set_gAMA(png, info, *picture.gamma);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    return true;
}

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void FailJpeg(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

bool CompressJpeg(jpeg_compress_struct* info, JpegErrors& errors, const JpegPicture& picture,
                  unsigned char** buffer, unsigned long* size) {
    if (setjmp(errors.jump)) return false;
    jpeg_create_compress(info);
    jpeg_mem_dest(info, buffer, size);
    info->image_width = picture.width;
    info->image_height = picture.height;
    info->input_components = picture.components;
    info->in_color_space = picture.colourSpace;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, picture.quality, TRUE);
    if (picture.progressive) jpeg_simple_progression(info);
    info->restart_in_rows = picture.restartRows;
    jpeg_start_compress(info, TRUE);
    const size_t stride = size_t{picture.width} * static_cast<size_t>(picture.components);
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.pixels.data() + info->next_scanline * stride);
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

}  // namespace

EncodedBytes EncodePng(const PngPicture& picture) {
    if (picture.rows.size() != picture.height) return {};
    std::vector<png_bytep> rows;
    for (const std::vector<uint8_t>& row : picture.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    EncodedBytes out;
    const bool written = info && WritePng(png, info, picture, rows, out);
    png_destroy_write_struct(&png, &info);
    return written ? out : EncodedBytes{};
}

PngPicture RgbaPngPicture(uint32_t width, uint32_t height, const uint8_t* rgba, bool withAlpha) {
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colorType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    const size_t channels = withAlpha ? 4 : 3;
    picture.rows.resize(height);
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t>& row = picture.rows[y];
        row.resize(size_t{width} * channels);
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* pixel = rgba + (size_t{y} * width + x) * 4;
            for (size_t c = 0; c < channels; ++c) row[x * channels + c] = pixel[c];
        }
    }
    return picture;
}

EncodedBytes EncodeJpeg(const JpegPicture& picture) {
    if (picture.pixels.size() <
        size_t{picture.width} * picture.height * static_cast<size_t>(picture.components)) {
        return {};
    }
    jpeg_compress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = FailJpeg;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool done = CompressJpeg(&info, errors, picture, &buffer, &size);
    jpeg_destroy_compress(&info);
    EncodedBytes out;
    if (done) out.assign(buffer, buffer + size);
    std::free(buffer);
    return out;
}

JpegPicture RgbJpegPicture(uint32_t width, uint32_t height, const uint8_t* rgba, int quality) {
    JpegPicture picture;
    picture.width = width;
    picture.height = height;
    picture.quality = quality;
    picture.pixels.resize(size_t{width} * height * 3);
    for (size_t i = 0; i < size_t{width} * height; ++i) {
        for (size_t c = 0; c < 3; ++c) picture.pixels[i * 3 + c] = rgba[i * 4 + c];
    }
    return picture;
}
