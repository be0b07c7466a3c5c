#include "platform/dialog.h"

#include <cmath>

namespace {

DialogRunner dialogRunner = nullptr;

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE instance, int id, HWND owner, DLGPROC procedure,
                        LPARAM parameter) {
    const DialogResource* dialog = FindDialogResource(instance, id);
    if (dialog == nullptr || dialogRunner == nullptr || procedure == nullptr) return -1;
    return dialogRunner(instance, *dialog, owner, procedure, parameter);
}

void SetDialogRunner(DialogRunner runner) {
    dialogRunner = runner;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    if (dialog == nullptr) return FALSE;
    dialog->EndDialog(result);
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM) {
    if (dialog == nullptr) return 0;
    if (message == BM_SETCHECK) {
        dialog->SetItemCheck(id, static_cast<UINT>(wParam));
        return 0;
    }
    if (message == BM_GETCHECK) return dialog->ItemCheck(id);
    return 0;
}

int DialogUnitsToPixelsX(int units, int points) {
    // The 8-point cell is 6 pixels wide; other sizes scale with the points.
    const double cellWidth = 6.0 * points / 8.0;
    return static_cast<int>(std::lround(units * cellWidth / 4.0));
}

int DialogUnitsToPixelsY(int units, int points) {
    const double cellHeight = 13.0 * points / 8.0;
    return static_cast<int>(std::lround(units * cellHeight / 8.0));
}
