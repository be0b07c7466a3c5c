#pragma once
// Puts the real driving, rendering, sound and shell operations behind race
// control's links. The program calls it once at start-up; the headless tools
// call it too.
void ConnectGame();
