#include "render/text_layout.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/font_file.h"

struct FontFaceResources {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    FontFaceResources() = default;
    FontFaceResources(const FontFaceResources&) = delete;
    FontFaceResources& operator=(const FontFaceResources&) = delete;
    ~FontFaceResources() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

namespace {

constexpr INT maxCharacterHeight = 2048;
// Windows' choice for a height of 0 is "a reasonable default"; this is one.
constexpr INT defaultCellHeight = 16;
// With DT_NOCLIP nothing else bounds the coverage of a long text.
constexpr int64_t maxCoveragePixels = int64_t{1} << 26;

// The bytes 0x80 to 0x9F of Windows-1252; the others are their own code points.
// Unassigned bytes map to 0, which draws as the face's missing-glyph box.
constexpr uint16_t windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

uint32_t CodePointOf(uint8_t character) {
    return character >= 0x80 && character < 0xA0 ? windows1252High[character - 0x80] : character;
}

bool IsLineBreak(char character) {
    return character == '\n' || character == '\r';
}

LONG ScaleRounded(int64_t units, int64_t pixelsPerEm, int64_t unitsPerEm) {
    return static_cast<LONG>((units * pixelsPerEm + unitsPerEm / 2) / unitsPerEm);
}

struct LineSpan {
    size_t begin;
    size_t end;
};

#if defined(__SSE2__)
__m128i Load16(const uint8_t* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}
__m128i Load8(const uint8_t* bytes) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes));
}
__m128i Load4(const uint8_t* bytes) {
    int32_t value = 0;
    std::memcpy(&value, bytes, 4);
    return _mm_cvtsi32_si128(value);
}
void Store16(uint8_t* bytes, __m128i value) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), value);
}
void Store8(uint8_t* bytes, __m128i value) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes), value);
}
void Store4(uint8_t* bytes, __m128i value) {
    const int32_t word = _mm_cvtsi128_si32(value);
    std::memcpy(bytes, &word, 4);
}
#endif

// Overlapping glyphs keep the stronger coverage rather than summing past
// opaque. The HUD lays out its score line every frame, so a glyph's row is
// merged in a few wide steps where the processor can. Taking the stronger
// value twice changes nothing, so the last step may overlap the one before;
// it is read before anything is written, as a read of bytes only partly just
// written waits for the write to land.
void KeepStronger(uint8_t* target, const uint8_t* source, size_t count) {
#if defined(__SSE2__)
    if (count >= 16) {
        const size_t last = count - 16;
        const __m128i lastStep = _mm_max_epu8(Load16(target + last), Load16(source + last));
        for (size_t i = 0; i < last; i += 16) {
            Store16(target + i, _mm_max_epu8(Load16(target + i), Load16(source + i)));
        }
        Store16(target + last, lastStep);
        return;
    }
    if (count >= 8) {
        const __m128i first = _mm_max_epu8(Load8(target), Load8(source));
        const __m128i second = _mm_max_epu8(Load8(target + count - 8), Load8(source + count - 8));
        Store8(target, first);
        Store8(target + count - 8, second);
        return;
    }
    if (count >= 4) {
        const __m128i first = _mm_max_epu8(Load4(target), Load4(source));
        const __m128i second = _mm_max_epu8(Load4(target + count - 4), Load4(source + count - 4));
        Store4(target, first);
        Store4(target + count - 4, second);
        return;
    }
#endif
    for (size_t i = 0; i < count; ++i) target[i] = std::max(target[i], source[i]);
}

}  // namespace

TextFont::TextFont() = default;
TextFont::~TextFont() = default;

