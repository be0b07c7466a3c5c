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

int DialogUnitsToPixelsX(int units, int cellWidth) {
    return static_cast<int>(std::lround(units * static_cast<double>(cellWidth) / 4.0));
}

int DialogUnitsToPixelsY(int units, int cellHeight) {
    return static_cast<int>(std::lround(units * static_cast<double>(cellHeight) / 8.0));
}

int AverageCharacterWidth(int alphabetWidth) {
    return (alphabetWidth / 26 + 1) / 2;
}
