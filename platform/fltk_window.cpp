// The main window on FLTK: a top-level window holding the menu bar and the
// OpenGL drawing area, whose events become the messages of the window
// procedure.

// The drawing area makes its X window with a visual of its own choosing,
// which takes FLTK's platform internals.
#define FL_INTERNALS

#include "platform/fltk_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/filename.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <epoxy/gl.h>
#include <epoxy/glx.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/gl_context.h"
#include "platform/message_box.h"
#include "platform/paint.h"
#include "platform/shell_open.h"

namespace {

constexpr int menuBarHeight = 25;
// The original's frame around its client area: its 640 x 480 window had a
// client area of 632 x 426 below the menu bar, the size the splash picture
// is made to fill. Sizes the program asks for are outer sizes, as on Windows.
constexpr int frameExtraWidth = 8;
constexpr int frameExtraHeight = 54;
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
void RecheckFocus(void*);

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

LPARAM PointParameter(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)),
                      static_cast<WORD>(static_cast<int16_t>(y)));
}

// Catches the X errors of the requests made while it lives, instead of
// letting Xlib's default handler end the program: a server that cannot give
// the OpenGL context asked for answers with an error (GLXBadFBConfig, or
// BadMatch), and that is the device failing, not the game.
class XErrorTrap {
  public:
    XErrorTrap() : display(fl_display) {
        XSync(display, False);
        caught = false;
        previous = XSetErrorHandler(Catch);
    }
    ~XErrorTrap() {
        XSync(display, False);
        XSetErrorHandler(previous);
    }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    bool Caught() {
        XSync(display, False);
        return caught;
    }

  private:
    static int Catch(Display*, XErrorEvent*) {
        caught = true;
        return 0;
    }
    static inline bool caught = false;
    Display* display;
    XErrorHandler previous;
};

// The OpenGL configuration of the drawing area: true colour, double
// buffered and single-sampled. FLTK's own GL window would take the
// configuration with the most samples, and a multisampled window cannot take
// the stretched copy by which the device presents its back buffer. The
// toolkit's own visual is preferred, so that the area's window, made before
// any OpenGL is asked for, can take the context as it is.
struct GlVisual {
    GLXFBConfig config = nullptr;
    XVisualInfo* visual = nullptr;
    Colormap colormap = 0;
};

const GlVisual& ChooseGlVisual() {
    static const GlVisual chosen = [] {
        GlVisual result;
        if (fl_display == nullptr) return result;
        XErrorTrap trap;
        int errorBase = 0;
        int eventBase = 0;
        if (!glXQueryExtension(fl_display, &errorBase, &eventBase)) return result;
        const int attributes[] = {GLX_X_RENDERABLE,
                                  True,
                                  GLX_DRAWABLE_TYPE,
                                  GLX_WINDOW_BIT,
                                  GLX_RENDER_TYPE,
                                  GLX_RGBA_BIT,
                                  GLX_X_VISUAL_TYPE,
                                  GLX_TRUE_COLOR,
                                  GLX_DOUBLEBUFFER,
                                  True,
                                  None};
        int count = 0;
        GLXFBConfig* configs = glXChooseFBConfig(fl_display, fl_screen, attributes, &count);
        const VisualID toolkitVisual = fl_visual != nullptr ? fl_visual->visualid : 0;
        int bestRank = 0;
        for (int i = 0; configs != nullptr && i < count; ++i) {
            int sampleBuffers = 0;
            glXGetFBConfigAttrib(fl_display, configs[i], GLX_SAMPLE_BUFFERS, &sampleBuffers);
            if (sampleBuffers != 0) continue;
            XVisualInfo* visual = glXGetVisualFromFBConfig(fl_display, configs[i]);
            if (visual == nullptr) continue;
            // The toolkit's visual first, then its depth, then any: the 2D
            // painting of the splash needs the depth.
            const int rank = visual->visualid == toolkitVisual                           ? 3
                             : fl_visual != nullptr && visual->depth == fl_visual->depth ? 2
                                                                                         : 1;
            if (rank > bestRank) {
                if (result.visual != nullptr) XFree(result.visual);
                result.config = configs[i];
                result.visual = visual;
                bestRank = rank;
            } else {
                XFree(visual);
            }
        }
        if (configs != nullptr) XFree(configs);
        if (trap.Caught()) {
            if (result.visual != nullptr) XFree(result.visual);
            return GlVisual{};
        }
        if (result.visual != nullptr && result.visual->visualid != toolkitVisual) {
            result.colormap = XCreateColormap(fl_display, RootWindow(fl_display, fl_screen),
                                              result.visual->visual, AllocNone);
        } else if (result.visual != nullptr) {
            result.colormap = fl_colormap;
        }
        return result;
    }();
    return chosen;
}

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
    DrawingArea(FltkWindow& owner, int x, int y, int width, int height)
        : Fl_Window(x, y, width, height), owner(owner) {}
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
    bool MakeCurrent() override {
        if (!shown() || !CreateContext()) return false;
        if (glXGetCurrentContext() == glContext && glXGetCurrentDrawable() == fl_xid(this)) {
            return true;
        }
        XErrorTrap trap;
        const bool made = glXMakeCurrent(fl_display, fl_xid(this), glContext) != False;
        return made && !trap.Caught();
    }
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
        drawnLeft = drawnTop = drawnRight = drawnBottom = 0;
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
    int drawnLeft = 0, drawnTop = 0, drawnRight = 0, drawnBottom = 0;
};

