// The main window's full-screen form on FLTK: a window manager is asked for
// its full-screen state, and on the way back the place the program asks for
// is applied once the window manager has restored its own.
// FLTK's platform internals (the X windows behind the widgets), before any
// FLTK header.
#define FL_INTERNALS

#include <X11/Xatom.h>

#include "platform/fltk_window_parts.h"

namespace fltk_desktop {

// Whether a window manager that follows the desktop conventions runs: it
// announces itself on the root window.
bool WindowManagerPresent() {
    static const int present = [] {
        Atom check = XInternAtom(fl_display, "_NET_SUPPORTING_WM_CHECK", True);
        if (check == 0) return 0;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const int status =
            XGetWindowProperty(fl_display, RootWindow(fl_display, fl_screen), check, 0, 1, False,
                               XA_WINDOW, &type, &format, &count, &remaining, &data);
        const bool found = status == Success && data != nullptr && count == 1;
        if (data != nullptr) XFree(data);
        return found ? 1 : 0;
    }();
    return present != 0;
}

bool HasWindowState(Window window, const char* state) {
    static const Atom stateAtom = XInternAtom(fl_display, "_NET_WM_STATE", False);
    const Atom wanted = XInternAtom(fl_display, state, False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (window != 0 &&
        XGetWindowProperty(fl_display, window, stateAtom, 0, 64, False, XA_ATOM, &type, &format,
                           &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
        const Atom* states = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) found = found || states[i] == wanted;
    }
    if (data != nullptr) XFree(data);
    return found;
}

void FltkWindow::SetStyle(LONG newStyle) {
    style = newStyle;
    if (!frame) return;
    const bool popup = (newStyle & WS_POPUP) != 0;
    if (popup == fullScreen) return;
    ExpectOwnChange();
    fullScreen = popup;
    if (popup) {
        windowedX = frame->x();
        windowedY = frame->y();
        windowedWidth = frame->w();
        windowedHeight = frame->h();
    }
    // A window manager is asked for its full-screen state. Without one there
    // is no frame to lose and FLTK would remake the X window (and with it the
    // GL drawable the device presents to), so the window just covers the
    // screen.
    if (WindowManagerPresent()) {
        if (popup) {
            frame->fullscreen();
        } else {
            leavingFullScreen = true;
            frame->fullscreen_off(windowedX, windowedY, windowedWidth, windowedHeight);
        }
    } else if (popup) {
        int screenX = 0, screenY = 0, screenWidth = 0, screenHeight = 0;
        Fl::screen_xywh(screenX, screenY, screenWidth, screenHeight, frame->x(), frame->y());
        frame->resize(screenX, screenY, screenWidth, screenHeight);
    } else {
        frame->resize(windowedX, windowedY, windowedWidth, windowedHeight);
    }
    LayOut();
}

void FltkWindow::ApplyPendingPlace() {
    Fl::remove_timeout(PendingPlaceDue, this);
    leavingFullScreen = false;
    if (!placePending || !frame) return;
    placePending = false;
    ExpectOwnChange();
    // The place is the outer frame's, as on Windows; the toolkit places the
    // window inside the window manager's frame.
    int left = 0;
    int top = 0;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    static const Atom extents = XInternAtom(fl_display, "_NET_FRAME_EXTENTS", False);
    if (XGetWindowProperty(fl_display, FrameXid(), extents, 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 32 && count == 4) {
        const auto* sizes = reinterpret_cast<const unsigned long*>(data);
        left = static_cast<int>(sizes[0]);
        top = static_cast<int>(sizes[2]);
    }
    if (data != nullptr) XFree(data);
    frame->resize(pendingX + left, pendingY + top, pendingWidth, pendingHeight);
    // The toolkit may believe the frame is there already.
    XMoveResizeWindow(fl_display, FrameXid(), pendingX + left, pendingY + top,
                      static_cast<unsigned>(pendingWidth), static_cast<unsigned>(pendingHeight));
    LayOut();
}

void FltkWindow::PendingPlaceDue(void* window) {
    static_cast<FltkWindow*>(window)->ApplyPendingPlace();
}

void FltkWindow::FrameStateChanged() {
    if (tearingDown) return;
    TakeMaximisedState();
    if (leavingFullScreen) {
        const bool stillFullScreen = HasWindowState(FrameXid(), "_NET_WM_STATE_FULLSCREEN");
        // The window manager puts the frame back after it has said so:
        // the program's place follows a moment later.
        if (!stillFullScreen) {
            Fl::remove_timeout(PendingPlaceDue, this);
            Fl::add_timeout(leaveFullScreenSettleSeconds, PendingPlaceDue, this);
        }
    }
}

}  // namespace fltk_desktop
