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

// The player's pause: a running race (or one suspended while running) stands
// silent, its clock stopped, until ResumeRace; anything else is left alone.
void PauseRace();

// A paused race goes on, its clock restarted and its engine running again.
void ResumeRace();

// The player's click: a race waiting for it starts its clock now, and a
// paused race goes on.
void StartRaceClock();

// A key goes down or up (virtual-key code). Every source of keys comes here:
// Escape leaves a race at once, in whatever phase it is; P and the Pause key
// pause a running race and let it go on; Space and Enter are the click; the
// arrows and W A S D steer.
void PressKey(uint8_t key);
void ReleaseKey(uint8_t key);

// Leaves the race: the display given back, the device released, the race
// silenced, the splash shown.
void LeaveRaceByEscape();

// Acts on the keys held, or tapped since the last frame, at the end of a
// racing frame.
void HandleKeys();
