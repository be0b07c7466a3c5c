// Toolkit and X events of the main window on FLTK turned into the messages
// of the window procedure: the mouse and keys of the drawing area, the
// frame's changes, the close box; and the watch on the X events FLTK does not
// report (the window manager's states of a frame).
// FLTK's platform internals (the X windows behind the widgets), before any
// FLTK header.
#define FL_INTERNALS

#include <X11/Xatom.h>

#include "platform/fltk_window_parts.h"

namespace fltk_desktop {

LPARAM PointParameter(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)),
                      static_cast<WORD>(static_cast<int16_t>(y)));
}

int DrawingArea::handle(int event) {
    HWND window = owner.Handle();
    switch (event) {
        case FL_FOCUS:
        case FL_UNFOCUS:
            return 1;
        case FL_ENTER:  // the pointer coming in has moved too
        case FL_MOVE:
        case FL_DRAG:
            PostMessageA(window, WM_MOUSEMOVE, 0, PointParameter(Fl::event_x(), Fl::event_y()));
            return 1;
        case FL_PUSH:
            take_focus();
            if (Fl::event_button() == FL_LEFT_MOUSE) {
                PostMessageA(window, WM_LBUTTONDOWN, 1,
                             PointParameter(Fl::event_x(), Fl::event_y()));
            }
            return 1;
        case FL_RELEASE:
            if (Fl::event_button() == FL_LEFT_MOUSE) {
                PostMessageA(window, WM_LBUTTONUP, 0, PointParameter(Fl::event_x(), Fl::event_y()));
            }
            return 1;
        case FL_KEYDOWN:
        case FL_KEYUP: {
            const UINT key = VirtualKeyOf(Fl::event_key());
            const bool alt = Fl::event_state(FL_ALT) != 0 || key == VK_MENU;
            const bool down = event == FL_KEYDOWN;
            if (key != 0) {
                const UINT message =
                    alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
                PostMessageA(window, message, key, 0);
            }
            const char* text = Fl::event_text();
            if (down && text != nullptr && text[0] != '\0') {
                PostMessageA(window, alt ? WM_SYSCHAR : WM_CHAR,
                             static_cast<unsigned char>(text[0]), 0);
            }
            // With Alt the key goes on to the menu bar, whose titles it may
            // open, as the system menu keys do.
            return alt ? 0 : 1;
        }
        default:
            return Fl_Window::handle(event);
    }
}

// FLTK asks for a redraw when the area is exposed or resized: the window
// procedure paints it, as WM_PAINT does on Windows.
void DrawingArea::flush() {
    SendMessageA(owner.Handle(), WM_PAINT, 0, 0);
}

int Frame::handle(int event) {
    if (event == FL_HIDE) owner.FrameHidden();
    if (event == FL_SHOW) owner.FrameShown();
    // Keys belong to the drawing area wherever FLTK's focus happens to be
    // (after a dialog closes it may rest on the frame).
    if ((event == FL_KEYDOWN || event == FL_KEYUP) && owner.KeysToArea(event)) return 1;
    return Fl_Window::handle(event);
}

void Frame::resize(int x, int y, int width, int height) {
    Fl_Window::resize(x, y, width, height);
    owner.FrameMoved(x, y, width, height);
}

// The close box: the window procedure decides (WM_CLOSE). FLTK also calls
// this for Escape, which belongs to the game.
void FltkWindow::FrameClosed(Fl_Widget*, void* window) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    static_cast<FltkWindow*>(window)->CloseRequested();
}

POINT ReadCursor() {
    FltkWindow* window = CursorWindow();
    if (window != nullptr) return window->CursorPosition();
    int x = 0;
    int y = 0;
    Fl::get_mouse(x, y);
    return POINT{x, y};
}

// The screen the main window stands on (the first one before it exists).
void ReadScreenSize(int& width, int& height) {
    int x = 0;
    int y = 0;
    FltkWindow* window = CursorWindow();
    if (window != nullptr && window->FrameWidget() != nullptr) {
        Fl_Window* frame = window->FrameWidget();
        Fl::screen_xywh(x, y, width, height, Fl::screen_num(frame->x(), frame->y()));
    } else {
        Fl::screen_xywh(x, y, width, height, 0);
    }
}

void PollEvents() {
    Fl::check();
}
void WaitForEvents() {
    Fl::wait();
}
void WaitForEventsAtMost(double seconds) {
    Fl::wait(seconds);
}

const EventPump fltkPump = {PollEvents, WaitForEvents, WaitForEventsAtMost};

// Events FLTK does not turn into its own: the window manager's changes of a
// frame's state (maximised, full screen).
int WatchXEvents(void* event, void*) {
    const XEvent& x = *static_cast<const XEvent*>(event);
    if (x.type == PropertyNotify) {
        static const Atom stateAtom = XInternAtom(fl_display, "_NET_WM_STATE", False);
        if (x.xproperty.atom != stateAtom) return 0;
        for (auto& window : Windows()) {
            if (!window->destroyed && window->FrameXid() == x.xproperty.window) {
                window->FrameStateChanged();
            }
        }
    }
    return 0;
}

}  // namespace fltk_desktop

// Asks the X server (FLTK reads its keymap), so a release that went to
// another window still counts. Only the keys an accelerator takes by their
// press are asked about; any other reads as up.
bool fltk_desktop::KeyHeldNow(UINT virtualKey) {
    if (virtualKey == VK_RETURN) return Fl::get_key(FL_Enter) != 0 || Fl::get_key(FL_KP_Enter) != 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return Fl::get_key(static_cast<int>(virtualKey - 'A' + 'a')) != 0;
    if (virtualKey >= '0' && virtualKey <= '9')
        return Fl::get_key(static_cast<int>(virtualKey)) != 0;
    return false;
}

UINT VirtualKeyOf(int key) {
    if (key >= 'a' && key <= 'z') return static_cast<UINT>(key - 'a' + 'A');
    if (key >= '0' && key <= '9') return static_cast<UINT>(key);
    if (key >= FL_F + 1 && key <= FL_F + 24) return VK_F1 + static_cast<UINT>(key - FL_F - 1);
    switch (key) {
        case FL_Escape:
            return VK_ESCAPE;
        case FL_BackSpace:
            return VK_BACK;
        case FL_Tab:
            return VK_TAB;
        case FL_Enter:
        case FL_KP_Enter:
            return VK_RETURN;
        case ' ':
            return VK_SPACE;
        case FL_Shift_L:
        case FL_Shift_R:
            return VK_SHIFT;
        case FL_Control_L:
        case FL_Control_R:
            return VK_CONTROL;
        case FL_Alt_L:
        case FL_Alt_R:
            return VK_MENU;
        case FL_Pause:
            return VK_PAUSE;
        case FL_Page_Up:
            return VK_PRIOR;
        case FL_Page_Down:
            return VK_NEXT;
        case FL_End:
            return VK_END;
        case FL_Home:
            return VK_HOME;
        case FL_Left:
            return VK_LEFT;
        case FL_Up:
            return VK_UP;
        case FL_Right:
            return VK_RIGHT;
        case FL_Down:
            return VK_DOWN;
        case FL_Insert:
            return VK_INSERT;
        case FL_Delete:
            return VK_DELETE;
        default:
            return 0;
    }
}
