#pragma once
// An 8-bit RGBA picture, rows from the top, and the few drawing operations the
// textures, the splash and the track map are painted with.
#include <cstdint>
#include <vector>

struct Colour {
    double r = 0, g = 0, b = 0, a = 1;  // 0..1
};

inline Colour Rgb(int r, int g, int b, double a = 1.0) {
    return {r / 255.0, g / 255.0, b / 255.0, a};
}
Colour Mix(const Colour& from, const Colour& to, double t);
Colour Scale(const Colour& colour, double factor);  // alpha kept

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Picture() = default;
    Picture(int width, int height, const Colour& fill);

    Colour Get(int x, int y) const;
    void Set(int x, int y, const Colour& colour);
    // Paints over with the colour's alpha times coverage; the picture's own
    // alpha grows towards opaque.
    void Blend(int x, int y, const Colour& colour, double coverage = 1.0);

    void FillRect(double x0, double y0, double x1, double y1, const Colour& colour);
    // Anti-aliased by 4 x 4 sampling at the rim.
    void FillEllipse(double cx, double cy, double rx, double ry, const Colour& colour);
    // Any simple or self-touching polygon, even-odd rule, 4 x 4 sampled.
    void FillPolygon(const std::vector<double>& xy, const Colour& colour);
    void DrawLine(double x0, double y0, double x1, double y1, double thickness,
                  const Colour& colour);
};

// Value noise in [0, 1] that repeats every `period` lattice cells in both
// directions, so tiled textures show no seams.
double TiledNoise(double x, double y, int period, uint32_t seed);
// Several octaves of TiledNoise, each twice as fine; still tiles.
double TiledFractal(double x, double y, int period, int octaves, uint32_t seed);
