#include "shell/window_proc.h"

#include "core/options.h"
#include "platform/dialog.h"
#include "platform/paint.h"
#include "platform/shell_open.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "race/steering_input.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "shell/dialogs.h"
#include "shell/display_mode.h"
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
        case IDM_SWITCH_FULL_SCREEN:
            SwitchWindowedAndFullScreen();
            return 0;
        default:
            return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
}

// The size the cursor is measured against. Windowed, the drawing area as it is
// now: the view size stays at 640 x 480 under a menu bar that takes part of
// the window, and a running device keeps the size it was made with, and either
// way the centre of the picture would not mean "stand still". Full screen, the
// cursor already comes in the back buffer's pixels.
void MappingSize(double& width, double& height) {
    width = viewWidth;
    height = viewHeight;
    if (GameOptions.windowed == 0) return;
    RECT client;
    GetClientRect(mainWindow, &client);
    if (client.right - client.left > 0) width = client.right - client.left;
    if (client.bottom - client.top > 0) height = client.bottom - client.top;
}

// During a drag the toolkit goes on reporting the cursor beyond the drawing
// area; there it counts as at the picture's edge, so it can never ask for more
// than the picture itself can.
float ClampToPicture(double position) {
    if (position < -1.0) return -1.0f;
    if (position > 1.0) return 1.0f;
    return static_cast<float>(position);
}

// The cursor is read again rather than taken from the message, so the values
// are those of the moment the message is handled.
void TrackMouse() {
    POINT cursor;
    GetCursorPos(&cursor);
    // Full screen the screen is the picture; the window's frame does not count.
    if (GameOptions.windowed != 0) ScreenToClient(mainWindow, &cursor);
    if (device != nullptr) {
        double width = 0.0;
        double height = 0.0;
        MappingSize(width, height);
        const double x = 2 * cursor.x / width - 1.0;
        const double y = -(2 * cursor.y / height - 1.0);
        Steer(SteeringHand::Mouse, ClampToPicture(x), ClampToPicture(y));
    } else {
        mouseX = static_cast<float>(cursor.x);
        mouseY = static_cast<float>(cursor.y);
    }
}

// A cursor that stays put means something else in a new size; but it is read
// again only while it steers: a new size is no move of the player's hand.
void RetrackMouse() {
    const bool otherHand = steeringHand == SteeringHand::Keys || steeringHand == SteeringHand::Pad;
    if (device == nullptr || !otherHand) TrackMouse();
}

void Click(HWND window) {
    if (device != nullptr) {
        StartRaceClock();
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
                // A race out of sight waits for the player, not for the window.
                PauseRace();
            } else if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
                SetPaused(false);
                RetrackMouse();
            }
            return 0;
        case WM_PAINT:
            PaintSplash(window);
            return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{100, 100};
            return 0;
        case WM_KEYDOWN:
            PressKey(static_cast<uint8_t>(wParam & 0xFF));
            return 0;
        case WM_KEYUP:
            ReleaseKey(static_cast<uint8_t>(wParam & 0xFF));
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
            RetrackMouse();
            return 0;
        case WM_POWERBROADCAST:
            return wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMRESUMESUSPEND ? 1 : 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
