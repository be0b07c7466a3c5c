#pragma once
// The sine, cosine and tangent the game steers and draws with. Every build
// takes them from one copy (third_party/musl_math), not from its own C
// library: those differ in the last bit for some angles, and a replayed race
// must end to the bit where it ended on another machine or in the browser.
#include "third_party/musl_math/musl_math.h"

inline float Sine(float x) {
    return kestrune_sinf(x);
}

inline float Cosine(float x) {
    return kestrune_cosf(x);
}

inline float Tangent(float x) {
    return kestrune_tanf(x);
}
