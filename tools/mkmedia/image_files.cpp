#include "image_files.h"

#include <cstdio>
#include <memory>

#include "tools/encoders/image_encoders.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const {
        if (file) std::fclose(file);
    }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

void PutU16(std::vector<uint8_t>& bytes, uint32_t value) {
    bytes.push_back(value & 0xFF);
    bytes.push_back((value >> 8) & 0xFF);
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
    PutU16(bytes, value & 0xFFFF);
    PutU16(bytes, value >> 16);
}

// BITMAPFILEHEADER and BITMAPINFOHEADER; bottom-up rows (positive height).
void PutBmpHeaders(std::vector<uint8_t>& bytes, int width, int height, int bitCount,
                   uint32_t compression, uint32_t pixelOffset, uint32_t imageSize) {
    bytes.push_back('B');
    bytes.push_back('M');
    PutU32(bytes, pixelOffset + imageSize);
    PutU32(bytes, 0);
    PutU32(bytes, pixelOffset);
    PutU32(bytes, 40);
    PutU32(bytes, static_cast<uint32_t>(width));
    PutU32(bytes, static_cast<uint32_t>(height));
    PutU16(bytes, 1);
    PutU16(bytes, static_cast<uint32_t>(bitCount));
    PutU32(bytes, compression);
    PutU32(bytes, imageSize);
    PutU32(bytes, 2835);  // 72 dots per inch
    PutU32(bytes, 2835);
    PutU32(bytes, 0);
    PutU32(bytes, 0);
}

}  // namespace

bool WriteText(const std::string& path, const std::string& text) {
    return WriteBytesToFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool WritePng(const std::string& path, const Picture& picture, bool withAlpha) {
    return WriteEncodedFile(path, EncodePng(RgbaPngPicture(static_cast<uint32_t>(picture.width),
                                                           static_cast<uint32_t>(picture.height),
                                                           picture.rgba.data(), withAlpha)));
}

bool WriteJpeg(const std::string& path, const Picture& picture, int quality) {
    return WriteEncodedFile(path, EncodeJpeg(RgbJpegPicture(static_cast<uint32_t>(picture.width),
                                                            static_cast<uint32_t>(picture.height),
                                                            picture.rgba.data(), quality)));
}

bool WriteBmp24(const std::string& path, const Picture& picture) {
    uint32_t stride = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
    uint32_t imageSize = stride * static_cast<uint32_t>(picture.height);
    std::vector<uint8_t> bytes;
    PutBmpHeaders(bytes, picture.width, picture.height, 24, 0, 54, imageSize);
    for (int y = picture.height - 1; y >= 0; --y) {
        size_t rowStart = bytes.size();
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4];
            bytes.push_back(p[2]);
            bytes.push_back(p[1]);
            bytes.push_back(p[0]);
        }
        while (bytes.size() - rowStart < stride) bytes.push_back(0);
    }
    return WriteBytesToFile(path, bytes);
}

bool WriteBmp565(const std::string& path, int width, int height,
                 const std::vector<uint16_t>& codes) {
    constexpr uint32_t BI_BITFIELDS = 3;
    uint32_t stride = (static_cast<uint32_t>(width) * 2 + 3) & ~3u;
    uint32_t imageSize = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> bytes;
    PutBmpHeaders(bytes, width, height, 16, BI_BITFIELDS, 14 + 40 + 12, imageSize);
    PutU32(bytes, 0xF800);  // red
    PutU32(bytes, 0x07E0);  // green
    PutU32(bytes, 0x001F);  // blue
    for (int y = height - 1; y >= 0; --y) {
        size_t rowStart = bytes.size();
        for (int x = 0; x < width; ++x) PutU16(bytes, codes[static_cast<size_t>(y) * width + x]);
        while (bytes.size() - rowStart < stride) bytes.push_back(0);
    }
    return WriteBytesToFile(path, bytes);
}
