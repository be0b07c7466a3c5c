#pragma once
// One frame of game logic and the race clock.

#include <cstdint>

// The only clock: the multimedia timer's milliseconds as seconds.
double ClockSeconds();

// Runs one frame: sets up a race, waits, races, or ends a race, by phase.
void StepFrame();

// Counts a race into the score, keeps the best time, writes the score line.
void UpdateScoreText();

// Writes the score line as it stands, without counting a race.
void WriteScoreLine();

// Suspends the game (menu, move, minimise) or lets it go on: back to the phase
// it was suspended in, a running race with its clock restarted so that time
// spent suspended never counts.
void SetPaused(bool paused);

// The player's click: a race waiting for it starts its clock now.
void StartRaceClock();

// A key goes down or up (virtual-key code). Every source of keys comes here:
// Escape leaves a race at once, in whatever phase it is.
void PressKey(uint8_t key);
void ReleaseKey(uint8_t key);

// Leaves the race: the display given back, the device released, the race
// silenced, the splash shown.
void LeaveRaceByEscape();

// Acts on the keys held, or tapped since the last frame, at the end of a
// racing frame.
void HandleKeys();
