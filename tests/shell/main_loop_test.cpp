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

TEST_F(MainLoop, WithoutADeviceNoFrameRunsAndTheLoopWaitsInsteadOfPolling) {
    PostMessageA(&window, WM_PAINT, 0, 0);
    // The toolkit's only event: quit, handed over when the loop waits for it
    // (a loop that only polls gets it, with code 1, after a few polls).
    static const EventPump pump{[] {
                                    happenings.push_back("poll");
                                    if (happenings.size() > 4) PostQuitMessage(1);
                                },
                                [] {
                                    happenings.push_back("wait");
                                    PostQuitMessage(0);
                                }};
    SetEventPump(&pump);
    EXPECT_EQ(RunMainLoop(nullptr), 0);
    SetEventPump(nullptr);
    EXPECT_EQ(happenings, (std::vector<std::string>{"message 15", "poll", "wait"}));
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
