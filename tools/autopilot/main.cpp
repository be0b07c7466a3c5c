// kestrune-autopilot: runs the real game headless (main()'s start-up, the real
// window procedure, media, race, driving and sound code on SDL's dummy driver,
// the real renderer on a surfaceless EGL context) with a clock of its own at
// 60 frames a second. It chooses Start, clicks, and moves the mouse every
// fourth racing frame to follow the circuit, as a hand would (with --keys it
// presses and lets go of the arrow keys instead, as a player without a mouse
// would); it drives one
// race to its end and prints the two lines the picture shows. With --audio
// it also records what the mixer played, to the end of the finishing tune,
// and prints its level.
//
// Exit code 0 when the race was finished, 1 when it ended otherwise, 2 on bad
// arguments or when the game could not start.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/ghost_path.h"
#include "core/media_path.h"
#include "core/options.h"
#include "platform/gdi_bitmap.h"
#include "platform/message_box.h"
#include "race/game_state.h"
#include "render/mesh_object.h"
#include "sound/game_sounds.h"
#include "sound_recording.h"
#include "steering.h"
#include "tools/headless/headless_program.h"
#include "tools/headless/png_file.h"
#include "tools/headless/race_replay.h"

namespace {

constexpr const char* usage =
    "usage: kestrune-autopilot [OPTION]...\n"
    "Runs the game headless and drives one race of five laps along the circuit,\n"
    "then prints the race message, the score line and the frames, laps, hits and\n"
    "message boxes of the race, and the size of the ghost it keeps: like the game,\n"
    "it keeps the records and the ghost of the best race in $XDG_DATA_HOME/kestrune/\n"
    "(~/.local/share/kestrune/). Exit status 0 when the race was finished, 1 when\n"
    "it ended otherwise, 2 on bad arguments or when the game could not start.\n"
    "\n"
    "  --night                 race at night (the default is by day)\n"
    "  --keys                  drive with the arrow keys and Space alone\n"
    "  --shot FRAME FILE.png   save the picture after frame FRAME (repeatable)\n"
    "  --picture-log FILE      write the fingerprint of every frame's picture into\n"
    "                          FILE, a line each: two builds that draw the race\n"
    "                          alike write the same file\n"
    "  --splash FILE.png       save the splash picture as the window shows it\n"
    "  --audio FILE.wav        record what the mixer played, to the end of the\n"
    "                          finishing tune, and print its level\n"
    "  --record-replay FILE    record the race's mouse path and outcome into FILE,\n"
    "                          drawn at the replay's small size (tests/shell/\n"
    "                          golden_race.replay is one; see its test)\n"
    "  --start-only            start the game, print the score line its first\n"
    "                          frame shows (\"start: SCORE: ...\") and stop\n"
    "  --help                  this text\n";

// Ten minutes of racing at 60 frames a second is far more than five laps.
constexpr long frameLimit = 60L * 600;
// Long enough for the finishing tune to play out after the race.
constexpr DWORD tuneLimitMilliseconds = 60000;

struct Arguments {
    bool night = false;
    bool keys = false;
    std::vector<std::pair<long, std::string>> shots;  // frame, file
    std::string splashPath;
    std::string pictureLogPath;
    std::string replayPath;
    std::string audioPath;
    bool startOnly = false;
};

// 0 when the arguments are good, else the exit code.
int ReadArguments(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::printf("%s", usage);
            std::exit(0);
        } else if (argument == "--night") {
            arguments.night = true;
        } else if (argument == "--keys") {
            arguments.keys = true;
        } else if (argument == "--shot" && i + 2 < argc) {
            arguments.shots.emplace_back(std::atol(argv[i + 1]), argv[i + 2]);
            i += 2;
        } else if (argument == "--picture-log" && i + 1 < argc) {
            arguments.pictureLogPath = argv[++i];
        } else if (argument == "--splash" && i + 1 < argc) {
            arguments.splashPath = argv[++i];
        } else if (argument == "--audio" && i + 1 < argc) {
            arguments.audioPath = argv[++i];
        } else if (argument == "--start-only") {
            arguments.startOnly = true;
        } else if (argument == "--record-replay" && i + 1 < argc) {
            arguments.replayPath = argv[++i];
        } else {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
    }
    return 0;
}

