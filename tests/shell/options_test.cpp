#include "core/options.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/message_box.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/unprivileged_rerun.h"

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
        mediaOptionsFileName.clear();
    }

    // The names in a folder of the test's, sorted.
    std::vector<std::string> FilesIn(const std::string& path) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    mode_t ModeOf(const std::string& path) const {
        struct stat status {};
        EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
        return status.st_mode & 07777;
    }

    void ExpectTheSaveFailedBox() const {
        ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
        EXPECT_EQ(RecordedMessageBoxes()[0].text,
                  "Error saving the options file [" + optionsFileName + "].");
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

TEST_F(OptionsFile, TheDisplaySizeIsAWidthOfZeroThatSavesAndLoadsBack) {
    GameOptions.windowWidth = displaySizeWidth;
    GameOptions.windowed = 0;
    SaveOptions();
    EXPECT_EQ(folder.Read("options.kvz"),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
    GameOptions = GameOptionsRecord{};
    LoadOptions();
    ExpectOptions(displaySizeWidth, 0, 1, 1);
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

namespace {

// What a save of the options {width 1024, full screen, lights off, music on}
// writes.
const std::vector<uint8_t> savedBytes = {0x00, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
const std::vector<uint8_t> oldBytes = {0x20, 0x03, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
constexpr GameOptionsRecord savedOptions = {0, 0, 1, 1024};

// An environment variable set for one scope and put back after it.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* variable, const char* value) : name(variable) {
        if (const char* old = std::getenv(name)) previous = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (previous)
            setenv(name, previous->c_str(), 1);
        else
            unsetenv(name);
    }

  private:
    const char* name;
    std::optional<std::string> previous;
};

// While set, every flush of the test program is noted here: what was flushed
// and which bytes the options file held at that moment.
std::vector<std::string>* flushes = nullptr;

}  // namespace

extern "C" int fsync(int descriptor) {
    static const auto realFsync = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (flushes != nullptr) {
        struct stat status {};
        fstat(descriptor, &status);
        std::ifstream file(optionsFileName, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
        flushes->push_back(std::string(S_ISDIR(status.st_mode) ? "folder" : "file") + ", " +
                           (bytes == savedBytes ? "new" : "old"));
    }
    return realFsync(descriptor);
}

TEST_F(OptionsFile, TheNewFileReachesTheDiskBeforeItsRenameAndTheRenameAfter) {
    folder.Write("options.kvz", oldBytes);
    GameOptions = savedOptions;
    std::vector<std::string> noted;
    flushes = &noted;
    SaveOptions();
    flushes = nullptr;
    EXPECT_EQ(noted, (std::vector<std::string>{"file, old", "folder, new"}));
}

TEST_F(OptionsFile, ThePlayersFileLiesInTheirConfigurationFolder) {
    ScopedEnvironment home("HOME", "/home/player");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/srv/config/");
        EXPECT_EQ(UserOptionsFileName(), "/srv/config/kestrune/options.kvz");
    }
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(UserOptionsFileName(), "/home/player/.config/kestrune/options.kvz");
    }
    ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserOptionsFileName(), "/home/player/.config/kestrune/options.kvz");
}

TEST_F(OptionsFile, TheMediaFoldersFileStartsAPlayerWithoutOneAndIsNeverWritten) {
    folder.Write("media-options.kvz", oldBytes);
    mediaOptionsFileName = folder.File("media-options.kvz");
    optionsFileName = folder.File("config/kestrune/options.kvz");
    LoadOptions();
    ExpectOptions(800, 1, 1, 1);

    // The first save makes the player's folder, private to them, and their
    // file, which from then on is the one read.
    GameOptions = savedOptions;
    SaveOptions();
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_EQ(folder.Read("config/kestrune/options.kvz"), savedBytes);
    EXPECT_EQ(ModeOf(folder.File("config")), 0700u);
    EXPECT_EQ(ModeOf(folder.File("config/kestrune")), 0700u);
    EXPECT_EQ(folder.Read("media-options.kvz"), oldBytes);
    GameOptions = GameOptionsRecord{};
    LoadOptions();
    ExpectOptions(1024, 0, 0, 1);
}

TEST_F(OptionsFile, AFailedSaveReportsTheFullPath) {
    folder.Write("file", {});
    optionsFileName = folder.File("file/options.kvz");
    SaveOptions();
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    const RecordedMessageBox& box = RecordedMessageBoxes()[0];
    EXPECT_EQ(box.text, "Error saving the options file [" + optionsFileName + "].");
    EXPECT_EQ(box.caption, "Tolvarin");
    EXPECT_EQ(box.type, MB_ICONEXCLAMATION | MB_OK);
    EXPECT_EQ(box.owner, nullptr);
}

TEST_F(OptionsFile, AShortWriteIsReportedAndLeavesTheOldFileAsItWas) {
    folder.Write("options.kvz", oldBytes);
    GameOptions = savedOptions;

    // A file-size limit of 8 bytes makes the write come up short even for
    // root. The limit's signal keeps its default action, which ends the
    // process unless the save sees to it.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &tiny);
    SaveOptions();
    setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_EQ(folder.Read("options.kvz"), oldBytes);
    ExpectTheSaveFailedBox();
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"options.kvz"});
    // The new values stay in effect for the rest of the run.
    EXPECT_EQ(GameOptions.windowWidth, 1024u);
}

