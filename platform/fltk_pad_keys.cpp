#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "platform/pad_keys.h"
#include "platform/window.h"
#include "platform/xinput.h"

namespace {

// About one frame at 60 Hz, as the game reads the pad in a race.
constexpr double padReadSeconds = 1.0 / 60.0;

int openLoops = 0;

// Hands `key` to the window the toolkit sends keys to now, as if typed.
void Type(const ToolkitKey& key, Fl_Window* window) {
    // The toolkit may change the text of a key it tries as a shortcut.
    static char text[2] = {};
    text[0] = key.key == ' ' ? ' ' : key.key == FL_Enter ? '\r' : key.key == FL_Escape ? '\033' : 0;
    text[1] = 0;
    const int savedKey = Fl::e_keysym;
    const int savedOriginalKey = Fl::e_original_keysym;
    const int savedState = Fl::e_state;
    char* const savedText = Fl::e_text;
    const int savedLength = Fl::e_length;
    Fl::e_keysym = Fl::e_original_keysym = key.key;
    Fl::e_state = key.shift ? FL_SHIFT : 0;
    Fl::e_text = text;
    Fl::e_length = text[0] != 0 ? 1 : 0;
    Fl::handle(FL_KEYBOARD, window);
    Fl::e_keysym = savedKey;
    Fl::e_original_keysym = savedOriginalKey;
    Fl::e_state = savedState;
    Fl::e_text = savedText;
    Fl::e_length = savedLength;
}

void ReadPad(void*) {
    XINPUT_KEYSTROKE keystroke;
    while (openLoops > 0 && XInputGetKeystroke(0, 0, &keystroke) == ERROR_SUCCESS) {
        // Presses made while the player is elsewhere are not the game's.
        if ((keystroke.Flags & XINPUT_KEYSTROKE_KEYDOWN) == 0 || !ProgramIsActive()) continue;
        // A pulled-down menu holds the toolkit's grab; a dialog or a box is
        // the modal window.
        Fl_Window* menu = Fl::grab();
        Fl_Window* window = menu != nullptr ? menu : Fl::modal();
        const ToolkitKey key = ToolkitKeyOfPad(keystroke.VirtualKey, menu != nullptr);
        if (window != nullptr && key.key != 0) Type(key, window);
    }
    if (openLoops > 0) Fl::repeat_timeout(padReadSeconds, ReadPad);
}

}  // namespace

ToolkitKey ToolkitKeyOfPad(WORD padKey, bool inMenu) {
    switch (padKey) {
        case VK_PAD_DPAD_UP:
            return inMenu ? ToolkitKey{FL_Up, false} : ToolkitKey{FL_Tab, true};
        case VK_PAD_DPAD_DOWN:
            return inMenu ? ToolkitKey{FL_Down, false} : ToolkitKey{FL_Tab, false};
        case VK_PAD_DPAD_LEFT:
            return inMenu ? ToolkitKey{FL_Left, false} : ToolkitKey{FL_Tab, true};
        case VK_PAD_DPAD_RIGHT:
            return inMenu ? ToolkitKey{FL_Right, false} : ToolkitKey{FL_Tab, false};
        case VK_PAD_A:
            return ToolkitKey{inMenu ? FL_Enter : ' ', false};
        case VK_PAD_START:
            return ToolkitKey{FL_Enter, false};
        case VK_PAD_B:
        case VK_PAD_BACK:
            return ToolkitKey{FL_Escape, false};
        case VK_PAD_Y:
            return inMenu ? ToolkitKey{FL_Escape, false} : ToolkitKey{};
        default:
            return ToolkitKey{};
    }
}

PadKeysInModalLoop::PadKeysInModalLoop() {
    if (openLoops++ == 0) Fl::add_timeout(padReadSeconds, ReadPad);
}

PadKeysInModalLoop::~PadKeysInModalLoop() {
    if (--openLoops == 0) Fl::remove_timeout(ReadPad);
}
