#include "tests/shell/headless_game.h"

#include <stdlib.h>

#include <cmath>

#include "core/options.h"
#include "platform/dsound.h"
#include "race/game_state.h"
#include "race/race_links.h"
#include "shell/display_mode.h"
#include "shell/startup.h"
#include "sound/sound_device.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/race_fixture.h"

std::string GeneratedMediaDirectory() {
    return KESTRUNE_MEDIA_DIR;
}

std::unique_ptr<EglContext> HeadlessGame::sharedContext;
std::string HeadlessGame::contextError;

void HeadlessGame::MakeSharedContext(int width, int height) {
    sharedContext = EglContext::Create(width, height, &contextError);
}

void HeadlessGame::TearDownTestSuite() {
    sharedContext.reset();
}

void HeadlessGame::SetUp() {
    ResetGameStateForTest();
    RecordedMessageBoxes().clear();
    setenv("XDG_CONFIG_HOME", configHome.Path().c_str(), 1);
    setenv("XDG_DATA_HOME", dataHome.Path().c_str(), 1);
    DirectSoundCreateWithoutOutputForTesting(true);
    ASSERT_NE(sharedContext, nullptr) << contextError;
    program = std::make_unique<HeadlessProgram>(*sharedContext);
}

void HeadlessGame::TearDown() {
    program.reset();
    DirectSoundCreateWithoutOutputForTesting(false);
    SetFullScreenDisplaySize(0, 0);
    DisconnectRace();
    mainWindow = nullptr;
    savedMenu = nullptr;
    optionsFileName = "options.kvz";
    mediaOptionsFileName.clear();
    ResetGameStateForTest();
}

void HeadlessGame::LoopOnce() {
    program->LoopOnce();
    // A frame's worth (17 ms at the game's 8000 frames a second) in a block
    // that holds it in any format.
    if (soundDevice && soundDevice->directSound) {
        constexpr DWORD frames = 136;
        BYTE block[frames * 4];
        DirectSoundMixForTesting(soundDevice->directSound, block, frames);
    }
}

void HeadlessGame::Race(int frames) {
    for (int i = 0; i < frames; ++i) {
        if (phase == Waiting) Click();
        // Across the whole width once every two seconds, always in the upper
        // half: forward, turning left and right by turns.
        const double sweep = std::sin(static_cast<double>(i) * 3.14159265 / 60.0);
        MoveMouse(static_cast<int>(viewWidth * (0.5 + 0.45 * sweep)),
                  static_cast<int>(viewHeight * 0.2));
        LoopOnce();
    }
}