class GameMenuBar final : public Fl_Menu_Bar {
  public:
    GameMenuBar(FltkWindow& owner, int x, int y, int width, int height)
        : Fl_Menu_Bar(x, y, width, height), owner(owner) {}
    int handle(int event) override;

    // Set by an item's callback while the menu is pulled down.
    UINT chosen = 0;

  private:
    FltkWindow& owner;
};

class Frame final : public Fl_Window {
  public:
    Frame(FltkWindow& owner, int x, int y, int width, int height, const char* title)
        : Fl_Window(x, y, width, height, title), owner(owner) {}
    int handle(int event) override;
    void resize(int x, int y, int width, int height) override;

  private:
    FltkWindow& owner;
};

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
    static void MenuItemChosen(Fl_Widget* widget, void* id);
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

// --- DrawingArea ---

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

void DrawingArea::SetSwapInterval(int interval) {
    if (!MakeCurrent()) return;
    Display* display = fl_display;
    const Window drawable = fl_xid(this);
    if (display == nullptr || drawable == 0) return;
    if (epoxy_has_glx_extension(display, fl_screen, "GLX_EXT_swap_control")) {
        glXSwapIntervalEXT(display, drawable, interval);
    } else if (epoxy_has_glx_extension(display, fl_screen, "GLX_MESA_swap_control")) {
        glXSwapIntervalMESA(static_cast<unsigned>(interval));
    }
}

void DrawingArea::DrawPixels(int x, int y, int width, int height, const uint8_t* rgba,
                             size_t strideBytes) {
    if (!painting || rgba == nullptr || width <= 0 || height <= 0) return;
    fl_draw_image(rgba, x, y, width, height, 4, static_cast<int>(strideBytes));
    if (drawnRight <= drawnLeft || drawnBottom <= drawnTop) {
        drawnLeft = x;
        drawnTop = y;
        drawnRight = x + width;
        drawnBottom = y + height;
        return;
    }
    drawnLeft = std::min(drawnLeft, x);
    drawnTop = std::min(drawnTop, y);
    drawnRight = std::max(drawnRight, x + width);
    drawnBottom = std::max(drawnBottom, y + height);
}

void DrawingArea::EndPainting() {
    if (!painting) return;
    painting = false;
    const bool drawn = drawnRight > drawnLeft && drawnBottom > drawnTop;
    if (deviceAttached && !drawn) return;
    fl_color(backgroundRed, backgroundGreen, backgroundBlue);
    if (!drawn) {
        fl_rectf(0, 0, w(), h());
    } else {
        const int top = std::max(0, drawnTop);
        const int bottom = std::min(h(), drawnBottom);
        fl_rectf(0, 0, w(), top);
        fl_rectf(0, bottom, w(), h() - bottom);
        fl_rectf(0, top, std::max(0, drawnLeft), bottom - top);
        fl_rectf(drawnRight, top, w() - drawnRight, bottom - top);
    }
    XFlush(fl_display);
}

// The context is made on the first call for a device. A server without GLX,
// without a suitable configuration or without OpenGL 3.3 refuses it here,
// and the device reports that failure.
bool DrawingArea::CreateContext() {
    if (glContext != nullptr) return true;
    const GlVisual& gl = ChooseGlVisual();
    if (gl.config == nullptr ||
        !epoxy_has_glx_extension(fl_display, fl_screen, "GLX_ARB_create_context_profile")) {
        return false;
    }
    const int attributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB,
                              3,
                              GLX_CONTEXT_MINOR_VERSION_ARB,
                              3,
                              GLX_CONTEXT_PROFILE_MASK_ARB,
                              GLX_CONTEXT_CORE_PROFILE_BIT_ARB,
                              None};
    {
        XErrorTrap trap;
        glContext = glXCreateContextAttribsARB(fl_display, gl.config, nullptr, True, attributes);
        if (trap.Caught() && glContext != nullptr) {
            glXDestroyContext(fl_display, glContext);
            glContext = nullptr;
        }
    }
    if (glContext == nullptr) return false;
    // The area's window was made with the toolkit's visual; when the
    // context needs another, the window is made again with it.
    glVisual = gl.visual;
    glColormap = gl.colormap;
    if (shown() && shownVisual != gl.visual->visualid) {
        Fl_Window::hide();
        show();
    }
    return true;
}

