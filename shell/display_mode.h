#pragma once
// The main window's two forms: windowed (overlapped frame and menu) and full
// screen (bare popup, no menu), switched when a race starts and when it is
// left with Escape.
#include "platform/window.h"

// The menu while the window is in its full-screen form; null otherwise.
extern HMENU savedMenu;

// The Start command's display step: sets the window's form and creates the
// Direct3D device; returns the device set-up's result.
HRESULT PrepareDisplay(HWND window);

// Gives the window its overlapped frame, menu and 640 x 480 back when the
// options say full screen.
void RestoreWindowedStyle();

// Escape during a race: gives the display back, releases the device and the
// meshes, sets up a new race, restores the windowed form and repaints the
// splash picture.
void LeaveRace();
