#include "tools/headless/png_file.h"

#include "tools/encoders/image_encoders.h"

bool WritePng(const std::string& path, uint32_t width, uint32_t height,
              const std::vector<uint8_t>& rgba) {
    if (rgba.size() < static_cast<size_t>(width) * height * 4) return false;
    return WriteEncodedFile(path, EncodePng(RgbaPngPicture(width, height, rgba.data(), true)));
}
