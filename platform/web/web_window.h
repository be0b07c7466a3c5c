#pragma once
// The browser behind the Win32 stand-ins: the page's main window (an HTML
// menu bar over the canvas), HTML dialogs and message boxes awaited from the
// game's own loops, the opening of the help page in a new tab, and the event
// pump that gives the browser its turn every frame. The page's script
// (web/page.js) holds the DOM side; everything reaches the game as the
// messages the desktop's toolkit posts.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/resources.h"
#include "platform/window.h"

// Installs the page's window factory, dialog runner, message boxes, page
// opener, cursor, screen, keyboard and event pump.
void UseWebPage();

// How many frames the game has handed to the browser to show.
int WebFramesPresented();

namespace web_page {

// The page's events, queued by its script while the game runs or waits, taken
// here one by one: the game's code runs only inside its own loops.
void TakePageEvents();
// Gives the browser its turn: until the next frame may be drawn, or until an
// event comes (at most `milliseconds`; negative: no limit).
void YieldUntilNextFrame();
void WaitForPageEvent(double milliseconds);

// The dialog or message box whose loop runs (innermost), which receives the
// page's dialog events; nullptr while none is open.
class ModalTarget {
  public:
    virtual ~ModalTarget() = default;
    virtual void ControlClicked(int id) = 0;
};
void PushModal(ModalTarget* target);
void PopModal(ModalTarget* target);

// The main window's page-side events.
void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam);
void MenuLoopChanged(bool open, UINT command);
void FullScreenLeftByBrowser();
void CursorMoved(int pageX, int pageY);
void AreaResized();

// Whether a key is down, as the page's key events have told.
bool KeyHeld(UINT virtualKey);

// Virtual-key code of a key as the browser names it (KeyboardEvent.key,
// with .code for letters and digits); 0 for keys the game would not see.
UINT VirtualKeyOfBrowserKey(const std::string& key, const std::string& code);

// A window's icon drawn at `size` pixels from its icon resource, as RGBA;
// empty when the resource is missing.
std::vector<uint8_t> IconRgba(HINSTANCE instance, int id, int size);

// A JSON string literal of `text`, read as Windows-1252 as the game writes.
std::string JsonString(const char* text);

}  // namespace web_page

// The dialog runner and message box the page installs (web_dialog.cpp).
INT_PTR RunWebDialog(HINSTANCE instance, const DialogResource& dialog, HWND owner,
                     DLGPROC procedure, LPARAM parameter);
int ShowWebMessageBox(HWND owner, const char* text, const char* caption, UINT type);
