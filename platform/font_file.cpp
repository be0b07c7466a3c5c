#include "platform/font_file.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace {

struct FcPatternOwner {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using FcPatternPointer = std::unique_ptr<FcPattern, FcPatternOwner>;

struct FcConfigOwner {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};

// A configuration of our own, loaded at the first font and given back at exit.
// fontconfig's default one (FcInit) is only given back by FcFini, which would
// pull it from under the toolkit's fonts, and kept until then it holds memory
// the leak checker cannot trace.
FcConfig* FontConfig() {
    static const std::unique_ptr<FcConfig, FcConfigOwner> config(FcInitLoadConfigAndFonts());
    return config.get();
}

}  // namespace

bool FindFontFile(const char* faceName, int weight, bool italic, FontFile& found) {
    FcConfig* const config = FontConfig();
    if (config == nullptr) return false;

    const FcPatternPointer pattern(FcPatternCreate());
    if (!pattern) return false;
    if (faceName != nullptr && faceName[0] != '\0') {
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName));
    }
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);  // OUT_TT_ONLY_PRECIS: outlines only
    if (!FcConfigSubstitute(config, pattern.get(), FcMatchPattern)) return false;
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const FcPatternPointer match(FcFontMatch(config, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) {
        return false;
    }
    found = FontFile{};
    found.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &found.index);
    // fontconfig asks for synthetic bold or slant when the family has no such face.
    FcBool embolden = FcFalse;
    FcPatternGetBool(match.get(), FC_EMBOLDEN, 0, &embolden);
    found.embolden = embolden == FcTrue;
    FcMatrix* slant = nullptr;
    if (FcPatternGetMatrix(match.get(), FC_MATRIX, 0, &slant) == FcResultMatch &&
        slant != nullptr) {
        found.slanted = true;
        found.xx = slant->xx;
        found.xy = slant->xy;
        found.yx = slant->yx;
        found.yy = slant->yy;
    }
    return true;
}
