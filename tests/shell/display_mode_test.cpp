#include "shell/display_mode.h"

#include <gtest/gtest.h>

#include "core/options.h"
#include "render/device.h"
#include "shell/resources.h"
#include "shell/startup.h"
#include "tests/shell/shell_fixture.h"

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

}  // namespace
