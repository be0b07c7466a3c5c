#include <gtest/gtest.h>

#include "tests/support/address_sanitizer.h"
#include "tests/support/message_box_recorder.h"

// Every test program starts with message boxes recorded, never shown: a modal
// box would hang an automated run.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    InstallMessageBoxRecorder();
    return RUN_ALL_TESTS();
}

#ifdef KESTRUNE_ADDRESS_SANITIZER
// LeakSanitizer looks for leaks as the program ends and names each frame by
// the library that holds its address then. Mesa unloads its driver when a
// test terminates the last EGL display, so the blocks the driver's static
// state still pointed to would be reported as leaks, in frames of no library
// that no suppression can name. In the sanitized tests a library, once
// loaded, stays loaded: the driver's blocks stay reachable, and a leak of
// ours shows with every frame named.
extern "C" int dlclose(void*) {
    return 0;
}
#endif
