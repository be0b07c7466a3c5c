#include "shell/window_proc.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/options.h"
#include "platform/paint.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "shell/dialogs.h"
#include "shell/resources.h"
#include "shell/startup.h"
#include "tests/shell/shell_fixture.h"

namespace {

class MouseMapping : public ShellFixture {};

TEST_F(MouseMapping, WindowedEdgesAndCentreOfA640By480View) {
    GiveDevice();
    window.clientOrigin = POINT{100, 50};

    MoveMouse(100, 50);  // the client area's top-left pixel
    EXPECT_FLOAT_EQ(mouseX, -1.0f);
    EXPECT_FLOAT_EQ(mouseY, 1.0f);

    MoveMouse(100 + 320, 50 + 240);
    EXPECT_FLOAT_EQ(mouseX, 0.0f);
    EXPECT_FLOAT_EQ(mouseY, 0.0f);

    MoveMouse(100 + 640, 50 + 480);
    EXPECT_FLOAT_EQ(mouseX, 1.0f);
    EXPECT_FLOAT_EQ(mouseY, -1.0f);

    // A drag carries the cursor beyond the drawing area; there it counts as
    // at the edge, and never steers harder than the picture can.
    MoveMouse(100 + 800, 50 - 120);
    EXPECT_FLOAT_EQ(mouseX, 1.0f);
    EXPECT_FLOAT_EQ(mouseY, 1.0f);
    MoveMouse(100 - 2000, 50 + 3000);
    EXPECT_FLOAT_EQ(mouseX, -1.0f);
    EXPECT_FLOAT_EQ(mouseY, -1.0f);
}

TEST_F(MouseMapping, ANewSizeTakesNoSteeringFromTheKeys) {
    GiveDevice();
    MoveMouse(640, 0);
    Send(WM_KEYDOWN, 0x25);  // Left: the keys steer, from rest
    EXPECT_EQ(mouseY, 0.0f);
    Send(WM_ENTERSIZEMOVE);
    Send(WM_EXITSIZEMOVE);
    Send(WM_SIZE, SIZE_MAXIMIZED);
    EXPECT_EQ(mouseX, 0.0f);
    EXPECT_EQ(mouseY, 0.0f);
}

TEST_F(MouseMapping, TheCentreOfTheDrawingAreaAsItIsNowStandsStill) {
    // The default window: a 640 x 480 view over an area that the menu bar
    // leaves 455 high.
    window.clientHeight = 455;
    Send(WM_SIZE, SIZE_RESTORED);
    GiveDevice();
    MoveMouse(320, 227);  // half a pixel above the centre
    EXPECT_FLOAT_EQ(mouseX, 0.0f);
    EXPECT_NEAR(mouseY, 0.0f, 0.003f);

    // Resized during a race, the cursor left where it was: the next mapping
    // is of the new size, without waiting for the mouse to move.
    window.clientWidth = 1024;
    window.clientHeight = 768;
    PlaceCursor(256, 576);
    Send(WM_ENTERSIZEMOVE);
    Send(WM_EXITSIZEMOVE);
    EXPECT_FLOAT_EQ(mouseX, -0.5f);
    EXPECT_FLOAT_EQ(mouseY, -0.5f);
    MoveMouse(512, 384);
    EXPECT_FLOAT_EQ(mouseX, 0.0f);
    EXPECT_FLOAT_EQ(mouseY, 0.0f);
}

TEST_F(MouseMapping, FullScreenTakesTheScreenPositionAsItIs) {
    GiveDevice();
    GameOptions.windowed = 0;
    window.clientOrigin = POINT{100, 50};
    MoveMouse(0, 0);
    EXPECT_FLOAT_EQ(mouseX, -1.0f);
    EXPECT_FLOAT_EQ(mouseY, 1.0f);
}

TEST_F(MouseMapping, WithoutADeviceGivesClientPixels) {
    window.clientOrigin = POINT{100, 50};
    MoveMouse(130, 451);
    EXPECT_FLOAT_EQ(mouseX, 30.0f);
    EXPECT_FLOAT_EQ(mouseY, 401.0f);
}

class SplashClick : public ShellFixture {};

TEST_F(SplashClick, Row350DoesNothingRow351StartsTheGame) {
    window.clientOrigin = POINT{10, 40};

    MoveMouse(10 + 200, 40 + 350);
    Send(WM_LBUTTONDOWN);
    EXPECT_TRUE(TakeQueuedMessages().empty());

    MoveMouse(10 + 200, 40 + 351);
    Send(WM_LBUTTONDOWN);
    const std::vector<MSG> posted = TakeQueuedMessages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].hwnd, &window);
    EXPECT_EQ(posted[0].message, WM_COMMAND);
    EXPECT_EQ(posted[0].wParam, IDM_START);
    EXPECT_EQ(posted[0].lParam, 0);
}

