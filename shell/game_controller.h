#pragma once
// A game controller plays the game as the mouse and the keys do, through the
// same paths: its left stick sets the steering the mouse mapping sets, and its
// buttons become the messages of the click, File > Start and Escape. Only the
// first controller connected counts, and only while the program has the
// keyboard focus; without one nothing changes at all.
//
// - Stick: x right and y up, -1 to +1 beyond a small dead zone, so a stick at
//   rest stands still and one pushed to its end steers as the cursor at the
//   picture's edge. The right trigger adds forward, the left backward. The
//   stick takes the steering whenever it moves, and at the start of every
//   game (the mouse values are still the splash's pixels then); a controller
//   that goes stands still unless another hand has taken over.
// - A: the click (starts the race clock; on the splash it starts the game
//   wherever the cursor is). Start: the pause key during a game, File > Start
//   elsewhere. B or Back: Escape, held while the button is held. Each press
//   acts once.
#include "platform/windows_types.h"

// Reads the controller; true when a press became a message.
bool ReadGameController();

// How long the main loop may wait for a message while no game runs, so that
// a controller is still answered (and one being plugged in noticed).
DWORD GameControllerWaitMilliseconds();
