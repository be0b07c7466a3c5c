#pragma once
// The main window's two forms: windowed (overlapped frame and menu) and full
// screen (bare popup, no menu), switched when a race starts and when it is
// left with Escape.
#include "platform/window.h"

// The menu while the window is in its full-screen form; null otherwise.
extern HMENU savedMenu;

// The back buffer of the "Desktop" choice: the display's own size. A display
// that reports no size or one smaller than 640 x 480 gives 640 x 480; one
// larger than the GL can draw gives the largest size of its shape it can.
void DisplayBackBufferSize(float& width, float& height);
// Shrinks a size of any shape to the largest of that shape whose sides are at
// most `largest` (0: no limit).
void FitToLargestSide(int& width, int& height, int largest);

// The Start command's display step: sets the window's form and creates the
// Direct3D device; returns the device set-up's result.
HRESULT PrepareDisplay(HWND window);

// Gives the window its overlapped frame, menu and 640 x 480 back when the
// options say full screen.
void RestoreWindowedStyle();

// Alt+Enter: flips the Windowed option and saves it, as the Options dialog
// would. A running race changes its form at once on the same device;
// otherwise the next Start shows the new form.
void SwitchWindowedAndFullScreen();

// Escape during a race: gives the display back, releases the device and the
// meshes, sets up a new race, restores the windowed form and repaints the
// splash picture.
void LeaveRace();
