#pragma once
// A game controller that exists only in SDL: plugged in when made, unplugged
// when destroyed (or by Unplug), its stick, triggers and buttons set by the
// test. It goes through SDL's own mapping, events and state exactly as a pad
// on a cable does, with no device and no display.
#include <SDL.h>

class VirtualController {
  public:
    VirtualController();
    ~VirtualController();
    VirtualController(const VirtualController&) = delete;
    VirtualController& operator=(const VirtualController&) = delete;

    bool Plugged() const { return joystick != nullptr; }
    void Unplug();

    // SDL's own ranges: x -32768 left .. 32767 right, y -32768 up .. 32767
    // down; a trigger -32768 released .. 32767 fully pulled. SDL reports a
    // change at its next update, so a press and its release need one between
    // them to be seen.
    void SetStick(Sint16 x, Sint16 y);
    void SetTrigger(SDL_GameControllerAxis trigger, Sint16 value);
    void SetButton(SDL_GameControllerButton button, bool down);

    // The motors' speeds SDL last set (0, 0: still).
    Uint16 lowRumble = 0;
    Uint16 highRumble = 0;

  private:
    SDL_Joystick* joystick = nullptr;
    bool subsystemStarted = false;
};