TEST_F(OptionsFile, AnExistingFileKeepsItsModeAndANewOneTakesTheUmask) {
    folder.Write("options.kvz", oldBytes);
    chmod(optionsFileName.c_str(), 0604);
    SaveOptions();
    EXPECT_EQ(ModeOf(optionsFileName), 0604u);

    const mode_t previous = umask(027);
    optionsFileName = folder.File("new.kvz");
    SaveOptions();
    umask(previous);
    EXPECT_EQ(ModeOf(optionsFileName), 0640u);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(OptionsFile, ALinkStaysALinkAndItsTargetIsWritten) {
    // A relative link into another folder, as a player keeps their settings
    // under version control: options.kvz -> ../kept/options.kvz.
    std::filesystem::create_directory(folder.File("config"));
    std::filesystem::create_directory(folder.File("kept"));
    folder.Write("kept/options.kvz", oldBytes);
    std::filesystem::create_symlink("../kept/options.kvz", folder.File("config/options.kvz"));
    optionsFileName = folder.File("config/options.kvz");
    GameOptions = savedOptions;
    SaveOptions();

    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_TRUE(std::filesystem::is_symlink(optionsFileName));
    EXPECT_EQ(folder.Read("kept/options.kvz"), savedBytes);
    EXPECT_EQ(FilesIn(folder.File("kept")), std::vector<std::string>{"options.kvz"});
    EXPECT_EQ(FilesIn(folder.File("config")), std::vector<std::string>{"options.kvz"});
}

TEST_F(OptionsFile, ANamedPipeIsNeitherWaitedForNorWrittenThrough) {
    // A reader or writer that waited for the other end would never return;
    // the alarm ends the test instead of hanging it.
    ASSERT_EQ(mkfifo(optionsFileName.c_str(), 0644), 0);
    folder.Write("media-options.kvz", oldBytes);
    mediaOptionsFileName = folder.File("media-options.kvz");
    alarm(20);
    LoadOptions();
    // The player's file is there, unreadable: the defaults, not the media
    // folder's options.
    ExpectOptions(640, 1, 1, 1);

    GameOptions = savedOptions;
    SaveOptions();
    alarm(0);
    ExpectTheSaveFailedBox();
    EXPECT_TRUE(std::filesystem::is_fifo(optionsFileName));
    EXPECT_EQ(FilesIn(folder.Path()),
              (std::vector<std::string>{"media-options.kvz", "options.kvz"}));

    // The same pipe in the media folder's place leaves the defaults too.
    optionsFileName = folder.File("none.kvz");
    mediaOptionsFileName = folder.File("options.kvz");
    GameOptions = GameOptionsRecord{};
    alarm(20);
    LoadOptions();
    alarm(0);
    ExpectOptions(640, 1, 1, 1);
}

TEST_F(OptionsFile, AReadOnlyFileIsNeverReplaced) {
    if (RerunAsUnprivilegedUser()) return;
    folder.Write("options.kvz", oldBytes);
    chmod(optionsFileName.c_str(), 0444);
    GameOptions = savedOptions;
    SaveOptions();
    ExpectTheSaveFailedBox();
    EXPECT_EQ(folder.Read("options.kvz"), oldBytes);
    EXPECT_EQ(ModeOf(optionsFileName), 0444u);
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"options.kvz"});
}

TEST_F(OptionsFile, AWritableFileInAReadOnlyFolderIsRewrittenInPlace) {
    if (RerunAsUnprivilegedUser()) return;
    std::vector<uint8_t> longer = oldBytes;
    longer.resize(40, 0x11);
    folder.Write("options.kvz", longer);
    chmod(optionsFileName.c_str(), 0600);
    chmod(folder.Path().c_str(), 0555);
    GameOptions = savedOptions;
    SaveOptions();
    // Without a file there is nothing to rewrite: the save fails.
    const std::string player = optionsFileName;
    optionsFileName = folder.File("new.kvz");
    SaveOptions();
    chmod(folder.Path().c_str(), 0755);

    EXPECT_EQ(folder.Read("options.kvz"), savedBytes);
    EXPECT_EQ(ModeOf(player), 0600u);
    ExpectTheSaveFailedBox();
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"options.kvz"});
}

TEST_F(OptionsFile, SavesKilledAtAnyMomentLeaveAWholeFileAndNoTemporaryOnesForLong) {
    folder.Write("options.kvz", oldBytes);
    std::mt19937 random(15);
    for (int kill = 0; kill < 150; ++kill) {
        const pid_t saver = fork();
        ASSERT_GE(saver, 0);
        if (saver == 0) {
            GameOptions = (kill % 2) ? savedOptions : GameOptionsRecord{1, 1, 1, 800};
            while (true) SaveOptions();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        ::kill(saver, SIGKILL);
        waitpid(saver, nullptr, 0);
        const std::vector<uint8_t> bytes = folder.Read("options.kvz");
        ASSERT_TRUE(bytes == oldBytes || bytes == savedBytes) << "after kill " << kill;
        // At most the one temporary file of an unfinished save.
        ASSERT_LE(FilesIn(folder.Path()).size(), 2u) << "after kill " << kill;
    }
    // The next save takes over whatever an unfinished one left.
    GameOptions = savedOptions;
    SaveOptions();
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"options.kvz"});
    EXPECT_EQ(folder.Read("options.kvz"), savedBytes);
}
