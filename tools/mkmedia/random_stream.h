#pragma once
// The generator's only source of chance: a fixed-seed stream, so that every
// run writes the same bytes on every machine. No std distributions, whose
// results differ between standard libraries.
#include <cstdint>

class RandomStream {
  public:
    explicit RandomStream(uint64_t seed) : state(seed) {}

    // splitmix64: tiny, fast, and good enough for textures and sounds.
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [low, high).
    double Range(double low, double high) { return low + (high - low) * Unit(); }
    // Uniform integer in [0, count).
    uint32_t Below(uint32_t count) { return static_cast<uint32_t>(Unit() * count); }

  private:
    uint64_t state;
};

// A repeatable hash of lattice coordinates, for noise that must tile.
inline double LatticeValue(int32_t x, int32_t y, uint32_t seed) {
    uint64_t h = static_cast<uint32_t>(x) * 0x8DA6B343ull +
                 static_cast<uint32_t>(y) * 0xD8163841ull + seed * 0xCB1AB31Full;
    RandomStream stream(h);
    return stream.Unit();
}
