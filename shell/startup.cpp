#include "shell/startup.h"

#include <cstring>

#include "core/ghost_path.h"
#include "core/media_path.h"
#include "core/options.h"
#include "core/records_file.h"
#include "drive/track_map.h"
#include "platform/dsound.h"
#include "platform/gdi_bitmap.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "race/race_records.h"
#include "shell/game_links.h"
#include "shell/resources.h"
#include "shell/window_proc.h"
#include "sound/game_sounds.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
char windowTitle[100] = "";
char windowClassName[100] = "";
std::string splashFileName = "velmo2.bmp";
std::string helpFileName = "velmo.htm";
std::string trackMapFileName = "trackmap16.bmp";
HDC splashDC = nullptr;

namespace {

// The splash bitmap selected into splashDC.
GdiBitmap splashBitmap;

}  // namespace

void SetMediaFileNames() {
    optionsFileName = UserOptionsFileName();
    mediaOptionsFileName = MediaPath("options.kvz");
    recordsFileName = UserRecordsFileName();
    ghostFileName = UserGhostFileName();
    splashFileName = MediaPath("velmo2.bmp");
    helpFileName = MediaPath("velmo.htm");
    trackMapFileName = MediaPath("trackmap16.bmp");
}

void RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = 48;
    windowClass.style = 3;  // CS_HREDRAW | CS_VREDRAW
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.iconId = IDI_KESTRUNE;
    windowClass.background = 6;  // COLOR_WINDOW + 1
    windowClass.menuId = IDC_KESTRUNE;
    windowClass.lpszClassName = windowClassName;
    windowClass.smallIconId = IDI_SMALL;
    RegisterClassExA(&windowClass);
}

bool InitInstance(HINSTANCE instance, int showCommand) {
    appInstance = instance;
    HWND window =
        CreateWindowExA(0, windowClassName, windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return false;
    mainWindow = window;
    std::memset(keyDown, 0, sizeof keyDown);

    // Neither picture is checked: without one the game still runs.
    LoadTrackMap(trackMapFileName.c_str());
    splashDC = CreateCompatibleDC(nullptr);
    splashBitmap.LoadFromFile(splashFileName.c_str());
    if (splashBitmap.IsLoaded()) {
        SelectBitmapPixels(splashDC, splashBitmap.Width(), splashBitmap.Height(),
                           splashBitmap.Rgba().data());
    }

    // Listed by the desktop's volume mixer under the game's name, not SDL's.
    SetSoundApplicationName(windowTitle);
    soundDevice = CreateSoundDevice(mainWindow);
    LoadGameSounds();

    score = -1;
    UpdateScoreText();
    // After the first score line, which the start-up's race time of 0 would
    // otherwise turn into the best time.
    LoadPlayerRecords();
    ConnectGame();

    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return true;
}

void ReleaseResources() {
    ReleaseGameSounds();
    ReleaseTrackMap();
    if (splashDC != nullptr) {
        DeleteDC(splashDC);
        splashDC = nullptr;
    }
    splashBitmap.Clear();
}
