#include "shell/main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/device.h"
#include "shell/resources.h"
#include "tests/shell/shell_fixture.h"

namespace {

std::vector<std::string> happenings;
int framesBeforeQuit = 0;

LRESULT RecordMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
    happenings.push_back(message == WM_COMMAND ? "command " + std::to_string(LOWORD(wParam))
                                               : "message " + std::to_string(message));
    return 0;
}

void RecordFrame() {
    happenings.push_back("frame");
    if (--framesBeforeQuit == 0) PostQuitMessage(3);
}

class MainLoop : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        happenings.clear();
        window.procedure = RecordMessage;
        raceLinks.updateWaitingScene = RecordFrame;
        phase = Waiting;  // every frame draws the waiting scene
    }
};

TEST_F(MainLoop, WaitingMessagesGoBeforeFramesAndQuitEndsWithItsCode) {
    GiveDevice();
    framesBeforeQuit = 2;
    PostMessageA(&window, WM_MOUSEMOVE, 0, 0);
    PostMessageA(&window, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(RunMainLoop(nullptr), 3);
    EXPECT_EQ(happenings,
              (std::vector<std::string>{"message 512", "message 514", "frame", "frame"}));
}

TEST_F(MainLoop, WithoutADeviceNoFrameRuns) {
    PostMessageA(&window, WM_PAINT, 0, 0);
    PostQuitMessage(0);
    EXPECT_EQ(RunMainLoop(nullptr), 0);
    EXPECT_EQ(happenings, std::vector<std::string>{"message 15"});
}

TEST_F(MainLoop, AcceleratorsTurnAltQuestionMarkIntoAbout) {
    HACCEL accelerators = LoadAcceleratorsA(&gameResources, IDC_KESTRUNE);
    ASSERT_NE(accelerators, nullptr);
    PostMessageA(&window, WM_SYSCHAR, '?', 0);
    PostMessageA(&window, WM_SYSCHAR, '/', 0);
    PostMessageA(&window, WM_CHAR, '?', 0);  // without Alt it is only a character
    PostQuitMessage(0);
    RunMainLoop(accelerators);
    DestroyAcceleratorTable(accelerators);
    EXPECT_EQ(happenings, (std::vector<std::string>{"command 104", "command 104", "message 258"}));
}

}  // namespace
