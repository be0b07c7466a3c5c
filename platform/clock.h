#pragma once
// The multimedia timer: milliseconds as an unsigned 32-bit count that wraps
// after about 49.7 days. Tests and the autopilot replace the source to drive
// time themselves.
#include "platform/windows_types.h"

DWORD timeGetTime();

using TimeSource = DWORD (*)();

// nullptr restores the system's monotonic clock.
void SetTimeSource(TimeSource source);
