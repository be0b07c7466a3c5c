#pragma once
// The four user settings and the 16-byte file that keeps them.
#include <cstdint>
#include <string>

struct GameOptionsRecord {
    uint32_t windowed = 1;       // window (non-zero) or full screen
    uint32_t lightsOn = 1;       // night with headlight, or day
    uint32_t musicOn = 1;        // the tune of a finished race
    uint32_t windowWidth = 640;  // full-screen width: 640, 800 or 1024
};

extern GameOptionsRecord GameOptions;

// Full path of "options.kvz"; start-up sets it to its media path.
extern std::string optionsFileName;

// Reads the file into GameOptions; a missing or short file changes nothing.
void LoadOptions();

// Writes GameOptions; a failure is reported in a message box and leaves the
// previous file as it was.
void SaveOptions();
