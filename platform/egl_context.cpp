#include "platform/egl_context.h"

#include <epoxy/egl.h>

#include <cstdio>

namespace {

// Every context of the process shares the one surfaceless display, and
// eglTerminate would pull it from under all of them: the last one out ends it.
int liveDisplayUsers = 0;

void SetError(std::string* error, const char* what) {
    if (error == nullptr) return;
    char text[160];
    std::snprintf(text, sizeof text, "%s (EGL error 0x%04X)", what,
                  static_cast<unsigned>(eglGetError()));
    *error = text;
}

bool DrawableSizeAllowed(int width, int height) {
    return width > 0 && height > 0 && width <= 16384 && height <= 16384;
}

}  // namespace

bool EglLibraryPresent() {
    return epoxy_has_egl();
}

std::unique_ptr<EglContext> EglContext::Create(int width, int height, std::string* error) {
    if (!DrawableSizeAllowed(width, height)) {
        if (error != nullptr) *error = "the drawable size is out of range";
        return nullptr;
    }
    if (!EglLibraryPresent()) {
        if (error != nullptr) *error = "the EGL library cannot be loaded";
        return nullptr;
    }
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless") ||
        !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_base")) {
        if (error != nullptr) *error = "EGL offers no surfaceless platform";
        return nullptr;
    }

    std::unique_ptr<EglContext> made(new EglContext());
    EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        SetError(error, "no surfaceless EGL display");
        return nullptr;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        SetError(error, "the surfaceless EGL display cannot be initialised");
        return nullptr;
    }
    made->display = display;
    ++liveDisplayUsers;

    if (!epoxy_has_egl_extension(display, "EGL_KHR_surfaceless_context") ||
        !epoxy_has_egl_extension(display, "EGL_KHR_create_context")) {
        if (error != nullptr) *error = "EGL cannot make a context without a surface";
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        SetError(error, "EGL offers no desktop OpenGL");
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
        SetError(error, "no EGL configuration renders desktop OpenGL");
        return nullptr;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        SetError(error, "no OpenGL 3.3 core context");
        return nullptr;
    }
    made->context = context;
    if (!made->MakeCurrent()) {
        SetError(error, "the new context cannot be made current");
        return nullptr;
    }
    if (epoxy_gl_version() < 33) {
        if (error != nullptr) *error = "the context offers less than OpenGL 3.3";
        return nullptr;
    }
    if (!made->SetDrawableSize(width, height)) {
        if (error != nullptr) *error = "the offscreen drawable cannot be made";
        return nullptr;
    }
    RegisterGlContext(made->Window(), made.get());
    return made;
}

EglContext::~EglContext() {
    if (context != nullptr) {
        if (MakeCurrent()) {
            drawable.Reset();
            drawableColour.Reset();
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        } else {
            drawable.Abandon();
            drawableColour.Abandon();
        }
        eglDestroyContext(display, context);
    }
    if (display != nullptr && --liveDisplayUsers == 0) eglTerminate(display);
}

HWND EglContext::Window() const {
    return reinterpret_cast<HWND>(const_cast<char*>(&windowKey));
}

bool EglContext::SetDrawableSize(int width, int height) {
    if (!DrawableSizeAllowed(width, height) || !MakeCurrent()) return false;
    GlFramebuffer framebuffer(GenGlName(glGenFramebuffers));
    GlRenderbuffer colour(GenGlName(glGenRenderbuffers));
    glBindRenderbuffer(GL_RENDERBUFFER, colour.Get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.Get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour.Get());
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (!complete) return false;
    drawable = std::move(framebuffer);
    drawableColour = std::move(colour);
    drawableWidth = width;
    drawableHeight = height;
    return true;
}

bool EglContext::MakeCurrent() {
    if (context == nullptr) return false;
    if (IsCurrent()) return true;
    return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
}

bool EglContext::IsCurrent() const {
    return context != nullptr && eglGetCurrentContext() == context;
}

void EglContext::GetDrawableSize(int& width, int& height) const {
    width = drawableWidth;
    height = drawableHeight;
}

unsigned EglContext::DefaultFramebuffer() const {
    return drawable.Get();
}

// Nothing is shown, so there is nothing to swap; flushing hands the frame to
// the driver as a swap would.
void EglContext::SwapBuffers() {
    if (MakeCurrent()) glFlush();
}

void EglContext::SetSwapInterval(int /*interval*/) {}
