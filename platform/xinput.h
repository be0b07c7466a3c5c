#pragma once
// XInput, the subset a game with a controller calls: the state of a pad (its
// sticks, triggers and buttons) and the queue of its button presses. It stands
// on SDL2's game-controller API, whose mapping database knows the common pads,
// so every pad reads like the one XInput was made for: A south, B east, the
// left stick's y growing upwards.
//
// User 0 is the first controller connected; others wait until it is removed.
// SDL's joystick subsystem is started at the first call, not at start-up, and
// every call reads what SDL has seen since the last one, without waiting. While
// no controller is there, SDL is asked about new ones at most every
// `controllerArrivalCheckMilliseconds` (by timeGetTime), so a game that polls
// every frame spends next to nothing on a pad nobody owns.
#include "platform/windows_types.h"

constexpr DWORD XUSER_MAX_COUNT = 4;
constexpr DWORD XUSER_INDEX_ANY = 0x000000FF;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_BAD_ARGUMENTS = 160;
constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr DWORD ERROR_EMPTY = 4306;

constexpr WORD XINPUT_GAMEPAD_DPAD_UP = 0x0001;
constexpr WORD XINPUT_GAMEPAD_DPAD_DOWN = 0x0002;
constexpr WORD XINPUT_GAMEPAD_DPAD_LEFT = 0x0004;
constexpr WORD XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008;
constexpr WORD XINPUT_GAMEPAD_START = 0x0010;
constexpr WORD XINPUT_GAMEPAD_BACK = 0x0020;
constexpr WORD XINPUT_GAMEPAD_A = 0x1000;
constexpr WORD XINPUT_GAMEPAD_B = 0x2000;
constexpr WORD XINPUT_GAMEPAD_Y = 0x8000;

// What XInput's makers recommend treating as rest.
constexpr int16_t XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE = 7849;
constexpr BYTE XINPUT_GAMEPAD_TRIGGER_THRESHOLD = 30;

struct XINPUT_GAMEPAD {
    WORD wButtons;
    BYTE bLeftTrigger;  // 0 released .. 255 fully pulled
    BYTE bRightTrigger;
    int16_t sThumbLX;  // -32768 left .. 32767 right
    int16_t sThumbLY;  // -32768 down .. 32767 up
    int16_t sThumbRX;
    int16_t sThumbRY;
};

struct XINPUT_STATE {
    DWORD dwPacketNumber;  // changes whenever the gamepad's state does
    XINPUT_GAMEPAD Gamepad;
};

constexpr WORD VK_PAD_A = 0x5800;
constexpr WORD VK_PAD_B = 0x5801;
constexpr WORD VK_PAD_Y = 0x5803;
constexpr WORD VK_PAD_DPAD_UP = 0x5810;
constexpr WORD VK_PAD_DPAD_DOWN = 0x5811;
constexpr WORD VK_PAD_DPAD_LEFT = 0x5812;
constexpr WORD VK_PAD_DPAD_RIGHT = 0x5813;
constexpr WORD VK_PAD_START = 0x5814;
constexpr WORD VK_PAD_BACK = 0x5815;

constexpr WORD XINPUT_KEYSTROKE_KEYDOWN = 0x0001;
constexpr WORD XINPUT_KEYSTROKE_KEYUP = 0x0002;

struct XINPUT_KEYSTROKE {
    WORD VirtualKey;
    wchar_t Unicode;
    WORD Flags;
    BYTE UserIndex;
    BYTE HidCode;
};

// ERROR_SUCCESS with the state of user `userIndex`'s controller, or
// ERROR_DEVICE_NOT_CONNECTED.
DWORD XInputGetState(DWORD userIndex, XINPUT_STATE* state);

// The oldest press or release of A, B, Y, Back, Start or the D-pad not yet
// taken:
// ERROR_SUCCESS, ERROR_EMPTY when there is none, ERROR_DEVICE_NOT_CONNECTED.
// A button held down is one press, however long it is held. The presses of a
// controller that is removed go with it.
DWORD XInputGetKeystroke(DWORD userIndex, DWORD reserved, XINPUT_KEYSTROKE* keystroke);

// The speeds of the two motors: the left the heavy, slow one, the right the
// light, quick one; 0 stops each.
struct XINPUT_VIBRATION {
    WORD wLeftMotorSpeed;
    WORD wRightMotorSpeed;
};

// Runs the controller's motors at these speeds until the next call:
// ERROR_SUCCESS (also for a pad without motors, which stays still), or
// ERROR_DEVICE_NOT_CONNECTED.
DWORD XInputSetState(DWORD userIndex, XINPUT_VIBRATION* vibration);

// Ours: how often SDL is asked about a new controller while none is there.
constexpr DWORD controllerArrivalCheckMilliseconds = 500;
