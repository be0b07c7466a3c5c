// The Start command timed to the first presented frame, and the memory a race
// holds, each in a fresh process: the first Start of a process is the one a
// player waits for, and a process's peak resident set is only its own.
#include <epoxy/gl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_lap.h"
#include "core/media_path.h"
#include "core/options.h"
#include "drive/track_map.h"
#include "measures.h"
#include "platform/egl_context.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "shell/game_links.h"
#include "sound/game_sounds.h"
#include "tools/headless/headless_program.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int viewWidthPixels = 640;
constexpr int viewHeightPixels = 480;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of every thread of the process (the rasteriser's included).
double ProcessProcessorMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// A line of /proc/self/status in kibibytes ("VmHWM", "VmRSS").
double StatusKibibytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::atof(line.c_str() + prefix.size());
    }
    return 0.0;
}

// Lets the peak resident set start again from the present one.
bool ResetPeakResidentSet() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

struct StartTimes {
    double init = 0.0;
    double load = 0.0;
    double frames = 0.0;
    bool ok = false;
};

// The Start command (the display step's InitDirect3D, then LoadMeshes), and
// the main loop's frames up to the first one presented: the new race's set-up,
// then the first waiting frame. Finished, so the frame is really there.
StartTimes StartCommand(HWND window) {
    StartTimes times;
    const Clock::time_point start = Clock::now();
    if (FAILED(InitDirect3D(window, true, GameOptions.lightsOn != 0, viewWidthPixels,
                            viewHeightPixels))) {
        return times;
    }
    times.init = MillisecondsSince(start);
    const Clock::time_point loadStart = Clock::now();
    if (FAILED(LoadMeshes())) return times;
    times.load = MillisecondsSince(loadStart);
    const Clock::time_point framesStart = Clock::now();
    phase = NewRace;
    StepFrame();
    StepFrame();
    glFinish();
    times.frames = MillisecondsSince(framesStart);
    times.ok = true;
    return times;
}

enum class Child {
    Race,       // start-up, Start, a lap, Start again
    Start,      // start-up and the first Start only
    ColdStart,  // the same without Mesa's shader cache, as on a machine's first run
    Floor,      // the GL context and cleared frames only
};

// Runs this program in race-child mode and reads its one line of figures.
bool RunChild(Child kind, StartFigures& figures) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return false;
    self[length] = '\0';
    std::vector<std::string> environment;
    if (kind == Child::ColdStart) environment.emplace_back("MESA_SHADER_CACHE_DISABLE=true");
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    std::vector<char*> environmentPointers;
    for (std::string& entry : environment) environmentPointers.push_back(entry.data());
    environmentPointers.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char childFlag[] = "--race-child";
    char floorFlag[] = "--floor-child";
    char startOnlyFlag[] = "--start-only";
    char* arguments[] = {self, kind == Child::Floor ? floorFlag : childFlag,
                         kind == Child::Race || kind == Child::Floor ? nullptr : startOnlyFlag,
                         nullptr};
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, self, &actions, nullptr, arguments, environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return false;
    }
    std::string output;
    char buffer[512];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output.append(buffer, got);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    if (kind == Child::Floor) {
        return std::sscanf(output.c_str(), "floor %lf", &figures.peakFloorMebibytes) == 1;
    }
    return std::sscanf(output.c_str(),
                       "start %lf processor %lf init %lf load %lf frames %lf again %lf race %lf "
                       "process %lf",
                       &figures.firstStartMilliseconds, &figures.startProcessorMilliseconds,
                       &figures.initMilliseconds, &figures.loadMilliseconds,
                       &figures.firstFramesMilliseconds, &figures.againMilliseconds,
                       &figures.peakRaceMebibytes, &figures.peakProcessMebibytes) == 8;
}

}  // namespace

