// The program's entry point: start-up in its order, the main loop, and the
// exit code of the quit message.
#include <cstdio>
#include <string>

#include "core/options.h"
#include "platform/fltk_window.h"
#include "shell/command_line.h"
#include "shell/main_loop.h"
#include "shell/resources.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    if (ReadCommandLine(argc, argv, stdout, stderr) == CommandLineOutcome::Exit) return 0;
    HINSTANCE instance = &gameResources;
    SetMediaFileNames();
    LoadOptions();
    LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, sizeof windowClassName);
    // The toolkit stands behind windows, dialogs, message boxes and the
    // opening of pages; tests never install it, so nothing of it blocks them.
    // Without a display there is no window to make: say so and fail, rather
    // than end at once as if the player had closed the game.
    std::string noDisplay;
    if (!UseFltkDesktop(&noDisplay)) {
        std::fprintf(stderr, "kestrune: %s\n", noDisplay.c_str());
        return 1;
    }
    RegisterWindowClass(instance);
    if (!InitInstance(instance, SW_SHOWNORMAL)) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, IDC_KESTRUNE);
    const int exitCode = RunMainLoop(accelerators);
    if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
    return exitCode;
}
