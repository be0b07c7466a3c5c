#include <gtest/gtest.h>

#include <string>

#include "platform/module_path.h"
#include "shell/media_path.h"

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
