#pragma once
// A Direct3D object whose devices draw nothing: every call succeeds and is
// forgotten, textures and mesh buffers are empty handles. With it in place
// (SetDirect3DFactory(CreateNullDirect3D)) a racing frame costs only the
// game's own work, the renderer's included, and none of the driver's.
#include "platform/d3d9.h"

IDirect3D9* CreateNullDirect3D(UINT sdkVersion);
