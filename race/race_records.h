#pragma once
// The player's records in the race: the best time and best lap kept from game
// to game, the lap times shown on screen, and the ghost of the best race.
#include "race/game_state.h"

// The best lap of the finished races, kept with the records; 0 for none.
extern float bestLapTime;

// The lap times the picture shows for a while after each lap, and the whole
// race's after a finish; empty when none are shown.
extern char lapTimesText[2 * textSize];

// Start-up, after the first score line: the kept records and the ghost are
// read, and the score line shows the kept best time at once.
void LoadPlayerRecords();

// A finished race, after its score line: a faster race or a better lap is
// kept, and a faster race's path becomes the ghost.
void KeepFinishedRace();

// Each racing frame, beside the lap line: the last lap's time and the best
// lap for a few seconds after a lap is counted.
void WriteLapTimesText();

// A finish: every lap of the race and the best lap.
void WriteRaceLapsText();
