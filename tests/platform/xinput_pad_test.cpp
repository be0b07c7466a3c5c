#include "platform/xinput_pad.h"

#include <gtest/gtest.h>

namespace {

// A pad the test holds: plugged in or not, and its buttons changed by hand.
class HeldPad final : public XInputPad {
  public:
    void Press(WORD virtualKey) { ButtonChanged(virtualKey, true); }
    void Release(WORD virtualKey) { ButtonChanged(virtualKey, false); }

    bool plugged = true;
    WORD rumbleLow = 0;
    WORD rumbleHigh = 0;

  private:
    void Poll() override {}
    bool Connected() const override { return plugged; }
    void ReadGamepad() override {}
    void Rumble(WORD low, WORD high) override {
        rumbleLow = low;
        rumbleHigh = high;
    }
};

TEST(XInputPad, KeystrokesAreAskedOfUserZeroOrAnyUserWithSomewhereToPutThem) {
    HeldPad pad;
    pad.Press(VK_PAD_A);
    pad.Press(VK_PAD_B);
    XINPUT_KEYSTROKE keystroke{};
    EXPECT_EQ(pad.GetKeystroke(0, nullptr), ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(pad.GetKeystroke(1, &keystroke), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(pad.GetKeystroke(XUSER_MAX_COUNT - 1, &keystroke), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(pad.GetKeystroke(XUSER_MAX_COUNT, &keystroke), ERROR_BAD_ARGUMENTS);
    ASSERT_EQ(pad.GetKeystroke(XUSER_INDEX_ANY, &keystroke), ERROR_SUCCESS);
    EXPECT_EQ(keystroke.VirtualKey, VK_PAD_A);
    ASSERT_EQ(pad.GetKeystroke(0, &keystroke), ERROR_SUCCESS);
    EXPECT_EQ(keystroke.VirtualKey, VK_PAD_B);

    // Nothing is taken of a pad that is not there, though its presses wait.
    pad.Press(VK_PAD_Y);
    pad.plugged = false;
    EXPECT_EQ(pad.GetKeystroke(0, &keystroke), ERROR_DEVICE_NOT_CONNECTED);
}

TEST(XInputPad, AnUnreadPadKeepsOnlyItsNewestPresses) {
    HeldPad pad;
    pad.Press(VK_PAD_START);
    for (size_t i = 1; i < XInputPad::keystrokeLimit; ++i) pad.Release(VK_PAD_DPAD_UP);
    pad.Press(VK_PAD_BACK);  // one more than it keeps: Start goes

    XINPUT_KEYSTROKE keystroke{};
    size_t taken = 0;
    XINPUT_KEYSTROKE first{};
    XINPUT_KEYSTROKE last{};
    while (pad.GetKeystroke(0, &keystroke) == ERROR_SUCCESS) {
        if (taken++ == 0) first = keystroke;
        last = keystroke;
    }
    EXPECT_EQ(taken, XInputPad::keystrokeLimit);
    EXPECT_EQ(first.VirtualKey, VK_PAD_DPAD_UP);
    EXPECT_EQ(first.Flags, XINPUT_KEYSTROKE_KEYUP);
    EXPECT_EQ(last.VirtualKey, VK_PAD_BACK);
    EXPECT_EQ(last.Flags, XINPUT_KEYSTROKE_KEYDOWN);
    EXPECT_EQ(pad.GetKeystroke(0, &keystroke), ERROR_EMPTY);
}

TEST(XInputPad, OnlyUserZerosConnectedPadRumbles) {
    HeldPad pad;
    const XINPUT_VIBRATION vibration{0x1234, 0x5678};
    EXPECT_EQ(pad.SetState(0, nullptr), ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(pad.SetState(XUSER_MAX_COUNT, &vibration), ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(pad.SetState(1, &vibration), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(pad.rumbleLow, 0);
    EXPECT_EQ(pad.SetState(0, &vibration), ERROR_SUCCESS);
    EXPECT_EQ(pad.rumbleLow, 0x1234);
    EXPECT_EQ(pad.rumbleHigh, 0x5678);
    pad.plugged = false;
    const XINPUT_VIBRATION still{};
    EXPECT_EQ(pad.SetState(0, &still), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(pad.rumbleLow, 0x1234);
}

}  // namespace
