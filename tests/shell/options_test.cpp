#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "platform/message_box.h"
#include "shell/options.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/temporary_directory.h"

namespace {

class OptionsFile : public ::testing::Test {
protected:
    void SetUp() override {
        GameOptions = GameOptionsRecord{};
        optionsFileName = folder.File("options.kvz");
        RecordedMessageBoxes().clear();
    }
    void TearDown() override {
        GameOptions = GameOptionsRecord{};
        optionsFileName = "options.kvz";
    }

    void ExpectOptions(uint32_t width, uint32_t windowed, uint32_t lights, uint32_t music) {
        EXPECT_EQ(GameOptions.windowWidth, width);
        EXPECT_EQ(GameOptions.windowed, windowed);
        EXPECT_EQ(GameOptions.lightsOn, lights);
        EXPECT_EQ(GameOptions.musicOn, music);
    }

    TemporaryDirectory folder;
};

}  // namespace

TEST_F(OptionsFile, NoFileKeepsTheDefaults) {
    LoadOptions();
    ExpectOptions(640, 1, 1, 1);
}

TEST_F(OptionsFile, UnknownWidthIsIgnoredButTheFlagsAreTaken) {
    // Width 768 (00 03 00 00), full screen, lights off, music on.
    folder.Write("options.kvz", {0x00, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0});
    LoadOptions();
    ExpectOptions(640, 0, 0, 1);
}

TEST_F(OptionsFile, FieldsAreReadInFileOrderLittleEndian) {
    // 1024 (00 04 00 00), windowed 1, lights 0, music 0.
    folder.Write("options.kvz", {0x00, 0x04, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    LoadOptions();
    ExpectOptions(1024, 1, 0, 0);
}

TEST_F(OptionsFile, FlagsAreKeptExactlyAsRead) {
    folder.Write("options.kvz", {0x20, 0x03, 0, 0, 7, 0, 0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    LoadOptions();
    ExpectOptions(800, 7, 256, 0xFFFFFFFFu);
}

TEST_F(OptionsFile, ShortFileChangesNothingAndLongerFileUsesItsFirstSixteenBytes) {
    folder.Write("options.kvz", {0x20, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    LoadOptions();
    ExpectOptions(640, 1, 1, 1);

    std::vector<uint8_t> longer = {0x20, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    longer.resize(64, 0xAB);
    folder.Write("options.kvz", longer);
    LoadOptions();
    ExpectOptions(800, 0, 0, 0);
}

TEST_F(OptionsFile, ReadOnlyFileIsStillRead) {
    folder.Write("options.kvz", {0x20, 0x03, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
    chmod(optionsFileName.c_str(), 0444);
    LoadOptions();
    ExpectOptions(800, 0, 1, 0);
}

TEST_F(OptionsFile, SaveWritesSixteenBytesThatLoadBack) {
    GameOptions = {0, 0, 1, 1024};
    SaveOptions();
    EXPECT_EQ(folder.Read("options.kvz"),
              (std::vector<uint8_t>{0x00, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    GameOptions = GameOptionsRecord{};
    LoadOptions();
    ExpectOptions(1024, 0, 0, 1);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(OptionsFile, SaveReplacesALongerFileAndLeavesNoTemporaryFiles) {
    folder.Write("options.kvz", std::vector<uint8_t>(40, 0x11));
    SaveOptions();
    EXPECT_EQ(folder.Read("options.kvz").size(), 16u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(OptionsFile, SaveIntoAMissingDirectoryReportsTheFullPath) {
    optionsFileName = folder.File("gone/options.kvz");
    SaveOptions();
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    const RecordedMessageBox& box = RecordedMessageBoxes()[0];
    EXPECT_EQ(box.text, "Error saving the options file [" + optionsFileName + "].");
    EXPECT_EQ(box.caption, "Tolvarin");
    EXPECT_EQ(box.type, MB_ICONEXCLAMATION | MB_OK);
    EXPECT_EQ(box.owner, nullptr);
}

TEST_F(OptionsFile, FailedWriteLeavesTheOldFileAsItWas) {
    const std::vector<uint8_t> old = {0x20, 0x03, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    folder.Write("options.kvz", old);
    GameOptions = {0, 0, 0, 1024};

    // A file-size limit of 8 bytes makes the write come up short even for
    // root, who can write into any directory.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = 8;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    SaveOptions();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(folder.Read("options.kvz"), old);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text,
              "Error saving the options file [" + optionsFileName + "].");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++files;
    EXPECT_EQ(files, 1);
    // The new values stay in effect for the rest of the run.
    EXPECT_EQ(GameOptions.windowWidth, 1024u);
}

TEST_F(OptionsFile, UnwritableDirectoryReportsAndKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into any directory; see FailedWrite";
    const std::vector<uint8_t> old(16, 0);
    folder.Write("options.kvz", old);
    chmod(folder.Path().c_str(), 0555);
    SaveOptions();
    chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(folder.Read("options.kvz"), old);
    EXPECT_EQ(RecordedMessageBoxes().size(), 1u);
}
