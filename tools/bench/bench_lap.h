#pragma once
// One autopilot lap of the real game: the benchmark's own 60 Hz clock, the
// autopilot's hand on the mouse, and a race that starts from the same state
// every time (what a race reset leaves alone is put back), so that every run
// of a measurement drives the very same lap.
#include <vector>

#include "platform/d3d9_types.h"
#include "tools/autopilot/steering.h"

// Puts the benchmark's clock in place of the system's.
void UseBenchClock();

// Reads media/circuit.txt; false when it is missing.
bool LoadCircuit();

struct LapRecord {
    long frames = 0;         // every frame stepped, the set-up and waiting ones included
    long racingFrames = 0;   // frames that began in the racing phase
    bool completed = false;  // the first lap was counted before any wreck
    // Where the game asks for the ground's height: the car and the robots at
    // each racing frame.
    std::vector<CircuitPoint> groundPoints;
    std::vector<MousePosition> hand;  // the mouse at each racing frame
    D3DVECTOR carAtEnd{};             // to check a replay against
};

// Drives one lap of a new race on the device InitDirect3D made: the race set
// up, two waiting frames, the click, racing frames steered along the circuit
// until the first lap is counted.
LapRecord DriveLap();

// Drives the same lap again with the recorded hand and no steering, and
// returns the processor time of its racing frames in seconds, or a negative
// number when the replay did not end where the lap did.
double ReplayLap(const LapRecord& lap);