int messageBoxes = 0;
int CountMessageBox(HWND, const char* text, const char* caption, UINT) {
    ++messageBoxes;
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return 1;
}

bool SaveSplash(const std::string& path) {
    GdiBitmap splash;
    if (!splash.LoadFromFile(MediaPath("velmo2.bmp").c_str())) return false;
    // The window shows the top-left 632 x 426 pixels of the picture.
    const uint32_t width = std::min<uint32_t>(632, splash.Width());
    const uint32_t height = std::min<uint32_t>(426, splash.Height());
    std::vector<uint8_t> shown(static_cast<size_t>(width) * height * 4);
    const std::vector<uint8_t>& all = splash.Rgba();
    for (uint32_t y = 0; y < height; ++y) {
        std::memcpy(&shown[static_cast<size_t>(y) * width * 4],
                    &all[static_cast<size_t>(y) * splash.Width() * 4], width * 4);
    }
    return WritePng(path, width, height, shown);
}

std::vector<CircuitPoint> PresentRobots() {
    std::vector<CircuitPoint> robots;
    for (MeshObject* robot : robotObjects) {
        if (robot && robot->state == 0) robots.push_back({robot->position.x, robot->position.z});
    }
    return robots;
}

// The steering's -1..1 as a pixel of the drawing area, as the window
// procedure reads it back.
MousePixel ToPixel(const MousePosition& mouse) {
    const int x =
        static_cast<int>(std::lround((mouse.x + 1.0f) * 0.5f * HeadlessProgram::clientWidth));
    const int y =
        static_cast<int>(std::lround((1.0f - mouse.y) * 0.5f * HeadlessProgram::clientHeight));
    return MousePixel{std::clamp(x, 0, HeadlessProgram::clientWidth - 1),
                      std::clamp(y, 0, HeadlessProgram::clientHeight - 1)};
}

// The keys a player holds to follow the hand's steering: a key for each
// direction asked for clearly, none near the middle, each pressed or let go
// only when that changes.
class KeyHand {
  public:
    explicit KeyHand(HeadlessProgram& game) : program(game) {}

    void Follow(const MousePosition& wanted) {
        Hold(VK_RIGHT, wanted.x > steerThreshold);
        Hold(VK_LEFT, wanted.x < -steerThreshold);
        Hold(VK_UP, wanted.y > throttleThreshold);
        Hold(VK_DOWN, wanted.y < -throttleThreshold);
    }

  private:
    static constexpr float steerThreshold = 0.15f;
    static constexpr float throttleThreshold = 0.3f;

    void Hold(UINT key, bool down) {
        bool& held = keysDown[key & 0xFF];
        if (held == down) return;
        held = down;
        if (down) {
            program.PressKey(key);
        } else {
            program.ReleaseKey(key);
        }
    }

