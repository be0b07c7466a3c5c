#pragma once
// The replay program draws nothing, but the platform's GL context registry
// and the headless program's headers name GL types: OpenGL ES 3.0's are
// enough for them.
#include <GLES3/gl3.h>
