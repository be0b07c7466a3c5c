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
#include <FL/fl_ask.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <epoxy/gl.h>
#include <epoxy/glx.h>

#include <algorithm>
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
// A change of the window's place or size counts as one move or resize until
// no further change has come for this long; see FltkWindow::FrameMoved.
constexpr double sizeMoveQuietSeconds = 0.3;
// Changes the program makes itself are not the player's: configure events
// are ignored until they have been quiet this long.
constexpr double programmaticQuietSeconds = 0.5;

class FltkWindow;

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

// The OpenGL configuration of the drawing area: true colour, double
// buffered and single-sampled. FLTK's own GL window would take the
// configuration with the most samples, and a multisampled window cannot take
// the stretched copy by which the device presents its back buffer.
struct GlVisual {
    GLXFBConfig config = nullptr;
    XVisualInfo* visual = nullptr;
    Colormap colormap = 0;
};

const GlVisual& ChooseGlVisual() {
    static const GlVisual chosen = [] {
        GlVisual result;
        if (fl_display == nullptr) return result;
        const int attributes[] = {GLX_X_RENDERABLE,
                                  True,
                                  GLX_DRAWABLE_TYPE,
                                  GLX_WINDOW_BIT,
                                  GLX_RENDER_TYPE,
                                  GLX_RGBA_BIT,
                                  GLX_X_VISUAL_TYPE,
                                  GLX_TRUE_COLOR,
                                  GLX_RED_SIZE,
                                  8,
                                  GLX_GREEN_SIZE,
                                  8,
                                  GLX_BLUE_SIZE,
                                  8,
                                  GLX_DOUBLEBUFFER,
                                  True,
                                  None};
        int count = 0;
        GLXFBConfig* configs = glXChooseFBConfig(fl_display, fl_screen, attributes, &count);
        for (int i = 0; configs != nullptr && i < count && result.visual == nullptr; ++i) {
            int sampleBuffers = 0;
            glXGetFBConfigAttrib(fl_display, configs[i], GLX_SAMPLE_BUFFERS, &sampleBuffers);
            if (sampleBuffers != 0) continue;
            XVisualInfo* visual = glXGetVisualFromFBConfig(fl_display, configs[i]);
            if (visual == nullptr) continue;
            result.config = configs[i];
            result.visual = visual;
        }
        if (configs != nullptr) XFree(configs);
        if (result.visual != nullptr) {
            result.colormap = XCreateColormap(fl_display, RootWindow(fl_display, fl_screen),
                                              result.visual->visual, AllocNone);
        }
        return result;
    }();
    return chosen;
}

// The drawing area: the window's client area, an OpenGL 3.3 core context for
// the Direct3D stand-in, and the device context the splash is painted into.
// The context belongs to the area, not to its X window, so it survives the
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
        const GlVisual& gl = ChooseGlVisual();
        if (shown() || gl.visual == nullptr) {
            Fl_Window::show();
            return;
        }
        Fl_X::make_xid(this, gl.visual, gl.colormap);
    }

    int handle(int event) override;
    void flush() override;

    // GlContext
    bool MakeCurrent() override {
        if (!shown() || !CreateContext()) return false;
        if (glXGetCurrentContext() == glContext && glXGetCurrentDrawable() == fl_xid(this)) {
            return true;
        }
        return glXMakeCurrent(fl_display, fl_xid(this), glContext) != False;
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

    // DeviceContextObject: the splash, drawn into the back buffer.
    void DrawPixels(int x, int y, int width, int height, const uint8_t* rgba,
                    size_t strideBytes) override;

    // Painting: BeginPaint makes the context current; what is drawn is shown
    // by EndPaint. A paint that draws nothing leaves the picture as it is.
    HDC BeginPainting() {
        if (!MakeCurrent()) return nullptr;
        painting = true;
        drawn = false;
        return this;
    }
    void EndPainting() {
        if (painting && drawn) SwapBuffers();
        painting = false;
        drawn = false;
    }

  private:
    bool CreateContext() {
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
        glContext = glXCreateContextAttribsARB(fl_display, gl.config, nullptr, True, attributes);
        return glContext != nullptr;
    }

    FltkWindow& owner;
    GLXContext glContext = nullptr;
    bool painting = false;
    bool drawn = false;
};

class GameMenuBar final : public Fl_Menu_Bar {
  public:
    GameMenuBar(FltkWindow& window, int x, int y, int width, int height)
        : Fl_Menu_Bar(x, y, width, height), owner(window) {}
    int handle(int event) override;

    // Set by an item's callback while the menu is pulled down.
    UINT chosen = 0;

  private:
    FltkWindow& owner;
};

class Frame final : public Fl_Window {
  public:
    Frame(FltkWindow& window, int x, int y, int width, int height, const char* title)
        : Fl_Window(x, y, width, height, title), owner(window) {}
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