HRESULT CreateTextFont(const char* faceName, INT height, UINT weight, BOOL italic,
                       std::unique_ptr<TextFont>& font) {
    if (height < -maxCharacterHeight || height > maxCharacterHeight) return E_INVALIDARG;
    // FW_DONTCARE (0) means normal; Windows weights run from 1 to 1000.
    const int windowsWeight = weight == 0 ? 400 : static_cast<int>(std::min(weight, 1000u));
    FontFile file;
    if (!FindFontFile(faceName, windowsWeight, italic != FALSE, file)) return E_FAIL;

    std::unique_ptr<TextFont> opened(new TextFont());
    opened->faceResources = std::make_unique<FontFaceResources>();
    FontFaceResources& resources = *opened->faceResources;
    if (FT_Init_FreeType(&resources.library) != 0) return E_FAIL;
    if (FT_New_Face(resources.library, file.path.c_str(), file.index, &resources.face) != 0 ||
        !FT_IS_SCALABLE(resources.face)) {
        return E_FAIL;
    }
    const FT_Face face = resources.face;

    // Windows measures a cell with the OS/2 table's Windows ascent and
    // descent; fall back to the horizontal header where there is none.
    int64_t ascentUnits = face->ascender;
    int64_t descentUnits = -face->descender;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
    }
    const int64_t unitsPerEm = face->units_per_EM;
    if (unitsPerEm <= 0 || ascentUnits + descentUnits <= 0) return E_FAIL;
    const INT cellHeight = height == 0 ? defaultCellHeight : height;
    int64_t pixelsPerEm = -cellHeight;
    if (cellHeight > 0) {
        pixelsPerEm = (cellHeight * unitsPerEm + (ascentUnits + descentUnits) / 2) /
                      (ascentUnits + descentUnits);
    }
    pixelsPerEm = std::max<int64_t>(pixelsPerEm, 1);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelsPerEm)) != 0) return E_FAIL;
    if (file.slanted) {
        FT_Matrix matrix{
            static_cast<FT_Fixed>(file.xx * 65536.0), static_cast<FT_Fixed>(file.xy * 65536.0),
            static_cast<FT_Fixed>(file.yx * 65536.0), static_cast<FT_Fixed>(file.yy * 65536.0)};
        FT_Set_Transform(face, &matrix, nullptr);
    }

    opened->familyName = face->family_name ? face->family_name : "";
    opened->styleName = face->style_name ? face->style_name : "";
    opened->filePath = file.path;
    opened->ascent = ScaleRounded(ascentUnits, pixelsPerEm, unitsPerEm);
    opened->lineHeight = opened->ascent + ScaleRounded(descentUnits, pixelsPerEm, unitsPerEm);
    opened->emboldened = file.embolden;
    font = std::move(opened);
    return S_OK;
}

const TextFont::Glyph& TextFont::GlyphFor(uint8_t character) {
    std::unique_ptr<Glyph>& cached = glyphCache[character];
    if (cached) return *cached;
    cached = std::make_unique<Glyph>();
    // Control characters, line breaks among them, neither draw nor advance.
    if (character < 0x20 || character == 0x7F) return *cached;

    const FT_Face face = faceResources->face;
    const FT_UInt index = FT_Get_Char_Index(face, CodePointOf(character));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return *cached;
    if (emboldened) FT_GlyphSlot_Embolden(face->glyph);
    const FT_GlyphSlot slot = face->glyph;
    cached->advance = static_cast<LONG>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return *cached;

    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.buffer == nullptr) return *cached;
    cached->left = slot->bitmap_left;
    cached->top = slot->bitmap_top;
    cached->width = bitmap.width;
    cached->rows = bitmap.rows;
    cached->coverage.resize(size_t{bitmap.width} * bitmap.rows);
    const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        uint8_t* target = cached->coverage.data() + size_t{row} * bitmap.width;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            target[column] = static_cast<uint8_t>(source[column] * 255 / levels);
        }
    }
    return *cached;
}

