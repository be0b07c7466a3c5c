#include "shell/display_mode.h"

#include <gtest/gtest.h>

#include "core/options.h"
#include "render/device.h"
#include "render/view_shape.h"
#include "shell/resources.h"
#include "shell/startup.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/message_box_recorder.h"

namespace {

class DisplayMode : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        menu = LoadMenuA(&gameResources, IDC_KESTRUNE);
        window.GiveMenu(menu);
    }

    HMENU menu = nullptr;
};

TEST_F(DisplayMode, FullScreen1024RemovesTheMenuAndSets1024By768) {
    RecordDirect3D();
    GameOptions.windowed = 0;
    GameOptions.windowWidth = 1024;
    EXPECT_EQ(PrepareDisplay(&window), S_OK);
    EXPECT_EQ(direct.parameters.Windowed, FALSE);
    EXPECT_EQ(direct.parameters.BackBufferWidth, 1024u);
    EXPECT_EQ(direct.parameters.BackBufferHeight, 768u);
    EXPECT_EQ(direct.parameters.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(GetWindowLongA(&window, GWL_STYLE), static_cast<LONG>(0x90080000u));
    EXPECT_EQ(savedMenu, menu);
    EXPECT_EQ(GetMenu(&window), nullptr);
    EXPECT_FLOAT_EQ(viewWidth, 1024.0f);
    EXPECT_FLOAT_EQ(viewHeight, 768.0f);
    int width = 0;
    int height = 0;
    GetFullScreenDisplaySize(width, height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    // The window is not moved or resized here.
    EXPECT_EQ(window.calls, (std::vector<std::string>{"style 0x90080000", "menu removed"}));
}

TEST_F(DisplayMode, EachWidthGivesItsHeightAndAnUnknownOneLeavesTheView) {
    GameOptions.windowed = 0;
    GameOptions.windowWidth = 800;
    PrepareDisplay(&window);
    EXPECT_FLOAT_EQ(viewWidth, 800.0f);
    EXPECT_FLOAT_EQ(viewHeight, 600.0f);
    // No window has a GL context here, so the device set-up failed; a failed
    // Start ends the program, whose WM_DESTROY releases the Direct3D object.
    ReleaseDevice();
    GameOptions.windowWidth = 700;
    PrepareDisplay(&window);
    EXPECT_FLOAT_EQ(viewWidth, 800.0f);
    EXPECT_FLOAT_EQ(viewHeight, 600.0f);
}

TEST_F(DisplayMode, AMenuAlreadySavedIsLeftAsItIs) {
    GameOptions.windowed = 0;
    PrepareDisplay(&window);
    ReleaseDevice();  // as after the failed device set-up above
    PrepareDisplay(&window);
    EXPECT_EQ(savedMenu, menu);
    EXPECT_EQ(window.Count("menu removed"), 1);
}

TEST_F(DisplayMode, WindowedKeepsTheFrameMenuAndView) {
    viewWidth = 700.0f;
    viewHeight = 500.0f;
    PrepareDisplay(&window);
    EXPECT_TRUE(window.calls.empty());
    EXPECT_EQ(savedMenu, nullptr);
    EXPECT_EQ(GetMenu(&window), menu);
    EXPECT_FLOAT_EQ(viewWidth, 700.0f);
}

TEST_F(DisplayMode, LeavingFullScreenGivesTheDisplayBackThenRestores640By480WithTheMenu) {
    GameOptions.windowed = 0;
    GameOptions.windowWidth = 1024;
    PrepareDisplay(&window);
    window.calls.clear();
    GiveDevice();
    phase = Racing;

    LeaveRace();

    EXPECT_EQ(gameDevice.CallNames(),
              (std::vector<std::string>{"Reset", "BeginScene", "EndScene", "Present"}));
    EXPECT_EQ(gameDevice.references, 0u);
    const D3DPRESENT_PARAMETERS& reset = gameDevice.resetParameters;
    EXPECT_EQ(reset.BackBufferWidth, 640u);
    EXPECT_EQ(reset.BackBufferHeight, 480u);
    EXPECT_EQ(reset.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(reset.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(reset.Windowed, TRUE);
    EXPECT_EQ(reset.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(reset.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(reset.hDeviceWindow, nullptr);
    EXPECT_EQ(reset.PresentationInterval, 0u);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(phase, NewRace);

    EXPECT_EQ(window.calls, (std::vector<std::string>{"style 0x10CF0000", "menu attached",
                                                      "place 0,0,640,480 0x00000040"}));
    EXPECT_EQ(GetMenu(&window), menu);
    EXPECT_EQ(savedMenu, nullptr);
    EXPECT_FLOAT_EQ(viewWidth, 640.0f);
    EXPECT_FLOAT_EQ(viewHeight, 480.0f);

    const std::vector<MSG> posted = TakeQueuedMessages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].hwnd, &window);
    EXPECT_EQ(posted[0].message, WM_PAINT);
}

TEST_F(DisplayMode, LeavingWindowedReleasesAndRepaintsWithoutMovingTheWindow) {
    viewWidth = 800.0f;
    viewHeight = 550.0f;
    GiveDevice();
    phase = Racing;
    LeaveRace();
    EXPECT_TRUE(gameDevice.calls.empty());
    EXPECT_EQ(gameDevice.references, 0u);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(phase, NewRace);
    EXPECT_TRUE(window.calls.empty());
    EXPECT_FLOAT_EQ(viewWidth, 800.0f);
    EXPECT_FLOAT_EQ(viewHeight, 550.0f);
    const std::vector<MSG> posted = TakeQueuedMessages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_PAINT);
}

TEST_F(DisplayMode, RestoringWhenWindowedDoesNothing) {
    viewWidth = 800.0f;
    RestoreWindowedStyle();
    EXPECT_TRUE(window.calls.empty());
    EXPECT_FLOAT_EQ(viewWidth, 800.0f);
}

// Alt+Enter is the Windowed check box and OK in one: the option flips and is
// saved. A race running changes its form at once, on the same device.
TEST_F(DisplayMode, AltEnterSwitchesARunningRaceToFullScreenAndBackAtOnce) {
    GameOptions.windowWidth = 800;
    GiveDevice();
    phase = Racing;
    HACCEL accelerators = LoadAcceleratorsA(&gameResources, IDC_KESTRUNE);
    MSG altEnter{&window, WM_SYSKEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    MSG enterUp{&window, WM_SYSKEYUP, VK_RETURN, 0, 0, {0, 0}};
    ASSERT_EQ(TranslateAcceleratorA(&window, accelerators, &altEnter), 1);
    TranslateAcceleratorA(&window, accelerators, &enterUp);

    EXPECT_EQ(GameOptions.windowed, 0u);
    EXPECT_EQ(folder.Read("options.kvz").size(), 16u);
    EXPECT_EQ(GetWindowLongA(&window, GWL_STYLE), static_cast<LONG>(0x90080000u));
    EXPECT_EQ(savedMenu, menu);
    const D3DPRESENT_PARAMETERS& reset = gameDevice.resetParameters;
    EXPECT_EQ(reset.Windowed, FALSE);
    EXPECT_EQ(reset.BackBufferWidth, 800u);
    EXPECT_EQ(reset.BackBufferHeight, 600u);
    EXPECT_EQ(reset.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(gameDevice.cursorCount, -1);
    EXPECT_EQ(device, &gameDevice);
    EXPECT_EQ(phase, Racing);
    // The states the game sets once at creation are set again on the reset device.
    EXPECT_EQ(gameDevice.CountOf("SetRenderState"), 2u);

    ASSERT_EQ(TranslateAcceleratorA(&window, accelerators, &altEnter), 1);
    TranslateAcceleratorA(&window, accelerators, &enterUp);
    EXPECT_EQ(GameOptions.windowed, 1u);
    EXPECT_EQ(GetWindowLongA(&window, GWL_STYLE), 0x10CF0000);
    EXPECT_EQ(GetMenu(&window), menu);
    EXPECT_EQ(reset.Windowed, TRUE);
    EXPECT_EQ(reset.BackBufferWidth, 640u);  // the recording window's client area
    EXPECT_EQ(gameDevice.cursorCount, 0);
    EXPECT_FLOAT_EQ(viewWidth, 640.0f);
    EXPECT_EQ(phase, Racing);

    // The Options' OK during a windowed race chose full screen for the next
    // Start: Alt+Enter still takes the window it shows into full screen.
    GameOptions.windowed = 0;
    ASSERT_EQ(TranslateAcceleratorA(&window, accelerators, &altEnter), 1);
    EXPECT_EQ(GameOptions.windowed, 0u);
    EXPECT_EQ(reset.Windowed, FALSE);
    DestroyAcceleratorTable(accelerators);
}

TEST_F(DisplayMode, AltEnterOnTheSplashOnlyChoosesTheFormOfTheNextStart) {
    HACCEL accelerators = LoadAcceleratorsA(&gameResources, IDC_KESTRUNE);
    MSG altEnter{&window, WM_SYSKEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    MSG enter{&window, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorA(&window, accelerators, &enter), 0);
    ASSERT_EQ(TranslateAcceleratorA(&window, accelerators, &altEnter), 1);
    EXPECT_EQ(GameOptions.windowed, 0u);
    EXPECT_EQ(folder.Read("options.kvz")[4], 0);
    EXPECT_TRUE(window.calls.empty());
    EXPECT_EQ(device, nullptr);
    DestroyAcceleratorTable(accelerators);
}

void ScreenOf1920By1080(int& width, int& height) {
    width = 1920;
    height = 1080;
}
void ScreenOf1By1(int& width, int& height) {
    width = 1;
    height = 1;
}

TEST_F(DisplayMode, TheDesktopChoiceMakesABackBufferOfTheDisplaysSizeAndWidensTheView) {
    RecordDirect3D();
    SetScreenSizeSource(ScreenOf1920By1080);
    GameOptions.windowed = 0;
    GameOptions.windowWidth = displaySizeWidth;
    EXPECT_EQ(PrepareDisplay(&window), S_OK);
    SetScreenSizeSource(nullptr);
    EXPECT_EQ(direct.parameters.BackBufferWidth, 1920u);
    EXPECT_EQ(direct.parameters.BackBufferHeight, 1080u);
    EXPECT_FLOAT_EQ(viewWidth, 1920.0f);
    EXPECT_FLOAT_EQ(viewShape.aspect, 4.0f / 3.0f);
    EXPECT_FLOAT_EQ(viewShape.hudScale, 2.25f);
    int width = 0, height = 0;
    GetFullScreenDisplaySize(width, height);
    EXPECT_EQ(width, 1920);  // the cursor comes in the display's own pixels

    // Back to the window: the original's view.
    LeaveRace();
    EXPECT_FLOAT_EQ(viewShape.aspect, 1.0f);
    EXPECT_FLOAT_EQ(viewShape.hudScale, 1.0f);
}

TEST_F(DisplayMode, ADisplayWithNoSizeOrATinyOneFallsBackTo640By480) {
    RecordDirect3D();
    GameOptions.windowed = 0;
    GameOptions.windowWidth = displaySizeWidth;
    for (ScreenSizeSource screen : {ScreenSizeSource{nullptr}, ScreenSizeSource{ScreenOf1By1}}) {
        SetScreenSizeSource(screen);
        EXPECT_EQ(PrepareDisplay(&window), S_OK);
        EXPECT_EQ(direct.parameters.BackBufferWidth, 640u);
        ReleaseDevice();
        EXPECT_FLOAT_EQ(viewWidth, 640.0f);
        EXPECT_FLOAT_EQ(viewHeight, 480.0f);
        EXPECT_FLOAT_EQ(viewShape.aspect, 1.0f);
    }
    SetScreenSizeSource(nullptr);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(DisplayMode, ADisplayLargerThanTheGlCanDrawKeepsItsShapeAtTheLargestSize) {
    int width = 20000, height = 10000;
    FitToLargestSide(width, height, 16384);
    EXPECT_EQ(width, 16384);
    EXPECT_EQ(height, 8192);
    width = 1920;
    height = 1080;
    FitToLargestSide(width, height, 16384);
    EXPECT_EQ(width, 1920);
    FitToLargestSide(width, height, 0);  // no limit known
    EXPECT_EQ(width, 1920);
}

}  // namespace
