#pragma once
// A generated ground mesh like the track's: a square of quads across x and z
// from -240 to +240, two triangles each with alternating diagonals, rolling
// heights above y = 0, and corners nudged off the regular lattice so that
// triangles are uneven. Deterministic for a given seed. Used by the ray-test
// tests and the ray benchmark.
#include <cmath>
#include <cstdint>

#include "render/cpu_mesh.h"

inline CpuMesh MakeBumpyTerrain(uint32_t quadsPerSide, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1u;
    auto random = [&state]() {  // 0 .. 1, a plain linear congruential sequence
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    };
    CpuMesh mesh;
    const uint32_t side = quadsPerSide + 1;
    const float step = 480.0f / static_cast<float>(quadsPerSide);
    for (uint32_t row = 0; row < side; ++row) {
        for (uint32_t column = 0; column < side; ++column) {
            const bool edge =
                row == 0 || column == 0 || row == quadsPerSide || column == quadsPerSide;
            const float nudgeX = edge ? 0.0f : (random() - 0.5f) * 0.6f * step;
            const float nudgeZ = edge ? 0.0f : (random() - 0.5f) * 0.6f * step;
            const float x = -240.0f + static_cast<float>(column) * step + nudgeX;
            const float z = -240.0f + static_cast<float>(row) * step + nudgeZ;
            const float y = 6.0f + 3.0f * std::sin(x / 17.0f) * std::cos(z / 23.0f) + random();
            mesh.vertices.push_back({{x, y, z}, {0.0f, 1.0f, 0.0f}, 0.0f, 0.0f});
        }
    }
    for (uint32_t row = 0; row < quadsPerSide; ++row) {
        for (uint32_t column = 0; column < quadsPerSide; ++column) {
            const uint32_t a = row * side + column, b = a + 1, c = a + side, d = c + 1;
            if ((row + column) % 2 == 0) {
                mesh.indices.insert(mesh.indices.end(), {a, c, b, b, c, d});
            } else {
                mesh.indices.insert(mesh.indices.end(), {a, c, d, a, d, b});
            }
        }
    }
    mesh.subsets.push_back({0, static_cast<uint32_t>(mesh.indices.size())});
    return mesh;
}
