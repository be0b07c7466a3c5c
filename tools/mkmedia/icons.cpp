// The game's icon for the desktop: the splash picture's roadster on its road
// under its sky, in a rounded square, drawn afresh at every size a desktop
// asks for so that no size is a blurred copy of another.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "car_picture.h"
#include "image_files.h"
#include "media_writers.h"

namespace {

// Fraction of the pixel (x, y) inside a square of `size` with corners
// rounded to `radius`, sampled 4 x 4.
double RoundedSquareCoverage(int x, int y, double size, double radius) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
            const double dx = std::max({radius - px, px - (size - radius), 0.0});
            const double dy = std::max({radius - py, py - (size - radius), 0.0});
            if (dx * dx + dy * dy <= radius * radius) ++inside;
        }
    }
    return inside / 16.0;
}

Picture PaintIcon(int size) {
    const double s = size;
    const double horizon = s * 0.46;
    Picture picture(size, size, Rgb(0, 0, 0, 0));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double coverage = RoundedSquareCoverage(x, y, s, s * 0.18);
            if (coverage <= 0) continue;
            Colour colour;
            if (y < horizon) {
                const double t = y / horizon;
                colour = Mix(Rgb(24, 56, 200), Rgb(150, 190, 255), t * t);
            } else {
                colour = Mix(Rgb(70, 130, 50), Rgb(40, 96, 34), (y - horizon) / (s - horizon));
            }
            colour.a = coverage;
            picture.Set(x, y, colour);
        }
    }
    // The road from the bottom edge to a point on the horizon, kept inside
    // the rounded corners.
    picture.FillPolygon(
        {s * 0.47, horizon, s * 0.53, horizon, s * 0.92, s * 0.9, s * 0.08, s * 0.9},
        Rgb(86, 86, 92));
    picture.FillRect(s * 0.08, s * 0.9, s * 0.92, s - s * 0.06, Rgb(86, 86, 92));
    // Below 32 pixels the car's details would only smear: it fills more of
    // the square instead.
    const double scale = size < 32 ? 0.0042 : 0.0036;
    PaintCar(picture, s / 2, s * 0.86, s * scale);
    return picture;
}

}  // namespace

bool WriteIcons(const std::string& folder) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::string sizeFolder = folder + "/hicolor/" + name + "/apps";
        std::error_code error;
        std::filesystem::create_directories(sizeFolder, error);
        if (error || !WritePng(sizeFolder + "/kestrune.png", PaintIcon(size), true)) return false;
    }
    return true;
}
