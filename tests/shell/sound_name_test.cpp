// The desktop's volume mixer lists the game's sound by the game's name.
#include <SDL.h>
#include <gtest/gtest.h>

#include "tests/shell/headless_game.h"

namespace {

class SoundName : public HeadlessGame {};

TEST_F(SoundName, StartUpNamesTheSoundAfterTheGame) {
    SDL_ResetHints();
    ASSERT_TRUE(StartProgram());
    ASSERT_NE(SDL_GetHint(SDL_HINT_APP_NAME), nullptr);
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_APP_NAME), "Kestrune");
    ASSERT_NE(SDL_GetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME), nullptr);
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME), "Kestrune");
}

}  // namespace