namespace {

// The lines of the text: breaks at line feeds and carriage returns (a CR LF
// pair is one), none with DT_SINGLELINE; a break at the very end adds no line.
std::vector<LineSpan> SplitLines(const char* text, size_t length, bool singleLine) {
    std::vector<LineSpan> lines;
    if (singleLine) {
        if (length > 0) lines.push_back({0, length});
        return lines;
    }
    size_t begin = 0;
    for (size_t i = 0; i < length; ++i) {
        if (!IsLineBreak(text[i])) continue;
        lines.push_back({begin, i});
        if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n') ++i;
        begin = i + 1;
    }
    if (begin < length) lines.push_back({begin, length});
    return lines;
}

struct PlacedGlyph {
    const TextFont::Glyph* glyph;
    int64_t x;  // the bitmap's left column and top row
    int64_t y;
};

// The box that holds every placed glyph's bitmap, right and bottom exclusive.
struct InkBox {
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
};

// Every glyph with pixels, at its place: lines hang from the rectangle's top,
// each starts at its left edge or, with DT_CENTER, is centred in it.
std::vector<PlacedGlyph> PlaceGlyphs(TextFont& font, const char* text, size_t length,
                                     const std::vector<LineSpan>& lines, const RECT& rect,
                                     DWORD format, InkBox& ink) {
    const int64_t lineHeight = font.LineHeight();
    std::vector<PlacedGlyph> placed;
    placed.reserve(length);  // one allocation, not one per doubling
    for (size_t line = 0; line < lines.size(); ++line) {
        int64_t lineWidth = 0;
        for (size_t i = lines[line].begin; i < lines[line].end; ++i) {
            lineWidth += font.GlyphFor(static_cast<uint8_t>(text[i])).advance;
        }
        int64_t penX = rect.left;
        if (format & DT_CENTER) penX += (int64_t{rect.right} - rect.left - lineWidth) / 2;
        const int64_t baseline =
            int64_t{rect.top} + static_cast<int64_t>(line) * lineHeight + font.Ascent();
        for (size_t i = lines[line].begin; i < lines[line].end; ++i) {
            const TextFont::Glyph& glyph = font.GlyphFor(static_cast<uint8_t>(text[i]));
            if (glyph.width > 0 && glyph.rows > 0) {
                const PlacedGlyph at{&glyph, penX + glyph.left, baseline - glyph.top};
                placed.push_back(at);
                ink.left = std::min(ink.left, at.x);
                ink.top = std::min(ink.top, at.y);
                ink.right = std::max(ink.right, at.x + glyph.width);
                ink.bottom = std::max(ink.bottom, at.y + glyph.rows);
            }
            penX += glyph.advance;
        }
    }
    return placed;
}

// The ink clipped to the rectangle (unless DT_NOCLIP); false when nothing of
// it is left, or when it is too large to rasterise.
bool ClipInk(const RECT& rect, DWORD format, InkBox& ink) {
    if (!(format & DT_NOCLIP)) {
        ink.left = std::max<int64_t>(ink.left, rect.left);
        ink.top = std::max<int64_t>(ink.top, rect.top);
        ink.right = std::min<int64_t>(ink.right, rect.right);
        ink.bottom = std::min<int64_t>(ink.bottom, rect.bottom);
    }
    return !(ink.right <= ink.left || ink.bottom <= ink.top || ink.left < INT32_MIN ||
             ink.top < INT32_MIN || ink.right > INT32_MAX || ink.bottom > INT32_MAX ||
             (ink.right - ink.left) * (ink.bottom - ink.top) > maxCoveragePixels);
}

// The placed glyphs' pixels inside the ink box, overlaps keeping the stronger.
void Rasterise(const std::vector<PlacedGlyph>& placed, const InkBox& ink, TextCoverage& coverage) {
    coverage.left = static_cast<LONG>(ink.left);
    coverage.top = static_cast<LONG>(ink.top);
    coverage.width = static_cast<UINT>(ink.right - ink.left);
    coverage.height = static_cast<UINT>(ink.bottom - ink.top);
    coverage.alpha.assign(size_t{coverage.width} * coverage.height, 0);
    for (const PlacedGlyph& at : placed) {
        const TextFont::Glyph& glyph = *at.glyph;
        const int64_t firstRow = std::max<int64_t>(at.y, ink.top);
        const int64_t endRow = std::min<int64_t>(at.y + glyph.rows, ink.bottom);
        const int64_t firstColumn = std::max<int64_t>(at.x, ink.left);
        const int64_t endColumn = std::min<int64_t>(at.x + glyph.width, ink.right);
        if (endColumn <= firstColumn) continue;
        for (int64_t y = firstRow; y < endRow; ++y) {
            const uint8_t* source = glyph.coverage.data() + (y - at.y) * glyph.width;
            uint8_t* target = coverage.alpha.data() + (y - ink.top) * coverage.width;
            KeepStronger(target + (firstColumn - ink.left), source + (firstColumn - at.x),
                         static_cast<size_t>(endColumn - firstColumn));
        }
    }
}

}  // namespace

INT LayoutText(TextFont& font, const char* text, INT count, const RECT& rect, DWORD format,
               TextCoverage& coverage) {
    coverage = TextCoverage{};
    if (text == nullptr) return 0;
    // A count past the terminator stops at it rather than reading on.
    const size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
    const std::vector<LineSpan> lines = SplitLines(text, length, (format & DT_SINGLELINE) != 0);
    if (lines.empty()) return 0;

    InkBox ink;
    const std::vector<PlacedGlyph> placed =
        PlaceGlyphs(font, text, length, lines, rect, format, ink);
    const INT result = static_cast<INT>(static_cast<int64_t>(lines.size()) * font.LineHeight());
    if (placed.empty() || !ClipInk(rect, format, ink)) return result;
    Rasterise(placed, ink, coverage);
    return result;
}
