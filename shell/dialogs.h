#pragma once
// The Options and About dialogs' procedures.
#include "core/options.h"
#include "platform/dialog.h"

// The Options dialog's working copy: filled when it opens, stored on OK.
extern GameOptionsRecord pendingOptions;

INT_PTR OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
