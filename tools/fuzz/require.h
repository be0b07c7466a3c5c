#pragma once
// A target's own checks: a broken promise of the reader ends the run as a
// crash does, naming the check, so that the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                                \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
