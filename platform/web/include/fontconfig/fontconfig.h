#pragma once
// The page's stand-in for fontconfig, which the browser build does not have:
// every request is answered with the one face the page carries in its file
// system, Liberation Sans Bold (what fontconfig gives the HUD's "Arial" bold
// on the desktop). Only what the HUD font's lookup calls is here.
#include <memory>

using FcChar8 = unsigned char;
using FcBool = int;
constexpr FcBool FcFalse = 0;
constexpr FcBool FcTrue = 1;
enum FcResult { FcResultMatch, FcResultNoMatch };
enum FcMatchKind { FcMatchPattern };
struct FcMatrix {
    double xx, xy, yx, yy;
};
struct FcConfig {};
struct FcPattern {};

#define FC_FAMILY "family"
#define FC_WEIGHT "weight"
#define FC_SLANT "slant"
#define FC_SCALABLE "scalable"
#define FC_FILE "file"
#define FC_INDEX "index"
#define FC_EMBOLDEN "embolden"
#define FC_MATRIX "matrix"
constexpr int FC_SLANT_ROMAN = 0;
constexpr int FC_SLANT_ITALIC = 100;

// Where web/CMakeLists.txt packs the face.
inline constexpr const char* webHudFontFile = "/fonts/LiberationSans-Bold.ttf";

inline FcConfig* FcInitLoadConfigAndFonts() {
    return new FcConfig;
}
inline void FcConfigDestroy(FcConfig* config) {
    delete config;
}
inline FcPattern* FcPatternCreate() {
    return new FcPattern;
}
inline void FcPatternDestroy(FcPattern* pattern) {
    delete pattern;
}
inline FcBool FcPatternAddString(FcPattern*, const char*, const FcChar8*) {
    return FcTrue;
}
inline FcBool FcPatternAddInteger(FcPattern*, const char*, int) {
    return FcTrue;
}
inline FcBool FcPatternAddBool(FcPattern*, const char*, FcBool) {
    return FcTrue;
}
inline int FcWeightFromOpenType(int weight) {
    return weight;
}
inline FcBool FcConfigSubstitute(FcConfig*, FcPattern*, FcMatchKind) {
    return FcTrue;
}
inline void FcDefaultSubstitute(FcPattern*) {}
inline FcPattern* FcFontMatch(FcConfig*, FcPattern*, FcResult* result) {
    *result = FcResultMatch;
    return new FcPattern;
}
inline FcResult FcPatternGetString(const FcPattern*, const char*, int, FcChar8** value) {
    *value = reinterpret_cast<FcChar8*>(const_cast<char*>(webHudFontFile));
    return FcResultMatch;
}
inline FcResult FcPatternGetInteger(const FcPattern*, const char*, int, int*) {
    return FcResultNoMatch;
}
inline FcResult FcPatternGetBool(const FcPattern*, const char*, int, FcBool*) {
    return FcResultNoMatch;
}
inline FcResult FcPatternGetMatrix(const FcPattern*, const char*, int, FcMatrix**) {
    return FcResultNoMatch;
}
