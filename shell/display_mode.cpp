#include "shell/display_mode.h"

#include "core/options.h"
#include "race/game_state.h"
#include "render/device.h"
#include "shell/startup.h"
#include "sound/game_sounds.h"

HMENU savedMenu = nullptr;

namespace {

constexpr LONG fullScreenStyle = static_cast<LONG>(0x90080000u);  // popup, visible, system menu
constexpr LONG windowedStyle = 0x10CF0000;                        // overlapped window, visible

}  // namespace

HRESULT PrepareDisplay(HWND window) {
    if (GameOptions.windowed == 0) {
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
            default:
                break;
        }
        // No display mode is switched: the popup covers the desktop and the
        // back buffer is stretched over it. The cursor must still come in the
        // back buffer's pixels, as it would after a real mode switch.
        SetFullScreenDisplaySize(static_cast<int>(viewWidth), static_cast<int>(viewHeight));
    }
    return InitDirect3D(window, GameOptions.windowed != 0, GameOptions.lightsOn != 0,
                        static_cast<int32_t>(viewWidth), static_cast<int32_t>(viewHeight));
}

void RestoreWindowedStyle() {
    if (GameOptions.windowed != 0) return;
    SetWindowLongA(mainWindow, GWL_STYLE, windowedStyle);
    if (savedMenu != nullptr) {
        SetMenu(mainWindow, savedMenu);
        savedMenu = nullptr;
    }
    SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
    viewWidth = 640.0f;
    viewHeight = 480.0f;
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
