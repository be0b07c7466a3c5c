// The six trees: flat billboards with alpha-textured leaves, each painted
// from its own recipe. Trees are turned with the car every frame, so they
// always show the camera this face.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "billboard.h"
#include "image_files.h"
#include "media_writers.h"
#include "random_stream.h"
#include "x_file_writer.h"

namespace {

struct Palette {
    Colour shadow, middle, light;
};

// A bark-shaded trunk from (x, bottom) up to `top`, tapering.
void PaintTrunk(Picture& picture, double x, double bottom, double top, double baseWidth,
                double topWidth, const Colour& bark, uint32_t seed) {
    picture.FillPolygon({x - baseWidth / 2, bottom, x + baseWidth / 2, bottom, x + topWidth / 2,
                         top, x - topWidth / 2, top},
                        bark);
    // Grain and a shaded right side, painted over what the polygon covered.
    for (int y = static_cast<int>(top); y < static_cast<int>(bottom); ++y) {
        double t = (bottom - y) / (bottom - top);
        double half = (baseWidth + (topWidth - baseWidth) * t) / 2;
        for (int px = static_cast<int>(x - half); px <= static_cast<int>(x + half); ++px) {
            if (px < 0 || px >= picture.width || y < 0 || y >= picture.height) continue;
            Colour here = picture.Get(px, y);
            if (here.a < 0.5) continue;
            double across = (px - x) / std::max(half, 1.0);
            double grain = TiledNoise(px / 1.5, y / 6.0, 256, seed);
            double light = 1.05 - 0.35 * std::max(0.0, across) - 0.25 * grain;
            picture.Set(px, y, Scale(here, light));
        }
    }
}

// A rounded mass of leaves: overlapping clusters, darker underneath and to
// the right, lit from the upper left, with ragged small blobs at the rim.
void PaintCanopy(Picture& picture, RandomStream& random, double cx, double cy, double rx, double ry,
                 const Palette& palette, int clusters, double blobScale) {
    const double pi = std::numbers::pi;
    struct Blob {
        double x, y, r;
    };
    std::vector<Blob> blobs;
    for (int i = 0; i < clusters; ++i) {
        double angle = random.Range(0, 2 * pi), reach = std::sqrt(random.Unit()) * 0.78;
        double r = random.Range(0.28, 0.42) * std::min(rx, ry) * blobScale;
        blobs.push_back({cx + std::cos(angle) * reach * (rx - r * 0.5),
                         cy + std::sin(angle) * reach * (ry - r * 0.5), r});
    }
    // Shadow layer first, then lit layers shifted towards the light, so every
    // cluster reads as a lump with its own shade underneath.
    for (const Blob& b : blobs) picture.FillEllipse(b.x, b.y, b.r, b.r * 0.9, palette.shadow);
    for (const Blob& b : blobs) {
        double lit = std::clamp(0.55 - (b.x - cx) / rx * 0.35 - (b.y - cy) / ry * 0.5, 0.0, 1.0);
        Colour colour = Mix(palette.shadow, palette.middle, 0.3 + 0.7 * lit);
        picture.FillEllipse(b.x - b.r * 0.14, b.y - b.r * 0.2, b.r * 0.76, b.r * 0.64, colour);
        if (lit > 0.35) {
            picture.FillEllipse(b.x - b.r * 0.3, b.y - b.r * 0.38, b.r * 0.42, b.r * 0.32,
                                Mix(palette.middle, palette.light, lit));
        }
    }
    // A few leaf flecks break up the smooth clusters and the rim.
    int flecks = static_cast<int>(rx * ry * 0.1);
    for (int i = 0; i < flecks; ++i) {
        double angle = random.Range(0, 2 * pi), reach = std::sqrt(random.Unit()) * 0.98;
        double x = cx + std::cos(angle) * reach * rx, y = cy + std::sin(angle) * reach * ry;
        double lit = std::clamp(0.55 - (x - cx) / rx * 0.4 - (y - cy) / ry * 0.5, 0.0, 1.0);
        Colour colour = random.Unit() < 0.5 ? Mix(palette.shadow, palette.middle, lit)
                                            : Mix(palette.middle, palette.light, lit * 0.8);
        double size = random.Range(1.5, 3.0) * blobScale;
        picture.FillEllipse(x, y, size, size * 0.75, colour);
    }
}

Picture Oak() {
    Picture picture(256, 256, Rgb(40, 30, 20, 0));
    RandomStream random(101);
    PaintTrunk(picture, 128, 256, 120, 30, 16, Rgb(96, 70, 46), 102);
    picture.DrawLine(128, 160, 84, 112, 7, Rgb(86, 62, 40));
    picture.DrawLine(128, 150, 176, 104, 7, Rgb(80, 58, 38));
    PaintCanopy(picture, random, 128, 96, 118, 90,
                {Rgb(34, 72, 26), Rgb(62, 118, 40), Rgb(128, 176, 70)}, 34, 1.0);
    return picture;
}

Picture Pine() {
    Picture picture(128, 256, Rgb(30, 40, 30, 0));
    RandomStream random(201);
    PaintTrunk(picture, 64, 256, 200, 14, 10, Rgb(88, 60, 40), 202);
    // Tiers from the bottom up, each a jagged skirt of needles.
    const int tiers = 6;
    for (int tier = 0; tier < tiers; ++tier) {
        double t = double(tier) / (tiers - 1);
        double bottom = 228 - t * 170, height = 70 - t * 22, half = 60 - t * 44;
        std::vector<double> outline{64, bottom - height};
        const int teeth = 9;
        for (int k = 0; k <= teeth; ++k) {
            double x = 64 + half - 2 * half * k / teeth;
            double y = bottom + ((k % 2) ? -6 : 2) + random.Range(-2, 2);
            outline.push_back(x);
            outline.push_back(y);
        }
        picture.FillPolygon(outline, Rgb(20, 58, 34));
        // Light falls on the left half of each tier.
        std::vector<double> lit{64, bottom - height + 4};
        for (int k = teeth / 2; k <= teeth; ++k) {
            double x = 64 + half - 2 * half * k / teeth + 3;
            lit.push_back(x);
            lit.push_back(bottom - 5 + ((k % 2) ? -6 : 0));
        }
        lit.push_back(64);
        lit.push_back(bottom - 8);
        picture.FillPolygon(lit, Rgb(40, 96, 52, 0.85));
        for (int k = 0; k < 40; ++k) {
            double x = 64 + random.Range(-half, half) * 0.9,
                   y = bottom - random.Range(4, height * 0.8);
            if (std::abs(x - 64) > half * (1 - (bottom - y) / height)) continue;
            picture.DrawLine(x, y, x + (x < 64 ? -3 : 3), y + 3, 1.2,
                             x < 64 ? Rgb(76, 136, 74, 0.8) : Rgb(14, 42, 26, 0.8));
        }
    }
    return picture;
}

Picture Birch() {
    Picture picture(128, 256, Rgb(40, 40, 30, 0));
    RandomStream random(301);
    PaintTrunk(picture, 64, 256, 70, 14, 7, Rgb(226, 222, 210), 302);
    for (int k = 0; k < 22; ++k) {
        double y = random.Range(80, 250), x = 64 + random.Range(-5, 3);
        picture.DrawLine(x, y, x + random.Range(3, 7), y + random.Range(-1, 1), 2.0,
                         Rgb(30, 30, 30, 0.9));
    }
    picture.DrawLine(64, 120, 34, 80, 3, Rgb(210, 206, 196));
    picture.DrawLine(64, 104, 96, 64, 3, Rgb(210, 206, 196));
    // Light, airy leaves in three loose masses with sky between them.
    Palette leaves{Rgb(70, 118, 40), Rgb(120, 168, 62), Rgb(184, 214, 104)};
    PaintCanopy(picture, random, 40, 84, 34, 44, leaves, 12, 0.8);
    PaintCanopy(picture, random, 90, 70, 34, 48, leaves, 12, 0.8);
    PaintCanopy(picture, random, 64, 46, 40, 42, leaves, 14, 0.8);
    return picture;
}

Picture AutumnMaple() {
    Picture picture(256, 256, Rgb(40, 30, 20, 0));
    RandomStream random(401);
    PaintTrunk(picture, 128, 256, 140, 26, 14, Rgb(78, 56, 44), 402);
    picture.DrawLine(128, 170, 90, 130, 6, Rgb(72, 52, 40));
    picture.DrawLine(128, 166, 170, 124, 6, Rgb(72, 52, 40));
    PaintCanopy(picture, random, 128, 104, 112, 96,
                {Rgb(140, 40, 18), Rgb(214, 92, 26), Rgb(250, 184, 60)}, 36, 1.0);
    return picture;
}

Picture Poplar() {
    Picture picture(64, 256, Rgb(30, 40, 30, 0));
    RandomStream random(501);
    PaintTrunk(picture, 32, 256, 200, 10, 6, Rgb(92, 80, 62), 502);
    PaintCanopy(picture, random, 32, 112, 28, 104,
                {Rgb(30, 70, 30), Rgb(58, 110, 44), Rgb(120, 164, 70)}, 60, 1.5);
    return picture;
}

Picture Cherry() {
    Picture picture(256, 256, Rgb(40, 30, 30, 0));
    RandomStream random(601);
    PaintTrunk(picture, 128, 256, 150, 24, 12, Rgb(74, 48, 44), 602);
    picture.DrawLine(128, 180, 76, 134, 7, Rgb(70, 46, 42));
    picture.DrawLine(128, 172, 184, 128, 7, Rgb(70, 46, 42));
    PaintCanopy(picture, random, 128, 108, 118, 88,
                {Rgb(176, 86, 120), Rgb(236, 150, 180), Rgb(255, 222, 236)}, 34, 1.0);
    return picture;
}

struct TreeRecipe {
    const char* meshName;
    const char* textureName;
    Picture (*paint)();
    double width, height;
};

}  // namespace

bool WriteTrees(const std::string& folder) {
    const TreeRecipe recipes[] = {
        {"tree1", "tree1.png", Oak, 8.0, 9.0},
        {"tree2", "tree2.png", Pine, 6.0, 11.0},
        {"tree3", "tree3.png", Birch, 5.5, 10.0},
        {"tree1b", "tree1b.png", AutumnMaple, 7.5, 8.0},
        {"tree2b", "tree2b.png", Poplar, 3.2, 12.0},
        {"tree3b", "tree3b.png", Cherry, 7.0, 7.0},
    };
    for (const TreeRecipe& recipe : recipes) {
        Picture picture = recipe.paint();
        if (!WritePng(folder + "/" + recipe.textureName, picture, true)) return false;
        // Sunk a little, so the trunk meets the ground on a slope too.
        Model model = BillboardModel(recipe.meshName, picture, recipe.textureName, recipe.width,
                                     recipe.height, 0.3);
        if (!WriteTextXFile(folder + "/" + recipe.meshName + ".x", model, MaterialStyle::Inline)) {
            return false;
        }
    }
    return true;
}
