#include "tests/shell/headless_game.h"

#include <stdlib.h>

#include <cmath>

#include "core/options.h"
#include "platform/clock.h"
#include "platform/gl_context.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "race/race_links.h"
#include "render/device.h"
#include "shell/display_mode.h"
#include "shell/game_controller.h"
#include "shell/resources.h"
#include "shell/startup.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/race_fixture.h"

namespace {

// Where the window factory puts the program's window, and the context it
// registers for it: the running fixture's.
std::unique_ptr<RecordingWindow>* windowSlot = nullptr;
EglContext* windowContext = nullptr;

HWND MakeWindow(const WNDCLASSEXA& windowClass, const char*, LONG style, int, int, int, int) {
    if (windowSlot == nullptr) return nullptr;
    auto made = std::make_unique<RecordingWindow>(windowClass.lpfnWndProc);
    made->SetStyle(style | WS_VISIBLE);
    made->GiveMenu(LoadMenuA(windowClass.hInstance, windowClass.menuId));
    made->calls.clear();
    // The device finds its context by the window it is made for, as the
    // toolkit's drawing area registers its own.
    RegisterGlContext(made.get(), windowContext);
    *windowSlot = std::move(made);
    return windowSlot->get();
}

DWORD gameMilliseconds = 0;
DWORD GameClock() {
    return gameMilliseconds;
}

void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

std::string GeneratedMediaDirectory() {
    return KESTRUNE_MEDIA_DIR;
}

void HeadlessGame::SetUp() {
    // The ctest environment says the same; a test program started by hand
    // must not reach for a sound card either.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", configHome.Path().c_str(), 1);
    std::string error;
    context = EglContext::Create(drawableWidth, drawableHeight, &error);
    ASSERT_NE(context, nullptr) << error;
    windowSlot = &window;
    windowContext = context.get();
    SetWindowFactory(MakeWindow);
    gameMilliseconds = 5000;
    SetTimeSource(GameClock);
    InstallCursorDouble();
    ResetGameStateForTest();
    RecordedMessageBoxes().clear();
}

void HeadlessGame::TearDown() {
    if (programRunning) CloseProgram();
    DispatchWaitingMessages();
    SetWindowFactory(nullptr);
    SetTimeSource(nullptr);
    SetCursorSource(nullptr);
    SetFullScreenDisplaySize(0, 0);
    DisconnectRace();
    mainWindow = nullptr;
    savedMenu = nullptr;
    optionsFileName = "options.kvz";
    mediaOptionsFileName.clear();
    ResetGameStateForTest();
    if (window) RegisterGlContext(window.get(), nullptr);
    window.reset();
    windowSlot = nullptr;
    windowContext = nullptr;
    context.reset();
}

bool HeadlessGame::StartProgram() {
    HINSTANCE instance = &gameResources;
    SetMediaFileNames();
    LoadOptions();
    LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, sizeof windowClassName);
    RegisterWindowClass(instance);
    programRunning = InitInstance(instance, SW_SHOWNORMAL);
    if (!programRunning) return false;
    // What UpdateWindow does in the toolkit: the splash is painted at once.
    SendMessageA(mainWindow, WM_PAINT, 0, 0);
    DispatchWaitingMessages();
    return true;
}

void HeadlessGame::LoopOnce() {
    DispatchWaitingMessages();
    if (ReadGameController()) DispatchWaitingMessages();
    if (device != nullptr) {
        // 16, 17, 17 milliseconds: sixty frames a second on average.
        gameMilliseconds += (frameCount % 3 == 0) ? 16 : 17;
        ++frameCount;
        StepFrame();
    }
}

void HeadlessGame::LetTimePass(DWORD milliseconds) {
    gameMilliseconds += milliseconds;
}

void HeadlessGame::ChooseStart() {
    PostMessageA(mainWindow, WM_COMMAND, IDM_START, 0);
    DispatchWaitingMessages();
}

void HeadlessGame::MoveMouse(int x, int y) {
    const POINT origin = mainWindow->ClientOrigin();
    PlaceCursor(origin.x + x, origin.y + y);
    PostMessageA(mainWindow, WM_MOUSEMOVE, 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void HeadlessGame::Click() {
    PostMessageA(mainWindow, WM_LBUTTONDOWN, 0, 0);
}

void HeadlessGame::PressKey(UINT key) {
    PostMessageA(mainWindow, WM_KEYDOWN, key, 0);
}

void HeadlessGame::ReleaseKey(UINT key) {
    PostMessageA(mainWindow, WM_KEYUP, key, 0);
}

void HeadlessGame::Race(int frames) {
    for (int i = 0; i < frames; ++i) {
        if (phase == Waiting) Click();
        // Across the whole width once every two seconds, always in the upper
        // half: forward, turning left and right by turns.
        const double sweep = std::sin(static_cast<double>(i) * 3.14159265 / 60.0);
        MoveMouse(static_cast<int>(viewWidth * (0.5 + 0.45 * sweep)),
                  static_cast<int>(viewHeight * 0.2));
        LoopOnce();
    }
}

bool HeadlessGame::LeaveWithEscape() {
    PressKey(VK_ESCAPE);
    // A wreck or a finish may have just ended the race: the new one waits for
    // a click, and only a racing frame reads the keys.
    for (int i = 0; i < 20 && device != nullptr; ++i) {
        if (phase == Waiting) Click();
        LoopOnce();
    }
    ReleaseKey(VK_ESCAPE);
    LoopOnce();
    return device == nullptr;
}

void HeadlessGame::CloseProgram() {
    DestroyWindow(mainWindow);
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) break;
        DispatchMessageA(&message);
    }
    programRunning = false;
}
