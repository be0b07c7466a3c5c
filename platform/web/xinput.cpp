// XInput on the browser's Gamepad API (html5.h). Only a pad the browser maps
// to its standard layout is played with, as only a pad SDL knows is on the
// desktop: buttons 0 A, 1 B, 2 X, 3 Y, 4 and 5 the shoulders, 6 and 7 the
// triggers (analog), 8 Back, 9 Start, 12 to 15 the D-pad; axes 0 and 1 the
// left stick, 2 and 3 the right, y growing downwards.
//
// The browser queues no button events: presses are the changes seen between
// two readings, which every call makes.
#include "platform/xinput.h"

#include <emscripten/html5.h>

#include <cmath>
#include <cstring>

#include "platform/clock.h"
#include "platform/xinput_pad.h"

extern "C" void kestrune_gamepad_rumble(int index, double strong, double weak);

namespace {

constexpr int buttonA = 0;
constexpr int buttonB = 1;
constexpr int buttonY = 3;
constexpr int leftTrigger = 6;
constexpr int rightTrigger = 7;
constexpr int buttonBack = 8;
constexpr int buttonStart = 9;
constexpr int dpadUp = 12;
constexpr int dpadDown = 13;
constexpr int dpadLeft = 14;
constexpr int dpadRight = 15;
constexpr int standardButtons = 16;

struct PadButton {
    int index;
    WORD bit;
    WORD key;
};

constexpr PadButton padButtons[] = {
    {buttonA, XINPUT_GAMEPAD_A, VK_PAD_A},
    {buttonB, XINPUT_GAMEPAD_B, VK_PAD_B},
    {buttonBack, XINPUT_GAMEPAD_BACK, VK_PAD_BACK},
    {buttonY, XINPUT_GAMEPAD_Y, VK_PAD_Y},
    {buttonStart, XINPUT_GAMEPAD_START, VK_PAD_START},
    {dpadUp, XINPUT_GAMEPAD_DPAD_UP, VK_PAD_DPAD_UP},
    {dpadDown, XINPUT_GAMEPAD_DPAD_DOWN, VK_PAD_DPAD_DOWN},
    {dpadLeft, XINPUT_GAMEPAD_DPAD_LEFT, VK_PAD_DPAD_LEFT},
    {dpadRight, XINPUT_GAMEPAD_DPAD_RIGHT, VK_PAD_DPAD_RIGHT},
};

// The browser's triggers run 0..1, XInput's 0..255: read as SDL reads them
// on the desktop, 0..32767 and its top eight bits.
BYTE TriggerOf(double value) {
    if (!(value > 0.0)) return 0;
    return static_cast<BYTE>(static_cast<int>(std::fmin(value, 1.0) * 32767.0) >> 7);
}

// The browser's axes run -1..1; XInput's -32768..32767.
int16_t AxisOf(double value) {
    if (!(value > -1.0)) return -32768;
    if (value >= 1.0) return 32767;
    return static_cast<int16_t>(std::lround(value * (value < 0.0 ? 32768.0 : 32767.0)));
}

// The browser's y grows downwards, XInput's upwards; the topmost value has
// no opposite in 16 bits.
int16_t UpwardsOf(int16_t value) {
    return static_cast<int16_t>(value == -32768 ? 32767 : -value);
}

bool IsPlayable(const EmscriptenGamepadEvent& pad) {
    return pad.connected && pad.numButtons >= standardButtons && pad.numAxes >= 4 &&
           std::strcmp(pad.mapping, "standard") == 0;
}

// The one pad played with and what was last read of it.
class Controllers final : public XInputPad {
  public:
    // Reads the browser's pads: arrivals, removals and presses.
    void Poll() override {
        if (!Connected()) {
            const DWORD now = timeGetTime();
            if (arrivalChecked && now - lastArrivalCheck < controllerArrivalCheckMilliseconds) {
                return;
            }
            arrivalChecked = true;
            lastArrivalCheck = now;
        }
        if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
            Close();
            return;
        }
        EmscriptenGamepadEvent pad{};
        if (Connected()) {
            if (emscripten_get_gamepad_status(index, &pad) == EMSCRIPTEN_RESULT_SUCCESS &&
                IsPlayable(pad)) {
                Read(pad, true);
                return;
            }
            Close();
        }
        // The next pad in the browser's list takes over from one that went.
        const int count = emscripten_get_num_gamepads();
        for (int i = 0; i < count; ++i) {
            if (emscripten_get_gamepad_status(i, &pad) != EMSCRIPTEN_RESULT_SUCCESS ||
                !IsPlayable(pad)) {
                continue;
            }
            index = i;
            GamepadArrived();
            // What is held as the pad arrives is no press.
            Read(pad, false);
            return;
        }
    }

    bool Connected() const override { return index >= 0; }

    // The browser's rumble runs for a length, so it is given one longer than
    // any the game asks for, and a pad left rumbling falls still on its own.
    void Rumble(WORD low, WORD high) override {
        kestrune_gamepad_rumble(index, low / 65535.0, high / 65535.0);
    }

    // The browser's pad was read by the Poll before.
    void ReadGamepad() override {}

  private:
    void Read(const EmscriptenGamepadEvent& pad, bool pressesCount) {
        XINPUT_GAMEPAD state{};
        for (const PadButton& button : padButtons) {
            const bool down = pad.digitalButton[button.index] != 0;
            if (down) state.wButtons = static_cast<WORD>(state.wButtons | button.bit);
            if (pressesCount && down != held[button.index]) ButtonChanged(button.key, down);
            held[button.index] = down;
        }
        state.bLeftTrigger = TriggerOf(pad.analogButton[leftTrigger]);
        state.bRightTrigger = TriggerOf(pad.analogButton[rightTrigger]);
        state.sThumbLX = AxisOf(pad.axis[0]);
        state.sThumbLY = UpwardsOf(AxisOf(pad.axis[1]));
        state.sThumbRX = AxisOf(pad.axis[2]);
        state.sThumbRY = UpwardsOf(AxisOf(pad.axis[3]));
        GamepadRead(state);
    }

    void Close() {
        index = -1;
        ForgetKeystrokes();
        std::memset(held, 0, sizeof held);
    }

    bool arrivalChecked = false;
    DWORD lastArrivalCheck = 0;
    int index = -1;
    bool held[standardButtons] = {};
};

}  // namespace

XInputPad& PlayedPad() {
    static Controllers controllers;
    return controllers;
}
