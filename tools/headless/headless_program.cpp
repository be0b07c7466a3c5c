#include "tools/headless/headless_program.h"

#include <stdlib.h>

#include "core/options.h"
#include "platform/clock.h"
#include "platform/gl_context.h"
#include "platform/paint.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/device.h"
#include "shell/game_controller.h"
#include "shell/resources.h"
#include "shell/startup.h"

namespace {

HeadlessProgram* current = nullptr;
DWORD clockMilliseconds = HeadlessProgram::startMilliseconds;
POINT cursor{0, 0};

DWORD ReadClock() {
    return clockMilliseconds;
}

POINT ReadCursor() {
    return cursor;
}

// The window's drawing area: it paints the splash into a DC that keeps
// nothing, as nobody looks.
class HeadlessWindow final : public WindowObject {
  public:
    explicit HeadlessWindow(WNDPROC windowProc) : WindowObject(windowProc) {}
    RECT ClientRect() const override {
        return RECT{0, 0, HeadlessProgram::clientWidth, HeadlessProgram::clientHeight};
    }
    HDC BeginPaint() override { return &paintDC; }

  private:
    DeviceContextObject paintDC;
};

}  // namespace

HWND HeadlessProgram::MakeWindow(const WNDCLASSEXA& windowClass, const char*, LONG style, int, int,
                                 int, int) {
    if (current == nullptr || current->window) return nullptr;
    auto made = std::make_unique<HeadlessWindow>(windowClass.lpfnWndProc);
    made->SetStyle(style | WS_VISIBLE);
    made->SetMenu(LoadMenuA(windowClass.hInstance, windowClass.menuId));
    // The device finds its context by the window it is made for, as the
    // toolkit's drawing area registers its own.
    RegisterGlContext(made.get(), current->context);
    current->window = std::move(made);
    return current->window.get();
}

HeadlessProgram::HeadlessProgram(EglContext& sharedContext) : context(&sharedContext) {
    Install();
}

HeadlessProgram::HeadlessProgram() {
    Install();
}

void HeadlessProgram::Install() {
    // A tool or a test started by hand must not reach for a sound card.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    current = this;
    SetWindowFactory(MakeWindow);
    clockMilliseconds = startMilliseconds;
    SetTimeSource(ReadClock);
    cursor = POINT{0, 0};
    SetCursorSource(ReadCursor);
}

HeadlessProgram::~HeadlessProgram() {
    if (running) Close();
    DispatchWaitingMessages();
    SetWindowFactory(nullptr);
    SetTimeSource(nullptr);
    SetCursorSource(nullptr);
    if (window) RegisterGlContext(window.get(), nullptr);
    window.reset();
    current = nullptr;
}

bool HeadlessProgram::Start() {
    HINSTANCE instance = &gameResources;
    SetMediaFileNames();
    LoadOptions();
    LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, sizeof windowClassName);
    RegisterWindowClass(instance);
    running = InitInstance(instance, SW_SHOWNORMAL);
    if (!running) return false;
    // What UpdateWindow does in the toolkit: the splash is painted at once.
    SendMessageA(mainWindow, WM_PAINT, 0, 0);
    DispatchWaitingMessages();
    return true;
}

void HeadlessProgram::DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void HeadlessProgram::LoopOnce() {
    DispatchWaitingMessages();
    if (ReadGameController()) DispatchWaitingMessages();
    if (device != nullptr) {
        // 16, 17, 17 milliseconds: sixty frames a second on average.
        clockMilliseconds += (frames % 3 == 0) ? 16 : 17;
        ++frames;
        StepFrame();
    }
}

void HeadlessProgram::LetTimePass(DWORD milliseconds) {
    clockMilliseconds += milliseconds;
}

DWORD HeadlessProgram::Milliseconds() const {
    return clockMilliseconds;
}

void HeadlessProgram::ChooseStart() {
    PostMessageA(mainWindow, WM_COMMAND, IDM_START, 0);
    DispatchWaitingMessages();
}

void HeadlessProgram::MoveMouse(int x, int y) {
    const POINT origin = mainWindow->ClientOrigin();
    cursor = POINT{origin.x + x, origin.y + y};
    PostMessageA(mainWindow, WM_MOUSEMOVE, 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void HeadlessProgram::Click() {
    PostMessageA(mainWindow, WM_LBUTTONDOWN, 0, 0);
}

void HeadlessProgram::PressKey(UINT key) {
    PostMessageA(mainWindow, WM_KEYDOWN, key, 0);
}

void HeadlessProgram::ReleaseKey(UINT key) {
    PostMessageA(mainWindow, WM_KEYUP, key, 0);
}

bool HeadlessProgram::LeaveWithEscape() {
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

void HeadlessProgram::Close() {
    DestroyWindow(mainWindow);
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) break;
        DispatchMessageA(&message);
    }
    running = false;
}

bool HeadlessProgram::ReadPicture(uint32_t& width, uint32_t& height,
                                  std::vector<uint8_t>& rgba) const {
    UINT readWidth = 0;
    UINT readHeight = 0;
    if (device == nullptr || FAILED(device->ReadBackBuffer(readWidth, readHeight, rgba)))
        return false;
    width = readWidth;
    height = readHeight;
    return true;
}

uint64_t Fingerprint(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}
