#include "platform/shader_version.h"

// WebGL2 speaks OpenGL ES 3.0's GLSL, where a fragment shader must choose its
// float precision; highp is what the desktop's shaders compute with.
const char* ShaderPreamble() {
    return "#version 300 es\nprecision highp float;\n";
}
