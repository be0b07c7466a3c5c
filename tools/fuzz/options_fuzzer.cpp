// The options file: the input is written to a file of its own, once per run,
// and read back by LoadOptions as the game does at start-up.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/options.h"
#include "platform/little_endian.h"
#include "tools/fuzz/require.h"

namespace {

void RemoveOptionsFile() {
    unlink(optionsFileName.c_str());
}

}  // namespace

// A file in memory-backed /dev/shm where there is one, so that a run costs no
// disk traffic.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    std::string name = std::string(folder ? folder : "/tmp") + "/kestrune-options-XXXXXX";
    const int file = mkstemp(name.data());
    FUZZ_REQUIRE(file >= 0);
    close(file);
    optionsFileName = name;
    std::atexit(RemoveOptionsFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(optionsFileName.c_str(), "wb");
    FUZZ_REQUIRE(file != nullptr);
    FUZZ_REQUIRE(size == 0 || std::fwrite(data, 1, size, file) == size);
    FUZZ_REQUIRE(std::fclose(file) == 0);

    const GameOptionsRecord defaults;
    GameOptions = defaults;
    LoadOptions();
    if (size < 16) {
        // A short file changes nothing.
        FUZZ_REQUIRE(std::memcmp(&GameOptions, &defaults, sizeof defaults) == 0);
        return 0;
    }
    // Only a width the game offers is taken; the flags are kept as read.
    const uint32_t width = ReadU32(data);
    FUZZ_REQUIRE(GameOptions.windowWidth ==
                 (width == 640 || width == 800 || width == 1024 || width == displaySizeWidth
                      ? width
                      : defaults.windowWidth));
    FUZZ_REQUIRE(GameOptions.windowed == ReadU32(data + 4));
    FUZZ_REQUIRE(GameOptions.lightsOn == ReadU32(data + 8));
    FUZZ_REQUIRE(GameOptions.musicOn == ReadU32(data + 12));
    return 0;
}
