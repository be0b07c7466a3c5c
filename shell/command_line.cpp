#include "shell/command_line.h"

#include <cstring>

#ifndef KESTRUNE_VERSION
#define KESTRUNE_VERSION "unknown"
#endif

namespace {

// Kept in step with the SYNOPSIS and OPTIONS of the manual page kestrune(6).
const char usage[] =
    "Usage: kestrune [--help | --version]\n"
    "A small 3D driving game: five laps round a circuit of trees and wandering\n"
    "robots, steered with the mouse or a game controller.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Other arguments are ignored. See kestrune(6).\n";

}  // namespace

const char* ProgramVersion() {
    return KESTRUNE_VERSION;
}

CommandLineOutcome ReadCommandLine(int argc, const char* const* argv, std::FILE* out,
                                   std::FILE* err) {
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index] != nullptr ? argv[index] : "";
        if (std::strcmp(argument, "--version") == 0) {
            std::fprintf(out, "kestrune %s\n", ProgramVersion());
            return CommandLineOutcome::Exit;
        }
        if (std::strcmp(argument, "--help") == 0) {
            std::fputs(usage, out);
            return CommandLineOutcome::Exit;
        }
    }
    for (int index = 1; index < argc; ++index) {
        if (argv[index] != nullptr) {
            std::fprintf(err, "kestrune: ignoring \"%s\" (try --help)\n", argv[index]);
        }
    }
    return CommandLineOutcome::Play;
}
