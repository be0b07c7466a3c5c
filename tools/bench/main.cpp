// kestrune-bench: how fast the game is, as one table. Every figure is the
// median of repeated runs, each beside the baseline it is judged against,
// measured in the same runs:
//
//   logic        microseconds per racing frame: StepFrame with the real media
//                and a device that draws nothing, over an autopilot lap
//   TrackHeight  nanoseconds per call with the triangle grid, against a scan
//                of every triangle of "track.x", at the lap's ground points
//   render       frames per second of the lap on the headless EGL context,
//                beside frames that only clear and present
//   start        the Start command to the first presented frame, in a fresh
//                process; process start to the splash on a private X server
//   memory       peak resident set while racing the lap, beside the driver's
//                floor: a process that only makes the same GL context and
//                clears its 640 x 480 back buffer
//   sound        the mixer's share of one core with all ten sounds playing
//
//   kestrune-bench [--runs N] [--json] [--only logic,height,render,start,splash,sound]
//                  [--splash-baseline PROGRAM] [--baseline BENCH]
//
// --runs sets how many runs each median is taken over (default 3); --only
// measures some sections; --json prints the same figures as one JSON object
// instead of the table; --splash-baseline times another build of the game
// (one from before a change) to its splash in the same runs, as the splash
// row's baseline; --baseline runs another build's benchmark (BENCH, its
// kestrune-bench) for the logic, render and start sections and shows its
// figures under this build's, its render runs taking turns with these.
// Exit code 0 when every figure was measured and the grid answered as the scan.
#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "bench_lap.h"
#include "core/ghost_path.h"
#include "core/media_path.h"
#include "core/options.h"
#include "measures.h"
#include "platform/message_box.h"
#include "report.h"
#include "tools/headless/headless_program.h"

namespace {

const std::set<std::string> sectionNames = {"logic", "height", "render",
                                            "start", "splash", "sound"};

int messageBoxes = 0;
int CountMessageBox(HWND, const char* text, const char* caption, UINT) {
    ++messageBoxes;
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
}

void Progress(const char* what) {
    std::fprintf(stderr, "kestrune-bench: %s...\n", what);
}

constexpr const char* usage =
    "usage: kestrune-bench [--runs N] [--json] [--only SECTION,...] [--splash-baseline PROGRAM]\n"
    "                      [--baseline BENCH]\n"
    "Measures how fast the game is and prints one table; every figure is the\n"
    "median of repeated runs, beside the baseline measured in the same runs.\n"
    "Sections:\n"
    "  logic    microseconds per racing frame with a device that draws nothing\n"
    "  height   TrackHeight with the triangle grid against a scan of every triangle\n"
    "  render   frames per second on the headless EGL context at five sizes,\n"
    "           beside frames that only clear and present\n"
    "  start    the Start command to the first presented frame in a fresh process,\n"
    "           and the peak memory of a race beside the GL driver's floor\n"
    "  splash   process start to the splash shown on a private X server\n"
    "  sound    the mixer's share of one core with all ten sounds playing\n"
    "Options:\n"
    "  --runs N         runs per median (default 3)\n"
    "  --json           print the figures as one JSON object instead of the table\n"
    "  --only LIST      measure only these sections (comma-separated)\n"
    "  --splash-baseline PROGRAM\n"
    "                   time PROGRAM (another build of the game) to its splash in\n"
    "                   the same runs, as the splash row's baseline\n"
    "  --baseline BENCH another build's kestrune-bench: its logic, render and\n"
    "                   memory figures under this build's, its render runs\n"
    "                   taking turns with this build's\n"
    "  --help           this text\n"
    "Exit status 0 when every figure was measured and the grid answered as the\n"
    "scan, 1 otherwise, 2 on bad arguments.\n";

int Usage() {
    std::fprintf(stderr, "%s", usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    bool json = false;
    std::string splashBaseline;
    std::string baselineBench;
    std::set<std::string> sections = sectionNames;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::printf("%s", usage);
            return 0;
        } else if (argument == "--floor-child") {
            return RunFloorChild();
        } else if (argument == "--race-child") {
            return RunRaceChild(i + 1 < argc && std::strcmp(argv[i + 1], "--start-only") == 0);
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--baseline" && i + 1 < argc) {
            baselineBench = argv[++i];
        } else if (argument == "--splash-baseline" && i + 1 < argc) {
            splashBaseline = argv[++i];
        } else if (argument == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
            if (runs < 1) return Usage();
        } else if (argument == "--only" && i + 1 < argc) {
            sections.clear();
            std::istringstream list(argv[++i]);
            std::string name;
            while (std::getline(list, name, ',')) {
                if (sectionNames.count(name) == 0) return Usage();
                sections.insert(name);
            }
        } else {
            return Usage();
        }
    }
    auto wanted = [&](const char* name) { return sections.count(name) != 0; };

    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SetMessageBoxHandler(CountMessageBox);
    BenchReport report;
    report.runs = runs;
    report.machine = DescribeMachine();
    report.machine.loadBefore = LoadAverage();

