// The golden replay: the mouse path of one whole race, recorded by the
// autopilot, driven again through the real game (start-up, window procedure,
// race, driving, sound on the dummy driver, renderer on the EGL context) with
// the fixed 60 Hz clock. The race must end in exactly the recorded frame with
// the same laps, hits, race time to the last bit, race message and score line,
// and the same last picture.
//
// Any change to what the game does with a player's input fails here. When the
// change is meant, record the race again on purpose and commit the new file
// with the change (the autopilot test's best time in
// tools/autopilot/CMakeLists.txt is the same race and changes with it):
//
//   build/kestrune-autopilot --record-replay tests/shell/golden_race.replay
//
// The picture's fingerprint is that of Mesa's llvmpipe; another driver draws
// other pixels, and only that line of the file then needs recording anew.
#include <string>

#include "core/options.h"
#include "platform/module_path.h"
#include "race/game_state.h"
#include "tests/shell/headless_game.h"
#include "tests/support/message_box_recorder.h"
#include "tools/headless/race_replay.h"

namespace {

class GoldenReplay : public HeadlessGame {
  protected:
    void SetUp() override {
        // The program lives beside the generated media, as the autopilot does.
        SetModuleFileNameForTesting(GeneratedMediaDirectory() + "/../kestrune");
        HeadlessGame::SetUp();
    }
    void TearDown() override {
        HeadlessGame::TearDown();
        SetModuleFileNameForTesting("");
    }
};

TEST_F(GoldenReplay, TheRecordedRaceEndsExactlyAsItDid) {
    Replay replay;
    std::string error;
    ASSERT_TRUE(ReadReplay(KESTRUNE_GOLDEN_REPLAY, replay, error)) << error;
    ASSERT_EQ(replay.drawableWidth, drawableWidth);
    ASSERT_EQ(replay.drawableHeight, drawableHeight);
    ASSERT_TRUE(StartProgram());
    // As the autopilot leaves the options after start-up.
    GameOptions = GameOptionsRecord{};
    GameOptions.lightsOn = static_cast<uint32_t>(replay.lightsOn);

    size_t moves = 0;
    auto hand = [&] {
        const MousePixel mouse = replay.path[std::min(moves, replay.path.size() - 1)];
        ++moves;
        return mouse;
    };
    const RaceOutcome end =
        RunRace(*program, replay.moveEvery, hand, nullptr, replay.outcome.frames + 1);
    const RaceOutcome& recorded = replay.outcome;

    EXPECT_TRUE(end.ended);
    EXPECT_EQ(moves, replay.path.size());
    EXPECT_EQ(end.frames, recorded.frames);
    EXPECT_EQ(end.laps, recorded.laps);
    EXPECT_EQ(end.hits, recorded.hits);
    EXPECT_EQ(FloatBits(end.raceTime), FloatBits(recorded.raceTime));
    EXPECT_EQ(end.message, recorded.message);
    EXPECT_EQ(end.scoreLine, recorded.scoreLine);
    EXPECT_EQ(end.picture, recorded.picture) << std::hex << end.picture;
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

}  // namespace
