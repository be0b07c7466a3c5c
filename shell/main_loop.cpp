#include "shell/main_loop.h"

#include "race/frame_step.h"
#include "render/device.h"
#include "shell/game_controller.h"

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
        } else if (ReadGameController()) {
            // A controller's press is a message like the mouse's: it goes
            // before the next frame.
        } else if (device != nullptr) {
            StepFrame();
        } else {
            // Without a game there is nothing to do between messages, so the
            // loop sleeps until the next event instead of polling at full
            // speed; a controller raises no event, so it is read now and then.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, GameControllerWaitMilliseconds(),
                                      QS_ALLINPUT);
        }
    }
    return static_cast<int>(message.wParam);
}
