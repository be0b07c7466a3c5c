// Whether the program has the focus, as the X server has it: after every
// change of focus on one of the program's windows, and whenever one is mapped
// or unmapped, the window holding the keyboard is looked for among the
// toolkit's windows (the main window, its dialogs, its message boxes).

// The toolkit's table of X windows takes its platform internals.
#define FL_INTERNALS

#include <FL/Fl.H>
#include <FL/x.H>

#include "platform/fltk_window.h"

namespace {

// Run once the events of the moment are handled: focus passing from the main
// window to one of the program's dialogs comes as a FocusOut and then a
// FocusIn, and the sound must not drop out between the two.
void CheckFocus(void*) {
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(fl_display, &focus, &revertTo);
    // With no window manager the keyboard may simply follow the pointer;
    // nobody has taken the focus away, so the program keeps it.
    if (focus == PointerRoot) {
        SetProgramActive(true);
        return;
    }
    SetProgramActive(focus != None && fl_find(focus) != nullptr);
}

int WatchFocusEvents(void* event, void*) {
    const XEvent& x = *static_cast<const XEvent*>(event);
    const bool focusMayMove =
        x.type == FocusIn || x.type == FocusOut || x.type == MapNotify || x.type == UnmapNotify;
    if (focusMayMove && fl_find(x.xany.window) != nullptr) {
        Fl::remove_timeout(CheckFocus);
        Fl::add_timeout(0.0, CheckFocus);
    }
    return 0;  // the toolkit handles the event as ever
}

}  // namespace

void WatchProgramFocus() {
    if (fl_display == nullptr) return;
    Fl::add_system_handler(WatchFocusEvents, nullptr);
}
