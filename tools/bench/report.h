#pragma once
// Everything one run of the benchmark measured, printed as one table or as one
// JSON object.
#include <string>
#include <vector>

#include "measures.h"

struct MachineDescription {
    std::string processor;  // the model name of /proc/cpuinfo
    int cores = 0;
    double memoryGibibytes = 0.0;
    std::string renderer;     // GL_RENDERER of the headless context
    double loadBefore = 0.0;  // one-minute load average
    double loadAfter = 0.0;
};

struct BenchReport {
    int runs = 0;
    MachineDescription machine;
    bool logicMeasured = false;
    LogicFigures logic;
    bool trackHeightMeasured = false;
    TrackHeightFigures trackHeight;
    std::vector<RenderFigures> rendering;
    // Another build measured in the same run, when asked for.
    bool baselineMeasured = false;
    BaselineFigures baseline;
    std::vector<RenderFigures> baselineRendering;
    bool startMeasured = false;
    StartFigures start;
    bool splashMeasured = false;
    SplashFigures splash;
    bool soundMeasured = false;
    SoundFigures sound;
};

// The machine as the report describes it, but for the renderer and the load.
MachineDescription DescribeMachine();
double LoadAverage();

void PrintTable(const BenchReport& report);
void PrintJson(const BenchReport& report);

// The targets the game is held to.
constexpr double logicTargetMicroseconds = 5.0;
constexpr double trackHeightTargetSpeedUp = 50.0;
constexpr double startTargetMilliseconds = 100.0;
// Process start to the splash on screen.
constexpr double splashTargetMilliseconds = 100.0;
constexpr double frameTargetRatio = 10.0;  // a full 640 x 480 frame against a clear-only one
