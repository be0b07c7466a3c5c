#include "tools/encoders/encoded_file.h"

#include <cstdio>

bool WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    // An empty vector's data() may be null, which fwrite must not be given.
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A full disk may show only when the last buffer goes out at the close.
    return (std::fclose(file) == 0) && written;
}

bool WriteEncodedFile(const std::string& path, const EncodedBytes& bytes) {
    return !bytes.empty() && WriteBytesToFile(path, bytes);
}
