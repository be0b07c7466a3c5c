// The main window on FLTK: a top-level window holding the menu bar over the
// drawing area, sized and placed as the original's window, whose moves,
// resizes, minimising and maximising become the messages Windows sends.
// FLTK's platform internals (the X windows behind the widgets), before any
// FLTK header.
#define FL_INTERNALS

#include "platform/fltk_window.h"

#include <FL/filename.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/dialog.h"
#include "platform/fltk_window_parts.h"
#include "platform/message_box.h"
#include "platform/picture_fit.h"
#include "platform/shell_open.h"

namespace fltk_desktop {

std::vector<std::unique_ptr<FltkWindow>>& Windows() {
    static std::vector<std::unique_ptr<FltkWindow>> windows;
    return windows;
}

FltkWindow* CursorWindow() {
    for (auto& window : Windows()) {
        if (!window->destroyed) return window.get();
    }
    return nullptr;
}

// The toolkit's frame holds the client area and our menu bar; the outer size
// the program asks for also counts the original's caption and borders.
void FrameSizeFor(int outerWidth, int outerHeight, bool withMenu, int& width, int& height) {
    ClientSizeOfWindow(outerWidth, outerHeight, width, height);
    if (withMenu) height += menuBarHeight;
}

// The X class names the program, so that desktops match its windows to its
// launcher and icon: the window class's name, and in lower case as the
// instance name.
const char* ProgramXClass(const char* className) {
    static std::string xclass;
    if (xclass.empty() && className != nullptr) {
        xclass = className;
        std::transform(xclass.begin(), xclass.end(), xclass.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        Fl_Window::default_xclass(xclass.c_str());
    }
    return xclass.c_str();
}

FltkWindow::FltkWindow(const WNDCLASSEXA& windowClass, const char* title, LONG initialStyle, int x,
                       int y, int outerWidth, int outerHeight)
    : WindowObject(windowClass.lpfnWndProc) {
    style = initialStyle;
    int width = 0;
    int height = 0;
    FrameSizeFor(outerWidth, outerHeight, windowClass.menuId != 0, width, height);
    if (x == CW_USEDEFAULT || y == CW_USEDEFAULT) {
        frame = std::make_unique<Frame>(*this, 0, 0, width, height, nullptr);
        frame->free_position();
    } else {
        frame = std::make_unique<Frame>(*this, x, y, width, height, nullptr);
    }
    frame->xclass(ProgramXClass(windowClass.lpszClassName));
    frame->copy_label(title);
    frame->callback(FrameClosed, this);
    frame->begin();
    menuBar = new GameMenuBar(*this, 0, 0, width, menuBarHeight);
    menuBar->clear_visible_focus();
    area = new DrawingArea(*this, 0, menuBarHeight, width, std::max(1, height - menuBarHeight));
    frame->end();
    frame->resizable(area);

    // The class's menu.
    if (windowClass.menuId != 0) menu = LoadMenuA(windowClass.hInstance, windowClass.menuId);
    if (menu != nullptr) FillMenuBar(*menuBar, *menu->resource);
    LayOut();

    // The class's icon.
    iconPixels = IconPixels(windowClass.hInstance, windowClass.iconId, 32);
    if (!iconPixels.empty()) {
        icon = std::make_unique<Fl_RGB_Image>(iconPixels.data(), 32, 32, 4);
        frame->icon(icon.get());
    }

    // The window's limits come from the window procedure, as on Windows.
    MINMAXINFO limits{};
    limits.ptMinTrackSize = POINT{1, 1};
    SendMessageA(Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    int minimumWidth = 0;
    int minimumHeight = 0;
    FrameSizeFor(limits.ptMinTrackSize.x, limits.ptMinTrackSize.y, menu != nullptr, minimumWidth,
                 minimumHeight);
    frame->size_range(minimumWidth, minimumHeight);

    lastX = frame->x();
    lastY = frame->y();
    lastWidth = frame->w();
    lastHeight = frame->h();
    RegisterGlContext(Handle(), area);
}

void FltkWindow::LayOut() {
    if (!frame) return;
    const bool showMenu = menu != nullptr && !FullScreen();
    const int top = showMenu ? menuBarHeight : 0;
    if (showMenu) {
        menuBar->resize(0, 0, frame->w(), menuBarHeight);
        menuBar->show();
    } else {
        menuBar->hide();
    }
    area->resize(0, top, frame->w(), std::max(1, frame->h() - top));
    frame->init_sizes();
    frame->redraw();
}

void FltkWindow::SetMenu(HMENU newMenu) {
    menu = newMenu;
    ExpectOwnChange();
    LayOut();
}

void FltkWindow::Place(int x, int y, int outerWidth, int outerHeight, UINT flags) {
    if (!frame) return;
    ExpectOwnChange();
    int width = outerWidth;
    int height = outerHeight;
    if (!FullScreen()) FrameSizeFor(outerWidth, outerHeight, menu != nullptr, width, height);
    frame->resize(x, y, width, height);
    LayOut();
    if (leavingFullScreen) {
        placePending = true;
        pendingX = x;
        pendingY = y;
        pendingWidth = width;
        pendingHeight = height;
        // Should the window manager never say it has left full screen.
        Fl::remove_timeout(PendingPlaceDue, this);
        Fl::add_timeout(1.0, PendingPlaceDue, this);
    }
    if (flags & SWP_SHOWWINDOW) Show(SW_SHOW);
}

void FltkWindow::Show(int command) {
    if (!frame) return;
    if (command == SW_HIDE) {
        ExpectOwnChange();
        frame->hide();
        return;
    }
    ExpectOwnChange();
    frame->show();
    area->show();
    area->take_focus();
}

// Without a window manager nobody gives the keyboard back when a dialog
// closes, so the window takes it itself.
void FltkWindow::Activate() {
    if (!frame || !frame->shown() || destroyed) return;
    XSetInputFocus(fl_display, fl_xid(frame.get()), RevertToParent, CurrentTime);
    area->take_focus();
}

void FltkWindow::ExpectOwnChange() {
    ownChange = true;
    Fl::remove_timeout(EndOwnChange, this);
    Fl::add_timeout(programmaticQuietSeconds, EndOwnChange, this);
}

void FltkWindow::EndOwnChange(void* window) {
    static_cast<FltkWindow*>(window)->ownChange = false;
}

// FLTK reports a window's new place and size once the window manager has
// moved it, but not when the player starts or ends dragging. The first change
// opens the move (WM_ENTERSIZEMOVE); it closes (WM_EXITSIZEMOVE) when no
// change has come for a short while, which is as close as X lets us get to
// the release of the mouse button. Changes the program makes itself are not
// a move, as SetWindowPos is not one on Windows; nor is maximising or
// restoring, which Windows reports as WM_SIZE alone.
void FltkWindow::FrameMoved(int x, int y, int width, int height) {
    const bool changed = x != lastX || y != lastY || width != lastWidth || height != lastHeight;
    lastX = x;
    lastY = y;
    lastWidth = width;
    lastHeight = height;
    if (!changed || tearingDown) return;
    if (ownChange) {
        ExpectOwnChange();
        return;
    }
    if (TakeMaximisedState() || maximised) return;
    if (!inSizeMove) {
        // A dragged frame has a button held; anything else waits to be told
        // apart from a maximise whose state comes late.
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned buttons = 0;
        XQueryPointer(fl_display, RootWindow(fl_display, fl_screen), &root, &child, &rootX, &rootY,
                      &windowX, &windowY, &buttons);
        if ((buttons & (Button1Mask | Button2Mask | Button3Mask)) == 0) {
            if (!judging) {
                judging = true;
                Fl::add_timeout(judgeChangeSeconds, JudgeChange, this);
            }
            return;
        }
        OpenSizeMove();
    }
    Fl::remove_timeout(EndSizeMove, this);
    Fl::add_timeout(sizeMoveQuietSeconds, EndSizeMove, this);
}

void FltkWindow::OpenSizeMove() {
    if (inSizeMove) return;
    inSizeMove = true;
    PostMessageA(Handle(), WM_ENTERSIZEMOVE, 0, 0);
}

void FltkWindow::JudgeChange(void* data) {
    FltkWindow* window = static_cast<FltkWindow*>(data);
    window->judging = false;
    if (window->TakeMaximisedState() || window->maximised || window->ownChange) return;
    window->OpenSizeMove();
    Fl::remove_timeout(EndSizeMove, window);
    Fl::add_timeout(sizeMoveQuietSeconds, EndSizeMove, window);
}

void FltkWindow::EndSizeMove(void* data) {
    FltkWindow* window = static_cast<FltkWindow*>(data);
    if (!window->inSizeMove) return;
    window->inSizeMove = false;
    PostMessageA(window->Handle(), WM_EXITSIZEMOVE, 0, 0);
}

// Reads whether the window manager has the frame maximised. When that has
// changed, the window procedure hears WM_SIZE with SIZE_MAXIMIZED or
// SIZE_RESTORED, and the changes of place that came with it were no move:
// a move opened for them ends without WM_EXITSIZEMOVE (the size message
// resumes the game) and takes no view size. Returns whether it changed.
bool FltkWindow::TakeMaximisedState() {
    const Window xid = FrameXid();
    if (xid == 0 || minimised) return false;
    const bool maximisedNow = HasWindowState(xid, "_NET_WM_STATE_MAXIMIZED_VERT") &&
                              HasWindowState(xid, "_NET_WM_STATE_MAXIMIZED_HORZ");
    if (maximisedNow == maximised) return false;
    maximised = maximisedNow;
    judging = false;
    Fl::remove_timeout(JudgeChange, this);
    Fl::remove_timeout(EndSizeMove, this);
    inSizeMove = false;
    // The window manager may still be settling the frame.
    ExpectOwnChange();
    PostMessageA(Handle(), WM_SIZE, maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
                 PointParameter(area ? area->w() : 0, area ? area->h() : 0));
    return true;
}

// A window that disappears without being hidden by the program was iconified.
void FltkWindow::FrameHidden() {
    if (tearingDown || ownChange || minimised) return;
    minimised = true;
    PostMessageA(Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
}

void FltkWindow::FrameShown() {
    if (!minimised) return;
    minimised = false;
    PostMessageA(Handle(), WM_SIZE, maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
                 PointParameter(area->w(), area->h()));
}

POINT FltkWindow::CursorPosition() const {
    int x = 0;
    int y = 0;
    Fl::get_mouse(x, y);
    int displayWidth = 0;
    int displayHeight = 0;
    GetFullScreenDisplaySize(displayWidth, displayHeight);
    if (!FullScreen() || displayWidth == 0 || !area || area->w() <= 0 || area->h() <= 0) {
        return POINT{x, y};
    }
    // The full-screen picture is the back buffer at the largest size of its
    // shape the area holds: the pointer is reported in the back buffer's
    // pixels, and over a bar at the picture's edge.
    const POINT origin = ClientOrigin();
    return PointInPicture(POINT{x - origin.x, y - origin.y}, displayWidth, displayHeight, area->w(),
                          area->h());
}

void FltkWindow::TearDown() {
    if (!frame) return;
    tearingDown = true;
    Fl::remove_timeout(EndSizeMove, this);
    Fl::remove_timeout(EndOwnChange, this);
    Fl::remove_timeout(JudgeChange, this);
    Fl::remove_timeout(PendingPlaceDue, this);
    RegisterGlContext(Handle(), nullptr);
    frame->hide();
    frame.reset();
    menuBar = nullptr;
    area = nullptr;
}

HWND MakeFltkWindow(const WNDCLASSEXA& windowClass, const char* title, LONG style, int x, int y,
                    int width, int height) {
    auto& windows = Windows();
    windows.push_back(std::make_unique<FltkWindow>(windowClass, title, style, x, y, width, height));
    return windows.back()->Handle();
}

namespace {

bool OpenWithDesktop(const char* file) {
    const std::string uri = ShellUriFor(file);
    char error[512] = "";
    return fl_open_uri(uri.c_str(), error, sizeof error) != 0;
}

}  // namespace

}  // namespace fltk_desktop

Fl_Window* FltkFrameOf(HWND handle) {
    for (auto& window : fltk_desktop::Windows()) {
        if (window->Handle() == handle && !window->destroyed) return window->FrameWidget();
    }
    return nullptr;
}

bool UseFltkDesktop(std::string* failure) {
    if (fl_display == nullptr) {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || name[0] == '\0') {
            if (failure != nullptr) *failure = "no display: DISPLAY is not set";
            return false;
        }
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            if (failure != nullptr) {
                *failure = std::string("cannot open display \"") + name +
                           "\": no X server answers there, or it refuses the connection";
            }
            return false;
        }
        fl_open_display(display);
    }
    Fl::visual(FL_RGB);
    Fl::add_system_handler(fltk_desktop::WatchXEvents, nullptr);
    SetWindowFactory(fltk_desktop::MakeFltkWindow);
    SetDialogRunner(RunFltkDialog);
    SetMessageBoxHandler(ShowFltkMessageBox);
    SetShellOpener(fltk_desktop::OpenWithDesktop);
    SetCursorSource(fltk_desktop::ReadCursor);
    SetScreenSizeSource(fltk_desktop::ReadScreenSize);
    SetKeyHeldSource(fltk_desktop::KeyHeldNow);
    SetEventPump(&fltk_desktop::fltkPump);
    WatchProgramFocus();
    return true;
}

std::vector<uint8_t> IconPixels(HINSTANCE instance, int id, int size) {
    std::vector<uint8_t> pixels;
    const IconResource* resource = FindIconResource(instance, id);
    if (resource != nullptr && resource->draw != nullptr && size > 0) resource->draw(size, pixels);
    if (pixels.size() != static_cast<size_t>(size) * size * 4) pixels.clear();
    return pixels;
}
