#include "platform/xinput.h"

#include <SDL.h>

#include "platform/clock.h"
#include "platform/xinput_pad.h"

namespace {

WORD PadKeyOf(Uint8 button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return VK_PAD_A;
        case SDL_CONTROLLER_BUTTON_B:
            return VK_PAD_B;
        case SDL_CONTROLLER_BUTTON_BACK:
            return VK_PAD_BACK;
        case SDL_CONTROLLER_BUTTON_START:
            return VK_PAD_START;
        case SDL_CONTROLLER_BUTTON_Y:
            return VK_PAD_Y;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return VK_PAD_DPAD_UP;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return VK_PAD_DPAD_DOWN;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return VK_PAD_DPAD_LEFT;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return VK_PAD_DPAD_RIGHT;
        default:
            return 0;
    }
}

// SDL's triggers run 0..32767, XInput's 0..255.
BYTE TriggerOf(Sint16 value) {
    return static_cast<BYTE>(value <= 0 ? 0 : value >> 7);
}

// SDL's y grows downwards, XInput's upwards; SDL's topmost value has no
// opposite in 16 bits.
int16_t UpwardsOf(Sint16 value) {
    return static_cast<int16_t>(value == -32768 ? 32767 : -value);
}

// SDL's game-controller subsystem and the one controller played with.
class Controllers final : public XInputPad {
  public:
    ~Controllers() override {
        Close();
        if (started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    // Brings SDL's news in: arrivals, removals and presses.
    void Poll() override {
        if (!Start()) return;
        if (controller == nullptr) {
            const DWORD now = timeGetTime();
            if (arrivalChecked && now - lastArrivalCheck < controllerArrivalCheckMilliseconds) {
                return;
            }
            arrivalChecked = true;
            lastArrivalCheck = now;
        }
        SDL_GameControllerUpdate();
        SDL_Event events[16];
        int count = 0;
        // Nothing else in the game reads SDL's queue, so all of it is taken.
        while ((count = SDL_PeepEvents(events, 16, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) >
               0) {
            for (int i = 0; i < count; ++i) Handle(events[i]);
        }
        if (controller == nullptr) OpenFirst();
    }

    bool Connected() const override { return controller != nullptr; }

    // XInput's motors run until told otherwise; SDL's rumble wants a length,
    // so it is given one longer than any the game asks for, and a pad left
    // rumbling by a program that stopped falls still on its own.
    void Rumble(WORD low, WORD high) override {
        constexpr Uint32 longestRumbleMilliseconds = 5000;
        // A pad without motors says so; that is no failure of the call.
        SDL_GameControllerRumble(controller, low, high,
                                 low == 0 && high == 0 ? 0 : longestRumbleMilliseconds);
    }

    void ReadGamepad() override {
        XINPUT_GAMEPAD pad{};
        auto axis = [this](SDL_GameControllerAxis which) {
            return SDL_GameControllerGetAxis(controller, which);
        };
        auto button = [this](SDL_GameControllerButton which, WORD bit) {
            return SDL_GameControllerGetButton(controller, which) ? bit : WORD{0};
        };
        pad.wButtons = button(SDL_CONTROLLER_BUTTON_A, XINPUT_GAMEPAD_A) |
                       button(SDL_CONTROLLER_BUTTON_B, XINPUT_GAMEPAD_B) |
                       button(SDL_CONTROLLER_BUTTON_BACK, XINPUT_GAMEPAD_BACK) |
                       button(SDL_CONTROLLER_BUTTON_Y, XINPUT_GAMEPAD_Y) |
                       button(SDL_CONTROLLER_BUTTON_START, XINPUT_GAMEPAD_START) |
                       button(SDL_CONTROLLER_BUTTON_DPAD_UP, XINPUT_GAMEPAD_DPAD_UP) |
                       button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_DOWN) |
                       button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, XINPUT_GAMEPAD_DPAD_LEFT) |
                       button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_RIGHT);
        pad.bLeftTrigger = TriggerOf(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT));
        pad.bRightTrigger = TriggerOf(axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
        pad.sThumbLX = axis(SDL_CONTROLLER_AXIS_LEFTX);
        pad.sThumbLY = UpwardsOf(axis(SDL_CONTROLLER_AXIS_LEFTY));
        pad.sThumbRX = axis(SDL_CONTROLLER_AXIS_RIGHTX);
        pad.sThumbRY = UpwardsOf(axis(SDL_CONTROLLER_AXIS_RIGHTY));
        GamepadRead(pad);
    }

  private:
    bool Start() {
        if (started || failed) return started;
        // As for the sound: SIGINT and SIGTERM stay the program's.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
            failed = true;
            return false;
        }
        started = true;
        // The state is read when asked for; moving sticks would otherwise
        // fill the queue with events nobody needs. The joystick's own events
        // must flow: SDL makes the controller's button events out of them.
        for (Uint32 type :
             {SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERTOUCHPADDOWN, SDL_CONTROLLERTOUCHPADMOTION,
              SDL_CONTROLLERTOUCHPADUP, SDL_CONTROLLERSENSORUPDATE}) {
            SDL_EventState(type, SDL_IGNORE);
        }
        return true;
    }

    void Handle(const SDL_Event& event) {
        switch (event.type) {
            case SDL_CONTROLLERDEVICEADDED:
                if (controller == nullptr) Open(event.cdevice.which);
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                if (controller != nullptr && event.cdevice.which == instance) Close();
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP: {
                const WORD key = PadKeyOf(event.cbutton.button);
                if (controller == nullptr || event.cbutton.which != instance || key == 0) break;
                ButtonChanged(key, event.type == SDL_CONTROLLERBUTTONDOWN);
                break;
            }
            default:
                break;
        }
    }

    void Open(int deviceIndex) {
        if (!SDL_IsGameController(deviceIndex)) return;
        controller = SDL_GameControllerOpen(deviceIndex);
        if (controller == nullptr) return;
        instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
        GamepadArrived();
    }

    // The next pad in SDL's list takes over from one that went.
    void OpenFirst() {
        const int count = SDL_NumJoysticks();
        for (int i = 0; i < count && controller == nullptr; ++i) Open(i);
    }

    void Close() {
        if (controller != nullptr) SDL_GameControllerClose(controller);
        controller = nullptr;
        instance = -1;
        ForgetKeystrokes();
    }

    bool started = false;
    bool failed = false;
    bool arrivalChecked = false;
    DWORD lastArrivalCheck = 0;
    SDL_GameController* controller = nullptr;
    SDL_JoystickID instance = -1;
};

}  // namespace

XInputPad& PlayedPad() {
    static Controllers controllers;
    return controllers;
}
