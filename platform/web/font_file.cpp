// The page carries no font mapper: it packs the two faces the desktop's
// fontconfig gives for the game's "Arial", Liberation Sans in regular and
// bold, at /fonts, and every face name is answered with one of them.
#include "platform/font_file.h"

namespace {

// The slant fontconfig gives a family without an italic face.
constexpr double syntheticSlant = 0.2;

}  // namespace

bool FindFontFile(const char*, int weight, bool italic, FontFile& found) {
    found = FontFile{};
    found.path =
        weight >= 600 ? "/fonts/LiberationSans-Bold.ttf" : "/fonts/LiberationSans-Regular.ttf";
    if (italic) {
        found.slanted = true;
        found.xy = syntheticSlant;
    }
    return true;
}
