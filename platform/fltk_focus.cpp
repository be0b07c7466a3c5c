// Whether the program has the focus, as the X server has it: after every
// event on one of the program's windows that may move the keys, the window
// holding the keyboard is looked for among the toolkit's windows (the main
// window, its dialogs, its message boxes).

// The toolkit's table of X windows takes its platform internals.
#define FL_INTERNALS

#include <FL/Fl.H>
#include <FL/x.H>

#include "platform/fltk_window.h"

namespace {

// When the focus is the root window, or follows the pointer (PointerRoot, as
// it may with no window manager or for a moment while one changes windows),
// the keys go to the window under the pointer.
bool PointerInProgramWindow() {
    Window window = RootWindow(fl_display, fl_screen);
    for (int depth = 0; depth < 8 && window != None; ++depth) {
        Window root = None;
        Window child = None;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int buttons = 0;
        if (!XQueryPointer(fl_display, window, &root, &child, &rootX, &rootY, &x, &y, &buttons)) {
            return false;
        }
        if (child != None && fl_find(child) != nullptr) return true;
        window = child;
    }
    return false;
}

// Run once the events of the moment are handled: focus passing from the main
// window to one of the program's dialogs comes as a FocusOut and then a
// FocusIn, and the sound must not drop out between the two.
void CheckFocus(void*) {
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(fl_display, &focus, &revertTo);
    if (focus == PointerRoot || focus == RootWindow(fl_display, fl_screen)) {
        SetProgramActive(PointerInProgramWindow());
    } else {
        SetProgramActive(focus != None && fl_find(focus) != nullptr);
    }
}

// Every event after which the keys may go elsewhere: a change of focus, a
// window of the program mapped or unmapped, the pointer crossing into or out
// of one (which moves the keys when they follow the pointer).
int WatchFocusEvents(void* event, void*) {
    const XEvent& x = *static_cast<const XEvent*>(event);
    const bool focusMayMove = x.type == FocusIn || x.type == FocusOut || x.type == MapNotify ||
                              x.type == UnmapNotify || x.type == EnterNotify ||
                              x.type == LeaveNotify;
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
