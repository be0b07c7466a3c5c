#pragma once
// Where the game finds every data file: a folder named "media" beside the
// program file, whatever the current directory is.
#include <string>

// The program's directory, then "/media/", then the name. Paths of any length
// are built whole; nothing is cut.
std::string MediaPath(const char* name);
