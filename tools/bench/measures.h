#pragma once
// The benchmark's measurements. Each runs its measurement `runs` times and
// keeps the median, with the baseline it is judged against measured beside it
// in the same runs. A figure that could not be measured says why in `missing`.
#include <algorithm>
#include <string>
#include <vector>

// The middle value; the mean of the two middle ones for an even count.
inline double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

struct LogicFigures {
    std::string missing;
    double microsecondsPerFrame = 0.0;
    // The same lap, runs taken by turns with the first, racing its own ghost.
    double microsecondsPerFrameWithGhost = 0.0;
    long racingFrames = 0;  // in one lap
    bool lapCompleted = false;
};

struct TrackHeightFigures {
    std::string missing;
    double gridNanoseconds = 0.0;  // TrackHeight as the game calls it
    double scanNanoseconds = 0.0;  // the same answer from a scan of every triangle
    long calls = 0;                // ground points asked, each timed both ways
    long mismatches = 0;           // points where the two answers differ
    unsigned triangles = 0;
    double gridBuildMilliseconds = 0.0;
};

struct RenderFigures {
    std::string label;  // "640x480 window" ...
    int width = 0;
    int height = 0;
    bool windowed = false;
    std::string missing;
    double framesPerSecond = 0.0;       // racing frames of the lap
    double clearFramesPerSecond = 0.0;  // frames that only clear and present
    long framesPerRun = 0;
};

struct StartFigures {
    std::string missing;
    double firstStartMilliseconds = 0.0;      // Start command to first presented frame
    double startProcessorMilliseconds = 0.0;  // processor time of all threads meanwhile
    double initMilliseconds = 0.0;            // of which InitDirect3D
    double loadMilliseconds = 0.0;            // of which LoadMeshes
    double firstFramesMilliseconds = 0.0;     // of which the first frames, finished
    double againMilliseconds = 0.0;           // Start once more after leaving the race
    double coldShadersMilliseconds = 0.0;     // the first Start without Mesa's shader cache
    double peakRaceMebibytes = 0.0;           // peak resident set while racing the lap
    double peakProcessMebibytes = 0.0;        // peak over the process's whole life
    // The driver's floor: peak resident set of a process that only makes the
    // same GL context and clears its 640 x 480 back buffer.
    double peakFloorMebibytes = 0.0;
};

struct SplashFigures {
    std::string missing;
    double milliseconds = 0.0;          // process start to the splash on screen
    double baselineMilliseconds = 0.0;  // the same for the baseline program, if given
};

struct SoundFigures {
    std::string missing;
    double sharePercent = 0.0;        // all ten sounds playing
    double silentSharePercent = 0.0;  // the same mixing with nothing playing
    double outputSeconds = 0.0;       // mixed per run
    int playing = 0;                  // sounds playing at the end of a run
};

// Another build's figures: its logic, its render rows (one list per run, the
// rows in its order) and its memory.
struct BaselineFigures {
    std::string missing;
    double logicMicroseconds = 0.0;
    std::vector<std::vector<RenderFigures>> rendering;
    double peakRaceMebibytes = 0.0;
    double peakFloorMebibytes = 0.0;
};

// Runs `program`, another build's kestrune-bench, for `sections` (its --only
// list) and `runs`, and adds what it measured to `figures`.
bool RunBaselineBench(const std::string& program, const std::string& sections, int runs,
                      BaselineFigures& figures);

// Needs the start-up done (track map, sounds, game links) and the circuit
// read. Puts the drawing-free device in place, loads the meshes, times the
// racing frames of a lap, then TrackHeight at every ground point the lap asked
// for, and releases the device.
void MeasureLogicAndTrackHeight(int runs, bool logic, bool trackHeight, LogicFigures& logicFigures,
                                TrackHeightFigures& heightFigures);

// Frames per second of the real renderer on a headless EGL context at each
// size, over a lap, beside frames that only clear and present.
std::vector<RenderFigures> MeasureRendering(int runs);
// The same, each run taking turns with a run of another build's benchmark;
// that build's medians go to `baselineRows`.
std::vector<RenderFigures> MeasureRenderingBeside(int runs, const std::string& baselineBench,
                                                  BaselineFigures& baseline,
                                                  std::vector<RenderFigures>& baselineRows);

// Runs fresh processes of this program in race-child mode and takes the
// medians of what they report.
StartFigures MeasureStartAndMemory(int runs);

// The child's side: start-up, the Start command timed to the first presented
// frame, a lap, Start again (with `startOnly`, the first Start only). Prints
// one line of figures. Returns the exit code.
int RunRaceChild(bool startOnly);

// The floor's side: the context, a few cleared and presented frames, and one
// line with the process's peak resident set. Returns the exit code.
int RunFloorChild();

// Launches build/kestrune under a private Xvfb and waits for the splash
// picture to appear on its screen. With a baseline program (another build of
// the game, say one from before a change), its launches alternate with the
// game's in the same runs, on the same server.
SplashFigures MeasureSplash(int runs, const std::string& baselineProgram);

// The sound device's mixer, mixing by hand with the ten sounds playing.
SoundFigures MeasureSound(int runs);
