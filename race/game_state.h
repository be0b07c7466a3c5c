#pragma once
// The one record of race state, held as plain process-wide variables that the
// other parts of the game read and write by name.
#include <cstdint>

enum GamePhase : int32_t {
    NewRace = 0,   // the next frame sets up a new race
    Waiting = 1,   // set up or suspended: drawn, but the race clock stands
    Racing = 2,    // the clock runs, the car moves, obstacles are tested
    Finished = 3,  // the fifth lap has just been completed
    Wrecked = 4,   // the fourth hit has just been taken
};

constexpr int raceMessageCount = 7;
constexpr int textSize = 100;

extern int32_t phase;
extern int32_t lapCount;
extern int32_t lastZone;
// The road zones 1 to 5 entered since the race began or since its last counted
// lap, one bit per zone (bit n for zone n).
extern int32_t zonesEntered;
extern int32_t damageLevel;
extern float raceTime;
extern int32_t score;
extern float bestTime;
extern float lastTickTime;
extern float frameTime;
extern float mouseX;
extern float mouseY;
extern uint8_t keyDown[256];
// Keys pressed since the last frame read them, so that a tap shorter than a
// frame still acts once.
extern uint8_t keyPressed[256];
extern float viewWidth;
extern float viewHeight;

// What the game was doing when it was suspended, to go back to on resume;
// notPaused while it is not suspended.
constexpr int32_t notPaused = -1;
extern int32_t phaseBeforePause;

// The player's pause: P, the Pause key, a controller's Start, the focus going
// to another program or the window minimised. The race stands suspended (with
// phaseBeforePause Racing) until the player goes on; a resume of the window
// alone does not end it.
extern bool racePaused;
// What the picture says while the race is paused.
extern const char pausedText[textSize];

extern const char raceMessages[raceMessageCount][textSize];
extern char scoreText[textSize];
extern char messageText[textSize];

// Copies row `row` of raceMessages, terminator included, into messageText.
void ShowRaceMessage(int row);
