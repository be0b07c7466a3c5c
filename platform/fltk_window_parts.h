#pragma once
// The parts of the main window on FLTK, for the files that make it:
//   fltk_window.cpp        the top-level window: size, place, moves, maximise
//   fltk_drawing_area.cpp  the client area: the splash's painting, the GL context
//   fltk_menu_bar.cpp      the menu bar and its menu loop
//   fltk_events.cpp        toolkit and X events turned into messages
//   fltk_full_screen.cpp   the full-screen form and the way back from it
// Only the FLTK desktop's own files include it; it takes FLTK's platform
// internals (the X windows behind the widgets).
#ifndef FL_INTERNALS
#define FL_INTERNALS
#endif

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <epoxy/glx.h>

#include <memory>
#include <vector>

#include "platform/fltk_window.h"
#include "platform/gl_context.h"
#include "platform/paint.h"

namespace fltk_desktop {

constexpr int menuBarHeight = 25;
// A change of place or size made with no pointer button held may be the
// window manager maximising the window, whose state it announces only after
// the new size: the change is judged once this has passed.
constexpr double judgeChangeSeconds = 0.15;
// How long after leaving full screen the window manager may still move the
// frame back to where it was before.
constexpr double leaveFullScreenSettleSeconds = 0.2;
// A change of the window's place or size counts as one move or resize until
// no further change has come for this long; see FltkWindow::FrameMoved.
constexpr double sizeMoveQuietSeconds = 0.3;
// Changes the program makes itself are not the player's: configure events
// are ignored until they have been quiet this long.
constexpr double programmaticQuietSeconds = 0.5;

class FltkWindow;

// What shows where nothing is painted: the part of the area the splash does
// not cover, and any area exposed before its paint. Dark and neutral, so a
// window larger than the picture frames it rather than glaring.
constexpr uchar backgroundRed = 0x20;
constexpr uchar backgroundGreen = 0x20;
constexpr uchar backgroundBlue = 0x20;

// The drawing area: the window's client area, the device context the splash
// is painted into with the toolkit's 2D drawing, and, once a race asks for a
// device, an OpenGL 3.3 core context. Nothing of OpenGL is touched before
// then, so the driver's start-up stays off the way to the first picture. The
// context belongs to the area, not to its X window, so it survives the
// window being remade.
class DrawingArea final : public Fl_Window, public GlContext, public DeviceContextObject {
  public:
    DrawingArea(FltkWindow& window, int x, int y, int width, int height)
        : Fl_Window(x, y, width, height), owner(window) {}
    ~DrawingArea() override {
        if (glContext == nullptr) return;
        if (glXGetCurrentContext() == glContext) glXMakeCurrent(fl_display, None, nullptr);
        glXDestroyContext(fl_display, glContext);
    }

    void show() override {
        if (shown()) {
            Fl_Window::show();
            return;
        }
        XVisualInfo* visual = glVisual != nullptr ? glVisual : fl_visual;
        const Colormap colormap = glVisual != nullptr ? glColormap : fl_colormap;
        fl_background_pixel =
            static_cast<int>(fl_xpixel(backgroundRed, backgroundGreen, backgroundBlue));
        Fl_X::make_xid(this, visual, colormap);
        fl_background_pixel = -1;
        shownVisual = visual->visualid;
    }

    int handle(int event) override;
    void flush() override;

    // GlContext
    bool MakeCurrent() override;
    bool IsCurrent() const override {
        return glContext != nullptr && glXGetCurrentContext() == glContext;
    }
    void GetDrawableSize(int& width, int& height) const override {
        width = w();
        height = h();
    }
    unsigned DefaultFramebuffer() const override { return 0; }
    void SwapBuffers() override {
        if (shown() && glContext != nullptr) glXSwapBuffers(fl_display, fl_xid(this));
    }
    void SetSwapInterval(int interval) override;
    int DotsPerInch() const override {
        float horizontal = 0.0f;
        float vertical = 0.0f;
        Fl::screen_dpi(horizontal, vertical, 0);
        return vertical >= 24.0f ? static_cast<int>(vertical + 0.5f) : 96;
    }
    void SetCursorVisible(bool visible) override {
        cursor(visible ? FL_CURSOR_DEFAULT : FL_CURSOR_NONE);
    }
    void DeviceAttached(bool attached) override { deviceAttached = attached; }

    // DeviceContextObject: the splash, drawn with the toolkit.
    void DrawPixels(int x, int y, int width, int height, const uint8_t* rgba,
                    size_t strideBytes) override;

    // Painting: BeginPaint readies the toolkit's drawing; EndPaint fills
    // what the paint left uncovered with the background, as the class's
    // brush does on Windows. While a device shows its picture, the paint
    // leaves it alone: the next frame is on its way.
    HDC BeginPainting() {
        if (!shown()) return nullptr;
        make_current();
        painting = true;
        drawn.Clear();
        return this;
    }
    void EndPainting();

  private:
    bool CreateContext();

    FltkWindow& owner;
    GLXContext glContext = nullptr;
    XVisualInfo* glVisual = nullptr;  // owned by ChooseGlVisual
    Colormap glColormap = 0;
    VisualID shownVisual = 0;
    bool deviceAttached = false;
    bool painting = false;
    PaintedExtent drawn;
};

// The menu bar: the menu resource's titles and items, whose pulled-down menu
// runs as Windows' menu loop does (fltk_menu_bar.cpp).
class GameMenuBar final : public Fl_Menu_Bar {
  public:
    GameMenuBar(FltkWindow& window, int x, int y, int width, int height)
        : Fl_Menu_Bar(x, y, width, height), owner(window) {}
    int handle(int event) override;
    // Pulls the first menu down as F10 does on Windows.
    void PullDownFirst();

