#pragma once
// The height of the ground: gentle hills, the road laid on them flat across
// its width and smoothly along it, and the verges blending one into the other.
// Everything stays between 0.5 and 20 above y = 0, so a ray cast upwards from
// y = 0 always meets the ground.
#include "model.h"

// The hills alone, as if there were no road.
double HillHeight(double x, double z);
// The road surface at an arc length of the centre line.
double RoadHeight(double s);
// The ground as drawn: road, verge or hill.
double GroundHeight(double x, double z);
// Upward unit normal of the ground, for the night light.
Vec3 GroundNormal(double x, double z);

// The advert board's posts stand at (-145, 160); the ground there is kept low
// so that boards at a fixed height of 6 stand on it.
constexpr double advertX = -145.0;
constexpr double advertZ = 160.0;