    // From the widgets.
    void FrameMoved(int x, int y, int width, int height);
    void FrameHidden();
    void FrameShown();
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
    static void EndSizeMove(void* window);
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
    GLint readFramebuffer = 0;
    GLint drawFramebuffer = 0;
    GLint texture = 0;
    GLint activeTexture = 0;
    GLint rowLength = 0;
    GLint alignment = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);

    if (!drawn) {
        // The class's background, the window colour, under whatever the
        // picture does not cover.
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    GLuint pixels = 0;
    GLuint source = 0;
    glGenTextures(1, &pixels);
    glBindTexture(GL_TEXTURE_2D, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(strideBytes / 4));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glGenFramebuffers(1, &source);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, pixels, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The picture's rows run from the top, GL's from the bottom: the blit
    // turns it over.
    const int areaHeight = h();
    glBlitFramebuffer(0, 0, width, height, x, areaHeight - y, x + width, areaHeight - y - height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    drawn = true;

    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    glDeleteFramebuffers(1, &source);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glDeleteTextures(1, &pixels);
    glActiveTexture(static_cast<GLenum>(activeTexture));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
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

FltkWindow::FltkWindow(const WNDCLASSEXA& windowClass, const char* title, LONG initialStyle, int x,
                       int y, int width, int height)
    : WindowObject(windowClass.lpfnWndProc) {
    style = initialStyle;
    if (x == CW_USEDEFAULT || y == CW_USEDEFAULT) {
        frame = std::make_unique<Frame>(*this, 0, 0, width, height, nullptr);
        frame->free_position();
    } else {
        frame = std::make_unique<Frame>(*this, x, y, width, height, nullptr);
    }
    frame->copy_label(title);
    frame->callback(FrameClosed, this);
    frame->begin();
    menuBar = new GameMenuBar(*this, 0, 0, width, menuBarHeight);
    menuBar->clear_visible_focus();
    area = new DrawingArea(*this, 0, menuBarHeight, width, height - menuBarHeight);
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
    frame->size_range(std::max<LONG>(1, limits.ptMinTrackSize.x),
                      std::max<LONG>(1, limits.ptMinTrackSize.y));

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

void FltkWindow::Place(int x, int y, int width, int height, UINT flags) {
    if (!frame) return;
    ExpectOwnChange();
    frame->resize(x, y, width, height);
    LayOut();
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
// a move, as SetWindowPos is not one on Windows.
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
    if (!inSizeMove) {
        inSizeMove = true;
        PostMessageA(Handle(), WM_ENTERSIZEMOVE, 0, 0);
    }
    Fl::remove_timeout(EndSizeMove, this);
    Fl::add_timeout(sizeMoveQuietSeconds, EndSizeMove, this);
}

void FltkWindow::EndSizeMove(void* data) {
    FltkWindow* window = static_cast<FltkWindow*>(data);
    if (!window->inSizeMove) return;
    window->inSizeMove = false;
    PostMessageA(window->Handle(), WM_EXITSIZEMOVE, 0, 0);
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
    PostMessageA(Handle(), WM_SIZE, SIZE_RESTORED, PointParameter(area->w(), area->h()));
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
void WaitForEventsAtMost(double seconds) {
    Fl::wait(seconds);
}

const EventPump fltkPump = {PollEvents, WaitForEvents, WaitForEventsAtMost};

// Message boxes: FLTK's, with the game's caption and the kind's icon.
int ShowFltkMessageBox(HWND, const char* text, const char* caption, UINT type) {
    fl_message_title(caption ? caption : "");
    Fl_Widget* icon = fl_message_icon();
    const UINT kind = type & 0xF0;
    if (kind == MB_ICONHAND) {
        icon->label("X");
        icon->color(FL_RED);
        icon->labelcolor(FL_WHITE);
        icon->show();
    } else if (kind == MB_ICONEXCLAMATION) {
        icon->label("!");
        icon->color(FL_YELLOW);
        icon->labelcolor(FL_BLACK);
        icon->show();
    } else {
        icon->hide();
    }
    fl_message("%s", text ? text : "");
    icon->show();
    return IDOK;
}

bool OpenWithDesktop(const char* file) {
    const std::string uri = ShellUriFor(file);
    char error[512] = "";
    return fl_open_uri(uri.c_str(), error, sizeof error) != 0;
}

}  // namespace

bool UseFltkDesktop() {
    if (fl_display == nullptr) {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) return false;
        fl_open_display(display);
    }
    Fl::visual(FL_RGB);
    SetWindowFactory(MakeFltkWindow);
    SetDialogRunner(RunFltkDialog);
    SetMessageBoxHandler(ShowFltkMessageBox);
    SetShellOpener(OpenWithDesktop);
    SetCursorSource(ReadCursor);
    SetEventPump(&fltkPump);
    WatchProgramFocus();
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