TEST_F(SplashClick, FullScreenCountsTheRowFromTheTopOfTheScreen) {
    GameOptions.windowed = 0;
    window.clientOrigin = POINT{0, 200};  // client row 151 is screen row 351
    MoveMouse(50, 351);
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(TakeQueuedMessages().size(), 1u);
}

class RaceClick : public ShellFixture {};

TEST_F(RaceClick, WhileWaitingStartsTheClockFromThatMoment) {
    GiveDevice();
    phase = Waiting;
    fakeMilliseconds = 7250;
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(phase, Racing);
    EXPECT_FLOAT_EQ(lastTickTime, 7.25f);
    EXPECT_TRUE(TakeQueuedMessages().empty());
}

TEST_F(RaceClick, InAnyOtherPhaseChangesNothing) {
    GiveDevice();
    for (int32_t other : {NewRace, Racing, Finished, Wrecked}) {
        phase = other;
        lastTickTime = 3.0f;
        fakeMilliseconds = 9000;
        mouseY = 400.0f;  // would start a game on the splash
        Send(WM_LBUTTONDOWN);
        EXPECT_EQ(phase, other);
        EXPECT_FLOAT_EQ(lastTickTime, 3.0f);
    }
    EXPECT_TRUE(TakeQueuedMessages().empty());
}

class PauseAndResume : public ShellFixture {};

TEST_F(PauseAndResume, MenuLoopStopsTheClockAndItsEndRestartsIt) {
    GiveDevice();
    phase = Racing;
    lastTickTime = 1.0f;
    Send(WM_ENTERMENULOOP);
    EXPECT_EQ(phase, Waiting);
    fakeMilliseconds = 60000;  // a minute in the menu
    Send(WM_EXITMENULOOP);
    EXPECT_EQ(phase, Racing);
    EXPECT_FLOAT_EQ(lastTickTime, 60.0f);
}

TEST_F(PauseAndResume, WithoutADeviceResumingSetsUpANewRace) {
    phase = Waiting;
    Send(WM_EXITMENULOOP);
    EXPECT_EQ(phase, NewRace);
}

TEST_F(PauseAndResume, MinimiseSuspendsAndARestoredRaceWaitsForThePlayer) {
    GiveDevice();
    phase = Waiting;  // a race waiting for its click waits on
    Send(WM_SIZE, SIZE_MINIMIZED);
    Send(WM_SIZE, SIZE_RESTORED);
    EXPECT_EQ(phase, Waiting);
    EXPECT_FALSE(racePaused);
    phase = Racing;
    Send(WM_SIZE, SIZE_MINIMIZED);
    EXPECT_EQ(phase, Waiting);
    EXPECT_EQ(Count("silenceRace"), 1);
    Send(WM_SIZE, SIZE_RESTORED);
    EXPECT_EQ(phase, Waiting);
    Send(WM_SIZE, SIZE_MINIMIZED);
    Send(WM_SIZE, SIZE_MAXIMIZED);
    EXPECT_EQ(phase, Waiting);
    EXPECT_TRUE(racePaused);
    Send(WM_KEYDOWN, 0x50);  // P: the player's hand is back
    EXPECT_EQ(phase, Racing);
    phase = Waiting;
    Send(WM_SIZE, 3);  // SIZE_MAXSHOW: neither
    EXPECT_EQ(phase, Waiting);
}

TEST_F(PauseAndResume, MovingOrSizingSuspendsUntilItEnds) {
    GiveDevice();
    phase = Racing;
    Send(WM_ENTERSIZEMOVE);
    EXPECT_EQ(phase, Waiting);
    fakeMilliseconds = 5000;
    Send(WM_EXITSIZEMOVE);
    EXPECT_EQ(phase, Racing);
    EXPECT_FLOAT_EQ(lastTickTime, 5.0f);
}

class ViewSize : public ShellFixture {};

TEST_F(ViewSize, AResizeWithoutADeviceTakesTheClientArea) {
    window.clientWidth = 800;
    window.clientHeight = 550;
    Send(WM_EXITSIZEMOVE);
    EXPECT_FLOAT_EQ(viewWidth, 800.0f);
    EXPECT_FLOAT_EQ(viewHeight, 550.0f);
}

