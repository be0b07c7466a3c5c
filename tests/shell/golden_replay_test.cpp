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
// Record it with no records or ghost of an earlier race in the way, as the test
// runs it: XDG_DATA_HOME=$(mktemp -d) before the command.
//
// The picture's fingerprint is that of Mesa's llvmpipe; another driver draws
// other pixels, and only that line of the file then needs recording anew.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/ghost_path.h"
#include "platform/module_path.h"
#include "race/game_state.h"
#include "render/ghost_drawing.h"
#include "render/mesh_object.h"
#include "tests/shell/headless_game.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/race_fixture.h"
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
    size_t moves = 0;
    const RaceOutcome end = DriveReplay(*program, replay, nullptr, moves);
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

TEST_F(GoldenReplay, AFinishedRaceIsKeptAndItsGhostRetracesItExactly) {
    Replay replay;
    std::string error;
    ASSERT_TRUE(ReadReplay(KESTRUNE_GOLDEN_REPLAY, replay, error)) << error;
    ASSERT_TRUE(StartProgram());
    size_t moves = 0;
    const RaceOutcome first = DriveReplay(*program, replay, nullptr, moves);
    ASSERT_EQ(FloatBits(first.raceTime), FloatBits(replay.outcome.raceTime));
    const std::string records = dataHome.File("kestrune/records.txt");
    const std::string ghost = dataHome.File("kestrune/ghost.kgh");
    struct stat ghostFile {};
    ASSERT_EQ(stat(ghost.c_str(), &ghostFile), 0);
    EXPECT_LT(ghostFile.st_size, 100000);
    std::printf("ghost of the golden race: %zu samples, %lld bytes\n", bestGhost.Samples().size(),
                static_cast<long long>(ghostFile.st_size));

    // A new start shows the kept best time before its first frame.
    EglContext* context = program->Context();
    CloseProgram();
    program.reset();
    ResetGameStateForTest();
    program = std::make_unique<HeadlessProgram>(*context);
    ASSERT_TRUE(StartProgram());
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 83.83\n");
    ASSERT_FALSE(bestGhost.Empty());

    // The same race with the ghost drawn: the ghost stands exactly where the
    // car is at every sampled moment, and the race ends exactly as recorded.
    size_t sampledFramesMet = 0;
    size_t ghostFrames = 0;
    const std::vector<GhostSample>& samples = bestGhost.Samples();
    auto afterFrame = [&](long) {
        if (!ghostDrawn) return;
        ghostDrawn = false;  // frames that draw nothing leave it so
        ++ghostFrames;
        const auto sample =
            std::lower_bound(samples.begin(), samples.end(), raceTime,
                             [](const GhostSample& one, float time) { return one.time < time; });
        if (sample == samples.end() || sample->time != raceTime) return;
        ++sampledFramesMet;
        EXPECT_EQ(ghostDrawnAt.x, carObject->position.x) << raceTime;
        EXPECT_EQ(ghostDrawnAt.y, carObject->position.y) << raceTime;
        EXPECT_EQ(ghostDrawnAt.z, carObject->position.z) << raceTime;
        EXPECT_EQ(ghostDrawnAt.yaw, carObject->rotation.y) << raceTime;
    };
    const RaceOutcome second = DriveReplay(*program, replay, afterFrame, moves);
    EXPECT_EQ(sampledFramesMet, samples.size());
    EXPECT_GT(ghostFrames, samples.size());
    const RaceOutcome& recorded = replay.outcome;
    EXPECT_TRUE(second.ended);
    EXPECT_EQ(second.frames, recorded.frames);
    EXPECT_EQ(second.laps, recorded.laps);
    EXPECT_EQ(second.hits, recorded.hits);
    EXPECT_EQ(FloatBits(second.raceTime), FloatBits(recorded.raceTime));
    EXPECT_EQ(second.message, recorded.message);
    EXPECT_EQ(second.scoreLine, recorded.scoreLine);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

}  // namespace