// --- GameMenuBar ---

// A pulled-down menu runs FLTK's own loop, as Windows runs its menu loop: the
// window procedure hears of its start and end, and the chosen command comes
// after the end.
int GameMenuBar::handle(int event) {
    bool opens = event == FL_PUSH;
    if (event == FL_SHORTCUT && visible_r() && menu() != nullptr) {
        const Fl_Menu_Item* title = menu()->find_shortcut(nullptr, true);
        opens = title != nullptr && title->submenu();
    }
    if (!opens) return Fl_Menu_Bar::handle(event);
    HWND window = owner.Handle();
    chosen = 0;
    SendMessageA(window, WM_ENTERMENULOOP, FALSE, 0);
    const int handled = Fl_Menu_Bar::handle(event);
    SendMessageA(window, WM_EXITMENULOOP, FALSE, 0);
    if (chosen != 0) PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    chosen = 0;
    return handled;
}

// --- Frame ---

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

// --- FltkWindow ---

// The toolkit's frame holds the client area and our menu bar; the outer size
// the program asks for also counts the original's caption and borders.
void FrameSizeFor(int outerWidth, int outerHeight, bool withMenu, int& width, int& height) {
    width = std::max(1, outerWidth - frameExtraWidth);
    height = std::max(1, outerHeight - frameExtraHeight) + (withMenu ? menuBarHeight : 0);
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

    // The class's menu, built item by item: FLTK's add() would read a '/'
    // in a label as a submenu.
    if (windowClass.menuId != 0) menu = LoadMenuA(windowClass.hInstance, windowClass.menuId);
    if (menu != nullptr) {
        std::vector<Fl_Menu_Item> items;
        auto entry = [](const char* label, Fl_Callback* callback, void* data, int flags) {
            return Fl_Menu_Item{label,
                                0,
                                callback,
                                data,
                                flags,
                                FL_NORMAL_LABEL,
                                FL_HELVETICA,
                                FL_NORMAL_SIZE,
                                FL_FOREGROUND_COLOR};
        };
        for (const MenuPopupResource& popup : menu->resource->popups) {
            items.push_back(entry(popup.label, nullptr, nullptr, FL_SUBMENU));
            for (const MenuItemResource& item : popup.items) {
                if (item.label == nullptr) {
                    items.back().flags |= FL_MENU_DIVIDER;
                    continue;
                }
                items.push_back(entry(item.label, MenuItemChosen,
                                      reinterpret_cast<void*>(static_cast<uintptr_t>(item.id)), 0));
            }
            items.push_back(entry(nullptr, nullptr, nullptr, 0));
        }
        items.push_back(entry(nullptr, nullptr, nullptr, 0));
        menuBar->copy(items.data());
    }
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
    Fl::add_timeout(0.0, RecheckFocus);
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
    static const Atom stateAtom = XInternAtom(fl_display, "_NET_WM_STATE", False);
    static const Atom vertical = XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    static const Atom horizontal = XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    bool maximisedNow = false;
    if (XGetWindowProperty(fl_display, xid, stateAtom, 0, 64, False, XA_ATOM, &type, &format,
                           &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
        const Atom* states = reinterpret_cast<const Atom*>(data);
        bool verticalSet = false;
        bool horizontalSet = false;
        for (unsigned long i = 0; i < count; ++i) {
            verticalSet = verticalSet || states[i] == vertical;
            horizontalSet = horizontalSet || states[i] == horizontal;
        }
        maximisedNow = verticalSet && horizontalSet;
    }
    if (data != nullptr) XFree(data);
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

void FltkWindow::FrameStateChanged() {
    if (tearingDown) return;
    TakeMaximisedState();
    if (leavingFullScreen) {
        // Still marked full screen by the window manager until it says not.
        static const Atom stateAtom = XInternAtom(fl_display, "_NET_WM_STATE", False);
        static const Atom fullScreenAtom =
            XInternAtom(fl_display, "_NET_WM_STATE_FULLSCREEN", False);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        bool stillFullScreen = false;
        if (XGetWindowProperty(fl_display, FrameXid(), stateAtom, 0, 64, False, XA_ATOM, &type,
                               &format, &count, &remaining, &data) == Success &&
            data != nullptr && format == 32) {
            const Atom* states = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i) {
                stillFullScreen = stillFullScreen || states[i] == fullScreenAtom;
            }
        }
        if (data != nullptr) XFree(data);
        // The window manager puts the frame back after it has said so:
        // the program's place follows a moment later.
        if (!stillFullScreen) {
            Fl::remove_timeout(PendingPlaceDue, this);
            Fl::add_timeout(leaveFullScreenSettleSeconds, PendingPlaceDue, this);
        }
    }
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
    // The full-screen picture is the back buffer stretched over the whole
    // area: the pointer is reported in the back buffer's pixels.
    const POINT origin = ClientOrigin();
    return POINT{static_cast<LONG>((x - origin.x) * static_cast<long>(displayWidth) / area->w()),
                 static_cast<LONG>((y - origin.y) * static_cast<long>(displayHeight) / area->h())};
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

void FltkWindow::MenuItemChosen(Fl_Widget* widget, void* id) {
    GameMenuBar* bar = static_cast<GameMenuBar*>(widget);
    bar->chosen = static_cast<UINT>(reinterpret_cast<uintptr_t>(id));
}

// The close box: the window procedure decides (WM_CLOSE). FLTK also calls
// this for Escape, which belongs to the game.
void FltkWindow::FrameClosed(Fl_Widget*, void* window) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    static_cast<FltkWindow*>(window)->CloseRequested();
}

HWND MakeFltkWindow(const WNDCLASSEXA& windowClass, const char* title, LONG style, int x, int y,
                    int width, int height) {
    auto& windows = Windows();
    windows.push_back(std::make_unique<FltkWindow>(windowClass, title, style, x, y, width, height));
    return windows.back()->Handle();
}

POINT ReadCursor() {
    FltkWindow* window = CursorWindow();
    if (window != nullptr) return window->CursorPosition();
    int x = 0;
    int y = 0;
    Fl::get_mouse(x, y);
    return POINT{x, y};
}

void PollEvents() {
    Fl::check();
}
void WaitForEvents() {
    Fl::wait();
}

const EventPump fltkPump = {PollEvents, WaitForEvents};

// Whether the keyboard focus rests in one of the program's windows: the main
// window, a dialog, a message box or a pulled-down menu. With no window
// manager the focus may follow the pointer (PointerRoot); nothing else then
// holds it, and the program counts as focused.
void RecheckFocus(void*) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(fl_display, &focus, &revert);
    const bool focused = focus == PointerRoot || (focus != None && fl_find(focus) != nullptr);
    ReportProgramFocus(focused);
}

