// The player's records and the ghost of their best race, as files: where they
// lie, what they hold, and what a damaged one does to the start.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ghost_path.h"
#include "core/records_file.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "race/race_records.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/race_fixture.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/unprivileged_rerun.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

const std::string goodRecords =
    "kestrune-records 1\nbest-race-time 83.8349609\nbest-lap-time 15.5\n";

GhostPath ThreeSampleGhost() {
    GhostPath ghost;
    ghost.Record(GhostSample{0.05f, 1.0f, 2.0f, 3.0f, 0.5f});
    ghost.Record(GhostSample{0.10f, 2.0f, 2.5f, 4.0f, 0.75f});
    ghost.Record(GhostSample{0.15f, 4.0f, 3.0f, 5.0f, 1.0f});
    return ghost;
}

class PlayerFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGameStateForTest();
        RecordedMessageBoxes().clear();
        recordsFileName = folder.File("records.txt");
        ghostFileName = folder.File("ghost.kgh");
    }
    void TearDown() override { ResetGameStateForTest(); }

    // The start-up's first score line, then the records.
    void StartUp() {
        score = -1;
        UpdateScoreText();
        LoadPlayerRecords();
    }

    std::vector<std::string> FilesIn() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TemporaryDirectory folder;
};

}  // namespace

TEST(RecordsFile, ThePlayersRecordsLieInTheirDataFolder) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string before = saved ? saved : "";
    setenv("XDG_DATA_HOME", "/srv/data/", 1);
    EXPECT_EQ(UserRecordsFileName(), "/srv/data/kestrune/records.txt");
    EXPECT_EQ(UserGhostFileName(), "/srv/data/kestrune/ghost.kgh");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(UserRecordsFileName(),
              std::string(std::getenv("HOME")) + "/.local/share/kestrune/records.txt");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserGhostFileName(),
              std::string(std::getenv("HOME")) + "/.local/share/kestrune/ghost.kgh");
    if (saved) setenv("XDG_DATA_HOME", before.c_str(), 1);
}

