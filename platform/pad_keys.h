#pragma once
// The pad in the toolkit's own modal loops (a pulled-down menu, a dialog, a
// message box), where the game's loop, which reads the pad otherwise, does
// not run: its presses are read there and handed on as the keys those loops
// already answer.
#include "platform/windows_types.h"

// A key as the toolkit names it (FL/Enumerations.H), with Shift or without.
struct ToolkitKey {
    int key = 0;  // 0: the button means nothing there
    bool shift = false;
    bool operator==(const ToolkitKey&) const = default;
};

// What a press of `padKey` (a VK_PAD_ key) stands for. In a pulled-down menu
// the D-pad moves as the arrows do and A chooses (Enter); in a dialog the
// D-pad goes from control to control (Tab, Shift+Tab), A presses the control
// that has the focus (Space) and Start the default button (Enter). B and Back
// go back (Escape) in both; Y, which opens the menu bar, also closes it.
ToolkitKey ToolkitKeyOfPad(WORD padKey, bool inMenu);

// While one lives, the pad is read every frame's time and its presses go to
// the menu or modal window that is open, as keys. Scopes may nest.
class PadKeysInModalLoop {
  public:
    PadKeysInModalLoop();
    ~PadKeysInModalLoop();
    PadKeysInModalLoop(const PadKeysInModalLoop&) = delete;
    PadKeysInModalLoop& operator=(const PadKeysInModalLoop&) = delete;
};
