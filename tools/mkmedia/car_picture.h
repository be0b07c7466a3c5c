#pragma once
// The player's red roadster from behind, as the chase camera shows it: the
// splash picture's car, and the game's icon.
#include "picture.h"

// `cx` is the car's centre, `base` the row its wheels stand on; `k` scales
// the drawing, which is laid out for a scale of 1 (about 240 x 150 pixels).
void PaintCar(Picture& picture, double cx, double base, double k);
