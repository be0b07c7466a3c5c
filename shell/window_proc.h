#pragma once
// The main window's message handler: mouse steering, keys, the click that
// starts a race or the clock, pause and resume around menus, moves and
// minimising, the splash picture, the menu commands and shut-down.
#include "platform/window.h"

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
