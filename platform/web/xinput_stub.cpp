// No game controller: the page's stand-in until the browser's gamepads
// (html5.h) take its place.
#include "platform/xinput.h"

DWORD XInputGetState(DWORD, XINPUT_STATE*) {
    return ERROR_DEVICE_NOT_CONNECTED;
}

DWORD XInputGetKeystroke(DWORD, DWORD, XINPUT_KEYSTROKE*) {
    return ERROR_DEVICE_NOT_CONNECTED;
}

DWORD XInputSetState(DWORD, XINPUT_VIBRATION*) {
    return ERROR_DEVICE_NOT_CONNECTED;
}