int RunRaceChild(bool startOnly) {
    if (!LoadCircuit()) return 2;
    HeadlessProgram program(viewWidthPixels, viewHeightPixels);
    if (!program.HasContext() || !program.Start()) return 2;
    GameOptions = GameOptionsRecord{};
    UseBenchClock();
    viewWidth = viewWidthPixels;
    viewHeight = viewHeightPixels;

    const Clock::time_point start = Clock::now();
    const double processorStart = ProcessProcessorMilliseconds();
    const StartTimes first = StartCommand(program.Window());
    const double firstMilliseconds = MillisecondsSince(start);
    const double processorMilliseconds = ProcessProcessorMilliseconds() - processorStart;
    if (!first.ok) return 1;
    const double startUpPeak = StatusKibibytes("VmHWM");
    if (startOnly) {
        std::printf(
            "start %.3f processor %.3f init %.3f load %.3f frames %.3f again 0 race 0 "
            "process 0\n",
            firstMilliseconds, processorMilliseconds, first.init, first.load, first.frames);
        return 0;
    }

    const bool peakReset = ResetPeakResidentSet();
    const LapRecord lap = DriveLap();
    const double racePeak = StatusKibibytes("VmHWM");
    if (!lap.completed) return 1;

    // Escape, then Start again.
    ReleaseDevice();
    const Clock::time_point again = Clock::now();
    const StartTimes second = StartCommand(program.Window());
    const double againMilliseconds = MillisecondsSince(again);
    if (!second.ok) return 1;

    std::printf(
        "start %.3f processor %.3f init %.3f load %.3f frames %.3f again %.3f race %.3f process "
        "%.3f\n",
        firstMilliseconds, processorMilliseconds, first.init, first.load, first.frames,
        againMilliseconds, (peakReset ? racePeak : 0.0) / 1024.0,
        std::max(startUpPeak, StatusKibibytes("VmHWM")) / 1024.0);
    return 0;
}

int RunFloorChild() {
    std::unique_ptr<EglContext> context =
        EglContext::Create(viewWidthPixels, viewHeightPixels, nullptr);
    if (!context) return 2;
    // As many frames as the race child's Start and first frames present.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    for (int frame = 0; frame < 60; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        context->SwapBuffers();
    }
    glFinish();
    std::printf("floor %.3f\n", StatusKibibytes("VmHWM") / 1024.0);
    return 0;
}

StartFigures MeasureStartAndMemory(int runs) {
    StartFigures medians;
    // A Start is short and its wall-clock time swings with the machine's
    // load, so it is taken over three times as many processes as the rest.
    std::vector<double> first, processor, init, load, frames;
    for (int run = 0; run < 3 * runs; ++run) {
        StartFigures one;
        if (!RunChild(Child::Start, one)) {
            medians.missing = "the race-child process failed";
            return medians;
        }
        first.push_back(one.firstStartMilliseconds);
        processor.push_back(one.startProcessorMilliseconds);
        init.push_back(one.initMilliseconds);
        load.push_back(one.loadMilliseconds);
        frames.push_back(one.firstFramesMilliseconds);
    }
    std::vector<double> again, race, process, cold, floor;
    for (int run = 0; run < runs; ++run) {
        StartFigures raced;
        StartFigures coldStart;
        StartFigures floorOnly;
        if (!RunChild(Child::Race, raced) || !RunChild(Child::ColdStart, coldStart) ||
            !RunChild(Child::Floor, floorOnly)) {
            medians.missing = "the race-child process failed";
            return medians;
        }
        again.push_back(raced.againMilliseconds);
        race.push_back(raced.peakRaceMebibytes);
        process.push_back(raced.peakProcessMebibytes);
        cold.push_back(coldStart.firstStartMilliseconds);
        floor.push_back(floorOnly.peakFloorMebibytes);
    }
    medians.firstStartMilliseconds = Median(first);
    medians.startProcessorMilliseconds = Median(processor);
    medians.initMilliseconds = Median(init);
    medians.loadMilliseconds = Median(load);
    medians.firstFramesMilliseconds = Median(frames);
    medians.againMilliseconds = Median(again);
    medians.coldShadersMilliseconds = Median(cold);
    medians.peakRaceMebibytes = Median(race);
    medians.peakProcessMebibytes = Median(process);
    medians.peakFloorMebibytes = Median(floor);
    return medians;
}
