#include "picture.h"

#include <algorithm>
#include <cmath>

#include "random_stream.h"

namespace {

uint8_t ToByte(double value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

double Smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

// Fraction of a pixel inside a shape, from a 4 x 4 grid of samples.
template <typename Inside>
double Coverage(int x, int y, Inside inside) {
    int count = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            if (inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0)) ++count;
        }
    }
    return count / 16.0;
}

}  // namespace

Colour Mix(const Colour& from, const Colour& to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Colour Scale(const Colour& colour, double factor) {
    return {colour.r * factor, colour.g * factor, colour.b * factor, colour.a};
}

Picture::Picture(int pictureWidth, int pictureHeight, const Colour& fill)
    : width(pictureWidth),
      height(pictureHeight),
      rgba(static_cast<size_t>(pictureWidth) * pictureHeight * 4) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) Set(x, y, fill);
    }
}

Colour Picture::Get(int x, int y) const {
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0};
}

void Picture::Set(int x, int y, const Colour& colour) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = ToByte(colour.r);
    p[1] = ToByte(colour.g);
    p[2] = ToByte(colour.b);
    p[3] = ToByte(colour.a);
}

void Picture::Blend(int x, int y, const Colour& colour, double coverage) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    double a = std::clamp(colour.a * coverage, 0.0, 1.0);
    if (a <= 0.0) return;
    Colour below = Get(x, y);
    // Straight-alpha "over": keeps colours right where the picture is still
    // transparent, which is what the alpha-blended leaves need at their rims.
    double outA = a + below.a * (1.0 - a);
    Colour out;
    if (outA > 0.0) {
        out.r = (colour.r * a + below.r * below.a * (1.0 - a)) / outA;
        out.g = (colour.g * a + below.g * below.a * (1.0 - a)) / outA;
        out.b = (colour.b * a + below.b * below.a * (1.0 - a)) / outA;
    }
    out.a = outA;
    Set(x, y, out);
}

void Picture::FillRect(double x0, double y0, double x1, double y1, const Colour& colour) {
    FillPolygon({x0, y0, x1, y0, x1, y1, x0, y1}, colour);
}

void Picture::FillEllipse(double cx, double cy, double rx, double ry, const Colour& colour) {
    if (rx <= 0 || ry <= 0) return;
    int xa = std::max(0, static_cast<int>(std::floor(cx - rx)));
    int xb = std::min(width - 1, static_cast<int>(std::ceil(cx + rx)));
    int ya = std::max(0, static_cast<int>(std::floor(cy - ry)));
    int yb = std::min(height - 1, static_cast<int>(std::ceil(cy + ry)));
    auto inside = [&](double px, double py) {
        double dx = (px - cx) / rx, dy = (py - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    };
    for (int y = ya; y <= yb; ++y) {
        for (int x = xa; x <= xb; ++x) {
            double c = Coverage(x, y, inside);
            if (c > 0.0) Blend(x, y, colour, c);
        }
    }
}

void Picture::FillPolygon(const std::vector<double>& xy, const Colour& colour) {
    size_t n = xy.size() / 2;
    if (n < 3) return;
    double minX = xy[0], maxX = xy[0], minY = xy[1], maxY = xy[1];
    for (size_t i = 0; i < n; ++i) {
        minX = std::min(minX, xy[2 * i]);
        maxX = std::max(maxX, xy[2 * i]);
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    auto inside = [&](double px, double py) {
        bool in = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
        }
        return in;
    };
    int xa = std::max(0, static_cast<int>(std::floor(minX)));
    int xb = std::min(width - 1, static_cast<int>(std::ceil(maxX)));
    int ya = std::max(0, static_cast<int>(std::floor(minY)));
    int yb = std::min(height - 1, static_cast<int>(std::ceil(maxY)));
    for (int y = ya; y <= yb; ++y) {
        for (int x = xa; x <= xb; ++x) {
            double c = Coverage(x, y, inside);
            if (c > 0.0) Blend(x, y, colour, c);
        }
    }
}

void Picture::DrawLine(double x0, double y0, double x1, double y1, double thickness,
                       const Colour& colour) {
    double dx = x1 - x0, dy = y1 - y0;
    double length = std::hypot(dx, dy);
    if (length <= 0.0) return;
    double nx = -dy / length * thickness / 2, ny = dx / length * thickness / 2;
    FillPolygon({x0 + nx, y0 + ny, x1 + nx, y1 + ny, x1 - nx, y1 - ny, x0 - nx, y0 - ny}, colour);
}

double TiledNoise(double x, double y, int period, uint32_t seed) {
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    double fx = Smooth(x - xi), fy = Smooth(y - yi);
    auto at = [&](int ix, int iy) {
        int wx = ((ix % period) + period) % period, wy = ((iy % period) + period) % period;
        return LatticeValue(wx, wy, seed);
    };
    double top = at(xi, yi) + (at(xi + 1, yi) - at(xi, yi)) * fx;
    double bottom = at(xi, yi + 1) + (at(xi + 1, yi + 1) - at(xi, yi + 1)) * fx;
    return top + (bottom - top) * fy;
}

double TiledFractal(double x, double y, int period, int octaves, uint32_t seed) {
    double sum = 0, weight = 1, total = 0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += TiledNoise(x, y, period, seed + octave * 101u) * weight;
        total += weight;
        weight *= 0.5;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / total;
}
