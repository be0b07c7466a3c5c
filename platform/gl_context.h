#pragma once
// An OpenGL 3.3 core context and the drawable it shows: the game window's GL
// drawing area, or an offscreen surface for the tests and tools. The Direct3D
// stand-in draws through whichever context the window it is given has
// registered, so it never needs to know which kind it is.
#include <memory>

#include "platform/windows_types.h"

class GlContext {
  public:
    GlContext();
    // Unregisters the context from every window; devices made on it notice
    // through Lifetime() and stop touching GL.
    virtual ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    virtual bool MakeCurrent() = 0;
    virtual bool IsCurrent() const = 0;

    // The drawable's size in pixels now: the window's client area, which the
    // player may have resized since the device was made.
    virtual void GetDrawableSize(int& width, int& height) const = 0;

    // Where Present puts the picture: 0 for a window, an FBO for a surface
    // without a window system.
    virtual unsigned DefaultFramebuffer() const = 0;

    virtual void SwapBuffers() = 0;
    // 1 waits for the vertical blank, 0 does not. Drawables without a display
    // ignore it.
    virtual void SetSwapInterval(int interval) = 0;

    // The screen's vertical dots per inch, which sizes the HUD font.
    virtual int DotsPerInch() const { return 96; }

    // The device's cursor: the window hides its pointer while a full-screen
    // game asks it to. Nothing to hide without a window.
    virtual void SetCursorVisible(bool /*visible*/) {}

    // A device draws into the drawable from its creation to its release; a
    // window leaves the picture to it meanwhile.
    virtual void DeviceAttached(bool /*attached*/) {}

    // Expires when the context is destroyed: objects made on it keep this to
    // learn whether their GL names still mean anything.
    std::weak_ptr<const void> Lifetime() const { return lifetime; }

  private:
    std::shared_ptr<const void> lifetime;
};

// A window hands its context to the Direct3D stand-in here, once its GL
// drawing area exists; nullptr withdraws it. CreateDevice looks the focus
// window up with GlContextOf.
void RegisterGlContext(HWND window, GlContext* context);
GlContext* GlContextOf(HWND window);

// The dots per inch of the screen as the most recently registered context
// reports it; 96 while no context is registered (headless).
int ScreenDotsPerInch();

// The largest side a back buffer may have on the window's context (the GL's
// largest renderbuffer and viewport); 0 when the window has no context or it
// cannot be made current. Makes the context current.
int LargestDrawableSide(HWND window);
