#include "race/game_state.h"

#include <cstring>

int32_t phase = NewRace;
int32_t lapCount = 0;
int32_t lastZone = 0;
int32_t zonesEntered = 0;
int32_t damageLevel = 0;
float raceTime = 0.0f;
int32_t score = 0;
float bestTime = 1000000.0f;
float lastTickTime = 0.0f;
float frameTime = 0.0f;
float mouseX = 0.0f;
float mouseY = 0.0f;
uint8_t keyDown[256] = {};
uint8_t keyPressed[256] = {};
float viewWidth = 640.0f;
float viewHeight = 480.0f;
int32_t phaseBeforePause = notPaused;
bool racePaused = false;
const char pausedText[textSize] = "Paused: press P, Start or click to go on";

const char raceMessages[raceMessageCount][textSize] = {
    "Welcome to Kestrune! Use mouse to drive.",
    "Avoid trees and drunken Zorveks.",
    "You've damaged the front end.",
    "You've torn off the side moulding.",
    "You're running on your rims.",
    "You made it 5 laps!",
    "GAME OVER",
};

char scoreText[textSize] = "SCORE: 0";
char messageText[textSize] = "Welcome";

void ShowRaceMessage(int row) {
    // A tree and a robot hit in the same frame at damage 3 ask for row 5; any
    // row beyond the table would be a fault, and the line keeps its text then.
    if (row < 0 || row >= raceMessageCount) return;
    std::memcpy(messageText, raceMessages[row], textSize);
}
