// "velmo2.bmp": the picture shown before a race. The window shows its top
// left 632 x 426 pixels, and a click below row 350 starts the game, so the
// invitation to click sits in rows 350 to 426.
#include <cmath>
#include <cstdio>
#include <vector>

#include "car_picture.h"
#include "image_files.h"
#include "media_writers.h"
#include "random_stream.h"
#include "text_painter.h"

namespace {

constexpr int width = 640, height = 480;
constexpr int shownWidth = 632, shownHeight = 426;
constexpr int clickRow = 350;
static_assert(clickRow < shownHeight && shownWidth <= width && shownHeight <= height);
constexpr double horizon = 190;

void PaintLandscape(Picture& picture) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (y < horizon) {
                double t = y / horizon;
                picture.Set(x, y, Mix(Rgb(24, 56, 200), Rgb(150, 190, 255), t * t));
            } else {
                double t = (y - horizon) / (height - horizon);
                double shade = TiledFractal(x / 40.0, y / 12.0, 16, 3, 91);
                picture.Set(
                    x, y,
                    Mix(Mix(Rgb(70, 130, 50), Rgb(40, 96, 34), t), Rgb(90, 150, 60), shade * 0.3));
            }
        }
    }
    // Rolling hills on the horizon.
    for (int layer = 0; layer < 2; ++layer) {
        std::vector<double> outline;
        for (int x = 0; x <= width; x += 8) {
            double hill =
                22 + 14 * std::sin(x / 70.0 + layer * 2.1) + 9 * std::sin(x / 23.0 + layer);
            outline.push_back(x);
            outline.push_back(horizon - hill * (layer ? 0.6 : 1.0));
        }
        outline.insert(outline.end(), {double(width), horizon + 2, 0, horizon + 2});
        picture.FillPolygon(outline, layer ? Rgb(58, 118, 52) : Rgb(84, 140, 96));
    }
    // The road sweeping from the bottom to a bend at the horizon; t runs from
    // 0 at the horizon to 1 at the bottom edge.
    auto centreAt = [](double t) { return 300 + 150 * (1 - t) * (1 - t); };
    auto halfWidthAt = [](double t) { return 6 + 380 * t * t + 40 * t; };
    auto rowAt = [](double t) { return horizon + (height - horizon) * t; };
    std::vector<double> road;
    for (int i = 0; i <= 40; ++i) {
        double t = i / 40.0;
        road.insert(road.end(), {centreAt(t) - halfWidthAt(t), rowAt(t)});
    }
    for (int i = 40; i >= 0; --i) {
        double t = i / 40.0;
        road.insert(road.end(), {centreAt(t) + halfWidthAt(t), rowAt(t)});
    }
    picture.FillPolygon(road, Rgb(86, 86, 92));
    for (int i = 0; i < 40; i += 3) {
        double t0 = i / 40.0, t1 = (i + 1.4) / 40.0;
        picture.DrawLine(centreAt(t0), rowAt(t0), centreAt(t1), rowAt(t1), 1 + 6 * t1,
                         Rgb(240, 240, 230));
    }
}

void PaintTree(Picture& picture, double x, double base, double size, const Colour& leaves) {
    picture.FillRect(x - size * 0.06, base - size * 0.5, x + size * 0.06, base, Rgb(90, 64, 40));
    picture.FillEllipse(x, base - size * 0.75, size * 0.38, size * 0.42, Scale(leaves, 0.7));
    picture.FillEllipse(x - size * 0.08, base - size * 0.8, size * 0.28, size * 0.3, leaves);
}

}  // namespace

void PaintCar(Picture& picture, double cx, double base, double k) {
    Colour red = Rgb(214, 30, 24), dark = Rgb(30, 30, 34);
    auto rect = [&](double x0, double y0, double x1, double y1, const Colour& colour) {
        picture.FillRect(cx + x0 * k, base + y0 * k, cx + x1 * k, base + y1 * k, colour);
    };
    auto polygon = [&](std::vector<double> xy, const Colour& colour) {
        for (size_t i = 0; i < xy.size(); i += 2) {
            xy[i] = cx + xy[i] * k;
            xy[i + 1] = base + xy[i + 1] * k;
        }
        picture.FillPolygon(xy, colour);
    };
    picture.FillEllipse(cx, base + 4 * k, 120 * k, 12 * k, Rgb(20, 40, 20, 0.35));
    for (double side : {-1.0, 1.0}) {
        rect(side * 88 - 22, -62, side * 88 + 22, 0, dark);
        rect(side * 88 - 22, -50, side * 88 + 22, -46, Rgb(60, 60, 64));
        rect(side * 62 - 14, -92, side * 62 + 14, -56, dark);
    }
    polygon({-66, -20, 66, -20, 52, -74, -52, -74}, red);
    polygon({-40, -74, 40, -74, 30, -96, -30, -96}, Rgb(180, 24, 20));
    rect(-70, -40, 70, -30, dark);
    rect(-50, -64, -28, -54, Rgb(255, 40, 30));
    rect(28, -64, 50, -54, Rgb(255, 40, 30));
    rect(-26, -112, 26, -86, Rgb(30, 70, 170));
    picture.FillEllipse(cx, base - 126 * k, 26 * k, 26 * k, Rgb(250, 208, 40));
    picture.FillEllipse(cx - 8 * k, base - 134 * k, 9 * k, 7 * k, Rgb(255, 240, 150));
}

bool WriteSplash(const std::string& folder) {
    TextPainter text;
    if (!text.IsReady()) {
        std::fprintf(stderr, "kestrune-mkmedia: no Liberation Sans Bold (fonts-liberation2)\n");
        return false;
    }
    Picture picture(width, height, Rgb(0, 0, 0));
    PaintLandscape(picture);
    PaintTree(picture, 90, 250, 90, Rgb(60, 130, 50));
    PaintTree(picture, 180, 215, 50, Rgb(230, 110, 30));
    PaintTree(picture, 560, 240, 80, Rgb(236, 150, 180));
    PaintTree(picture, 480, 208, 40, Rgb(60, 130, 50));
    PaintCar(picture, 318, 338, 0.8);

    // Title across the sky, with a shadow so it stands off the clouds.
    double centre = shownWidth / 2.0;
    text.DrawCentred(picture, "Kestrune", centre + 4, 104, 96, Rgb(0, 0, 40, 0.55));
    text.DrawCentred(picture, "Kestrune", centre, 100, 96, Rgb(255, 214, 40));
    text.DrawCentred(picture, "Five laps. Thirty-one trees. Four drunken Zorveks.", centre, 136, 20,
                     Rgb(255, 255, 255));

    // The click area: everything below row 350 of the shown part.
    picture.FillRect(0, clickRow, width, height, Rgb(10, 16, 50, 0.78));
    picture.FillRect(0, clickRow, width, clickRow + 3, Rgb(255, 214, 40));
    picture.FillRect(centre - 170, 362, centre + 170, 404, Rgb(214, 30, 24));
    picture.FillRect(centre - 166, 366, centre + 166, 400, Rgb(236, 60, 40));
    text.DrawCentred(picture, "Click here to start", centre, 391, 26, Rgb(255, 255, 255));
    text.DrawCentred(picture, "or choose Start from the File menu", centre, 420, 14,
                     Rgb(200, 210, 255));
    return WriteBmp24(folder + "/velmo2.bmp", picture);
}
