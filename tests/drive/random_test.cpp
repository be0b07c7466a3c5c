#include "core/random.h"

#include <gtest/gtest.h>

TEST(RandomInt, FollowsTheGameSequenceFromASeed) {
    SeedRandom(1);
    EXPECT_EQ(RandomInt(), 41);
    EXPECT_EQ(RandomInt(), 18467);
    EXPECT_EQ(RandomInt(), 6334);
    EXPECT_EQ(RandomInt(), 26500);
}

TEST(RandomInt, WrapsTheStateModuloTwoToTheThirtySecond) {
    // 0xFFFFFFFF * 214013 + 2531011 wraps to 0x235AC6, whose upper
    // half is 0x23.
    SeedRandom(0xFFFFFFFFu);
    EXPECT_EQ(RandomInt(), 0x23);
    SeedRandom(1);
    EXPECT_EQ(RandomInt(), 41);  // reseeding starts the sequence again
}
