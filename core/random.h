#pragma once
// The game's one pseudo-random generator: a 32-bit linear congruential state.
// The race reset seeds it from the millisecond clock; the robots, the hit
// tests and the sound clips draw from it.
#include <cstdint>

void SeedRandom(uint32_t seed);

// The next number, 0 to 32767.
int RandomInt();
