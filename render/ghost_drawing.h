#pragma once
// The ghost of the best race: the car's mesh drawn see-through where the best
// race's car was at this race time. Only drawn: it hits nothing, counts no
// lap and changes nothing a race computes.
#include "core/ghost_path.h"

// Draws the ghost when it is shown and its race is still on at raceTime.
// Called with alpha blending on, after the opaque objects and the trees.
void DrawGhost();

// Whether the last frame drew the ghost, and where: for tests and tools.
extern bool ghostDrawn;
extern GhostSample ghostDrawnAt;
