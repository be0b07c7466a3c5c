// The page's entry point: the desktop's start-up in its order, with the
// browser standing behind windows, dialogs, message boxes and the opening of
// pages, then the main loop, which gives the browser its turn every frame.
// Also the page's view of the game for its script: kestrune.status().
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "core/options.h"
#include "platform/web/web_window.h"
#include "race/game_state.h"
#include "render/device.h"
#include "shell/main_loop.h"
#include "shell/resources.h"
#include "shell/startup.h"

// clang-format off
EM_JS(void, kestrune_started, (), { Module.kestrunePage.started(); });
EM_JS(void, kestrune_ended, (int exitCode), { Module.kestrunePage.ended(exitCode); });
// clang-format on

// The game's state as the page's script reads it: a JSON object.
extern "C" EMSCRIPTEN_KEEPALIVE const char* kestrune_status_json() {
    static std::string json;
    json = "{\"phase\":" + std::to_string(phase);
    json += ",\"running\":" + std::string(device != nullptr && phase == Racing ? "true" : "false");
    json += ",\"started\":" + std::string(device != nullptr ? "true" : "false");
    json += ",\"paused\":" +
            std::string(racePaused || phaseBeforePause != notPaused ? "true" : "false");
    json += ",\"laps\":" + std::to_string(lapCount);
    json += ",\"hits\":" + std::to_string(damageLevel);
    char time[32];
    std::snprintf(time, sizeof time, "%.9g", static_cast<double>(raceTime));
    json += ",\"raceTime\":" + std::string(time);
    json += ",\"message\":" + web_page::JsonString(messageText);
    json += ",\"scoreLine\":" + web_page::JsonString(scoreText);
    json += ",\"frames\":" + std::to_string(WebFramesPresented());
    json += "}";
    return json.c_str();
}

int main() {
    HINSTANCE instance = &gameResources;
    SetMediaFileNames();
    LoadOptions();
    LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, sizeof windowClassName);
    // The page stands behind windows, dialogs, message boxes and the opening
    // of pages.
    UseWebPage();
    kestrune_started();
    RegisterWindowClass(instance);
    if (!InitInstance(instance, SW_SHOWNORMAL)) {
        kestrune_ended(0);
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsA(instance, IDC_KESTRUNE);
    const int exitCode = RunMainLoop(accelerators);
    if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
    kestrune_ended(exitCode);
    return exitCode;
}
