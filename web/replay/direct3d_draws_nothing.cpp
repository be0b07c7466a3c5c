// Under node there is no OpenGL: the replay program's Direct3D is the one
// whose devices draw nothing, so a frame costs only the game's own work and
// the race is the game's own.
#include "platform/d3d9.h"
#include "tools/bench/null_direct3d.h"

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    return CreateNullDirect3D(sdkVersion);
}
