#pragma once
// The CPU half of the HUD font: a face found by name (platform/font_file.h) and
// opened with FreeType, and the layout of a text in a rectangle with the
// meaning of the Windows DrawText flags, rasterised into an alpha coverage
// that the device blends in the text's colour.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows_types.h"

constexpr DWORD DT_TOP = 0x0;
constexpr DWORD DT_LEFT = 0x0;
constexpr DWORD DT_CENTER = 0x1;
constexpr DWORD DT_SINGLELINE = 0x20;
constexpr DWORD DT_NOCLIP = 0x100;

// The visible part of a laid-out text: `alpha` holds width * height coverage
// bytes, rows from the top, for the pixels from (left, top). Empty (zero size)
// when nothing is visible.
struct TextCoverage {
    LONG left = 0;
    LONG top = 0;
    UINT width = 0;
    UINT height = 0;
    std::vector<uint8_t> alpha;
};

struct FontFaceResources;

class TextFont {
  public:
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    // As FreeType names the face that was found, e.g. "Liberation Sans", "Bold".
    const std::string& FamilyName() const { return familyName; }
    const std::string& StyleName() const { return styleName; }
    const std::string& FilePath() const { return filePath; }

    // Pixels from a line's top to its baseline, and from one line's top to the
    // next's (the Windows cell height: ascent plus descent).
    LONG Ascent() const { return ascent; }
    LONG LineHeight() const { return lineHeight; }

    struct Glyph {
        LONG left = 0;  // from the pen position to the bitmap's first column
        LONG top = 0;   // from the baseline up to the bitmap's first row
        LONG advance = 0;
        UINT width = 0;
        UINT rows = 0;
        std::vector<uint8_t> coverage;
    };

    // The glyph of one byte of Windows-1252 text, rasterised on first use and
    // kept, so a frame's text costs only the copying of its pixels.
    const Glyph& GlyphFor(uint8_t character);

  private:
    friend HRESULT CreateTextFont(const char* faceName, INT height, UINT weight, BOOL italic,
                                  std::unique_ptr<TextFont>& font);
    TextFont();

    std::unique_ptr<FontFaceResources> faceResources;
    std::string familyName;
    std::string styleName;
    std::string filePath;
    LONG ascent = 0;
    LONG lineHeight = 0;
    bool emboldened = false;
    std::array<std::unique_ptr<Glyph>, 256> glyphCache;
};

// Finds the face through FindFontFile (fontconfig's aliases give Liberation
// Sans for "Arial"), asking for bold from weight 600 up. A negative height is the
// character height in pixels (the em size), a positive one the cell height
// (ascent plus descent), zero a default size. Negative result, `font`
// untouched, when no face can be opened.
HRESULT CreateTextFont(const char* faceName, INT height, UINT weight, BOOL italic,
                       std::unique_ptr<TextFont>& font);

// Lays out `count` bytes of `text` (-1: up to the terminator, which also ends
// a longer count) in `rect` as DrawText would with `format`, and rasterises the
// part inside the rectangle (all of it with DT_NOCLIP) into `coverage`. Lines
// break only at line feeds and carriage returns (a CR LF pair is one break;
// there is no word wrap), and a break at the very end adds no line; with
// DT_SINGLELINE nothing breaks and both draw nothing. Lines hang from the
// rectangle's top. Returns the height of the text in pixels, like DrawText.
INT LayoutText(TextFont& font, const char* text, INT count, const RECT& rect, DWORD format,
               TextCoverage& coverage);
