// The golden replay in the browser build, under node: the recorded mouse path
// driven through the game's own start-up, window procedure, race, driving and
// sound code (no output, as in the desktop test), with the fixed 60 Hz clock,
// and a Direct3D that draws nothing. Prints the outcome in the replay file's
// own lines and exits 0 when it is the recorded one, 1 when it is not (the
// differences on standard error), 2 when the race could not be run.
//
//   node --no-experimental-fetch kestrune-replay.js MEDIA_FOLDER REPLAY_FILE
#include <emscripten.h>
#include <sys/stat.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "platform/dsound.h"
#include "platform/message_box.h"
#include "platform/module_path.h"
#include "tools/headless/race_replay.h"

namespace {

int messageBoxes = 0;

int CountMessageBox(HWND, const char* text, const char* caption, UINT) {
    std::fprintf(stderr, "message box: %s: %s\n", caption ? caption : "", text ? text : "");
    ++messageBoxes;
    return IDOK;
}

// A folder of the machine at `mountPoint` in the program's file system.
bool MountHostFolder(const std::string& folder, const char* mountPoint) {
    // clang-format off
    return EM_ASM_INT({
        try {
            FS.mkdirTree(UTF8ToString($1));
            FS.mount(NODEFS, {root: UTF8ToString($0)}, UTF8ToString($1));
            return 1;
        } catch (e) {
            return 0;
        }
    }, folder.c_str(), mountPoint) != 0;
    // clang-format on
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrune-replay MEDIA_FOLDER REPLAY_FILE\n");
        return 2;
    }
    // The options, records and ghost stay in the program's memory: the
    // player's own are never read or written. Emscripten starts with a
    // umask that would leave them unreadable.
    umask(022);
    if (!MountHostFolder(argv[1], "/kestrune/media") ||
        !MountHostFolder(FolderOf(argv[2]), "/replay")) {
        std::fprintf(stderr, "kestrune-replay: cannot open %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    Replay replay;
    std::string error;
    if (!ReadReplay("/replay/" + NameOf(argv[2]), replay, error)) {
        std::fprintf(stderr, "kestrune-replay: %s\n", error.c_str());
        return 2;
    }
    if (replay.path.empty()) {
        std::fprintf(stderr, "kestrune-replay: the replay has no mouse path\n");
        return 2;
    }
    // The program lives beside the media, as on the desktop.
    SetModuleFileNameForTesting("/kestrune/kestrune");
    SetMessageBoxHandler(CountMessageBox);
    DirectSoundCreateWithoutOutputForTesting(true);

    HeadlessProgram program;
    if (!program.Start()) {
        std::fprintf(stderr, "kestrune-replay: the game made no window\n");
        return 2;
    }
    size_t moves = 0;
    const RaceOutcome end = DriveReplay(program, replay, nullptr, moves);

    const std::string replayed = OutcomeLines(end);
    const std::string recorded = OutcomeLines(replay.outcome);
    std::fputs(replayed.c_str(), stdout);
    bool same =
        end.ended && replayed == recorded && moves == replay.path.size() && messageBoxes == 0;
    if (!same) {
        std::fprintf(stderr, "kestrune-replay: the race did not end as recorded\n");
        if (!end.ended) std::fprintf(stderr, "the race never ended\n");
        if (moves != replay.path.size())
            std::fprintf(stderr, "moves: %zu of %zu\n", moves, replay.path.size());
        if (messageBoxes != 0) std::fprintf(stderr, "message boxes: %d\n", messageBoxes);
        std::istringstream was(recorded), is(replayed);
        std::string wasLine, isLine;
        while (std::getline(was, wasLine) && std::getline(is, isLine)) {
            if (wasLine != isLine)
                std::fprintf(stderr, "-%s\n+%s\n", wasLine.c_str(), isLine.c_str());
        }
    }
    return same ? 0 : 1;
}
