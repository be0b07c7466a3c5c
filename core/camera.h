#pragma once
// The chase camera: where the eye is and the point it looks at. The driving
// code places it behind the car every frame; the scene is drawn from it and
// the headlight rides at the eye.
#include "platform/d3d9_types.h"

// The eye 3.75 units behind and 1.0 above the car, looking at a point 0.25
// above it.
extern D3DVECTOR cameraEye;
extern D3DVECTOR cameraTarget;
