#include "shell/window_proc.h"

#include "platform/dialog.h"
#include "platform/paint.h"
#include "platform/shell_open.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "shell/dialogs.h"
#include "shell/display_mode.h"
#include "shell/options.h"
#include "shell/resources.h"
#include "shell/startup.h"

namespace {

// The part of the splash picture that is shown, from its top-left corner.
constexpr int splashWidth = 632;
constexpr int splashHeight = 426;
// A click on the splash below this pixel row starts the game.
constexpr float splashStartRow = 350.0f;

void StartGame(HWND window) {
    if (device != nullptr) return;
    if (FAILED(PrepareDisplay(window))) {
        DestroyWindow(mainWindow);
        return;
    }
    if (FAILED(LoadMeshes())) ReleaseDevice();
}

LRESULT MenuCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case IDM_START:
            StartGame(window);
            return 0;
        case IDM_OPTIONS:
            DialogBoxParamA(appInstance, IDD_OPTIONS, window, OptionsDialogProc, 0);
            SetPaused(false);
            return 0;
        case IDM_EXIT:
            DestroyWindow(window);
            return 0;
        case IDM_HTMLHELP:
            ShellExecuteA(window, "open", helpFileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            SetPaused(false);
            return 0;
        case IDM_ABOUT:
            DialogBoxParamA(appInstance, IDD_ABOUTBOX, window, AboutDialogProc, 0);
            SetPaused(false);
            return 0;
        default:
            return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
}

// The cursor is read again rather than taken from the message, so the values
// are those of the moment the message is handled.
void TrackMouse() {
    POINT cursor;
    GetCursorPos(&cursor);
    // Full screen the screen is the picture; the window's frame does not count.
    if (GameOptions.windowed != 0) ScreenToClient(mainWindow, &cursor);
    if (device != nullptr) {
        mouseX = static_cast<float>(2 * cursor.x / viewWidth - 1.0);
        mouseY = static_cast<float>(-(2 * cursor.y / viewHeight - 1.0));
    } else {
        mouseX = static_cast<float>(cursor.x);
        mouseY = static_cast<float>(cursor.y);
    }
}

void Click(HWND window) {
    if (device != nullptr) {
        if (phase == Waiting) {
            lastTickTime = static_cast<float>(ClockSeconds());
            phase = Racing;
        }
    } else if (mouseY > splashStartRow) {
        PostMessageA(window, WM_COMMAND, IDM_START, 0);
    }
}

void PaintSplash(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (device == nullptr) {
        BitBlt(dc, 0, 0, splashWidth, splashHeight, splashDC, 0, 0, SRCCOPY);
    }
    EndPaint(window, &paint);
}

// Without a device the view follows the drawing area; a running device keeps
// the size it was made with and the picture is stretched instead.
void TakeViewSize() {
    if (device != nullptr) return;
    RECT client;
    GetClientRect(mainWindow, &client);
    const LONG width = client.right - client.left;
    const LONG height = client.bottom - client.top;
    if (width != 0) viewWidth = static_cast<float>(width);
    if (height != 0) viewHeight = static_cast<float>(height);
}

}  // namespace

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            ReleaseDevice();
            ReleaseResources();
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                SetPaused(true);
            } else if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
                SetPaused(false);
            }
            return 0;
        case WM_PAINT:
            PaintSplash(window);
            return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{100, 100};
            return 0;
        case WM_KEYDOWN:
            keyDown[wParam & 0xFF] = 1;
            return 0;
        case WM_KEYUP:
            keyDown[wParam & 0xFF] = 0;
            return 0;
        case WM_COMMAND:
            return MenuCommand(window, wParam, lParam);
        case WM_MOUSEMOVE:
            TrackMouse();
            return 0;
        case WM_LBUTTONDOWN:
            Click(window);
            return 0;
        case WM_ENTERMENULOOP:
        case WM_ENTERSIZEMOVE:
            SetPaused(true);
            return 0;
        case WM_EXITMENULOOP:
            SetPaused(false);
            return 0;
        case WM_EXITSIZEMOVE:
            SetPaused(false);
            TakeViewSize();
            return 0;
        case WM_POWERBROADCAST:
            return wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMRESUMESUSPEND ? 1 : 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
