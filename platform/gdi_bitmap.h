#pragma once
// The GDI bitmap stand-in: what LoadImageA(LR_LOADFROMFILE) and a memory device
// context give the game. A BMP file is decoded once into memory; the track map
// reads it pixel by pixel with GetPixel, the splash and the texture loader take
// its pixels whole.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/windows_types.h"

using COLORREF = DWORD;  // 0x00BBGGRR
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// Bit replication: an n-bit channel value's bits repeated downwards until 8
// are filled, so full scale stays full scale (a 5-bit r5 becomes r5 * 8 + r5 / 4,
// a 6-bit g6 becomes g6 * 4 + g6 / 16). Wider channels keep their top 8 bits.
uint8_t WidenChannel(uint32_t value, uint32_t bits);

// The one BMP decoder of the program: 1/4/8-bit palettes (4 and 8 also
// run-length compressed, RLE4 and RLE8), 16-bit 5-5-5 and bit fields, 24-bit,
// 32-bit with or without an alpha mask, either row order.
// Channels narrower than 8 bits are widened with WidenChannel, which is what
// GetPixel on Windows reports for a 16-bit bitmap. `rgba` gets width * height * 4 bytes, rows from
// the top; alpha is 255 unless the file has an alpha mask. On failure the outputs are untouched.
bool DecodeBmp(const uint8_t* bytes, size_t size, uint32_t& width, uint32_t& height,
               std::vector<uint8_t>& rgba, bool& hasAlpha);

class GdiBitmap {
  public:
    // Replaces what was loaded; a failed load leaves the bitmap empty, as a DC
    // without a picture.
    bool LoadFromFile(const char* path);
    bool LoadFromMemory(const uint8_t* bytes, size_t size);
    void Clear();

    bool IsLoaded() const { return width != 0; }
    LONG Width() const { return static_cast<LONG>(width); }
    LONG Height() const { return static_cast<LONG>(height); }
    bool HasAlpha() const { return hasAlpha; }

    // CLR_INVALID for a pixel outside the image, or when nothing is loaded.
    COLORREF GetPixel(LONG x, LONG y) const;

    // Width * height * 4 bytes, r, g, b, a, rows from the top.
    const std::vector<uint8_t>& Rgba() const { return rgba; }

  private:
    uint32_t width = 0;
    uint32_t height = 0;
    bool hasAlpha = false;
    std::vector<uint8_t> rgba;
};
