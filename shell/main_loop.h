#pragma once
// The main loop: window messages first; then the game controller, whose
// presses become messages; a game frame whenever none is waiting and a device
// exists.
#include "platform/window.h"

// Runs until WM_QUIT and returns its exit code.
int RunMainLoop(HACCEL accelerators);
