#pragma once
// Binary .x files written token by token, for the reader's tests and the
// fuzzers' seeds. After the 16-byte header every token is a 16-bit
// little-endian identifier followed by its data:
//   name     1, 32-bit length, the bytes
//   string   2, 32-bit length, the bytes, then a semicolon token (20) written
//            as 32 bits (or as 16 bits, the other way exporters write it)
//   integer  3, 32-bit value
//   GUID     5, 16 bytes
//   integers 6, 32-bit count, that many 32-bit values
//   floats   7, 32-bit count, that many 32- or 64-bit floats (from the header)
//   { 10  } 11  ; 20  template 31  FLOAT (a type keyword) 42
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

class XBinaryWriter {
  public:
    // `version` is the header's "0302" or "0303"; `doubles` gives 64-bit floats.
    explicit XBinaryWriter(bool withDoubles, bool endShortStrings = false,
                           const char* version = "0302")
        : doubles(withDoubles), shortStringEnd(endShortStrings) {
        const std::string header =
            std::string("xof ") + version + "bin " + (doubles ? "0064" : "0032");
        bytes.assign(header.begin(), header.end());
    }
    void Word(uint16_t value) {
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Dword(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    void Name(const std::string& text) {
        Word(1);
        Dword(static_cast<uint32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    void String(const std::string& text) {
        Word(2);
        Dword(static_cast<uint32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        if (shortStringEnd)
            Word(20);
        else
            Dword(20);
    }
    void Integers(std::initializer_list<uint32_t> values) {
        Word(6);
        Dword(static_cast<uint32_t>(values.size()));
        for (uint32_t value : values) Dword(value);
    }
    void Floats(std::initializer_list<double> values) {
        Word(7);
        Dword(static_cast<uint32_t>(values.size()));
        for (double value : values) {
            if (doubles) {
                uint64_t bits;
                std::memcpy(&bits, &value, 8);
                Dword(static_cast<uint32_t>(bits));
                Dword(static_cast<uint32_t>(bits >> 32));
            } else {
                const float single = static_cast<float>(value);
                uint32_t bits;
                std::memcpy(&bits, &single, 4);
                Dword(bits);
            }
        }
    }
    void Guid() {
        Word(5);
        for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<uint8_t>(0xA0 + i));
    }
    void Open() { Word(10); }
    void Close() { Word(11); }
    void Object(const std::string& type, const std::string& name = "") {
        Name(type);
        if (!name.empty()) Name(name);
        Open();
    }

    std::vector<uint8_t> bytes;
    bool doubles;
    bool shortStringEnd;
};
