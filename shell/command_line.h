#pragma once
// What the program makes of its command line, before it needs a display:
// --version and --help answer on standard output and end the program;
// anything else is named on standard error and otherwise ignored, so that a
// launcher passing a file or a stray option still starts the game.
#include <cstdio>

enum class CommandLineOutcome { Play, Exit };

// The program's version, as the package and the metainfo give it.
const char* ProgramVersion();

CommandLineOutcome ReadCommandLine(int argc, const char* const* argv, std::FILE* out,
                                   std::FILE* err);
