#include "shell/main_loop.h"

#include "race/frame_step.h"
#include "render/device.h"

int RunMainLoop(HACCEL accelerators) {
    MSG message{};
    message.message = 0;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    while (message.message != WM_QUIT) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        } else if (device != nullptr) {
            StepFrame();
        } else {
            // Without a game there is nothing to do between messages, so the
            // loop sleeps until the next event instead of polling at full speed.
            WaitMessage();
        }
    }
    return static_cast<int>(message.wParam);
}
