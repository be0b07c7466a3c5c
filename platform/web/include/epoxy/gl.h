#pragma once
// The browser's stand-in for the desktop's GL loader header: WebGL2 is OpenGL
// ES 3.0, whose functions emscripten links directly. The device asks the
// loader whether the context is a desktop OpenGL 3.3 one; the WebGL2 context
// (platform/web/web_gl_context.cpp) gives everything the device uses of it.
#include <GLES3/gl3.h>

inline void glClearDepth(double depth) {
    glClearDepthf(static_cast<float>(depth));
}
inline bool epoxy_is_desktop_gl() {
    return true;
}
inline int epoxy_gl_version() {
    return 33;
}
