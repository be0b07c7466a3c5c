#include <gtest/gtest.h>

#include "tests/support/message_box_recorder.h"

// Every test program starts with message boxes recorded, never shown: a modal
// box would hang an automated run.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    InstallMessageBoxRecorder();
    return RUN_ALL_TESTS();
}
