// The program's entry point: start-up in its order, the main loop, and the
// exit code of the quit message.
#include "core/options.h"
#include "platform/fltk_window.h"
#include "shell/main_loop.h"
#include "shell/resources.h"
#include "shell/startup.h"

int main() {
    HINSTANCE instance = &gameResources;
    SetMediaFileNames();
    LoadOptions();
    LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
    LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, sizeof windowClassName);
    // The toolkit stands behind windows, dialogs, message boxes and the
    // opening of pages; tests never install it, so nothing of it blocks them.
    UseFltkDesktop();
    RegisterWindowClass(instance);
    if (!InitInstance(instance, SW_SHOWNORMAL)) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, IDC_KESTRUNE);
    const int exitCode = RunMainLoop(accelerators);
    if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
    return exitCode;
}
