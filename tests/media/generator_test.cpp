// The generator writes the same bytes every time: a fresh run must match the
// folder the build made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media_files.h"
#include "tests/support/temporary_directory.h"

namespace {

std::vector<char> Bytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Generator, RepeatsItselfByteForByte) {
    TemporaryDirectory folder;
    std::string command =
        std::string("\"") + KESTRUNE_MKMEDIA + "\" \"" + folder.Path() + "/media\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MediaFile(""))) {
        std::string name = entry.path().filename().string();
        if (name == "options.kvz") continue;  // written by the game, not the generator
        EXPECT_EQ(Bytes(entry.path()), Bytes(folder.File("media/" + name))) << name;
        ++compared;
    }
    EXPECT_GT(compared, 30);
}

}  // namespace