    if (!LoadCircuit()) {
        std::fprintf(stderr, "kestrune-bench: no circuit in %s\n",
                     MediaPath("circuit.txt").c_str());
        return 2;
    }
    HeadlessProgram program(640, 480);
    if (!program.HasContext()) {
        std::fprintf(stderr, "kestrune-bench: no headless OpenGL context: %s\n",
                     program.Error().c_str());
        return 2;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    report.machine.renderer = renderer ? renderer : "unknown";
    if (!program.Start()) {
        std::fprintf(stderr, "kestrune-bench: the game made no window\n");
        return 2;
    }
    // The default options, whatever the player saved, and no ghost of the
    // player's best race but where a row says so.
    GameOptions = GameOptionsRecord{};
    bestGhost.Clear();
    UseBenchClock();

    if (wanted("logic") || wanted("height")) {
        Progress("logic and TrackHeight");
        report.logicMeasured = wanted("logic");
        report.trackHeightMeasured = wanted("height");
        MeasureLogicAndTrackHeight(runs, wanted("logic"), wanted("height"), report.logic,
                                   report.trackHeight);
    }
    if (wanted("render")) {
        Progress("rendering (five back-buffer sizes, a lap each run)");
        report.rendering = baselineBench.empty()
                               ? MeasureRendering(runs)
                               : MeasureRenderingBeside(runs, baselineBench, report.baseline,
                                                        report.baselineRendering);
    }
    if (wanted("start")) {
        Progress("Start and memory (a fresh process each run)");
        report.startMeasured = true;
        report.start = MeasureStartAndMemory(runs);
    }
    if (wanted("splash")) {
        Progress("process start to splash (the game on a private X server)");
        report.splashMeasured = true;
        report.splash = MeasureSplash(runs, splashBaseline);
    }
    if (!baselineBench.empty()) {
        report.baselineMeasured = true;
        std::string others;
        if (wanted("logic")) others = "logic";
        if (wanted("start")) others += others.empty() ? "start" : ",start";
        if (!others.empty()) {
            Progress("the baseline build's logic and memory");
            RunBaselineBench(baselineBench, others, runs, report.baseline);
        }
    }
    // Last: it takes the mixing away from the audio thread for good.
    if (wanted("sound")) {
        Progress("sound mixer");
        report.soundMeasured = true;
        report.sound = MeasureSound(runs);
    }
    report.machine.loadAfter = LoadAverage();

    if (json) {
        PrintJson(report);
    } else {
        PrintTable(report);
    }
    if (messageBoxes > 0) std::fprintf(stderr, "kestrune-bench: %d message boxes\n", messageBoxes);

    bool complete = report.trackHeight.missing.empty() && report.trackHeight.mismatches == 0 &&
                    report.logic.missing.empty() && report.start.missing.empty() &&
                    report.splash.missing.empty() && report.sound.missing.empty() &&
                    report.baseline.missing.empty();
    for (const RenderFigures& row : report.rendering) complete = complete && row.missing.empty();
    return complete ? 0 : 1;
}
