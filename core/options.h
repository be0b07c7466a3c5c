#pragma once
// The four user settings and the 16-byte file that keeps them.
#include <cstdint>
#include <string>

struct GameOptionsRecord {
    uint32_t windowed = 1;       // window (non-zero) or full screen
    uint32_t lightsOn = 1;       // night with headlight, or day
    uint32_t musicOn = 1;        // the tune of a finished race
    uint32_t windowWidth = 640;  // full-screen width: 640, 800, 1024 or displaySizeWidth
};

// The "Desktop" choice: full screen at the display's own size. Stored as a
// width no size of the game has, so a file written without it reads as before
// and a program that knows only the three sizes keeps its own.
constexpr uint32_t displaySizeWidth = 0;

extern GameOptionsRecord GameOptions;

// Full path of the player's own "options.kvz"; start-up sets it to
// UserOptionsFileName().
extern std::string optionsFileName;

// The "options.kvz" of the media folder: the starting options while the
// player has no file of their own (defaults a package ships, or the settings
// an older build kept there). Read, never written; empty for none.
extern std::string mediaOptionsFileName;

// $XDG_CONFIG_HOME/kestrune/options.kvz, or ~/.config/kestrune/options.kvz
// when that variable is unset or not an absolute path.
std::string UserOptionsFileName();

// Reads the player's file into GameOptions, or the media folder's when the
// player has none. A file that cannot be read, is not a regular file or is
// short changes nothing.
void LoadOptions();

// Writes GameOptions into the player's file, making its folder on the first
// save. A failure is reported in a message box and leaves the previous file
// with its bytes and mode.
void SaveOptions();