    HeadlessProgram& program;
    bool keysDown[256] = {};
};

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (const int bad = ReadArguments(argc, argv, arguments)) return bad;
    SetMessageBoxHandler(CountMessageBox);

    const std::vector<CircuitPoint> centreLine = ReadCentreLine(MediaPath("circuit.txt"));
    if (centreLine.empty()) {
        std::fprintf(stderr, "kestrune-autopilot: no circuit in %s\n",
                     MediaPath("circuit.txt").c_str());
        return 2;
    }
    Replay replay;
    const bool recordingReplay = !arguments.replayPath.empty();
    HeadlessProgram program(
        recordingReplay ? replay.drawableWidth : HeadlessProgram::clientWidth,
        recordingReplay ? replay.drawableHeight : HeadlessProgram::clientHeight);
    if (!program.HasContext()) {
        std::fprintf(stderr, "kestrune-autopilot: no headless OpenGL context: %s\n",
                     program.Error().c_str());
        return 2;
    }
    if (!program.Start()) {
        std::fprintf(stderr, "kestrune-autopilot: the game made no window\n");
        return 2;
    }
    if (arguments.startOnly) {
        // What the first frame of a race will show: the kept best time, if any.
        std::printf("start: %.*s\n", static_cast<int>(std::strcspn(scoreText, "\n")), scoreText);
        return 0;
    }
    SoundRecording recording;
    if (!arguments.audioPath.empty() &&
        (!SoundReady() || !recording.Start(soundDevice->directSound))) {
        std::fprintf(stderr, "kestrune-autopilot: no sound device to record\n");
        return 2;
    }
    // The default options whatever the player saved, then as the Options
    // dialog would leave them: a window, by day or by night.
    GameOptions = GameOptionsRecord{};
    GameOptions.lightsOn = arguments.night ? 1 : 0;
    replay.lightsOn = static_cast<int>(GameOptions.lightsOn);
    if (!arguments.splashPath.empty() && !SaveSplash(arguments.splashPath)) {
        std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n", arguments.splashPath.c_str());
    }

    auto hand = [&] {
        MousePixel mouse{HeadlessProgram::clientWidth / 2, HeadlessProgram::clientHeight / 2};
        if (carObject) {
            mouse = ToPixel(SteerAlong(centreLine, carObject->position.x, carObject->position.z,
                                       carObject->rotation.y, PresentRobots()));
        }
        replay.path.push_back(mouse);
        return mouse;
    };
    DWORD recordedUpTo = program.Milliseconds();
    std::FILE* pictureLog = nullptr;
    if (!arguments.pictureLogPath.empty()) {
        pictureLog = std::fopen(arguments.pictureLogPath.c_str(), "w");
        if (pictureLog == nullptr) {
            std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n",
                         arguments.pictureLogPath.c_str());
            return 2;
        }
    }
    auto afterFrame = [&](long frame) {
        recording.Advance(program.Milliseconds() - recordedUpTo);
        recordedUpTo = program.Milliseconds();
        if (pictureLog != nullptr) {
            uint32_t width = 0, height = 0;
            std::vector<uint8_t> rgba;
            if (program.ReadPicture(width, height, rgba)) {
                std::fprintf(pictureLog, "%ld %016llx\n", frame,
                             static_cast<unsigned long long>(Fingerprint(rgba)));
            }
        }
        for (const auto& [shotFrame, path] : arguments.shots) {
            uint32_t width = 0, height = 0;
            std::vector<uint8_t> rgba;
            if (shotFrame == frame && (!program.ReadPicture(width, height, rgba) ||
                                       !WritePng(path, width, height, rgba))) {
                std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n", path.c_str());
            }
        }
    };
    KeyHand keyHand(program);
    auto keys = [&] {
        if (!carObject) return;
        keyHand.Follow(SteerAlong(centreLine, carObject->position.x, carObject->position.z,
                                  carObject->rotation.y, PresentRobots()));
    };
    replay.outcome = arguments.keys
                         ? RunRaceByKeys(program, keys, afterFrame, frameLimit)
                         : RunRace(program, replay.moveEvery, hand, afterFrame, frameLimit);
    const RaceOutcome& end = replay.outcome;
    if (pictureLog != nullptr) std::fclose(pictureLog);

    std::printf("%s\n", end.message.c_str());
    std::printf("%s\n", end.scoreLine.c_str());
    std::printf("frames: %ld, laps: %d, hits: %d, race time: %s, message boxes: %d\n", end.frames,
                end.laps, end.hits, FloatBits(end.raceTime).c_str(), messageBoxes);
    if (!arguments.audioPath.empty()) {
        // The player waiting for the next race hears the tune out over the engine.
        for (DWORD played = 0; IsPlaying(musicSound) && played < tuneLimitMilliseconds;
             played += 100) {
            recording.Advance(100);
        }
        std::printf("%s\n", recording.Summary().c_str());
        if (!recording.Write(arguments.audioPath)) {
            std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n",
                         arguments.audioPath.c_str());
        }
    }
    // The records and the ghost are where the game keeps them: the player's
    // data folder, or the one XDG_DATA_HOME names.
    struct stat ghostFile {};
    const long ghostBytes =
        stat(ghostFileName.c_str(), &ghostFile) == 0 ? static_cast<long>(ghostFile.st_size) : 0;
    std::printf("ghost: %zu samples, %ld bytes\n", bestGhost.Samples().size(), ghostBytes);
    if (recordingReplay && !WriteReplay(arguments.replayPath, replay)) {
        std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n", arguments.replayPath.c_str());
        return 2;
    }
    return end.message == "You made it 5 laps!" ? 0 : 1;
}
