#include "text_painter.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <string>

namespace {

// The file of Liberation Sans Bold, or empty. Only that face is accepted: a
// substitute would make the pictures differ from machine to machine.
std::string FindFontFile() {
    std::string path;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Sans:bold"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match) {
        FcChar8* family = nullptr;
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
            FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
            std::string(reinterpret_cast<char*>(family)) == "Liberation Sans") {
            path = reinterpret_cast<char*>(file);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return path;
}

}  // namespace

TextPainter::TextPainter() {
    std::string file = FindFontFile();
    if (file.empty()) return;
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) != 0) return;
    library = ft;
    FT_Face ftFace = nullptr;
    if (FT_New_Face(ft, file.c_str(), 0, &ftFace) != 0) return;
    face = ftFace;
}

TextPainter::~TextPainter() {
    if (face) FT_Done_Face(static_cast<FT_Face>(face));
    if (library) FT_Done_FreeType(static_cast<FT_Library>(library));
}

double TextPainter::Measure(const std::string& text, int size) {
    if (!face) return 0;
    FT_Face ftFace = static_cast<FT_Face>(face);
    FT_Set_Pixel_Sizes(ftFace, 0, static_cast<FT_UInt>(size));
    double width = 0;
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        FT_UInt glyph = FT_Get_Char_Index(ftFace, c);
        if (previous && glyph && FT_HAS_KERNING(ftFace)) {
            FT_Vector kerning;
            FT_Get_Kerning(ftFace, previous, glyph, FT_KERNING_DEFAULT, &kerning);
            width += static_cast<double>(kerning.x) / 64.0;
        }
        if (FT_Load_Glyph(ftFace, glyph, FT_LOAD_DEFAULT) == 0)
            width += static_cast<double>(ftFace->glyph->advance.x) / 64.0;
        previous = glyph;
    }
    return width;
}

void TextPainter::Draw(Picture& picture, const std::string& text, double left, double baseline,
                       int size, const Colour& colour) {
    if (!face) return;
    FT_Face ftFace = static_cast<FT_Face>(face);
    FT_Set_Pixel_Sizes(ftFace, 0, static_cast<FT_UInt>(size));
    double pen = left;
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        FT_UInt glyph = FT_Get_Char_Index(ftFace, c);
        if (previous && glyph && FT_HAS_KERNING(ftFace)) {
            FT_Vector kerning;
            FT_Get_Kerning(ftFace, previous, glyph, FT_KERNING_DEFAULT, &kerning);
            pen += static_cast<double>(kerning.x) / 64.0;
        }
        previous = glyph;
        if (FT_Load_Glyph(ftFace, glyph, FT_LOAD_RENDER) != 0) continue;
        FT_GlyphSlot slot = ftFace->glyph;
        int x0 = static_cast<int>(std::lround(pen)) + slot->bitmap_left;
        int y0 = static_cast<int>(std::lround(baseline)) - slot->bitmap_top;
        for (unsigned row = 0; row < slot->bitmap.rows; ++row) {
            for (unsigned column = 0; column < slot->bitmap.width; ++column) {
                unsigned char coverage = slot->bitmap.buffer[row * slot->bitmap.pitch + column];
                if (coverage) picture.Blend(x0 + column, y0 + row, colour, coverage / 255.0);
            }
        }
        pen += static_cast<double>(slot->advance.x) / 64.0;
    }
}

void TextPainter::DrawCentred(Picture& picture, const std::string& text, double centre,
                              double baseline, int size, const Colour& colour) {
    Draw(picture, text, centre - Measure(text, size) / 2, baseline, size, colour);
}
