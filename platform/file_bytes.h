#pragma once
// A whole file in memory, for the decoders that parse from a byte range.
#include <cstddef>
#include <cstdint>
#include <vector>

// False for a missing or unreadable file, anything but a regular file, or one
// longer than `maxSize` bytes; `bytes` is then untouched.
bool ReadFileBytes(const char* path, size_t maxSize, std::vector<uint8_t>& bytes);
