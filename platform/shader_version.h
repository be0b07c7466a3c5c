#pragma once
// The lines every shader of the device starts with: the GLSL version the
// drawing context takes, and whatever that version needs said before any
// code. OpenGL 3.3 core on the desktop; the browser's WebGL2 has its own
// (platform/web/shader_version.cpp).
const char* ShaderPreamble();
