#include "platform/xinput_pad.h"

#include <cstring>

DWORD XInputPad::GetState(DWORD userIndex, XINPUT_STATE* state) {
    if (state == nullptr || userIndex >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
    if (userIndex != 0) return ERROR_DEVICE_NOT_CONNECTED;
    Poll();
    if (!Connected()) return ERROR_DEVICE_NOT_CONNECTED;
    ReadGamepad();
    *state = XINPUT_STATE{packetNumber, lastPad};
    return ERROR_SUCCESS;
}

DWORD XInputPad::GetKeystroke(DWORD userIndex, XINPUT_KEYSTROKE* keystroke) {
    if (keystroke == nullptr) return ERROR_BAD_ARGUMENTS;
    if (userIndex != 0 && userIndex != XUSER_INDEX_ANY) {
        return userIndex < XUSER_MAX_COUNT ? ERROR_DEVICE_NOT_CONNECTED : ERROR_BAD_ARGUMENTS;
    }
    if (keystrokes.empty()) Poll();
    if (!Connected()) return ERROR_DEVICE_NOT_CONNECTED;
    if (keystrokes.empty()) return ERROR_EMPTY;
    *keystroke = keystrokes.front();
    keystrokes.pop_front();
    return ERROR_SUCCESS;
}

DWORD XInputPad::SetState(DWORD userIndex, const XINPUT_VIBRATION* vibration) {
    if (vibration == nullptr || userIndex >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
    if (userIndex != 0) return ERROR_DEVICE_NOT_CONNECTED;
    if (!Connected()) return ERROR_DEVICE_NOT_CONNECTED;
    Rumble(vibration->wLeftMotorSpeed, vibration->wRightMotorSpeed);
    return ERROR_SUCCESS;
}

DWORD XInputGetState(DWORD userIndex, XINPUT_STATE* state) {
    return PlayedPad().GetState(userIndex, state);
}

DWORD XInputGetKeystroke(DWORD userIndex, DWORD, XINPUT_KEYSTROKE* keystroke) {
    return PlayedPad().GetKeystroke(userIndex, keystroke);
}

DWORD XInputSetState(DWORD userIndex, XINPUT_VIBRATION* vibration) {
    return PlayedPad().SetState(userIndex, vibration);
}

void XInputPad::GamepadRead(const XINPUT_GAMEPAD& pad) {
    if (std::memcmp(&pad, &lastPad, sizeof pad) == 0) return;
    lastPad = pad;
    ++packetNumber;
}

void XInputPad::ButtonChanged(WORD virtualKey, bool down) {
    if (keystrokes.size() == keystrokeLimit) keystrokes.pop_front();
    const WORD flags = down ? XINPUT_KEYSTROKE_KEYDOWN : XINPUT_KEYSTROKE_KEYUP;
    keystrokes.push_back(XINPUT_KEYSTROKE{virtualKey, 0, flags, 0, 0});
}
