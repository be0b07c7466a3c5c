#pragma once
// The bytes of a file made in memory, and writing them out whole.
#include <cstdint>
#include <string>
#include <vector>

using EncodedBytes = std::vector<uint8_t>;

// False when the file cannot be written whole, its closing included.
bool WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The same, and false for no bytes at all: an encoder that refused.
bool WriteEncodedFile(const std::string& path, const EncodedBytes& bytes);
