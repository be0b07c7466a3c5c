#pragma once
// "track.x": the ground of the whole world in one layer, the road laid into it.
#include <string>

#include "model.h"

// Empty model (no faces) when the terrain could not be triangulated; `problem`
// then says why.
Model BuildGroundModel(std::string& problem);
