#pragma once
// The multimedia timer: milliseconds as an unsigned 32-bit count that wraps
// after about 49.7 days. Tests and the autopilot replace the source to drive
// time themselves.
#include <cstdint>

#include "platform/windows_types.h"

// Milliseconds since the process started. The race clock rounds readings to
// floats of seconds, so counting from boot would coarsen it with the machine's
// uptime; counting from the process keeps a week-old desktop as smooth as a
// fresh one.
DWORD timeGetTime();

using TimeSource = DWORD (*)();

// Replaces the whole counter; nullptr restores the process clock.
void SetTimeSource(TimeSource source);

using UptimeSource = uint64_t (*)();

// Replaces the system's monotonic milliseconds that the process clock is taken
// from, and starts the process clock again at its current reading; nullptr
// restores the system's clock.
void SetUptimeSource(UptimeSource source);
