#include "core/random.h"

namespace {
// Before the first race reset seeds it, it starts where the C library's
// generator of the same formula starts.
uint32_t randomState = 1;
}  // namespace

void SeedRandom(uint32_t seed) {
    randomState = seed;
}

int RandomInt() {
    // Unsigned arithmetic wraps modulo 2^32, which the sequence relies on.
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
