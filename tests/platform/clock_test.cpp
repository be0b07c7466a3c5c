#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {
DWORD fixedTime = 0;
DWORD FixedTime() {
    return fixedTime;
}
}  // namespace

TEST(TimeSource, TestsCanSetTheClockAndGiveItBack) {
    SetTimeSource(FixedTime);
    fixedTime = 0xFFFFFFF0u;
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    SetTimeSource(nullptr);
    const DWORD first = timeGetTime();
    const DWORD second = timeGetTime();
    EXPECT_LE(second - first, 1000u);  // the real clock moves forwards, modulo the wrap
}
