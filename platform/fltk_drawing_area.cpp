// The drawing area of the main window on FLTK: the splash painted with the
// toolkit's 2D drawing, and the OpenGL 3.3 core context made for a device.
// FLTK's platform internals (the X windows behind the widgets), before any
// FLTK header.
#define FL_INTERNALS

#include <FL/fl_draw.H>
#include <epoxy/gl.h>

#include <algorithm>

#include "platform/fltk_window_parts.h"

namespace fltk_desktop {

namespace {

// How long the first picture stays on screen before the GL driver is loaded.
constexpr double driverStartDelaySeconds = 0.05;

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

// Loading the driver is what takes the time (for Mesa, LLVM); choosing the
// configuration loads it. Whether it can serve is learnt at Start.
void StartGlDriver(void*) {
    ChooseGlVisual();
}

}  // namespace

bool DrawingArea::MakeCurrent() {
    if (!shown() || !CreateContext()) return false;
    if (glXGetCurrentContext() == glContext && glXGetCurrentDrawable() == fl_xid(this)) {
        return true;
    }
    XErrorTrap trap;
    const bool made = glXMakeCurrent(fl_display, fl_xid(this), glContext) != False;
    return made && !trap.Caught();
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
    drawn.Add(x, y, width, height);
}

void DrawingArea::EndPainting() {
    if (!painting) return;
    painting = false;
    if (deviceAttached && drawn.Empty()) return;
    fl_color(backgroundRed, backgroundGreen, backgroundBlue);
    if (drawn.Empty()) {
        fl_rectf(0, 0, w(), h());
    } else {
        const RECT& block = drawn.Rect();
        const int top = std::max(0, block.top);
        const int bottom = std::min(h(), block.bottom);
        fl_rectf(0, 0, w(), top);
        fl_rectf(0, bottom, w(), h() - bottom);
        fl_rectf(0, top, std::max(0, block.left), bottom - top);
        fl_rectf(block.right, top, w() - block.right, bottom - top);
    }
    XFlush(fl_display);
    // Once the first picture is out, the GL driver starts while the player
    // looks at it, so that the first Start does not wait for it.
    static bool driverStarting = false;
    if (!driverStarting) {
        driverStarting = true;
        Fl::add_timeout(driverStartDelaySeconds, StartGlDriver);
    }
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

}  // namespace fltk_desktop
