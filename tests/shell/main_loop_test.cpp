#include "shell/main_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/xinput.h"
#include "render/device.h"
#include "shell/game_controller.h"
#include "shell/resources.h"
#include "shell/startup.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/virtual_controller.h"

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
                                },
                                // A wait with a limit, for a game controller's
                                // sake, is a wait all the same.
                                [](double) {
                                    happenings.push_back("wait");
                                    PostQuitMessage(0);
                                }};
    SetEventPump(&pump);
    EXPECT_EQ(RunMainLoop(nullptr), 0);
    SetEventPump(nullptr);
    EXPECT_EQ(happenings, (std::vector<std::string>{"message 15", "poll", "wait"}));
}

VirtualController* pressedPad = nullptr;

// The toolkit's waits, as the loop asks for them. Start is pressed during the
// first. Waiting for ever would hang the test, and many waits mean the press
// went unread: both end the loop.
double longestWait = 0.0;
int waits = 0;
void PollNothing() {}
void WaitForEver() {
    PostQuitMessage(98);
}
void WaitAtMost(double seconds) {
    longestWait = std::max(longestWait, seconds);
    if (++waits == 1) pressedPad->SetButton(SDL_CONTROLLER_BUTTON_START, true);
    if (waits == 1000) PostQuitMessage(99);
}
const EventPump testPump = {PollNothing, WaitForEver, WaitAtMost};

TEST_F(MainLoop, WithoutADeviceAControllerIsStillRead) {
    VirtualController pad;
    ASSERT_TRUE(pad.Plugged());
    pressedPad = &pad;
    ReadGameController();
    fakeMilliseconds += controllerArrivalCheckMilliseconds;
    ReadGameController();
    window.procedure = [](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message == WM_COMMAND) {
            happenings.push_back("command " + std::to_string(LOWORD(wParam)));
            PostQuitMessage(0);
        }
        return 0;
    };
    SetEventPump(&testPump);
    EXPECT_EQ(RunMainLoop(nullptr), 0);
    SetEventPump(nullptr);
    EXPECT_EQ(happenings, std::vector<std::string>{"command 32771"});
    // A wait of a frame or so: the press is answered as quickly as in a race.
    EXPECT_EQ(waits, 1);
    EXPECT_LE(longestWait, 0.02);
    pad.Unplug();
    ReadGameController();  // the pad is gone before the next test
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
