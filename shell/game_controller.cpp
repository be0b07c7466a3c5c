#include "shell/game_controller.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/clock.h"
#include "platform/window.h"
#include "platform/xinput.h"
#include "race/game_state.h"
#include "race/steering_input.h"
#include "render/device.h"
#include "shell/resources.h"
#include "shell/startup.h"

namespace {

// About one frame at 60 Hz: a press on the splash is answered as quickly as
// one in a race.
constexpr DWORD connectedWaitMilliseconds = 16;

struct Steering {
    float x;
    float y;
    bool operator==(const Steering&) const = default;
};

bool connected = false;
// Whether a game (a device) was running at the last read.
bool gameRunning = false;
// What the stick and triggers read when it last steered, to tell a move of
// them from a stick held still.
std::optional<Steering> steeringWritten;
// How long a hit and a wreck shake the pad, and how hard (of 65535).
constexpr DWORD hitRumbleMilliseconds = 200;
constexpr DWORD wreckRumbleMilliseconds = 700;
constexpr WORD hitRumbleStrength = 40000;
constexpr WORD wreckRumbleStrength = 65535;
// The hits of the race as last seen, and when a rumble under way ends (0: none).
int32_t hitsSeen = 0;
DWORD rumbleEnds = 0;

// The buttons that stand for Escape and are down now: XINPUT_GAMEPAD_B and
// XINPUT_GAMEPAD_BACK.
WORD escapeButtonsDown = 0;

// 0 inside the dead zone, then evenly up to 1 at the end of the travel.
float StickAxis(int16_t value) {
    constexpr float deadZone = XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE;
    const float distance = std::abs(static_cast<float>(value));
    if (distance <= deadZone) return 0.0f;
    const float scaled = std::min(1.0f, (distance - deadZone) / (32767.0f - deadZone));
    return value < 0 ? -scaled : scaled;
}

float TriggerPull(BYTE value) {
    constexpr float threshold = XINPUT_GAMEPAD_TRIGGER_THRESHOLD;
    if (value <= XINPUT_GAMEPAD_TRIGGER_THRESHOLD) return 0.0f;
    return (static_cast<float>(value) - threshold) / (255.0f - threshold);
}

Steering SteeringOf(const XINPUT_GAMEPAD& pad) {
    const float forward =
        StickAxis(pad.sThumbLY) + TriggerPull(pad.bRightTrigger) - TriggerPull(pad.bLeftTrigger);
    return Steering{StickAxis(pad.sThumbLX), std::clamp(forward, -1.0f, 1.0f)};
}

void WriteSteering(const Steering& steering) {
    Steer(SteeringHand::Pad, steering.x, steering.y);
    steeringWritten = steering;
}

// Escape stays down while either of its buttons does, as the key would.
bool HoldEscape(WORD button, bool down) {
    const WORD before = escapeButtonsDown;
    escapeButtonsDown = down ? (before | button) : (before & ~button);
    if ((before != 0) == (escapeButtonsDown != 0)) return false;
    PostMessageA(mainWindow, escapeButtonsDown != 0 ? WM_KEYDOWN : WM_KEYUP, VK_ESCAPE, 0);
    return true;
}

bool Press(const XINPUT_KEYSTROKE& keystroke) {
    const bool down = (keystroke.Flags & XINPUT_KEYSTROKE_KEYDOWN) != 0;
    switch (keystroke.VirtualKey) {
        case VK_PAD_A:
            if (!down) return false;
            // On the splash the click starts the game only below a row of the
            // picture; a pad has no cursor, so it is the Start the click posts.
            if (device != nullptr) {
                PostMessageA(mainWindow, WM_LBUTTONDOWN, 0, 0);
            } else {
                PostMessageA(mainWindow, WM_COMMAND, IDM_START, 0);
            }
            return true;
        case VK_PAD_START:
            if (!down) return false;
            // In a race it is the pause key; elsewhere File > Start.
            if (device != nullptr) {
                PostMessageA(mainWindow, WM_KEYDOWN, VK_PAUSE, 0);
                PostMessageA(mainWindow, WM_KEYUP, VK_PAUSE, 0);
            } else {
                PostMessageA(mainWindow, WM_COMMAND, IDM_START, 0);
            }
            return true;
        case VK_PAD_Y:
            // The menu bar, as F10 opens it: from there the pad reaches every
            // command and dialog.
            if (!down) return false;
            PostMessageA(mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 0);
            return true;
        case VK_PAD_B:
            return HoldEscape(XINPUT_GAMEPAD_B, down);
        case VK_PAD_BACK:
            return HoldEscape(XINPUT_GAMEPAD_BACK, down);
        default:
            return false;
    }
}

// A stick that is gone reads as one let go, unless another hand has steered
// since; a held Escape is let go.
bool Drop() {
    connected = false;
    if (device != nullptr && steeringHand == SteeringHand::Pad) WriteSteering(Steering{0.0f, 0.0f});
    steeringWritten.reset();
    bool posted = false;
    if (escapeButtonsDown & XINPUT_GAMEPAD_B) posted |= HoldEscape(XINPUT_GAMEPAD_B, false);
    if (escapeButtonsDown & XINPUT_GAMEPAD_BACK) posted |= HoldEscape(XINPUT_GAMEPAD_BACK, false);
    return posted;
}

void SetRumble(WORD strength) {
    XINPUT_VIBRATION vibration{strength, strength};
    XInputSetState(0, &vibration);
}

// A hit shakes the pad briefly, the wreck longer; a new race (its damage
// back to 0) shakes nothing, and a paused or left race stops a rumble at once.
void FeelHits() {
    const int32_t hits = device != nullptr ? damageLevel : 0;
    const DWORD now = timeGetTime();
    if (hits > hitsSeen) {
        const bool wreck = hits >= 4;
        SetRumble(wreck ? wreckRumbleStrength : hitRumbleStrength);
        rumbleEnds = now + (wreck ? wreckRumbleMilliseconds : hitRumbleMilliseconds);
        if (rumbleEnds == 0) rumbleEnds = 1;
    } else if (rumbleEnds != 0 &&
               (static_cast<int32_t>(now - rumbleEnds) >= 0 || racePaused || device == nullptr)) {
        SetRumble(0);
        rumbleEnds = 0;
    }
    hitsSeen = hits;
}

}  // namespace

bool ReadGameController() {
    const bool gameStarted = device != nullptr && !gameRunning;
    gameRunning = device != nullptr;
    XINPUT_STATE state;
    if (XInputGetState(0, &state) != ERROR_SUCCESS) return connected ? Drop() : false;
    const Steering steering = SteeringOf(state.Gamepad);
    FeelHits();
    if (!connected) {
        connected = true;
        // Plugged in during a race it waits for its stick to move, as the
        // mouse is left where it was.
        steeringWritten = steering;
    }

    const bool active = ProgramIsActive();
    bool posted = false;
    XINPUT_KEYSTROKE keystroke;
    while (XInputGetKeystroke(0, 0, &keystroke) == ERROR_SUCCESS) {
        // Presses made while the player is elsewhere are not the game's; a
        // release still is, so that Escape does not stay down.
        const bool release = (keystroke.Flags & XINPUT_KEYSTROKE_KEYUP) != 0;
        if (active || release) posted |= Press(keystroke);
    }

    if (device == nullptr || !active) return posted;
    if (gameStarted || steeringWritten != steering) WriteSteering(steering);
    return posted;
}

DWORD GameControllerWaitMilliseconds() {
    return connected ? connectedWaitMilliseconds : controllerArrivalCheckMilliseconds;
}
