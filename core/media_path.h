#pragma once
// Where the game finds every data file: a folder named "media" beside the
// program file in the build tree, or share/kestrune/media under the prefix an
// install put the program's bin/ folder in (share/games/kestrune/media when
// the program lies in games/, as Debian's packages of games have it),
// whatever the current directory is.
#include <string>

// The media folder, then "/", then the name. Paths of any length are built
// whole; nothing is cut.
std::string MediaPath(const char* name);
