#pragma once
// A headless OpenGL 3.3 core context through Mesa's surfaceless EGL platform:
// no X server, no GPU needed (llvmpipe renders). Its "window" is an
// offscreen colour buffer of a chosen size, so the tests and tools can present
// and read back what a player would see.
#include <memory>
#include <string>

#include "platform/gl_context.h"
#include "platform/gl_objects.h"

// False when the EGL library itself cannot be loaded: the one case in which a
// renderer test may skip rather than fail.
bool EglLibraryPresent();

class EglContext final : public GlContext {
  public:
    // nullptr when no context can be had; `error`, when given, says why. The
    // new context is current and registered under Window().
    static std::unique_ptr<EglContext> Create(int width, int height, std::string* error = nullptr);
    ~EglContext() override;

    // The handle the context is registered under, for CreateDevice. It names
    // no window: only the registry ever looks at it.
    HWND Window() const;

    // The player resizing the window: the drawable takes the new size.
    bool SetDrawableSize(int width, int height);

    bool MakeCurrent() override;
    bool IsCurrent() const override;
    void GetDrawableSize(int& width, int& height) const override;
    unsigned DefaultFramebuffer() const override;
    void SwapBuffers() override;
    void SetSwapInterval(int interval) override;

  private:
    EglContext() = default;

    void* display = nullptr;  // EGLDisplay
    void* context = nullptr;  // EGLContext
    char windowKey = 0;
    int drawableWidth = 0;
    int drawableHeight = 0;
    GlFramebuffer drawable;
    GlRenderbuffer drawableColour;
};
