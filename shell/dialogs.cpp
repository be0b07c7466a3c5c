#include "shell/dialogs.h"

#include "platform/shell_open.h"
#include "shell/resources.h"
#include "shell/startup.h"

GameOptionsRecord pendingOptions;

namespace {

void SetCheck(HWND dialog, int id, bool checked) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

struct SizeButton {
    int id;
    uint32_t width;
};
constexpr SizeButton sizeButtons[] = {{IDC_SIZE_640, 640},
                                      {IDC_SIZE_800, 800},
                                      {IDC_SIZE_1024, 1024},
                                      {IDC_SIZE_DESKTOP, displaySizeWidth}};

// The size buttons are each a group of their own, so the system leaves the
// others alone when one is chosen; the dialog clears them itself.
void ChooseSize(HWND dialog, int chosenId) {
    for (const SizeButton& button : sizeButtons) {
        if (button.id == chosenId) {
            pendingOptions.windowWidth = button.width;
        } else {
            SetCheck(dialog, button.id, false);
        }
    }
}

// The check boxes keep their own visible state; the pending value follows each
// click and the box is never read back.
void Toggle(uint32_t& flag) {
    flag = flag == 0 ? 1 : 0;
}

}  // namespace

INT_PTR OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        pendingOptions = GameOptions;
        SetCheck(dialog, IDC_WINDOWED, pendingOptions.windowed != 0);
        SetCheck(dialog, IDC_MUSIC, pendingOptions.musicOn != 0);
        SetCheck(dialog, IDC_LIGHTS, pendingOptions.lightsOn != 0);
        for (const SizeButton& button : sizeButtons) {
            SetCheck(dialog, button.id, pendingOptions.windowWidth == button.width);
        }
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_OPTIONS_OK:
            EndDialog(dialog, IDC_OPTIONS_OK);
            GameOptions = pendingOptions;
            SaveOptions();
            return TRUE;
        case IDC_OPTIONS_CANCEL:
            EndDialog(dialog, IDC_OPTIONS_CANCEL);
            return TRUE;
        case IDCANCEL:
            // Escape and the close box cancel, as Cancel does: a dialog that
            // ignores them only puzzles the player.
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_SIZE_640:
        case IDC_SIZE_800:
        case IDC_SIZE_1024:
        case IDC_SIZE_DESKTOP:
            ChooseSize(dialog, LOWORD(wParam));
            return FALSE;
        case IDC_WINDOWED:
            Toggle(pendingOptions.windowed);
            return FALSE;
        case IDC_LIGHTS:
            Toggle(pendingOptions.lightsOn);
            return FALSE;
        case IDC_MUSIC:
            Toggle(pendingOptions.musicOn);
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    const WORD id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
    }
    if (id == IDC_ABOUT_LINK) {
        // The address line leads to the game's own help page.
        ShellExecuteA(dialog, "open", helpFileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return FALSE;
    }
    return FALSE;
}
