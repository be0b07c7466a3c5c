#pragma once
// One race of the headless program, from the menu's Start to the race's end,
// driven by a hand on the mouse; and the replay file that holds such a race's
// input (the mouse path) beside its outcome, so that the race can be driven
// again and must end exactly as it did.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/headless/headless_program.h"

// A mouse position in pixels of the window's drawing area.
struct MousePixel {
    int x;
    int y;
};

struct RaceOutcome {
    bool ended = false;  // false: the frame limit came first
    long frames = 0;     // frames stepped from the Start command to the race's end
    int laps = 0;
    int hits = 0;
    float raceTime = 0.0f;
    std::string message;    // the race message the picture shows at the end
    std::string scoreLine;  // the score line, without its line break
    uint64_t picture = 0;   // Fingerprint of the last presented picture
};

// Chooses Start and steps frames until the race has ended: clicks whenever the
// race waits, and before every `moveEvery`-th racing frame (the first one
// included) moves the mouse to where `hand` says. `afterFrame`, when given,
// is called after each frame with its number (from 1). Stops at `frameLimit`.
RaceOutcome RunRace(HeadlessProgram& program, int moveEvery,
                    const std::function<MousePixel()>& hand,
                    const std::function<void(long frame)>& afterFrame, long frameLimit);

// The same race played with the keys alone: Space whenever the race waits,
// and `keys` (pressing and letting go) before every racing frame.
RaceOutcome RunRaceByKeys(HeadlessProgram& program, const std::function<void()>& keys,
                          const std::function<void(long frame)>& afterFrame, long frameLimit);

struct Replay {
    int drawableWidth = 160;
    int drawableHeight = 120;
    int moveEvery = 4;
    int lightsOn = 0;              // the options' night with headlight, as the race was driven
    std::vector<MousePixel> path;  // one position per move, in order
    RaceOutcome outcome;
};

// The replay's race driven once more from the program's Start, with the
// options the autopilot leaves after start-up and the replay's lights: the
// hand takes the path's next position at every move (the last one again once
// they run out). `movesTaken` counts the moves; a race that goes as recorded
// takes the whole path. Stops a frame after the recorded end. A replay with
// no path drives nothing and ends nothing.
RaceOutcome DriveReplay(HeadlessProgram& program, const Replay& replay,
                        const std::function<void(long frame)>& afterFrame, size_t& movesTaken);

// A text file: a few lines of outcome, then one "x y" line per move. False
// when the file cannot be written, or read in full; `error` says why.
bool WriteReplay(const std::string& path, const Replay& replay);
bool ReadReplay(const std::string& path, Replay& replay, std::string& error);

// The outcome's lines as the file holds them, from "frames" to "score": all
// but the picture, which only a build that draws has.
std::string OutcomeLines(const RaceOutcome& outcome);

// The race time's exact bits, as the file holds them: "0x42a71eb8".
std::string FloatBits(float value);
