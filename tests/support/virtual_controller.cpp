#include "tests/support/virtual_controller.h"

VirtualController::VirtualController() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
    subsystemStarted = true;
    // Typed as a game controller with SDL's own axis and button order, SDL
    // gives it a mapping of its own: no mapping database entry is needed.
    SDL_VirtualJoystickDesc description{};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.name = "Kestrune test pad";
    description.userdata = this;
    description.Rumble = [](void* self, Uint16 low, Uint16 high) {
        static_cast<VirtualController*>(self)->lowRumble = low;
        static_cast<VirtualController*>(self)->highRumble = high;
        return 0;
    };
    const int index = SDL_JoystickAttachVirtualEx(&description);
    if (index >= 0) joystick = SDL_JoystickOpen(index);
}

VirtualController::~VirtualController() {
    Unplug();
    if (subsystemStarted) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void VirtualController::Unplug() {
    if (joystick == nullptr) return;
    const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
    SDL_JoystickClose(joystick);
    joystick = nullptr;
}

void VirtualController::SetStick(Sint16 x, Sint16 y) {
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, x);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, y);
}

void VirtualController::SetTrigger(SDL_GameControllerAxis trigger, Sint16 value) {
    SDL_JoystickSetVirtualAxis(joystick, trigger, value);
}

void VirtualController::SetButton(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
}
