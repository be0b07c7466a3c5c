// The ground's textures: grass, asphalt with its markings, the start line.
#include <cmath>

#include "image_files.h"
#include "media_writers.h"
#include "random_stream.h"

namespace {

// Low contrast on purpose: textures are point-sampled without mipmaps, and a
// busy grass would shimmer in the distance.
Picture GrassPicture() {
    const int size = 256;
    Picture picture(size, size, Rgb(0, 0, 0));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double broad = TiledFractal(x / 32.0, y / 32.0, 8, 3, 11);
            double fine = TiledNoise(x / 4.0, y / 4.0, 64, 12);
            Colour base = Mix(Rgb(62, 112, 40), Rgb(92, 140, 52), broad);
            picture.Set(x, y, Mix(base, Rgb(48, 96, 34), fine * 0.35));
        }
    }
    // Blades: short strokes, drawn again across each border so the tile wraps.
    RandomStream random(13);
    for (int i = 0; i < 900; ++i) {
        double x = random.Range(0, size), y = random.Range(0, size);
        double lean = random.Range(-1.5, 1.5), tall = random.Range(2.0, 5.0);
        Colour colour = random.Unit() < 0.5 ? Rgb(108, 156, 60, 0.55) : Rgb(44, 86, 30, 0.5);
        for (int ox = -1; ox <= 1; ++ox) {
            for (int oy = -1; oy <= 1; ++oy) {
                double bx = x + ox * size, by = y + oy * size;
                picture.DrawLine(bx, by, bx + lean, by - tall, 1.0, colour);
            }
        }
    }
    return picture;
}

// 128 x 64 spans the road's 24 units across and 12 along: edge lines, a
// dashed centre line, and a grainy surface.
Picture AsphaltPicture() {
    const int width = 128, height = 64;
    Picture picture(width, height, Rgb(0, 0, 0));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // The noise tiles along the road (y); across, the texture is used once.
            double grain = TiledNoise(x / 2.0, y / 2.0, 32, 21);
            double patch = TiledFractal(x / 16.0, y / 16.0, 4, 2, 22);
            double level = 78 + patch * 18 + grain * 14;
            picture.Set(
                x, y,
                Rgb(static_cast<int>(level), static_cast<int>(level), static_cast<int>(level + 6)));
        }
    }
    Colour white = Rgb(236, 236, 228);
    picture.FillRect(4, 0, 8, height, white);
    picture.FillRect(width - 8, 0, width - 4, height, white);
    picture.FillRect(width / 2 - 2, 0, width / 2 + 2, height / 2, white);
    // Darker tyre tracks where cars run, half way between centre and edges.
    picture.FillRect(26, 0, 38, height, Rgb(40, 40, 44, 0.18));
    picture.FillRect(width - 38, 0, width - 26, height, Rgb(40, 40, 44, 0.18));
    return picture;
}

// Two rows of sixteen squares across the road's width.
Picture StartLinePicture() {
    const int width = 256, height = 32, square = 16;
    Picture picture(width, height, Rgb(0, 0, 0));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool light = ((x / square) + (y / square)) % 2 == 0;
            double grain = TiledNoise(x / 2.0, y / 2.0, 128, 31) * 0.08;
            picture.Set(x, y, light ? Rgb(240, 240, 236) : Rgb(26, 26, 30));
            if (grain > 0.05) picture.Blend(x, y, Rgb(128, 128, 128), 0.25);
        }
    }
    return picture;
}

}  // namespace

bool WriteGroundTextures(const std::string& folder) {
    return WriteJpeg(folder + "/grass.jpg", GrassPicture(), 90) &&
           WritePng(folder + "/asphalt.png", AsphaltPicture(), false) &&
           WriteBmp24(folder + "/startline.bmp", StartLinePicture());
}
