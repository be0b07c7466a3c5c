#pragma once
// The operations of the driving, rendering, sound and shell code that the
// frame step calls. Race control knows them only through this table, so it runs
// headless with doubles in tests; the game fills it with the real operations
// when it starts (ConnectGame in shell/).
enum class RaceCue {
    FinishMusic,  // the tune of a finished race
    Zone0,        // the cue of each road zone, Zone0 + zone
    Zone1,
    Zone2,
    Zone3,
    Zone4,
    Zone5,
};

struct RaceLinks {
    void (*resetRace)();
    void (*updateWaitingScene)();
    void (*driveCar)();
    void (*checkCollisions)();
    void (*renderFrame)();
    // Escape during a race: give the display back, release the device and the
    // meshes, set phase to NewRace, restore the windowed form, repaint.
    void (*leaveRace)();
    // Whether the renderer's device exists: whether a game is running.
    bool (*deviceExists)();
    // Plays the cue once when the sound device is ready and the clip silent.
    void (*playCue)(RaceCue cue);
    // Stops the engine loop when the sound device is ready.
    void (*stopEngine)();
    // Changes the car object's state for the C key.
    void (*toggleCar)();
    // Silences a paused race: the engine and every cue stop where they stand.
    void (*silenceRace)();
    // Starts the engine loop again when a paused race goes on.
    void (*startEngine)();
};

// Every entry is always callable: until connected, each does nothing (and no
// device exists).
extern RaceLinks raceLinks;

// Restores the do-nothing table.
void DisconnectRace();
