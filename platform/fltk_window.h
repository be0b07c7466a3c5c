#pragma once
// The desktop behind the Win32 stand-ins, made with FLTK: the main window (a
// menu bar over an OpenGL drawing area), modal dialogs, message boxes and the
// opening of pages. Only the real program installs it; tests work with the
// stand-ins' doubles and never touch a display.
#include <string>

#include "platform/resources.h"
#include "platform/window.h"

class Fl_Window;

// Opens the display and installs the toolkit's window factory, dialog runner,
// message boxes, page opener, cursor and event pump. Without a display nothing
// is installed and `failure`, when given, says which display and why, in one
// line. Returns whether the display was opened.
bool UseFltkDesktop(std::string* failure = nullptr);

// Keeps ProgramIsActive (window.h) up to date from the X server's focus
// (fltk_focus.cpp); the desktop starts it.
void WatchProgramFocus();

// The dialog runner the desktop installs (fltk_dialog.cpp).
INT_PTR RunFltkDialog(HINSTANCE instance, const DialogResource& dialog, HWND owner,
                      DLGPROC procedure, LPARAM parameter);

// The message box the desktop installs (fltk_dialog.cpp).
int ShowFltkMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// The toolkit's top-level window of one of the desktop's main windows, which
// its dialogs and boxes belong to; nullptr for any other handle.
Fl_Window* FltkFrameOf(HWND window);

// Virtual-key code of an FLTK key (Fl::event_key()); 0 for keys the game's
// Windows version would not see.
UINT VirtualKeyOf(int fltkKey);

// A window's icon drawn at `size` pixels from its icon resource, as RGBA;
// empty when the resource is missing.
std::vector<uint8_t> IconPixels(HINSTANCE instance, int id, int size);