// Events FLTK does not turn into its own: the window manager's changes of a
// frame's state (maximised, full screen), and the keyboard focus coming to
// or leaving the program. The focus is judged once the events of one change
// are all in, so that it passing from the main window to a dialog is none.
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
    } else if (x.type == FocusIn || x.type == FocusOut) {
        Fl::remove_timeout(RecheckFocus);
        Fl::add_timeout(0.0, RecheckFocus);
    }
    return 0;
}

}  // namespace

Fl_Window* FltkFrameOf(HWND handle) {
    for (auto& window : Windows()) {
        if (window->Handle() == handle && !window->destroyed) return window->FrameWidget();
    }
    return nullptr;
}

namespace {

bool OpenWithDesktop(const char* file) {
    const std::string uri = ShellUriFor(file);
    char error[512] = "";
    return fl_open_uri(uri.c_str(), error, sizeof error) != 0;
}

}  // namespace

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
    Fl::add_system_handler(WatchXEvents, nullptr);
    SetWindowFactory(MakeFltkWindow);
    SetDialogRunner(RunFltkDialog);
    SetMessageBoxHandler(ShowFltkMessageBox);
    SetShellOpener(OpenWithDesktop);
    SetCursorSource(ReadCursor);
    SetEventPump(&fltkPump);
    return true;
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

std::vector<uint8_t> IconPixels(HINSTANCE instance, int id, int size) {
    std::vector<uint8_t> pixels;
    const IconResource* resource = FindIconResource(instance, id);
    if (resource != nullptr && resource->draw != nullptr && size > 0) resource->draw(size, pixels);
    if (pixels.size() != static_cast<size_t>(size) * size * 4) pixels.clear();
    return pixels;
}