TEST_F(ViewSize, AZeroSideIsNotTaken) {
    window.clientWidth = 0;
    window.clientHeight = 300;
    Send(WM_EXITSIZEMOVE);
    EXPECT_FLOAT_EQ(viewWidth, 640.0f);
    EXPECT_FLOAT_EQ(viewHeight, 300.0f);
}

TEST_F(ViewSize, WithADeviceTheViewKeepsItsSize) {
    GiveDevice();
    window.clientWidth = 800;
    window.clientHeight = 550;
    Send(WM_EXITSIZEMOVE);
    EXPECT_FLOAT_EQ(viewWidth, 640.0f);
    EXPECT_FLOAT_EQ(viewHeight, 480.0f);
}

class SplashPaint : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        previousSplash = splashDC;
        splashDC = CreateCompatibleDC(nullptr);
    }
    void TearDown() override {
        DeleteDC(splashDC);
        splashDC = previousSplash;
        ShellFixture::TearDown();
    }
    HDC previousSplash = nullptr;
};

TEST_F(SplashPaint, CopiesTheTopLeft632By426OfTheSplash) {
    std::vector<uint8_t> pixels(700 * 500 * 4, 0);
    SelectBitmapPixels(splashDC, 700, 500, pixels.data());
    Send(WM_PAINT);
    ASSERT_EQ(window.paintDC.drawn.size(), 1u);
    const DrawnBlock& block = window.paintDC.drawn[0];
    EXPECT_EQ(block.x, 0);
    EXPECT_EQ(block.y, 0);
    EXPECT_EQ(block.width, 632);
    EXPECT_EQ(block.height, 426);
    EXPECT_EQ(block.first, pixels.data());
    EXPECT_EQ(block.strideBytes, 700u * 4);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"begin paint", "end paint"}));
}

TEST_F(SplashPaint, ASmallerSplashIsCopiedWhole) {
    std::vector<uint8_t> pixels(320 * 200 * 4, 0);
    SelectBitmapPixels(splashDC, 320, 200, pixels.data());
    Send(WM_PAINT);
    ASSERT_EQ(window.paintDC.drawn.size(), 1u);
    EXPECT_EQ(window.paintDC.drawn[0].width, 320);
    EXPECT_EQ(window.paintDC.drawn[0].height, 200);
}

TEST_F(SplashPaint, WithADeviceNothingIsPainted) {
    std::vector<uint8_t> pixels(640 * 480 * 4, 0);
    SelectBitmapPixels(splashDC, 640, 480, pixels.data());
    GiveDevice();
    Send(WM_PAINT);
    EXPECT_TRUE(window.paintDC.drawn.empty());
    EXPECT_EQ(window.Count("end paint"), 1);
}

class WindowMessages : public ShellFixture {};

TEST_F(WindowMessages, KeysAreKeptAsLevels) {
    Send(WM_KEYDOWN, 0x1B);
    Send(WM_KEYDOWN, 'C');
    EXPECT_EQ(keyDown[0x1B], 1);
    EXPECT_EQ(keyDown['C'], 1);
    Send(WM_KEYUP, 0x1B);
    EXPECT_EQ(keyDown[0x1B], 0);
    EXPECT_EQ(keyDown['C'], 1);
}

TEST_F(WindowMessages, ATapOfEscapeLeavesARaceThatWaitsForItsClick) {
    GiveDevice();
    phase = Waiting;
    Send(WM_KEYDOWN, 0x1B);
    Send(WM_KEYUP, 0x1B);
    EXPECT_EQ(Count("leaveRace"), 1);
    EXPECT_EQ(phase, NewRace);
}

TEST_F(WindowMessages, TheWindowCannotBeMadeSmallerThan100By100) {
    MINMAXINFO limits{};
    EXPECT_EQ(Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), 0);
    EXPECT_EQ(limits.ptMinTrackSize.x, 100);
    EXPECT_EQ(limits.ptMinTrackSize.y, 100);
}

TEST_F(WindowMessages, PowerBroadcastAgreesOnlyToSuspendAndResume) {
    EXPECT_EQ(Send(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND), 1);
    EXPECT_EQ(Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND), 1);
    EXPECT_EQ(Send(WM_POWERBROADCAST, 4), 0);
}

TEST_F(WindowMessages, DestroyReleasesTheDeviceAndQuitsWithCodeZero) {
    GiveDevice();
    Send(WM_DESTROY);
    EXPECT_EQ(device, nullptr);
    EXPECT_TRUE(gameDevice.calls.empty());
    EXPECT_EQ(gameDevice.references, 0u);
    const std::vector<MSG> posted = TakeQueuedMessages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_QUIT);
    EXPECT_EQ(posted[0].wParam, 0u);
}

