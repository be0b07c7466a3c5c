#include "core/camera.h"

D3DVECTOR cameraEye = {0.0f, 0.0f, -1.0f};
D3DVECTOR cameraTarget = {0.0f, 0.0f, 0.0f};
