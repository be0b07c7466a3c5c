#pragma once
// XInput's three calls over the one pad played with, as the desktop's pad
// (SDL's game controllers) and the page's (the browser's Gamepad API) both
// answer them: the checks of each call's arguments, and the queue of presses
// XInputGetKeystroke takes from. Each side reads its own pad behind Poll,
// Connected, ReadGamepad and Rumble, reports what it reads with GamepadRead and
// the changes of the buttons the game asks for with ButtonChanged, and hands
// its pad out as PlayedPad.
#include <cstddef>
#include <deque>

#include "platform/xinput.h"

class XInputPad {
  public:
    XInputPad() = default;
    XInputPad(const XInputPad&) = delete;
    XInputPad& operator=(const XInputPad&) = delete;
    virtual ~XInputPad() = default;

    // XInputGetState, XInputGetKeystroke and XInputSetState for this pad as
    // user 0.
    DWORD GetState(DWORD userIndex, XINPUT_STATE* state);
    DWORD GetKeystroke(DWORD userIndex, XINPUT_KEYSTROKE* keystroke);
    DWORD SetState(DWORD userIndex, const XINPUT_VIBRATION* vibration);

    // A pad nobody reads for a long while (a dialog open) must not fill
    // memory with its presses: past this many, the oldest are the ones let go.
    static constexpr size_t keystrokeLimit = 64;

  protected:
    // The pad's sticks, triggers and buttons as just read: the state's packet
    // number moves on whenever they differ from the last reading.
    void GamepadRead(const XINPUT_GAMEPAD& pad);
    // A pad that arrives is compared with one at rest.
    void GamepadArrived() { lastPad = XINPUT_GAMEPAD{}; }
    // A button the game asks for (its VK_PAD_ key) went down or up.
    void ButtonChanged(WORD virtualKey, bool down);
    // The presses of a pad that went go with it.
    void ForgetKeystrokes() { keystrokes.clear(); }

  private:
    // Brings the pad's news in: arrivals, removals and presses.
    virtual void Poll() = 0;
    virtual bool Connected() const = 0;
    // Reads the connected pad into GamepadRead, where Poll has not already.
    virtual void ReadGamepad() = 0;
    virtual void Rumble(WORD low, WORD high) = 0;

    std::deque<XINPUT_KEYSTROKE> keystrokes;
    DWORD packetNumber = 0;
    XINPUT_GAMEPAD lastPad{};
};

// The pad XInputGetState, XInputGetKeystroke and XInputSetState answer for:
// each build's own, made at the first call.
XInputPad& PlayedPad();
