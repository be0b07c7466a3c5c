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
extern int32_t damageLevel;
extern float raceTime;
extern int32_t score;
extern float bestTime;
extern float lastTickTime;
extern float frameTime;
extern float mouseX;
extern float mouseY;
extern uint8_t keyDown[256];
extern float viewWidth;
extern float viewHeight;

extern const char raceMessages[raceMessageCount][textSize];
extern char scoreText[textSize];
extern char messageText[textSize];

// Copies row `row` of raceMessages, terminator included, into messageText.
void ShowRaceMessage(int row);
