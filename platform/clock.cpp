#include "platform/clock.h"

#include <ctime>

namespace {

DWORD MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Truncation to 32 bits is the wrap the game's clock is known to have.
    const uint64_t milliseconds =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(milliseconds);
}

TimeSource currentSource = MonotonicMilliseconds;

}  // namespace

DWORD timeGetTime() { return currentSource(); }

void SetTimeSource(TimeSource source) { currentSource = source ? source : MonotonicMilliseconds; }
