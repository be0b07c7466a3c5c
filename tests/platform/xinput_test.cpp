#include "platform/xinput.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "tests/support/virtual_controller.h"

namespace {

DWORD milliseconds = 0;
DWORD TestClock() {
    return milliseconds;
}

// Controllers plugged into SDL's virtual joystick driver, read through the
// stand-in on a clock the test moves.
class XInput : public ::testing::Test {
  protected:
    void SetUp() override {
        // On from where the last test left it: the stand-in remembers when it
        // last looked for controllers.
        milliseconds += 100000;
        SetTimeSource(TestClock);
        // Whatever an earlier test left is noticed gone.
        LetArrivalCheckPass();
        XINPUT_STATE state;
        XInputGetState(0, &state);
    }
    void TearDown() override { SetTimeSource(nullptr); }

    static void LetArrivalCheckPass() { milliseconds += controllerArrivalCheckMilliseconds; }

    static XINPUT_STATE State() {
        XINPUT_STATE state{};
        EXPECT_EQ(XInputGetState(0, &state), ERROR_SUCCESS);
        return state;
    }

    // Every keystroke waiting, as "A down", "Start up" and so on.
    static std::vector<std::string> Keystrokes() {
        std::vector<std::string> taken;
        XINPUT_KEYSTROKE keystroke{};
        while (XInputGetKeystroke(XUSER_INDEX_ANY, 0, &keystroke) == ERROR_SUCCESS) {
            const char* name = keystroke.VirtualKey == VK_PAD_A           ? "A"
                               : keystroke.VirtualKey == VK_PAD_B         ? "B"
                               : keystroke.VirtualKey == VK_PAD_BACK      ? "Back"
                               : keystroke.VirtualKey == VK_PAD_START     ? "Start"
                               : keystroke.VirtualKey == VK_PAD_Y         ? "Y"
                               : keystroke.VirtualKey == VK_PAD_DPAD_DOWN ? "Down"
                                                                          : "?";
            taken.push_back(std::string(name) +
                            (keystroke.Flags == XINPUT_KEYSTROKE_KEYDOWN ? " down" : " up"));
        }
        return taken;
    }
};

TEST_F(XInput, ReadsTheStickUpwardsTheTriggersAndTheButtons) {
    VirtualController pad;
    ASSERT_TRUE(pad.Plugged());
    LetArrivalCheckPass();
    const XINPUT_STATE rest = State();
    EXPECT_EQ(rest.Gamepad.sThumbLX, 0);
    EXPECT_EQ(rest.Gamepad.sThumbLY, 0);
    EXPECT_EQ(rest.Gamepad.bLeftTrigger, 0);
    EXPECT_EQ(rest.Gamepad.bRightTrigger, 0);
    EXPECT_EQ(rest.Gamepad.wButtons, 0);

    pad.SetStick(32767, -32768);  // right and up
    pad.SetTrigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    pad.SetButton(SDL_CONTROLLER_BUTTON_A, true);
    const XINPUT_STATE pushed = State();
    EXPECT_EQ(pushed.Gamepad.sThumbLX, 32767);
    EXPECT_EQ(pushed.Gamepad.sThumbLY, 32767);
    EXPECT_EQ(pushed.Gamepad.bRightTrigger, 255);
    EXPECT_EQ(pushed.Gamepad.bLeftTrigger, 0);
    EXPECT_EQ(pushed.Gamepad.wButtons, XINPUT_GAMEPAD_A);
    EXPECT_NE(pushed.dwPacketNumber, rest.dwPacketNumber);
    EXPECT_EQ(State().dwPacketNumber, pushed.dwPacketNumber);  // nothing moved

    pad.SetStick(-32768, 32767);  // left and down
    const XINPUT_STATE pulled = State();
    EXPECT_EQ(pulled.Gamepad.sThumbLX, -32768);
    EXPECT_EQ(pulled.Gamepad.sThumbLY, -32767);

    XINPUT_STATE state;
    EXPECT_EQ(XInputGetState(1, &state), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(XInputGetState(XUSER_MAX_COUNT, &state), ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(XInputGetState(0, nullptr), ERROR_BAD_ARGUMENTS);
}

TEST_F(XInput, QueuesEachPressAndReleaseOnceInOrder) {
    VirtualController pad;
    LetArrivalCheckPass();
    State();
    EXPECT_EQ(Keystrokes(), std::vector<std::string>{});

    pad.SetButton(SDL_CONTROLLER_BUTTON_A, true);
    State();
    State();  // held: still one press
    pad.SetButton(SDL_CONTROLLER_BUTTON_A, false);
    pad.SetButton(SDL_CONTROLLER_BUTTON_START, true);
    pad.SetButton(SDL_CONTROLLER_BUTTON_X, true);  // not one the game asks for
    State();
    pad.SetButton(SDL_CONTROLLER_BUTTON_B, true);
    pad.SetButton(SDL_CONTROLLER_BUTTON_BACK, true);
    State();
    pad.SetButton(SDL_CONTROLLER_BUTTON_Y, true);
    pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(Keystrokes(), (std::vector<std::string>{"A down", "A up", "Start down", "B down",
                                                      "Back down", "Y down", "Down down"}));
    XINPUT_KEYSTROKE keystroke;
    EXPECT_EQ(XInputGetKeystroke(0, 0, &keystroke), ERROR_EMPTY);
}

TEST_F(XInput, PicksUpAndDropsControllersAsTheyComeAndGo) {
    XINPUT_STATE state;
    XINPUT_KEYSTROKE keystroke;
    EXPECT_EQ(XInputGetState(0, &state), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(XInputGetKeystroke(0, 0, &keystroke), ERROR_DEVICE_NOT_CONNECTED);

    VirtualController first;
    // With nothing there SDL is asked again only after a pause.
    milliseconds += controllerArrivalCheckMilliseconds - 1;
    EXPECT_EQ(XInputGetState(0, &state), ERROR_DEVICE_NOT_CONNECTED);
    milliseconds += 1;
    EXPECT_EQ(XInputGetState(0, &state), ERROR_SUCCESS);

    // A second pad waits while the first is played; the first one's presses
    // go with it.
    VirtualController second;
    second.SetStick(32767, 0);
    first.SetButton(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(State().Gamepad.sThumbLX, 0);
    first.Unplug();
    EXPECT_EQ(State().Gamepad.sThumbLX, 32767);
    EXPECT_EQ(XInputGetKeystroke(0, 0, &keystroke), ERROR_EMPTY);

    second.Unplug();
    EXPECT_EQ(XInputGetState(0, &state), ERROR_DEVICE_NOT_CONNECTED);
}

}  // namespace
