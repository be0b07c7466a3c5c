#include "shell/display_mode.h"

#include <algorithm>

#include "core/options.h"
#include "platform/gl_context.h"
#include "platform/picture_fit.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/view_shape.h"
#include "shell/startup.h"
#include "sound/game_sounds.h"

HMENU savedMenu = nullptr;

namespace {

constexpr LONG fullScreenStyle = static_cast<LONG>(0x90080000u);  // popup, visible, system menu
constexpr LONG windowedStyle = 0x10CF0000;                        // overlapped window, visible

// The smallest picture the game has: a display that reports less (or no size)
// gets it, shown as large as fits.
constexpr int smallestWidth = 640;
constexpr int smallestHeight = 480;

// The window's full-screen form and the view of the size the options choose.
void ShowFullScreenForm() {
    SetWindowLongA(mainWindow, GWL_STYLE, fullScreenStyle);
    if (savedMenu == nullptr) {
        savedMenu = GetMenu(mainWindow);
        SetMenu(mainWindow, nullptr);
    }
    switch (GameOptions.windowWidth) {
        case 640:
            viewWidth = 640.0f;
            viewHeight = 480.0f;
            break;
        case 800:
            viewWidth = 800.0f;
            viewHeight = 600.0f;
            break;
        case 1024:
            viewWidth = 1024.0f;
            viewHeight = 768.0f;
            break;
        case displaySizeWidth:
            DisplayBackBufferSize(viewWidth, viewHeight);
            break;
        default:
            break;
    }
    viewShape = GameOptions.windowWidth == displaySizeWidth
                    ? DisplaySizeViewShape(viewWidth, viewHeight)
                    : ViewShape{};
    // No display mode is switched: the popup covers the desktop and the
    // back buffer is shown on it at its own shape. The cursor must still come
    // in the back buffer's pixels, as it would after a real mode switch.
    SetFullScreenDisplaySize(static_cast<int>(viewWidth), static_cast<int>(viewHeight));
}

void ShowWindowedForm() {
    viewShape = ViewShape{};
    SetWindowLongA(mainWindow, GWL_STYLE, windowedStyle);
    if (savedMenu != nullptr) {
        SetMenu(mainWindow, savedMenu);
        savedMenu = nullptr;
    }
    SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
    viewWidth = 640.0f;
    viewHeight = 480.0f;
}

}  // namespace

void DisplayBackBufferSize(float& width, float& height) {
    int displayWidth = GetSystemMetrics(SM_CXSCREEN);
    int displayHeight = GetSystemMetrics(SM_CYSCREEN);
    if (displayWidth < smallestWidth || displayHeight < smallestHeight) {
        width = static_cast<float>(smallestWidth);
        height = static_cast<float>(smallestHeight);
        return;
    }
    FitToLargestSide(displayWidth, displayHeight, LargestDrawableSide(mainWindow));
    width = static_cast<float>(displayWidth);
    height = static_cast<float>(displayHeight);
}

void FitToLargestSide(int& width, int& height, int largest) {
    if (largest <= 0 || (width <= largest && height <= largest)) return;
    // The display's shape, as large as the GL can draw.
    const RECT fitted = FitPicture(width, height, largest, largest);
    width = std::max<int>(fitted.right - fitted.left, 1);
    height = std::max<int>(fitted.bottom - fitted.top, 1);
}

HRESULT PrepareDisplay(HWND window) {
    if (GameOptions.windowed == 0) {
        ShowFullScreenForm();
    } else {
        viewShape = ViewShape{};
    }
    return InitDirect3D(window, GameOptions.windowed != 0, GameOptions.lightsOn != 0,
                        static_cast<int32_t>(viewWidth), static_cast<int32_t>(viewHeight));
}

void RestoreWindowedStyle() {
    if (GameOptions.windowed != 0) return;
    ShowWindowedForm();
}

void SwitchWindowedAndFullScreen() {
    // A race switches the form it shows (the full-screen form holds the
    // menu), which an OK in the Options during a windowed race may have made
    // differ from the option; the splash only has the option to flip.
    const bool fullScreenNow = device != nullptr ? savedMenu != nullptr : GameOptions.windowed == 0;
    GameOptions.windowed = fullScreenNow ? 1 : 0;
    SaveOptions();
    if (device == nullptr) return;
    // The race stands still while the window changes its form, and its clock
    // does not count the time that takes.
    SetPaused(true);
    if (GameOptions.windowed == 0) {
        ShowFullScreenForm();
        ResetDeviceForm(false, GameOptions.lightsOn != 0, static_cast<int32_t>(viewWidth),
                        static_cast<int32_t>(viewHeight));
    } else {
        ShowWindowedForm();
        RECT client{};
        GetClientRect(mainWindow, &client);
        ResetDeviceForm(true, GameOptions.lightsOn != 0, client.right - client.left,
                        client.bottom - client.top);
    }
    SetPaused(false);
}

void LeaveRace() {
    if (GameOptions.windowed == 0 && device != nullptr) {
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferWidth = 640;
        parameters.BackBufferHeight = 480;
        parameters.BackBufferFormat = D3DFMT_R5G6B5;
        parameters.BackBufferCount = 0;
        parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
        parameters.MultiSampleQuality = 0;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.hDeviceWindow = nullptr;
        parameters.Windowed = TRUE;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = D3DFMT_D16;
        parameters.Flags = 0;
        parameters.FullScreen_RefreshRateInHz = 0;
        parameters.PresentationInterval = 0;
        device->Reset(&parameters);
        device->BeginScene();
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    // The splash is no place for an engine droning on or a tune still playing.
    StopRaceSounds();
    ReleaseDevice();
    phase = NewRace;
    RestoreWindowedStyle();
    PostMessageA(mainWindow, WM_PAINT, 0, 0);
}
