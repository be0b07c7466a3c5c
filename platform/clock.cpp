#include "platform/clock.h"

#include <ctime>

namespace {

uint64_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

UptimeSource uptimeSource = MonotonicMilliseconds;
uint64_t processStart = MonotonicMilliseconds();

DWORD ProcessMilliseconds() {
    // Truncation to 32 bits is the wrap the game's clock is known to have.
    return static_cast<DWORD>(uptimeSource() - processStart);
}

TimeSource currentSource = ProcessMilliseconds;

}  // namespace

DWORD timeGetTime() {
    return currentSource();
}

void SetTimeSource(TimeSource source) {
    currentSource = source ? source : ProcessMilliseconds;
}

void SetUptimeSource(UptimeSource source) {
    uptimeSource = source ? source : MonotonicMilliseconds;
    processStart = uptimeSource();
}
