#pragma once
// Modal dialog boxes made from dialog templates. The dialog procedure is fed
// WM_INITDIALOG once, then WM_COMMAND with the control's id in the low word
// for every click, and for Escape and the close box IDCANCEL; it acts on the
// dialog through the handle it is given, so a test can hand it a double.
#include "platform/message_box.h"
#include "platform/window.h"

constexpr int IDCANCEL = 2;

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;

constexpr WORD BN_CLICKED = 0;
constexpr WORD STN_CLICKED = 0;

// Runs the dialog of template `id` modally and returns what the procedure gave
// EndDialog; -1 when the template is missing or no dialogs can be shown.
INT_PTR DialogBoxParamA(HINSTANCE instance, int id, HWND owner, DLGPROC procedure,
                        LPARAM parameter);

using DialogRunner = INT_PTR (*)(HINSTANCE instance, const DialogResource& dialog, HWND owner,
                                 DLGPROC procedure, LPARAM parameter);
// The toolkit installs its runner; tests may install one that records.
// nullptr: every dialog fails with -1.
void SetDialogRunner(DialogRunner runner);

BOOL EndDialog(HWND dialog, INT_PTR result);
// Only BM_SETCHECK and BM_GETCHECK act; anything else gives 0.
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

// Dialog units to pixels, as Windows converts them from the dialog font's
// average character cell: a horizontal unit is a quarter of the cell's
// width, a vertical one an eighth of its height (Windows' 8-point dialog font
// has a 6 x 13 cell, so 1.5 x 1.625 pixels). Rounded to the nearest pixel.
int DialogUnitsToPixelsX(int units, int cellWidth);
int DialogUnitsToPixelsY(int units, int cellHeight);
// The average character width Windows takes for a font, from the width of
// "A".."Z" followed by "a".."z" set in it: half of a 26th, rounded up.
int AverageCharacterWidth(int alphabetWidth);
