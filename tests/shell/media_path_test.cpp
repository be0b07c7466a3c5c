#include "core/media_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/module_path.h"
#include "tests/support/temporary_directory.h"

TEST(MediaPath, LiesInTheMediaFolderBesideTheProgram) {
    SetModuleFileNameForTesting("/opt/games/kestrune/kestrune");
    EXPECT_EQ(MediaPath("track.x"), "/opt/games/kestrune/media/track.x");
    SetModuleFileNameForTesting("");
}

TEST(MediaPath, BuildsLongPathsWhole) {
    const std::string deep = "/" + std::string(400, 'd');
    SetModuleFileNameForTesting(deep + "/kestrune");
    const std::string path = MediaPath("options.kvz");
    EXPECT_EQ(path, deep + "/media/options.kvz");
    SetModuleFileNameForTesting("");
}

TEST(MediaPath, TheRealProgramPathIsKnown) {
    SetModuleFileNameForTesting("");
    EXPECT_NE(MediaPath("x").find("/media/x"), std::string::npos);
    EXPECT_EQ(MediaPath("x").front(), '/');
}

TEST(MediaPath, AnInstalledProgramFindsItsSharedMediaAndABuildTreeItsOwn) {
    // P/bin/kestrune with its data in P/share/kestrune/media, as an install
    // lays them out.
    TemporaryDirectory prefix;
    std::filesystem::create_directories(prefix.File("bin"));
    std::filesystem::create_directories(prefix.File("share/kestrune/media"));
    SetModuleFileNameForTesting(prefix.File("bin/kestrune"));
    EXPECT_EQ(MediaPath("track.x"), prefix.File("share/kestrune/media/track.x"));

    // A media folder beside the program is the build tree's, and wins.
    std::filesystem::create_directories(prefix.File("bin/media"));
    EXPECT_EQ(MediaPath("track.x"), prefix.File("bin/media/track.x"));
    SetModuleFileNameForTesting("");
}

TEST(MediaPath, AProgramInGamesFindsItsMediaWhereDebiansGamesKeepTheirData) {
    // P/games/kestrune with its data in P/share/games/kestrune/media, as the
    // Debian package lays them out; P/share/kestrune is no place of its.
    TemporaryDirectory prefix;
    std::filesystem::create_directories(prefix.File("games"));
    std::filesystem::create_directories(prefix.File("share/kestrune/media"));
    SetModuleFileNameForTesting(prefix.File("games/kestrune"));
    EXPECT_EQ(MediaPath("track.x"), prefix.File("games/media/track.x"));
    std::filesystem::create_directories(prefix.File("share/games/kestrune/media"));
    EXPECT_EQ(MediaPath("track.x"), prefix.File("share/games/kestrune/media/track.x"));
    SetModuleFileNameForTesting("");
}