    // Set by an item's callback while the menu is pulled down.
    UINT chosen = 0;

  private:
    // Runs `loop` as the menu loop: announced to the window procedure, the
    // pad read in it, and the chosen command posted after it.
    template <typename Loop>
    int MenuLoop(Loop loop);

    FltkWindow& owner;
};

// The top-level window, reporting its changes to its FltkWindow.
class Frame final : public Fl_Window {
  public:
    Frame(FltkWindow& window, int x, int y, int width, int height, const char* title)
        : Fl_Window(x, y, width, height, title), owner(window) {}
    int handle(int event) override;
    void resize(int x, int y, int width, int height) override;

  private:
    FltkWindow& owner;
};

// The main window: the frame with the menu bar over the drawing area.
class FltkWindow final : public WindowObject {
  public:
    FltkWindow(const WNDCLASSEXA& windowClass, const char* title, LONG style, int x, int y,
               int width, int height);
    ~FltkWindow() override { TearDown(); }

    HWND Handle() { return this; }

    // WindowObject
    void SetStyle(LONG newStyle) override;
    void SetMenu(HMENU newMenu) override;
    void Place(int x, int y, int width, int height, UINT flags) override;
    void Show(int command) override;
    void Update() override { Fl::flush(); }
    void Activate() override;
    RECT ClientRect() const override {
        if (!area) return RECT{0, 0, 0, 0};
        return RECT{0, 0, area->w(), area->h()};
    }
    POINT ClientOrigin() const override {
        if (!area || !frame) return POINT{0, 0};
        return POINT{frame->x_root() + area->x(), frame->y_root() + area->y()};
    }
    void Destroy() override { TearDown(); }
    void OpenMenuBar() override {
        if (menuBar != nullptr) menuBar->PullDownFirst();
    }
    HDC BeginPaint() override { return area ? area->BeginPainting() : nullptr; }
    void EndPaint() override {
        if (area) area->EndPainting();
    }

    // From the widgets and the X server.
    void FrameMoved(int x, int y, int width, int height);
    void FrameHidden();
    void FrameShown();
    void FrameStateChanged();
    Window FrameXid() const { return frame && frame->shown() ? fl_xid(frame.get()) : 0; }
    Fl_Window* FrameWidget() const { return frame.get(); }
    void CloseRequested() { PostMessageA(Handle(), WM_CLOSE, 0, 0); }
    bool FullScreen() const { return frame && fullScreen; }
    bool KeysToArea(int event) {
        if (!area || Fl::focus() == area) return false;
        area->take_focus();
        return area->handle(event) != 0;
    }
    // The cursor in the pixels GetCursorPos reports (window.h).
    POINT CursorPosition() const;

  private:
    void LayOut();
    void ExpectOwnChange();
    void TearDown();
    bool TakeMaximisedState();
    void OpenSizeMove();
    void ApplyPendingPlace();
    static void EndSizeMove(void* window);
    static void JudgeChange(void* window);
    static void PendingPlaceDue(void* window);
    static void EndOwnChange(void* window);
    static void FrameClosed(Fl_Widget* widget, void* window);

    std::unique_ptr<Frame> frame;
    GameMenuBar* menuBar = nullptr;  // owned by the frame
    DrawingArea* area = nullptr;     // owned by the frame
    std::vector<uint8_t> iconPixels;
    std::unique_ptr<Fl_RGB_Image> icon;
    int lastX = 0, lastY = 0, lastWidth = 0, lastHeight = 0;
    bool inSizeMove = false;
    bool fullScreen = false;
    int windowedX = 0, windowedY = 0, windowedWidth = 0, windowedHeight = 0;
    bool ownChange = false;
    bool minimised = false;
    bool maximised = false;
    bool judging = false;
    // Leaving full screen, the window manager puts the window back where it
    // was before; the place the program asked for is applied once it has.
    bool leavingFullScreen = false;
    bool placePending = false;
    int pendingX = 0, pendingY = 0, pendingWidth = 0, pendingHeight = 0;
    bool tearingDown = false;
};

// Every window made lives until the program ends: its handle may still be
// held (mainWindow) after it was destroyed.
std::vector<std::unique_ptr<FltkWindow>>& Windows();
// The window the cursor is reported for: the first one not destroyed.
FltkWindow* CursorWindow();

// A point as a message carries it in its lParam.
LPARAM PointParameter(int x, int y);
// Whether a window manager that follows the desktop conventions runs.
bool WindowManagerPresent();
// Reads a window's _NET_WM_STATE: whether it holds `state`.
bool HasWindowState(Window window, const char* state);

// The menu resource's items, into the bar (fltk_menu_bar.cpp).
void FillMenuBar(GameMenuBar& bar, const MenuResource& menu);

// The event pump, the cursor and the watch on window states (fltk_events.cpp).
extern const EventPump fltkPump;
POINT ReadCursor();
void ReadScreenSize(int& width, int& height);
bool KeyHeldNow(UINT virtualKey);
int WatchXEvents(void* event, void* data);

}  // namespace fltk_desktop