TEST_F(PlayerFiles, RecordsAreTextAPersonCanReadThatGivesBackTheSameFloats) {
    const PlayerRecords records{83.8349609f, 15.91666f};
    ASSERT_TRUE(SaveRecordsFile(records));
    const std::vector<uint8_t> bytes = folder.Read("records.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "kestrune-records 1\nbest-race-time 83.8349609\nbest-lap-time 15.9166603\n");
    PlayerRecords read;
    ASSERT_TRUE(LoadRecordsFile(read));
    EXPECT_EQ(read.bestRaceTime, records.bestRaceTime);
    EXPECT_EQ(read.bestLapTime, records.bestLapTime);
}

TEST_F(PlayerFiles, TheScoreLineShowsTheKeptBestTimeFromTheStart) {
    folder.Write("records.txt", Bytes(goodRecords));
    StartUp();
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 83.83\n");
    EXPECT_EQ(bestLapTime, 15.5f);
    // Without records, the line the game always began with.
    ResetGameStateForTest();
    recordsFileName = folder.File("none.txt");
    StartUp();
    EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 0.00\n");
    EXPECT_EQ(bestTime, 1000000.0f);
}

TEST_F(PlayerFiles, TheGhostFileIsSmallAndGivesBackItsPath) {
    ASSERT_TRUE(SaveGhostFile(ThreeSampleGhost()));
    EXPECT_EQ(folder.Read("ghost.kgh").size(), ghostHeaderSize + 3 * ghostSampleSize);
    ASSERT_TRUE(LoadGhostFile());
    ASSERT_EQ(bestGhost.Samples().size(), 3u);
    EXPECT_EQ(bestGhost.Samples()[2].x, 4.0f);
    EXPECT_EQ(bestGhost.Samples()[1].yaw, 0.75f);
}

// One damaged records or ghost file: what it is, and what it holds.
struct Damage {
    const char* name;
    const char* file;  // "records.txt" or "ghost.kgh"
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> GhostBytes() {
    return ThreeSampleGhost().Encode();
}

std::vector<Damage> Damages() {
    std::vector<uint8_t> truncatedGhost = GhostBytes();
    truncatedGhost.resize(truncatedGhost.size() - 7);
    std::vector<uint8_t> futureGhost = GhostBytes();
    futureGhost[8] = 2;
    std::vector<uint8_t> oversizedGhost = GhostBytes();
    oversizedGhost.resize(ghostFileLimit + 1, 0);
    std::vector<uint8_t> hugeCountGhost = GhostBytes();
    hugeCountGhost[15] = 0x7F;
    std::vector<uint8_t> backwardsGhost = GhostBytes();
    std::copy(backwardsGhost.begin() + 16, backwardsGhost.begin() + 20,
              backwardsGhost.begin() + 36);
    std::vector<uint8_t> oversizedRecords = Bytes(goodRecords);
    oversizedRecords.resize(recordsFileLimit + 10, '\n');
    return {
        {"RecordsDamaged", "records.txt", Bytes("kestrune-records 1\nbest-race-time fast\n")},
        {"RecordsTruncated", "records.txt", Bytes(goodRecords.substr(0, 40))},
        {"RecordsEmpty", "records.txt", {}},
        {"RecordsOversized", "records.txt", oversizedRecords},
        {"RecordsFuture", "records.txt",
         Bytes("kestrune-records 2\nbest-race-time 80\nbest-lap-time 15\n")},
        {"RecordsNegative", "records.txt",
         Bytes("kestrune-records 1\nbest-race-time -1\nbest-lap-time 15\n")},
        {"GhostDamaged", "ghost.kgh", Bytes("KSTGHOSX\1\0\0\0\0\0\0\0")},
        {"GhostTruncated", "ghost.kgh", truncatedGhost},
        {"GhostOversized", "ghost.kgh", oversizedGhost},
        {"GhostHugeCount", "ghost.kgh", hugeCountGhost},
        {"GhostFuture", "ghost.kgh", futureGhost},
        {"GhostTimeGoesBack", "ghost.kgh", backwardsGhost},
    };
}

class DamagedPlayerFile : public PlayerFiles, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedPlayerFile, IsRefusedAndKeptAsideWithoutABox) {
    const Damage& damage = GetParam();
    const std::string other = std::string(damage.file) == "ghost.kgh" ? "records.txt" : "ghost.kgh";
    folder.Write(damage.file, damage.bytes);
    if (other == "records.txt")
        folder.Write(other, Bytes(goodRecords));
    else
        folder.Write(other, GhostBytes());
    // An earlier damaged file of the same name is not overwritten either.
    folder.Write(std::string(damage.file) + ".damaged", Bytes("older"));

    StartUp();

    EXPECT_TRUE(RecordedMessageBoxes().empty());
    if (other == "records.txt") {
        EXPECT_TRUE(bestGhost.Empty());
        EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 83.83\n");  // the good file still counts
    } else {
        EXPECT_STREQ(scoreText, "SCORE: 0 BEST TIME: 0.00\n");
        EXPECT_EQ(bestTime, 1000000.0f);
        EXPECT_EQ(bestLapTime, 0.0f);
        EXPECT_EQ(bestGhost.Samples().size(), 3u);
    }
    EXPECT_EQ(folder.Read(std::string(damage.file) + ".damaged-2"), damage.bytes);
    EXPECT_EQ(folder.Read(std::string(damage.file) + ".damaged"), Bytes("older"));
    EXPECT_FALSE(std::filesystem::exists(folder.File(damage.file)));
}

INSTANTIATE_TEST_SUITE_P(EveryKind, DamagedPlayerFile, ::testing::ValuesIn(Damages()),
                         [](const ::testing::TestParamInfo<Damage>& damage) {
                             return std::string(damage.param.name);
                         });

TEST_F(PlayerFiles, ANewRecordIsSavedBesideTheDamagedFileKeptAside) {
    folder.Write("records.txt", Bytes("kestrune-records 1\nbest-race-time x\n"));
    StartUp();
    ASSERT_TRUE(SaveRecordsFile(PlayerRecords{70.0f, 14.0f}));
    EXPECT_EQ(FilesIn(), (std::vector<std::string>{"records.txt", "records.txt.damaged"}));
    EXPECT_EQ(folder.Read("records.txt.damaged"), Bytes("kestrune-records 1\nbest-race-time x\n"));
}

TEST_F(PlayerFiles, AReadOnlyRecordsFileIsNeverReplaced) {
    if (RerunAsUnprivilegedUser()) return;
    folder.Write("records.txt", Bytes(goodRecords));
    chmod(recordsFileName.c_str(), 0444);
    EXPECT_FALSE(SaveRecordsFile(PlayerRecords{70.0f, 14.0f}));
    EXPECT_EQ(folder.Read("records.txt"), Bytes(goodRecords));
    EXPECT_EQ(FilesIn(), std::vector<std::string>{"records.txt"});
}

TEST_F(PlayerFiles, ALinkedGhostFileStaysALinkAndItsTargetIsWritten) {
    const TemporaryDirectory elsewhere;
    std::filesystem::create_symlink(elsewhere.File("my-ghost"), ghostFileName);
    ASSERT_TRUE(SaveGhostFile(ThreeSampleGhost()));
    EXPECT_TRUE(std::filesystem::is_symlink(ghostFileName));
    EXPECT_EQ(elsewhere.Read("my-ghost"), GhostBytes());
}

TEST(GhostPath, AFiveLapRaceOfAnyLengthStaysUnder100KB) {
    // Ten minutes at 144 frames a second: far slower and finer than any race.
    GhostPath ghost;
    float time = 0.0f;
    for (int frame = 1; frame <= 144 * 600; ++frame) {
        time = static_cast<float>(frame) / 144.0f;
        ghost.Record(GhostSample{time, static_cast<float>(frame), 0.0f, 0.0f, 0.0f});
    }
    EXPECT_LT(ghost.Encode().size(), 100u * 1000u);
    // Still the whole race, end to end.
    EXPECT_LT(ghost.Samples().front().time, 0.01f);
    EXPECT_GT(ghost.Samples().back().time, 599.0f);
}

TEST(GhostPath, ASampledMomentIsTheSampleItselfAndBetweenTheyAreBlended) {
    const GhostPath ghost = ThreeSampleGhost();
    GhostSample place{};
    ASSERT_TRUE(ghost.PlaceAt(0.10f, place));
    EXPECT_EQ(place.x, 2.0f);
    EXPECT_EQ(place.y, 2.5f);
    EXPECT_EQ(place.z, 4.0f);
    EXPECT_EQ(place.yaw, 0.75f);
    ASSERT_TRUE(ghost.PlaceAt(0.125f, place));
    EXPECT_NEAR(place.x, 3.0f, 1e-4f);
    EXPECT_NEAR(place.yaw, 0.875f, 1e-4f);
    // Before its first sample and after its last the ghost is nowhere.
    EXPECT_FALSE(ghost.PlaceAt(0.0f, place));
    EXPECT_FALSE(ghost.PlaceAt(0.2f, place));
    // A new race starts its time again.
    ASSERT_TRUE(ghost.PlaceAt(0.05f, place));
    EXPECT_EQ(place.x, 1.0f);
}
