#pragma once
// One frame of game logic and the race clock.

// The only clock: the multimedia timer's milliseconds as seconds.
double ClockSeconds();

// Runs one frame: sets up a race, waits, races, or ends a race, by phase.
void StepFrame();

// Counts a race into the score, keeps the best time, writes the score line.
void UpdateScoreText();

// Suspends the game (menu, move, minimise) or lets it go on; going on restarts
// the race clock so that time spent suspended never counts.
void SetPaused(bool paused);

// Acts on the keys held at the end of a racing frame.
void HandleKeys();
