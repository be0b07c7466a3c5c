#include "platform/pad_keys.h"

#include <FL/Enumerations.H>
#include <gtest/gtest.h>

#include "platform/xinput.h"

namespace {

ToolkitKey Key(int key, bool shift = false) {
    return ToolkitKey{key, shift};
}

TEST(PadKeys, InAMenuTheDPadMovesAsTheArrowsAChoosesAndBBackAndYGoBack) {
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_UP, true), Key(FL_Up));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_DOWN, true), Key(FL_Down));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_LEFT, true), Key(FL_Left));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_RIGHT, true), Key(FL_Right));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_A, true), Key(FL_Enter));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_START, true), Key(FL_Enter));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_B, true), Key(FL_Escape));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_BACK, true), Key(FL_Escape));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_Y, true), Key(FL_Escape));
}

TEST(PadKeys, InADialogTheDPadGoesFromControlToControlAPressesStartConfirms) {
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_UP, false), Key(FL_Tab, true));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_LEFT, false), Key(FL_Tab, true));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_DOWN, false), Key(FL_Tab));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_DPAD_RIGHT, false), Key(FL_Tab));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_A, false), Key(' '));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_START, false), Key(FL_Enter));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_B, false), Key(FL_Escape));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_BACK, false), Key(FL_Escape));
    EXPECT_EQ(ToolkitKeyOfPad(VK_PAD_Y, false), Key(0));
}

}  // namespace