TEST_F(WindowMessages, CloseDestroysTheWindow) {
    Send(WM_CLOSE);
    EXPECT_EQ(window.Count("destroy"), 1);
    ASSERT_EQ(TakeQueuedMessages().size(), 1u);  // the quit message
}

class MenuCommands : public ShellFixture {};

TEST_F(MenuCommands, StartWhileADeviceExistsDoesNothing) {
    GiveDevice();
    GameOptions.windowed = 0;
    phase = Racing;
    Send(WM_COMMAND, IDM_START);
    EXPECT_EQ(device, &gameDevice);
    EXPECT_TRUE(window.calls.empty());
    EXPECT_TRUE(gameDevice.calls.empty());
    EXPECT_EQ(gameDevice.references, 1u);
    EXPECT_EQ(phase, Racing);
}

TEST_F(MenuCommands, StartMakesTheDeviceAndLoadsTheMeshesAndASecondStartDoesNothing) {
    RecordDirect3D();
    Send(WM_COMMAND, IDM_START);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device, direct.device.get());
    EXPECT_EQ(direct.focusWindow, &window);
    EXPECT_EQ(direct.parameters.Windowed, TRUE);
    EXPECT_NE(trackObject, nullptr);
    EXPECT_STREQ(messageText, raceMessages[0]);
    EXPECT_EQ(phase, NewRace);  // the first frame sets up the race
    EXPECT_TRUE(window.calls.empty());

    IDirect3DDevice9* first = device;
    MeshObject* firstTrack = trackObject;
    Send(WM_COMMAND, IDM_START);
    EXPECT_EQ(device, first);
    EXPECT_EQ(trackObject, firstTrack);
    EXPECT_TRUE(TakeQueuedMessages().empty());
}

TEST_F(MenuCommands, StartWhoseDeviceCannotBeMadeEndsTheProgram) {
    RecordDirect3D();
    direct.failCreateDevice = true;
    Send(WM_COMMAND, IDM_START);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(window.Count("destroy"), 1);
    const std::vector<MSG> posted = TakeQueuedMessages();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().message, WM_QUIT);
}

TEST_F(MenuCommands, OptionsRunsItsDialogThenResumes) {
    // Chosen from the menu on the ready screen: the race still waits for its
    // click afterwards, the cursor being on the menu bar.
    GiveDevice();
    phase = Waiting;
    Send(WM_ENTERMENULOOP);
    Send(WM_EXITMENULOOP);
    Send(WM_COMMAND, IDM_OPTIONS);
    ASSERT_EQ(RunDialogs().size(), 1u);
    EXPECT_EQ(RunDialogs()[0].id, IDD_OPTIONS);
    EXPECT_EQ(RunDialogs()[0].procedure, OptionsDialogProc);
    EXPECT_EQ(RunDialogs()[0].owner, &window);
    EXPECT_EQ(phase, Waiting);
}

TEST_F(MenuCommands, AboutRunsItsDialogThenResumes) {
    phase = Waiting;
    Send(WM_COMMAND, IDM_ABOUT);
    ASSERT_EQ(RunDialogs().size(), 1u);
    EXPECT_EQ(RunDialogs()[0].id, IDD_ABOUTBOX);
    EXPECT_EQ(RunDialogs()[0].procedure, AboutDialogProc);
    EXPECT_EQ(phase, NewRace);
}

TEST_F(MenuCommands, HtmlHelpOpensTheHelpPageThenResumes) {
    GiveDevice();
    phase = Racing;
    Send(WM_ENTERMENULOOP);
    Send(WM_EXITMENULOOP);
    fakeMilliseconds = 8000;
    Send(WM_COMMAND, IDM_HTMLHELP);
    EXPECT_EQ(OpenedFiles(), std::vector<std::string>{helpFileName});
    EXPECT_EQ(phase, Racing);
    EXPECT_FLOAT_EQ(lastTickTime, 8.0f);
}

TEST_F(MenuCommands, ExitDestroysTheWindow) {
    Send(WM_COMMAND, IDM_EXIT);
    EXPECT_EQ(window.Count("destroy"), 1);
}

TEST_F(MenuCommands, OnlyTheLowWordCountsAndOtherIdsAreIgnored) {
    Send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDM_ABOUT), 1));  // from the accelerator
    EXPECT_EQ(RunDialogs().size(), 1u);
    EXPECT_EQ(Send(WM_COMMAND, 4242), 0);
    EXPECT_EQ(RunDialogs().size(), 1u);
    EXPECT_TRUE(window.calls.empty());
}

}  // namespace
